package dev.jlaunch.maven;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;
import static org.junit.jupiter.api.Assumptions.assumeTrue;

import dev.jlaunch.pack.IconFile;
import dev.jlaunch.pack.PeImage;
import dev.jlaunch.pack.Packer;
import dev.jlaunch.pack.ResourceKey;
import dev.jlaunch.pack.SealedEnvelope;
import dev.jlaunch.pack.VersionResource;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.concurrent.TimeUnit;
import java.util.stream.Stream;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * Real Maven on the sample projects with the plugin just built: each builds, its Linux launcher starts the
 * application on the installed JDK, and its exe starts it under Wine on a real Windows runtime when one is there.
 */
class SampleProjectsIT {
    record Run(int exitCode, String output) {}

    /**
     * @param name        the sample's folder and artifactId
     * @param exe         the exe's settings stem and whether it is the console launcher
     * @param code        the sample's Upgrade Code
     * @param libs        what lib/ must hold
     * @param embedded    lines the embedded settings must hold
     * @param printed     what the application prints when started with the argument "given"
     * @param fileVersion the exe's version numbers
     */
    record Sample(String name, boolean console, String code, List<String> libs, List<String> embedded, String printed,
                  String fileVersion) {}

    @TempDir
    static Path work;

    static Stream<Arguments> samples() {
        return Stream.of(
                Arguments.of(new Sample("swing-app", false, "{3F2A9C4E-7B1D-4E8A-9C2F-5D6E7A8B9C01}",
                        List.of("swing-app-1.4.0-SNAPSHOT.jar", "commons-lang3-3.17.0.jar"),
                        List.of("Main Class=com.acme.swing.App", "Class Path=lib\\*.jar", "Minimum Version=17",
                                "Virtual Machine Parameters=-Xmx25P \"-Dacme.title=Acme Swing App\"",
                                "Override WorkingDir=Yes", "Cmd=--from-settings"),
                        "swing-app: Acme Swing App args=given,--from-settings", "1.4.0.0")),
                Arguments.of(new Sample("modular-app", true, "{0C5E2B7A-1D3F-4A6B-8E9C-2F4A6B8C0D1E}",
                        List.of("modular-app-2.0.1.jar"),
                        List.of("Main Module=com.acme.modular/com.acme.modular.Main", "Module Path=lib",
                                "Add Modules=java.logging", "Main Class=com.acme.modular.Main"),
                        "modular-app: module com.acme.modular", "2.0.1.0")));
    }

    static Run run(Path directory, Map<String, String> environment, List<String> command)
            throws IOException, InterruptedException {
        ProcessBuilder builder = new ProcessBuilder(command).directory(directory.toFile()).redirectErrorStream(true);
        builder.environment().putAll(environment);
        Process process = builder.start();
        byte[] output = process.getInputStream().readAllBytes();
        assertTrue(process.waitFor(300, TimeUnit.SECONDS), "ended: " + command);
        return new Run(process.exitValue(), new String(output, StandardCharsets.UTF_8));
    }

    static Path copy(Path from, Path to) throws IOException {
        try (Stream<Path> files = Files.walk(from)) {
            for (Path file : (Iterable<Path>) files::iterator) {
                if (from.relativize(file).startsWith("target")) {
                    continue;
                }
                Path target = to.resolve(from.relativize(file).toString());
                if (Files.isDirectory(file)) {
                    Files.createDirectories(target);
                } else {
                    Files.copy(file, target);
                }
            }
        }
        return to;
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("samples")
    void sampleBuildsAndItsLaunchersStartIt(Sample sample) throws Exception {
        Path project = copy(Path.of(System.getProperty("jlaunch.samples")).resolve(sample.name()),
                work.resolve(sample.name()));
        Run build = run(project, Map.of(), List.of("mvn", "-B", "-Dmaven.repo.local="
                + System.getProperty("jlaunch.localRepository"), "-Djlaunch.pluginVersion="
                + System.getProperty("jlaunch.pluginVersion"), "package"));
        assertEquals(0, build.exitCode(), build.output());
        assertTrue(build.output().contains("jlaunch-maven-plugin:" + System.getProperty("jlaunch.pluginVersion")
                + ":pack"), build.output());
        Path out = project.resolve("target/jlaunch");
        for (String platform : new String[] {"windows", "linux"}) {
            for (String jar : sample.libs()) {
                assertTrue(Files.isRegularFile(out.resolve(platform).resolve("lib").resolve(jar)), platform + "/lib/" + jar);
            }
            String beside = Files.readString(out.resolve(platform).resolve(sample.name() + ".ini"));
            assertTrue(beside.contains("Upgrade Code=" + sample.code()), beside);
            byte[] launcher = Files.readAllBytes(out.resolve(platform).resolve(sample.name()
                    + (platform.equals("windows") ? ".exe" : "")));
            String settings = SealedEnvelope.open(Packer.envelopeOf(launcher), sample.code()).orElseThrow();
            for (String line : sample.embedded()) {
                assertTrue(settings.contains(line + "\r\n"), line + " in " + settings);
            }
        }
        PeImage exe = PeImage.parse(Files.readAllBytes(out.resolve("windows").resolve(sample.name() + ".exe")));
        assertEquals(exe.computedChecksum(), exe.headerChecksum());
        assertEquals(sample.console() ? 3 : 2, exe.subsystem());
        Path icon = project.resolve("src/jlaunch/app.ico");
        if (Files.exists(icon)) {
            assertArrayEquals(IconFile.read(Files.readAllBytes(icon), 1).group(), exe.resources()
                    .find(ResourceKey.number(ResourceKey.RT_GROUP_ICON), ResourceKey.number(1)).bytes());
        }
        assertEquals(sample.fileVersion(), VersionResource.text(VersionResource.fileVersionOf(exe.resources()
                .find(ResourceKey.number(ResourceKey.RT_VERSION), ResourceKey.number(1)).bytes())));

        Path linux = out.resolve("linux");
        Run started = run(linux, Map.of(), List.of(linux.resolve(sample.name()).toString(), "given"));
        assertEquals(0, started.exitCode(), started.output());
        assertTrue(started.output().contains(sample.printed()), started.output());

        windowsStartsOnTheJniDouble(sample, out.resolve("windows"));
        windowsStarts(sample, out.resolve("windows"));
    }

    /**
     * The exe on the JNI test double of the Windows build: the VM it creates gets the embedded options and the
     * class path of lib/, and main gets the embedded arguments after the command line's.
     */
    private static void windowsStartsOnTheJniDouble(Sample sample, Path folder) throws Exception {
        Path build = Path.of(System.getProperty("jlaunch.windowsBuild"));
        Path home = build.resolve("tests/fakes/homes/full");
        assertTrue(Files.isRegularFile(home.resolve("bin/server/jvm.dll")), "the JNI double in " + home);
        Path copy = Files.createDirectories(work.resolve(sample.name() + "-double"));
        copy(folder, copy);
        String mainClass = sample.embedded().stream().filter(l -> l.startsWith("Main Class="))
                .map(l -> l.substring("Main Class=".length())).findFirst()
                .orElse(sample.name().equals("swing-app") ? "com.acme.swing.App" : "");
        Path script = copy.resolve("double.txt");
        Files.writeString(script, "[class " + mainClass.replace('.', '/') + "]\nmain = static\n"
                + "action = print-out started on the double\n");
        Path ini = copy.resolve(sample.name() + ".ini");
        Files.writeString(ini, Files.readString(ini) + "[Java Runtime Environment]\r\nJRE Path=" + windowsPath(home)
                + "\r\n");
        Path trace = copy.resolve("trace.txt");
        Run started = run(copy, Map.of("JLAUNCH_WINE_ROOT", build.toString(), "JLAUNCH_FAKE_JVM_SCRIPT",
                windowsPath(script), "JLAUNCH_FAKE_JVM_TRACE", windowsPath(trace)), List.of("bash",
                System.getProperty("jlaunch.wineRun"), sample.name() + ".exe", "given"));
        String traced = Files.readString(trace);
        assertEquals(0, started.exitCode(), started.output() + traced);
        assertTrue(traced.contains("MAIN-ENTER " + mainClass.replace('.', '/')), traced);
        assertTrue(traced.contains("ARG 0 given"), traced);
        // The trace doubles each backslash of an option.
        String classPath = traced.lines().filter(l -> l.matches("OPTION \\d+ -Djava\\.class\\.path=.*")).findFirst()
                .orElse("");
        for (String jar : sample.libs()) {
            assertTrue(classPath.contains("\\\\lib\\\\" + jar), jar + " on the class path: " + traced);
        }
    }

    private static String windowsPath(Path path) {
        return "Z:" + path.toAbsolutePath().toString().replace('/', '\\');
    }

    /** The exe on the real Windows runtime: the console one prints, the GUI one writes its "Output File". */
    private static void windowsStarts(Sample sample, Path folder) throws Exception {
        String runtime = System.getProperty("jlaunch.windowsRuntime", "");
        assumeTrue(!runtime.isEmpty() && Files.isDirectory(Path.of(runtime).resolve("bin")),
                "a Windows Java runtime for the exes under Wine");
        String beside = "[Java Runtime Environment]\r\nJRE Path=Z:" + runtime.replace('/', '\\') + "\r\n"
                + "[Java Runtime Environment+]\r\nVirtual Machine Parameters=-XX:ActiveProcessorCount=2 "
                + "-Dacme.printOnly=true\r\n[Application]\r\nOutput File=out.log\r\n";
        Path ini = folder.resolve(sample.name() + ".ini");
        Files.writeString(ini, Files.readString(ini) + beside);
        List<String> command = new ArrayList<>(List.of("bash", System.getProperty("jlaunch.wineRun"),
                sample.name() + ".exe", "given"));
        Run started = run(folder, Map.of("JLAUNCH_WINE_ROOT", System.getProperty("jlaunch.windowsBuild")), command);
        assertEquals(0, started.exitCode(), started.output());
        String printed = Files.readString(folder.resolve("out.log"));
        assertTrue(printed.contains(sample.printed()), printed);
    }
}
