package dev.jlaunch.pack;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;
import java.util.Map;
import java.util.stream.Stream;
import javax.tools.ToolProvider;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/** The C++ launchers and Windows itself (under Wine) read what the Java packer wrote. */
class LaunchersReadJavaPackingTest {
    static final String CODE = DifferentialTest.CODE;

    @TempDir
    Path work;

    @Test
    void linuxLauncherStartsTheApplicationItsEmbeddedSettingsName() throws Exception {
        NativeTools.nativeBuild();
        Path classes = Files.createDirectories(work.resolve("classes"));
        Path source = work.resolve("Hello.java");
        Files.writeString(source, "public class Hello { public static void main(String[] a) {"
                + " System.out.println(\"hello \" + String.join(\"|\", a)); } }");
        assertEquals(0, ToolProvider.getSystemJavaCompiler().run(null, null, null, "-d", classes.toString(),
                source.toString()));
        String settings = "[Product Information]\nUpgrade Code=" + CODE + "\n[Java Runtime Environment]\n"
                + "Main Class=Hello\n[Class Path]\nClass Path=classes\n[Application]\nCmd=from-the-envelope\n";
        PackSettings packSettings = PackSettings.read(settings.getBytes(StandardCharsets.UTF_8));
        byte[] packed = Packer.packLinux(NativeTools.launcher("linux/jlaunch"),
                SealedEnvelope.seal(packSettings.text(), packSettings.upgradeCode()));
        Path app = work.resolve("hello");
        Files.write(app, packed);
        assertTrue(app.toFile().setExecutable(true));
        Files.writeString(work.resolve("hello.ini"), packSettings.besideLines());
        NativeTools.Run run = NativeTools.run(work, Map.of(), List.of(app.toString(), "given"));
        assertEquals(0, run.exitCode(), run.output());
        assertTrue(run.output().contains("hello given|from-the-envelope"), run.output());

        Files.writeString(work.resolve("hello.ini"), "[Product Information]\nUpgrade Code=wrong\n");
        NativeTools.Run wrong = NativeTools.run(work, Map.of(), List.of(app.toString()));
        assertEquals(255, wrong.exitCode(), wrong.output());
        assertTrue(wrong.output().contains("cannot be deciphered"), wrong.output());
    }

    static Stream<Arguments> windowsLaunchers() {
        return Stream.of(Arguments.of("jlaunch.exe", "Tool.exe"), Arguments.of("jlaunchc.exe", "tool.exe"));
    }

    @ParameterizedTest
    @MethodSource("windowsLaunchers")
    void windowsLoadsTheResourcesAndTheirChecksum(String launcher, String fileName) throws Exception {
        Path dump = NativeTools.windowsBuild().resolve("tests/windows/resource_dump.exe");
        Files.copy(dump, work.resolve("resource_dump.exe"));
        byte[] packed = DifferentialTest.javaPack(NativeTools.launcher("windows/" + launcher), fileName, List.of(
                "--icon", Vectors.ROOT.resolve("tests/vectors/png-and-bitmap.ico").toString(), "--version", "3.1",
                "--name", "Acme Tool", "--execution-level", "requireAdministrator"), null, null);
        Files.write(work.resolve(fileName), packed);
        NativeTools.Run checksum = NativeTools.wine(work, "resource_dump.exe", fileName, "--checksum");
        assertEquals(0, checksum.exitCode(), checksum.output());
        NativeTools.Run settings = NativeTools.wine(work, "resource_dump.exe", fileName, "--settings", CODE);
        assertEquals(0, settings.exitCode(), settings.output());
        assertTrue(settings.output().contains("Main Class=com.acme.Tool"), settings.output());
        NativeTools.Run listing = NativeTools.wine(work, "resource_dump.exe", fileName);
        assertEquals(0, listing.exitCode(), listing.output());
        for (String expected : new String[] {"#3 #1 ", "#3 #2 ", "#14 #1 ", "#16 #1 ", "#24 #1 ", "#10 JLAUNCH_SETTINGS 0 "}) {
            assertTrue(listing.output().contains(expected), expected + " in " + listing.output());
        }
    }

    static Stream<Arguments> consoleRuns() {
        String wide = "{Größe-日本}";
        return Stream.of(
                Arguments.of("the right code: the embedded JRE Path is searched", CODE, CODE, false,
                        "The Java Runtime Environment (JRE) was not found."),
                Arguments.of("a wrong code", CODE, "wrong", false, "cannot be deciphered with the"),
                Arguments.of("a code beyond ASCII in a UTF-16 file", wide, wide, true,
                        "The Java Runtime Environment (JRE) was not found."));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("consoleRuns")
    void consoleExeReadsItsEmbeddedSettings(String name, String embeddedCode, String besideCode, boolean utf16,
                                            String expected) throws Exception {
        NativeTools.windowsBuild();
        PackSettings settings = PackSettings.read(DifferentialTest.SETTINGS.replace(CODE, embeddedCode)
                .getBytes(StandardCharsets.UTF_8));
        byte[] packed = Packer.packWindows(NativeTools.launcher("windows/jlaunchc.exe"),
                SealedEnvelope.seal(settings.text(), settings.upgradeCode()), Packer.Branding.plain("tool.exe"));
        Files.write(work.resolve("tool.exe"), packed);
        String beside = "[Product Information]\r\nUpgrade Code=" + besideCode + "\r\n";
        Files.write(work.resolve("tool.ini"), utf16 ? ("\uFEFF" + beside).getBytes(StandardCharsets.UTF_16LE)
                : beside.getBytes(StandardCharsets.US_ASCII));
        NativeTools.Run run = NativeTools.wine(work, "tool.exe");
        assertEquals(255, run.exitCode(), name + ": " + run.output());
        assertTrue(run.output().contains(expected), name + ": " + run.output());
    }
}
