package dev.jlaunch.pack;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Map;
import java.util.TreeMap;

/**
 * The resources of a PE image as type, name and language, read from and written to the bytes of a
 * resource section.
 */
public final class ResourceTree {
    /** The bytes of one resource and the code page its data entry names. */
    public record Data(byte[] bytes, long codePage) {
        @Override
        public boolean equals(Object other) {
            return other instanceof Data d && codePage == d.codePage && Arrays.equals(bytes, d.bytes);
        }

        @Override
        public int hashCode() {
            return Arrays.hashCode(bytes) * 31 + Long.hashCode(codePage);
        }
    }

    /** Gives the bytes of a data entry. */
    interface ImageBytes {
        byte[] atRva(long rva, long size);  // null when outside the image
    }

    private static final long HIGH_BIT = 0x80000000L;
    private static final int DIRECTORY_SIZE = 16;
    private static final int ENTRY_SIZE = 8;
    private static final int DATA_ENTRY_SIZE = 16;

    private final TreeMap<ResourceKey, TreeMap<ResourceKey, TreeMap<Integer, Data>>> types = new TreeMap<>();

    public Map<ResourceKey, TreeMap<ResourceKey, TreeMap<Integer, Data>>> types() {
        return types;
    }

    public ResourceTree copy() {
        ResourceTree copy = new ResourceTree();
        types.forEach((type, names) -> names.forEach((name, languages) -> languages.forEach(
                (language, data) -> copy.put(type, name, language, data))));
        return copy;
    }

    public void put(ResourceKey type, ResourceKey name, int language, Data data) {
        types.computeIfAbsent(type, t -> new TreeMap<>()).computeIfAbsent(name, n -> new TreeMap<>()).put(language, data);
    }

    /** Removes one language of a resource; emptied names and types vanish. */
    public void remove(ResourceKey type, ResourceKey name, int language) {
        TreeMap<ResourceKey, TreeMap<Integer, Data>> names = types.get(type);
        TreeMap<Integer, Data> languages = names == null ? null : names.get(name);
        if (languages == null) {
            return;
        }
        languages.remove(language);
        if (languages.isEmpty()) {
            names.remove(name);
        }
        if (names.isEmpty()) {
            types.remove(type);
        }
    }

    /** Removes every resource of a type. */
    public void removeAll(int type) {
        types.remove(ResourceKey.number(type));
    }

    /** The data of the first language of type and name, if any. */
    public Data find(ResourceKey type, ResourceKey name) {
        TreeMap<ResourceKey, TreeMap<Integer, Data>> names = types.get(type);
        TreeMap<Integer, Data> languages = names == null ? null : names.get(name);
        return languages == null || languages.isEmpty() ? null : languages.firstEntry().getValue();
    }

    /** The first language of type and name; neutral (0) when there is none. */
    public int languageOf(int type, ResourceKey name) {
        TreeMap<ResourceKey, TreeMap<Integer, Data>> names = types.get(ResourceKey.number(type));
        TreeMap<Integer, Data> languages = names == null ? null : names.get(name);
        return languages == null || languages.isEmpty() ? 0 : languages.firstKey();
    }

    @Override
    public boolean equals(Object other) {
        return other instanceof ResourceTree t && types.equals(t.types);
    }

    @Override
    public int hashCode() {
        return types.hashCode();
    }

    /** Reads the three levels of a resource directory; null when it is malformed. */
    static ResourceTree read(byte[] directory, ImageBytes image) {
        ResourceTree tree = new ResourceTree();
        List<long[]> typeEntries = entries(directory, 0);
        if (typeEntries == null) {
            return null;
        }
        for (long[] typeEntry : typeEntries) {
            ResourceKey type = key(directory, typeEntry[0]);
            if (type == null || (typeEntry[1] & HIGH_BIT) == 0) {
                return null;
            }
            List<long[]> nameEntries = entries(directory, typeEntry[1] & ~HIGH_BIT);
            if (nameEntries == null) {
                return null;
            }
            for (long[] nameEntry : nameEntries) {
                ResourceKey name = key(directory, nameEntry[0]);
                if (name == null || (nameEntry[1] & HIGH_BIT) == 0) {
                    return null;
                }
                List<long[]> languageEntries = entries(directory, nameEntry[1] & ~HIGH_BIT);
                if (languageEntries == null) {
                    return null;
                }
                for (long[] languageEntry : languageEntries) {
                    ResourceKey language = key(directory, languageEntry[0]);
                    long field = languageEntry[1];
                    if (language == null || language.named() || (field & HIGH_BIT) != 0
                            || !Bytes.fits(directory, field, DATA_ENTRY_SIZE)) {
                        return null;
                    }
                    byte[] bytes = image.atRva(Bytes.u32(directory, field), Bytes.u32(directory, field + 4));
                    if (bytes == null) {
                        return null;
                    }
                    tree.put(type, name, language.id(), new Data(bytes, Bytes.u32(directory, field + 8)));
                }
            }
        }
        return tree;
    }

    private static List<long[]> entries(byte[] directory, long at) {
        if (!Bytes.fits(directory, at, DIRECTORY_SIZE)) {
            return null;
        }
        long count = Bytes.u16(directory, at + 12) + Bytes.u16(directory, at + 14);
        if (!Bytes.fits(directory, at + DIRECTORY_SIZE, count * ENTRY_SIZE)) {
            return null;
        }
        List<long[]> entries = new ArrayList<>();
        for (long i = 0; i < count; ++i) {
            long entry = at + DIRECTORY_SIZE + i * ENTRY_SIZE;
            entries.add(new long[] {Bytes.u32(directory, entry), Bytes.u32(directory, entry + 4)});
        }
        return entries;
    }

    private static ResourceKey key(byte[] directory, long field) {
        if ((field & HIGH_BIT) == 0) {
            return field > 0xFFFF ? null : ResourceKey.number((int) field);
        }
        long at = field & ~HIGH_BIT;
        if (!Bytes.fits(directory, at, 2)) {
            return null;
        }
        int length = Bytes.u16(directory, at);
        if (length == 0 || !Bytes.fits(directory, at + 2, 2L * length)) {
            return null;
        }
        StringBuilder text = new StringBuilder();
        for (int i = 0; i < length; ++i) {
            text.append((char) Bytes.u16(directory, at + 2 + 2L * i));
        }
        return ResourceKey.text(text.toString());
    }

    /**
     * The bytes of a resource section holding this tree, placed at {@code sectionRva}: every directory (root,
     * types, names) breadth first, then the name strings, then the data entries, then the data, each item
     * 8-byte aligned.
     */
    byte[] write(long sectionRva) {
        int directoriesSize = DIRECTORY_SIZE + types.size() * ENTRY_SIZE;
        int dataCount = 0;
        int stringsSize = 0;
        for (var type : types.entrySet()) {
            stringsSize += stringSize(type.getKey());
            directoriesSize += DIRECTORY_SIZE + type.getValue().size() * ENTRY_SIZE;
            for (var name : type.getValue().entrySet()) {
                stringsSize += stringSize(name.getKey());
                directoriesSize += DIRECTORY_SIZE + name.getValue().size() * ENTRY_SIZE;
                dataCount += name.getValue().size();
            }
        }
        int stringsAt = directoriesSize;
        int entriesAt = align8(stringsAt + stringsSize);
        int dataAt = align8(entriesAt + dataCount * DATA_ENTRY_SIZE);
        Writer w = new Writer(dataAt, stringsAt, entriesAt);

        int root = w.openDirectory(types.keySet(), types.size());
        List<Integer> typeDirectories = new ArrayList<>();
        int index = 0;
        for (var type : types.entrySet()) {
            int at = w.openDirectory(type.getValue().keySet(), type.getValue().size());
            typeDirectories.add(at);
            w.setEntry(root, index++, w.nameField(type.getKey()), at | HIGH_BIT);
        }
        int typeIndex = 0;
        for (var type : types.entrySet()) {
            int nameIndex = 0;
            for (var name : type.getValue().entrySet()) {
                int at = w.openDirectory(List.of(), name.getValue().size());
                w.setEntry(typeDirectories.get(typeIndex), nameIndex++, w.nameField(name.getKey()), at | HIGH_BIT);
                int languageIndex = 0;
                for (var language : name.getValue().entrySet()) {
                    w.setEntry(at, languageIndex++, language.getKey(), w.nextEntry);
                    w.grow(align8(w.size));
                    Data data = language.getValue();
                    Bytes.putU32(w.out, w.nextEntry, sectionRva + w.size);
                    Bytes.putU32(w.out, w.nextEntry + 4, data.bytes().length);
                    Bytes.putU32(w.out, w.nextEntry + 8, data.codePage());
                    w.nextEntry += DATA_ENTRY_SIZE;
                    w.append(data.bytes());
                }
            }
            ++typeIndex;
        }
        w.grow(align8(w.size));
        return Arrays.copyOf(w.out, w.size);
    }

    private static int stringSize(ResourceKey key) {
        return key.named() ? 2 + 2 * key.name().length() : 0;
    }

    private static int align8(int n) {
        return (n + 7) & ~7;
    }

    /** The section being written: its bytes and where the next directory, string and data entry go. */
    private static final class Writer {
        byte[] out;
        int size;
        int nextDirectory;
        int nextString;
        int nextEntry;

        Writer(int size, int stringsAt, int entriesAt) {
            this.out = new byte[Math.max(size, 64)];
            this.size = size;
            this.nextString = stringsAt;
            this.nextEntry = entriesAt;
        }

        void grow(int newSize) {
            if (newSize > out.length) {
                out = Arrays.copyOf(out, Math.max(newSize, out.length * 2));
            }
            size = newSize;
        }

        void append(byte[] bytes) {
            int at = size;
            grow(size + bytes.length);
            System.arraycopy(bytes, 0, out, at, bytes.length);
        }

        int openDirectory(Iterable<ResourceKey> keys, int count) {
            int at = nextDirectory;
            int named = 0;
            for (ResourceKey key : keys) {
                named += key.named() ? 1 : 0;
            }
            Bytes.putU16(out, at + 12, named);
            Bytes.putU16(out, at + 14, count - named);
            nextDirectory += DIRECTORY_SIZE + count * ENTRY_SIZE;
            return at;
        }

        void setEntry(int directory, int index, long name, long target) {
            int entry = directory + DIRECTORY_SIZE + index * ENTRY_SIZE;
            Bytes.putU32(out, entry, name);
            Bytes.putU32(out, entry + 4, target);
        }

        long nameField(ResourceKey key) {
            if (!key.named()) {
                return key.id();
            }
            int at = nextString;
            Bytes.putU16(out, at, key.name().length());
            for (int i = 0; i < key.name().length(); ++i) {
                Bytes.putU16(out, at + 2 + 2 * i, key.name().charAt(i));
            }
            nextString += 2 + 2 * key.name().length();
            return at | HIGH_BIT;
        }
    }
}
