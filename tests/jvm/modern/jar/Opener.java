import java.lang.reflect.Field;

// Reads a private field of java.lang.String, which only the jar's Add-Opens
// allows, and calls a class from a jar its Class-Path names.
public final class Opener {
    private Opener() {}

    public static void main(String[] args) throws ReflectiveOperationException {
        Field value = String.class.getDeclaredField("value");
        value.setAccessible(true);
        System.out.println("opened:" + (value.get("abc") != null) + " from:" + Helper.name());
        System.out.println("command=" + System.getProperty("sun.java.command"));
    }
}
