package dev.jlaunch.pack;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.stream.Stream;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/**
 * The plugin names what the launcher would not read as jlaunch-pack --check names it: the same lines for
 * each settings file, and no line for a file that holds every key README's settings table lists.
 */
class SettingNamesTest {
    static final String MAIN = "[Java Runtime Environment]\nMain Class=a.B\n";

    @TempDir
    Path work;

    static Stream<Arguments> files() throws Exception {
        return Stream.of(
                Arguments.of("a clean file with comments and other letter case",
                        MAIN + "; note=1\n# also=2\nminimum version = 17\n[application]\nCmd=x\n", List.of()),
                Arguments.of("misspelt key", MAIN + "Virtual Machine Parametres=-Xmx1g\n", List.of(
                        "unknown key \"Virtual Machine Parametres\" in [Java Runtime Environment] is not read; did you "
                                + "mean [Java Runtime Environment] Virtual Machine Parameters?")),
                Arguments.of("misspelt sections, one extended, one far from any",
                        MAIN + "[Aplication]\nCmd=x\n[Aplication+]\nCmd=y\n[Nothing]\nk=v\n", List.of(
                                "unknown section [Aplication] is not read; did you mean [Application]?",
                                "unknown section [Aplication+] is not read; did you mean [Application+]?",
                                "unknown section [Nothing] is not read")),
                Arguments.of("a key in the wrong section, and one never layered in a + section",
                        MAIN + "[Application]\nMain Class=c.D\n[Display+]\nSplash Screen=s.png\n", List.of(
                                "unknown key \"Main Class\" in [Application] is not read; did you mean "
                                        + "[Java Runtime Environment] Main Class?",
                                "unknown key \"Splash Screen\" in [Display+] is not read; did you mean [Display] "
                                        + "Splash Screen?")),
                Arguments.of("a section and a key written twice",
                        MAIN + "main class=x.Y\n[java runtime environment]\nMinimum Version=1\n", List.of(
                                "key \"main class\" appears again in [Java Runtime Environment]: only the first is read",
                                "section [java runtime environment] appears again: only its first appearance is read")),
                Arguments.of("a name far from every key", MAIN + "[Application]\nColour=blue\n", List.of(
                        "unknown key \"Colour\" in [Application] is not read")),
                Arguments.of("every key of README's table, and each layered one in its + section", everyKey(),
                        List.of()));
    }

    /** A file of every key README's settings table lists, each layered one again in its "+" section. */
    static String everyKey() throws Exception {
        Map<String, StringBuilder> sections = new LinkedHashMap<>();
        boolean inTable = false;
        for (String line : Files.readAllLines(Vectors.ROOT.resolve("README.md"))) {
            if (line.equals("| Section | Key | Example: when to use it |")) {
                inTable = true;
            } else if (inTable && !line.startsWith("|")) {
                break;
            } else if (inTable && !line.startsWith("|---")) {
                String[] cells = line.split(" \\| ");
                String section = cells[0].substring(2);
                for (String key : cells[1].split(", ")) {
                    sections.computeIfAbsent(section, s -> new StringBuilder()).append(key).append("=1\n");
                    if (SettingNames.KEYS.stream().anyMatch(k -> k.name().equals(key) && k.layered())) {
                        sections.computeIfAbsent(section + "+", s -> new StringBuilder()).append(key).append("=1\n");
                    }
                }
            }
        }
        StringBuilder file = new StringBuilder();
        sections.forEach((section, keys) -> file.append('[').append(section).append("]\n").append(keys));
        return file.toString();
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("files")
    void namesAsJlaunchPackNamesThem(String name, String text, List<String> expected) throws Exception {
        assertEquals(expected, SettingNames.check(text));
        Path file = work.resolve("app.ini");
        Files.writeString(file, text, StandardCharsets.UTF_8);
        NativeTools.Run run = NativeTools.run(work, Map.of(), List.of(
                NativeTools.nativeBuild().resolve("jlaunch-pack").toString(), "--check", file.toString()));
        List<String> names = new ArrayList<>();
        String prefix = "jlaunch-pack: " + file + ": ";
        for (String line : run.output().split("\n")) {
            String notice = line.startsWith(prefix) ? line.substring(prefix.length()) : "";
            // Values are the launcher's to judge; names are what the plugin checks.
            if (notice.startsWith("unknown ") || notice.startsWith("section [") || notice.startsWith("key \"")) {
                names.add(notice);
            }
        }
        assertEquals(expected, names, run.output());
    }

    @Test
    void everyKnownKeyIsInReadmesTable() throws Exception {
        List<String> every = List.of(everyKey().split("\n"));
        for (SettingNames.Key key : SettingNames.KEYS) {
            String header = "[" + key.section() + "]";
            int at = every.indexOf(header);
            int end = at + 1;
            while (end < every.size() && !every.get(end).startsWith("[")) {
                ++end;
            }
            assertTrue(at >= 0 && every.subList(at + 1, end).contains(key.name() + "=1"), key.toString());
        }
    }
}
