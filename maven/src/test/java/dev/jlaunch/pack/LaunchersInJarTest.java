package dev.jlaunch.pack;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertNotNull;

import java.io.InputStream;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.ValueSource;

/** The plugin carries the C++ build's launchers unchanged: it needs nothing native on the build machine. */
class LaunchersInJarTest {
    @ParameterizedTest
    @ValueSource(strings = {"windows/jlaunch.exe", "windows/jlaunchc.exe", "linux/jlaunch"})
    void launcherIsAResourceOfThePlugin(String launcher) throws Exception {
        try (InputStream in = getClass().getResourceAsStream("/dev/jlaunch/launchers/" + launcher)) {
            assertNotNull(in, launcher + " is missing: build both CMake presets before the plugin");
            assertArrayEquals(NativeTools.launcher(launcher), in.readAllBytes());
        }
    }
}
