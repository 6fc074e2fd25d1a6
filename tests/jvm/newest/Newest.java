// Compiled by the newest JDK installed, for its own version: an older VM
// refuses to load it with UnsupportedClassVersionError.
public final class Newest {
    private Newest() {}

    public static void main(String[] args) {
        System.out.println("Newest ran");
    }
}
