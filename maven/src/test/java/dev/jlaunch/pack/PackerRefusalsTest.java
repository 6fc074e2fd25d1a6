package dev.jlaunch.pack;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.charset.StandardCharsets;
import java.util.Arrays;
import java.util.stream.Stream;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/** Bad inputs end in a message that names the fault, never in a broken executable. */
class PackerRefusalsTest {
    interface Packing {
        byte[] pack() throws Exception;
    }

    static final byte[] ENVELOPE = new byte[60];

    static Branding branded(byte[] icon, String version, String level) {
        return new Branding("t.exe", icon, version, "", "", "", "", level);
    }

    record Branding(String fileName, byte[] icon, String version, String name, String company, String copyright,
                    String description, String level) {
        Packer.Branding real() {
            return new Packer.Branding(fileName, icon, version, name, company, copyright, description, level);
        }
    }

    static Stream<Arguments> refusals() throws Exception {
        byte[] exe = NativeTools.launcher("windows/jlaunch.exe");
        byte[] elf = NativeTools.launcher("linux/jlaunch");
        byte[] notIcon = Vectors.read("icons.txt").isEmpty() ? null
                : java.nio.file.Files.readAllBytes(Vectors.FOLDER.resolve("not-an-icon.ico"));
        byte[] foreignManifest = new String(exe, StandardCharsets.ISO_8859_1)
                .replace("jlaunch.launcher", "another.launcher").getBytes(StandardCharsets.ISO_8859_1);
        byte[] elfWithoutMark = new String(elf, StandardCharsets.ISO_8859_1).replace(".jlaunch\0", ".jfoobar\0")
                .getBytes(StandardCharsets.ISO_8859_1);
        byte[] overlay = Arrays.copyOf(exe, exe.length + 16);
        overlay[overlay.length - 1] = 1;
        return Stream.of(
                Arguments.of("an icon that is not one", (Packing) () -> Packer.packWindows(exe, ENVELOPE,
                        branded(notIcon, null, null).real()), "not an icon file"),
                Arguments.of("a version of five numbers", (Packing) () -> Packer.packWindows(exe, ENVELOPE,
                        branded(null, "1.2.3.4.5", null).real()), "one to four numbers"),
                Arguments.of("a version number too large", (Packing) () -> Packer.packWindows(exe, ENVELOPE,
                        branded(null, "70000", null).real()), "one to four numbers"),
                Arguments.of("an unknown execution level", (Packing) () -> Packer.packWindows(exe, ENVELOPE,
                        branded(null, null, "root").real()), "execution level must be"),
                Arguments.of("an exe that is not a jlaunch launcher", (Packing) () -> Packer.packWindows(
                        foreignManifest, ENVELOPE, branded(null, null, null).real()), "not a jlaunch launcher"),
                Arguments.of("a Linux launcher as the Windows one", (Packing) () -> Packer.packWindows(elf, ENVELOPE,
                        branded(null, null, null).real()), "no MZ header"),
                Arguments.of("data after the exe's image", (Packing) () -> Packer.packWindows(overlay, ENVELOPE,
                        branded(null, null, null).real()), "carries data after its image"),
                Arguments.of("an ELF file that is not a jlaunch launcher", (Packing) () -> Packer.packLinux(
                        elfWithoutMark, ENVELOPE), "no .jlaunch section"),
                Arguments.of("the exe as the Linux launcher", (Packing) () -> Packer.packLinux(exe, ENVELOPE),
                        "not a jlaunch launcher"),
                Arguments.of("settings without an Upgrade Code", (Packing) () -> PackSettings.read(
                        "[Java Runtime Environment]\nMain Class=a.B\n".getBytes(StandardCharsets.UTF_8)).text()
                        .getBytes(StandardCharsets.UTF_8), "no \"Upgrade Code\""),
                Arguments.of("settings with a key before any section", (Packing) () -> PackSettings.read(
                        "Main Class=a.B\n[Product Information]\nUpgrade Code=x\n".getBytes(StandardCharsets.UTF_8))
                        .text().getBytes(StandardCharsets.UTF_8), "settings line 1: a key before any section"),
                Arguments.of("settings with an unclosed header", (Packing) () -> PackSettings.read(
                        "[Product Information]\nUpgrade Code=x\n[Display\n".getBytes(StandardCharsets.UTF_8))
                        .text().getBytes(StandardCharsets.UTF_8), "settings line 3: a section header without"),
                Arguments.of("settings that are not text", (Packing) () -> PackSettings.read(
                        "[A]\nb=\0\n".getBytes(StandardCharsets.UTF_8)).text().getBytes(StandardCharsets.UTF_8),
                        "not text"));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("refusals")
    void refused(String name, Packing packing, String message) {
        PackException e = assertThrows(PackException.class, packing::pack);
        assertTrue(e.getMessage().contains(message), e.getMessage());
    }

    static Stream<Arguments> settingsFiles() {
        return Stream.of(
                Arguments.of("UTF-8, LF", bytes("[Product Information]\nUpgrade Code=\"{A}\"\nProduct Name=P\n", null),
                        "{A}", "P", "[Product Information]\r\nUpgrade Code=\"{A}\"\r\nProduct Name=P\r\n\r\n"),
                Arguments.of("UTF-16LE with mark, lone CR", bytes("[product information]\rupgrade code=Ü\r",
                        StandardCharsets.UTF_16LE), "Ü", "", "[product information]\r\nupgrade code=Ü\r\n\r\n"),
                Arguments.of("Latin-1 without mark, first code counts", latin1(
                        "[Product Information]\r\nUpgrade Code=\u00e9\r\nUpgrade Code=2\r\n"), "\u00e9", "",
                        "[Product Information]\r\nUpgrade Code=\u00e9\r\nUpgrade Code=2\r\n\r\n"));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("settingsFiles")
    void settingsFileRead(String name, byte[] file, String code, String productName, String text) throws Exception {
        PackSettings settings = PackSettings.read(file);
        assertEquals(code, settings.upgradeCode());
        assertEquals(productName, settings.productName());
        assertEquals(text, settings.text());
    }

    private static byte[] bytes(String text, java.nio.charset.Charset utf16) {
        if (utf16 == null) {
            return text.getBytes(StandardCharsets.UTF_8);
        }
        byte[] body = text.getBytes(utf16);
        byte[] out = new byte[body.length + 2];
        out[0] = (byte) 0xFF;
        out[1] = (byte) 0xFE;
        System.arraycopy(body, 0, out, 2, body.length);
        return out;
    }

    private static byte[] latin1(String text) {
        return text.getBytes(StandardCharsets.ISO_8859_1);
    }
}
