package dev.jlaunch.pack;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertNotEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.Optional;
import java.util.stream.Stream;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * One format, two writers: jlaunch-pack (C++) and the Java packer on the same inputs, with the salt and nonce
 * fixed, make the same bytes; with fresh ones each reads what the other wrote; and Windows (under Wine) loads
 * what Java wrote, checks its checksum, and the exe reads its settings.
 */
class DifferentialTest {
    static final String CODE = "{A1B2C3D4-E5F6-4711-8899-AABBCCDDEEFF}";
    static final byte[] SALT = Bytes.hex("00112233445566778899aabbccddeeff");
    static final byte[] NONCE = Bytes.hex("0102030405060708090a0b0c");
    // LF line ends and a byte-order mark: both packers hand the launcher CR LF text without it.
    static final String SETTINGS = "\uFEFF; the application\n[Product Information]\nUpgrade Code=" + CODE
            + "\nProduct Name=Acme Tool\n[Java Runtime Environment]\nMain Class=com.acme.Tool\n"
            + "JRE Path=C:\\nowhere\\jre\n[Application]\nCmd=--from-resource \"Grüße\"\n";

    @TempDir
    Path work;

    static Stream<Arguments> packings() {
        List<String> branded = List.of("--icon", Vectors.ROOT.resolve("tests/vectors/png-and-bitmap.ico").toString(),
                "--version", "2.5.0.17", "--name", "Acme Tool", "--company", "Acme Ltd", "--copyright", "(c) Acme",
                "--description", "Acme's tool", "--execution-level", "highestAvailable");
        return Stream.of(
                Arguments.of("windows/jlaunch.exe", "Tool.exe", branded),
                Arguments.of("windows/jlaunchc.exe", "tool.exe", branded),
                Arguments.of("windows/jlaunch.exe", "plain.exe", List.of()),
                Arguments.of("windows/jlaunchc.exe", "a.b.exe", List.of("--version", "7", "--execution-level",
                        "requireAdministrator")),
                Arguments.of("linux/jlaunch", "tool", List.of()));
    }

    /** The Java packer with the options jlaunch-pack takes. */
    static byte[] javaPack(byte[] launcher, String fileName, List<String> options, byte[] salt, byte[] nonce)
            throws Exception {
        PackSettings settings = PackSettings.read(SETTINGS.getBytes(StandardCharsets.UTF_8));
        byte[] envelope = salt == null ? SealedEnvelope.seal(settings.text(), settings.upgradeCode())
                : SealedEnvelope.seal(settings.text(), settings.upgradeCode(), SealedEnvelope.ITERATIONS, salt, nonce);
        if (Packer.isElf(launcher)) {
            return Packer.packLinux(launcher, envelope);
        }
        Map<String, String> o = new java.util.HashMap<>();
        for (int i = 0; i + 1 < options.size(); i += 2) {
            o.put(options.get(i), options.get(i + 1));
        }
        byte[] icon = o.containsKey("--icon") ? Files.readAllBytes(Path.of(o.get("--icon"))) : null;
        return Packer.packWindows(launcher, envelope, new Packer.Branding(fileName, icon, o.get("--version"),
                o.getOrDefault("--name", ""), o.getOrDefault("--company", ""), o.getOrDefault("--copyright", ""),
                o.getOrDefault("--description", ""), o.get("--execution-level")));
    }

    /** jlaunch-pack's output for the same packing. */
    byte[] nativePack(String launcher, String fileName, List<String> options, boolean fixed) throws Exception {
        Path settings = work.resolve("app.ini");
        Files.writeString(settings, SETTINGS, StandardCharsets.UTF_8);
        Path out = work.resolve("native").resolve(fileName);
        Files.createDirectories(out.getParent());
        List<String> command = new ArrayList<>(List.of(NativeTools.nativeBuild().resolve("jlaunch-pack").toString(),
                "--launcher", NativeTools.DIST.resolve(launcher).toString(), "--settings", settings.toString(),
                "--out", out.toString()));
        command.addAll(options);
        Map<String, String> environment = fixed
                ? Map.of("JLAUNCH_PACK_FIXED_SALT_NONCE", Bytes.hex(SALT) + Bytes.hex(NONCE)) : Map.of();
        NativeTools.Run run = NativeTools.run(work, environment, command);
        assertEquals(0, run.exitCode(), run.output());
        assertEquals(fixed, run.output().contains("salt and nonce fixed"), run.output());
        return Files.readAllBytes(out);
    }

    @ParameterizedTest
    @MethodSource("packings")
    void bothWritersMakeTheSameBytes(String launcher, String fileName, List<String> options) throws Exception {
        byte[] expected = nativePack(launcher, fileName, options, true);
        byte[] actual = javaPack(NativeTools.launcher(launcher), fileName, options, SALT, NONCE);
        assertEquals(expected.length, actual.length);
        assertArrayEquals(expected, actual);
        if (!Packer.isElf(actual)) {
            PeImage image = PeImage.parse(actual);
            assertEquals(image.computedChecksum(), image.headerChecksum());
            assertEquals(PeImage.parse(expected).resources(), image.resources());
        }
    }

    @ParameterizedTest
    @MethodSource("packings")
    void eachReadsWhatTheOtherWrote(String launcher, String fileName, List<String> options) throws Exception {
        String text = PackSettings.read(SETTINGS.getBytes(StandardCharsets.UTF_8)).text();
        byte[] fromNative = nativePack(launcher, fileName, options, false);
        assertEquals(Optional.of(text), SealedEnvelope.open(Packer.envelopeOf(fromNative), CODE));
        byte[] fromJava = javaPack(NativeTools.launcher(launcher), fileName, options, null, null);
        assertNotEquals(Bytes.hex(Packer.envelopeOf(fromJava)), Bytes.hex(Packer.envelopeOf(fromNative)));
        // jlaunch-pack repacks what Java packed: it finds and replaces the settings Java embedded.
        Path javaOut = work.resolve("java-" + fileName);
        Files.write(javaOut, fromJava);
        Path settings = work.resolve("app.ini");
        Path repacked = work.resolve("repacked-" + fileName);
        NativeTools.Run run = NativeTools.run(work, Map.of(), List.of(
                NativeTools.nativeBuild().resolve("jlaunch-pack").toString(), "--launcher", javaOut.toString(),
                "--settings", settings.toString(), "--out", repacked.toString()));
        assertEquals(0, run.exitCode(), run.output());
        byte[] twice = Files.readAllBytes(repacked);
        assertEquals(Optional.of(text), SealedEnvelope.open(Packer.envelopeOf(twice), CODE));
        if (Packer.isElf(twice)) {
            assertEquals(fromJava.length, twice.length, "one envelope replaced the other");
        }
    }
}
