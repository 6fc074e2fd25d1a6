package dev.jlaunch.pack;

import static org.junit.jupiter.api.Assumptions.assumeTrue;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.concurrent.TimeUnit;

/** The C++ build's programs the differential tests run: jlaunch-pack, the launchers, Wine. */
final class NativeTools {
    static final Path DIST = Path.of(System.getProperty("jlaunch.dist", "../dist")).toAbsolutePath().normalize();

    /** A finished process: exit code and its output and error text together. */
    record Run(int exitCode, String output) {}

    private NativeTools() {}

    /** The Linux build's folder; the test is skipped (build.sh always names it) when it is not given. */
    static Path nativeBuild() {
        String folder = System.getProperty("jlaunch.nativeBuild", "");
        assumeTrue(!folder.isEmpty(), "jlaunch.nativeBuild names the Linux build folder");
        return Path.of(folder);
    }

    static Path windowsBuild() {
        String folder = System.getProperty("jlaunch.windowsBuild", "");
        assumeTrue(!folder.isEmpty(), "jlaunch.windowsBuild names the Windows build folder");
        return Path.of(folder);
    }

    static byte[] launcher(String platformAndName) throws IOException {
        return Files.readAllBytes(DIST.resolve(platformAndName));
    }

    static Run run(Path directory, Map<String, String> environment, List<String> command)
            throws IOException, InterruptedException {
        ProcessBuilder builder = new ProcessBuilder(command).directory(directory.toFile()).redirectErrorStream(true);
        builder.environment().putAll(environment);
        Process process = builder.start();
        byte[] output = process.getInputStream().readAllBytes();
        if (!process.waitFor(180, TimeUnit.SECONDS)) {
            process.destroyForcibly();
            throw new IOException("timed out: " + command);
        }
        return new Run(process.exitValue(), new String(output, StandardCharsets.UTF_8));
    }

    /** A Windows program under Wine, in the Windows build's private prefix. */
    static Run wine(Path directory, String... arguments) throws IOException, InterruptedException {
        List<String> command = new ArrayList<>(List.of("bash", System.getProperty("jlaunch.wineRun")));
        command.addAll(List.of(arguments));
        return run(directory, Map.of("JLAUNCH_WINE_ROOT", windowsBuild().toString()), command);
    }
}
