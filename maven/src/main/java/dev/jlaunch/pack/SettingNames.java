package dev.jlaunch.pack;

import java.util.ArrayList;
import java.util.List;
import java.util.Locale;

/**
 * The sections and keys the launcher reads, and what a settings file holds beyond them: each unknown section
 * or key with the nearest known name, and each section or key written twice. The lines read as jlaunch-pack
 * writes them; the tests hold both to the same table of files.
 */
public final class SettingNames {
    static final String PRODUCT = "Product Information";
    static final String JRE = "Java Runtime Environment";
    static final String APPLICATION = "Application";
    static final String CLASS_PATH = "Class Path";
    static final String DISPLAY = "Display";

    /** A key and whether a "+" section may extend it. */
    record Key(String section, String name, boolean layered) {}

    static final List<String> SECTIONS = List.of(PRODUCT, JRE, APPLICATION, CLASS_PATH, DISPLAY);

    /** In the launcher's order of reading, which the nearest-name search follows on a tie. */
    static final List<Key> KEYS = List.of(
            new Key(PRODUCT, "Product Code", false), new Key(PRODUCT, "Upgrade Code", false),
            new Key(PRODUCT, "Product Name", false), new Key(JRE, "Minimum Version", true),
            new Key(JRE, "Maximum Version", true), new Key(APPLICATION, "Application Type", true),
            new Key(JRE, "Preferred versions", true), new Key(JRE, "JRE Path", true), new Key(JRE, "JVM Type", true),
            new Key(JRE, "JVM Source", true), new Key(JRE, "VM Provider", true), new Key(JRE, "Main Module", true),
            new Key(JRE, "Main Jar", true), new Key(JRE, "Module Path", true), new Key(JRE, "Add Modules", true),
            new Key(JRE, "Main Class", true), new Key(APPLICATION, "Failure Check", true),
            new Key(APPLICATION, "Override WorkingDir", true), new Key(JRE, "System Path", true),
            new Key(JRE, "Library Path", true), new Key(APPLICATION, "Pair Product", true),
            new Key(APPLICATION, "Pair Return Code", true), new Key(APPLICATION, "Single Instance", true),
            new Key(APPLICATION, "Restart Code", true), new Key(JRE, "Startup Cache", true),
            new Key(JRE, "Download URL", true), new Key(CLASS_PATH, "Class Path", true),
            new Key(APPLICATION, "Embedded Jar", true), new Key(JRE, "Virtual Machine Parameters", true),
            new Key(APPLICATION, "Output File", true), new Key(APPLICATION, "Output Append", true),
            new Key(APPLICATION, "Error File", true), new Key(APPLICATION, "Error Append", true),
            new Key(APPLICATION, "Cmd", true), new Key(APPLICATION, "App User Model ID", true),
            new Key(DISPLAY, "Splash Screen", false), new Key(DISPLAY, "Splash Screen Shadow", false),
            new Key(DISPLAY, "Preffer Native Splash Screen", false));

    private record Section(String name, List<String> keys) {}

    private SettingNames() {}

    /**
     * The notices on a settings file's text, its names compared as the launcher compares them in the file
     * beside it: letter case and surrounding blanks aside.
     */
    public static List<String> check(String text) {
        List<Section> sections = outline(text);
        List<String> notices = new ArrayList<>();
        List<String> seen = new ArrayList<>();
        for (Section section : sections) {
            if (seen.stream().anyMatch(earlier -> same(earlier, section.name))) {
                notices.add("section [" + section.name + "] appears again: only its first appearance is read");
                continue;
            }
            seen.add(section.name);
            boolean extension = section.name.endsWith("+");
            String base = extension ? section.name.substring(0, section.name.length() - 1) : section.name;
            String known = SECTIONS.stream().filter(s -> same(s, base)).findFirst().orElse(null);
            if (known == null) {
                String suggestion = nearestSection(base);
                notices.add(unknown("section [" + section.name + "]",
                        suggestion == null ? null : "[" + suggestion + (extension ? "+" : "") + "]"));
                continue;
            }
            checkKeys(section, known, extension, notices);
        }
        return notices;
    }

    /** The name a known section or key is written with; null for a name the launcher does not know. */
    public static String knownSection(String name) {
        return SECTIONS.stream().filter(s -> same(s, name)).findFirst().orElse(null);
    }

    public static String knownKey(String section, String name) {
        return KEYS.stream().filter(k -> k.section.equals(section) && same(k.name, name)).map(Key::name)
                .findFirst().orElse(null);
    }

    private static void checkKeys(Section section, String base, boolean extension, List<String> notices) {
        List<String> seen = new ArrayList<>();
        for (String key : section.keys) {
            if (key.startsWith("#")) {
                continue;  // a comment to the packaging tool and to people
            }
            if (seen.stream().anyMatch(earlier -> same(earlier, key))) {
                notices.add("key \"" + key + "\" appears again in [" + section.name + "]: only the first is read");
                continue;
            }
            seen.add(key);
            boolean known = KEYS.stream().anyMatch(k -> k.section.equals(base) && same(k.name, key)
                    && (!extension || k.layered));
            if (!known) {
                notices.add(unknown("key \"" + key + "\" in [" + section.name + "]", nearestKey(key)));
            }
        }
    }

    private static String unknown(String what, String suggestion) {
        return "unknown " + what + " is not read" + (suggestion == null ? "" : "; did you mean " + suggestion + "?");
    }

    /** The sections of a file with the names of their keys, both trimmed; a repeated section lists none. */
    private static List<Section> outline(String text) {
        List<Section> sections = new ArrayList<>();
        Section current = null;
        for (String line : text.split("\r\n|\r|\n")) {
            String content = trim(line.startsWith("\uFEFF") ? line.substring(1) : line);
            int close = content.lastIndexOf(']');
            if (content.startsWith("[") && close > 0) {
                String name = trim(content.substring(1, close));
                boolean repeated = sections.stream().anyMatch(s -> same(s.name, name));
                current = new Section(name, new ArrayList<>());
                sections.add(current);
                if (repeated) {
                    current = null;
                }
            } else if (current != null && content.indexOf('=') >= 0) {
                String key = trim(content.substring(0, content.indexOf('=')));
                if (!key.isEmpty() && !key.startsWith(";")) {
                    current.keys.add(key);
                }
            }
        }
        return sections;
    }

    private static String nearestSection(String name) {
        String best = null;
        int bestDistance = name.length() + 1;
        for (String known : SECTIONS) {
            int distance = editDistance(name, known);
            if (distance < bestDistance) {
                best = known;
                bestDistance = distance;
            }
        }
        return isNear(bestDistance, name) ? best : null;
    }

    private static String nearestKey(String name) {
        Key best = null;
        int bestDistance = name.length() + 1;
        for (Key known : KEYS) {
            int distance = editDistance(name, known.name);
            if (distance < bestDistance) {
                best = known;
                bestDistance = distance;
            }
        }
        return best == null || !isNear(bestDistance, name) ? null : "[" + best.section + "] " + best.name;
    }

    /** Close enough to be a slip of the pen: a few letters for a long name. */
    private static boolean isNear(int distance, String written) {
        return distance <= Math.max(2, written.length() / 4);
    }

    /** Edits (insert, delete, replace) from one name to the other, letter case aside. */
    static int editDistance(String a, String b) {
        int[] row = new int[b.length() + 1];
        for (int j = 0; j <= b.length(); ++j) {
            row[j] = j;
        }
        for (int i = 1; i <= a.length(); ++i) {
            int diagonal = row[0];
            row[0] = i;
            for (int j = 1; j <= b.length(); ++j) {
                int above = row[j];
                int replace = diagonal + (fold(a.charAt(i - 1)) == fold(b.charAt(j - 1)) ? 0 : 1);
                row[j] = Math.min(Math.min(row[j] + 1, row[j - 1] + 1), replace);
                diagonal = above;
            }
        }
        return row[b.length()];
    }

    private static char fold(char c) {
        return c >= 'A' && c <= 'Z' ? (char) (c + ('a' - 'A')) : c;
    }

    private static boolean same(String a, String b) {
        return trim(a).toLowerCase(Locale.ROOT).equals(trim(b).toLowerCase(Locale.ROOT));
    }

    private static String trim(String text) {
        int start = 0;
        int end = text.length();
        while (start < end && " \t\r\n\u000B\f".indexOf(text.charAt(start)) >= 0) {
            ++start;
        }
        while (end > start && " \t\r\n\u000B\f".indexOf(text.charAt(end - 1)) >= 0) {
            --end;
        }
        return text.substring(start, end);
    }
}
