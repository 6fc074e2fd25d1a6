package example;

import java.util.Arrays;

/** The demo application: greets, and shows what it was started with. */
public final class Hello {
    private Hello() {}

    public static void main(String[] args) {
        System.out.println("Hello from Java " + System.getProperty("java.version")
                + " (" + System.getProperty("java.vm.name") + ")");
        System.out.println("arguments: " + Arrays.toString(args));
        System.out.println("class path: " + System.getProperty("java.class.path"));
        System.out.println("max heap: " + (Runtime.getRuntime().maxMemory() >> 20) + " MB");
        System.out.println("KOV_JVM_HOME: " + System.getenv("KOV_JVM_HOME"));
    }
}
