package example;

import java.awt.HeadlessException;
import java.awt.SplashScreen;
import java.util.Arrays;

/** The demo application: greets, and shows what it was started with. */
public final class Hello {
    private Hello() {}

    public static void main(String[] args) throws InterruptedException {
        System.out.println("Hello from Java " + System.getProperty("java.version")
                + " (" + System.getProperty("java.vm.name") + ")");
        System.out.println("arguments: " + Arrays.toString(args));
        System.out.println("class path: " + System.getProperty("java.class.path"));
        System.out.println("max heap: " + (Runtime.getRuntime().maxMemory() >> 20) + " MB");
        System.out.println("KOV_JVM_HOME: " + System.getenv("KOV_JVM_HOME"));
        // The runtime's own splash screen, when the launcher started it: left
        // up for a moment, so that the demo shows it.
        SplashScreen splash = splashScreen();
        System.out.println("splash screen: " + (splash == null ? "none" : splash.getBounds()));
        if (splash != null) {
            Thread.sleep(2000);
        }
    }

    private static SplashScreen splashScreen() {
        try {
            return SplashScreen.getSplashScreen();
        } catch (HeadlessException noDisplay) {
            return null;
        }
    }
}
