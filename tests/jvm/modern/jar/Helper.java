// Lives in a jar of its own, found through the manifest's Class-Path.
public final class Helper {
    private Helper() {}

    public static String name() {
        return "lib/helper.jar";
    }
}
