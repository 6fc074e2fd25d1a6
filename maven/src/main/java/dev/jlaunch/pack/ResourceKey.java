package dev.jlaunch.pack;

/**
 * A resource type or name: a number, or (when {@code name} is not null) a text. Texts sort before numbers
 * and among themselves by code unit, as the loader's binary search expects.
 */
public record ResourceKey(int id, String name) implements Comparable<ResourceKey> {
    public static final int RT_ICON = 3;
    public static final int RT_RCDATA = 10;
    public static final int RT_GROUP_ICON = 14;
    public static final int RT_VERSION = 16;
    public static final int RT_MANIFEST = 24;

    public static ResourceKey number(int id) {
        return new ResourceKey(id, null);
    }

    public static ResourceKey text(String name) {
        return new ResourceKey(0, name);
    }

    public boolean named() {
        return name != null;
    }

    @Override
    public int compareTo(ResourceKey other) {
        if (named() != other.named()) {
            return named() ? -1 : 1;
        }
        return named() ? name.compareTo(other.name) : Integer.compare(id, other.id);
    }

    @Override
    public String toString() {
        return named() ? name : "#" + id;
    }
}
