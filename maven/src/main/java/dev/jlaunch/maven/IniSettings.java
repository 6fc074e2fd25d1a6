package dev.jlaunch.maven;

import dev.jlaunch.pack.SettingNames;
import java.util.ArrayList;
import java.util.List;

/**
 * A settings file as sections of keys in file order, so that the plugin's parameters can be set over a
 * file of the user's own. Sections and keys are found ignoring ASCII case, as the launcher finds them.
 */
final class IniSettings {
    private record Entry(String key, String value) {}

    private static final class Section {
        final String name;
        final List<Entry> entries = new ArrayList<>();

        Section(String name) {
            this.name = name;
        }
    }

    private final List<Section> sections = new ArrayList<>();

    /**
     * The keys of a decoded file as the launcher reads them beside it; comments and blank lines are not kept.
     * Known names take the spelling the embedded settings need (they compare names exactly), and a section
     * written again adds nothing, as in the file.
     */
    static IniSettings parse(String text) {
        IniSettings settings = new IniSettings();
        Section current = null;
        for (String raw : text.split("\r\n|\r|\n")) {
            String line = raw.strip();
            if (line.startsWith("\uFEFF")) {
                line = line.substring(1).strip();
            }
            if (line.isEmpty() || line.startsWith(";") || line.startsWith("#")) {
                continue;
            }
            if (line.startsWith("[") && line.endsWith("]")) {
                String name = line.substring(1, line.length() - 1).strip();
                String known = SettingNames.knownSection(name);
                boolean again = settings.sections.stream().anyMatch(s -> s.name.equalsIgnoreCase(name));
                current = again ? null : settings.section(known == null ? name : known);
            } else if (current != null && line.indexOf('=') > 0) {
                int eq = line.indexOf('=');
                String key = line.substring(0, eq).strip();
                String known = SettingNames.knownKey(current.name, key);
                current.entries.add(new Entry(known == null ? key : known, line.substring(eq + 1).strip()));
            }
        }
        return settings;
    }

    /** Sets a key; a null value leaves the settings as they are. */
    IniSettings set(String section, String key, String value) {
        if (value == null) {
            return this;
        }
        Section target = section(section);
        for (int i = 0; i < target.entries.size(); ++i) {
            if (target.entries.get(i).key.equalsIgnoreCase(key)) {
                target.entries.set(i, new Entry(target.entries.get(i).key, value));
                return this;
            }
        }
        target.entries.add(new Entry(key, value));
        return this;
    }

    /** The value of a key; null when missing. */
    String get(String section, String key) {
        for (Section s : sections) {
            if (s.name.equalsIgnoreCase(section)) {
                for (Entry e : s.entries) {
                    if (e.key.equalsIgnoreCase(key)) {
                        return e.value;
                    }
                }
            }
        }
        return null;
    }

    /** Removes a key, so that it ships only in the file beside the launcher. */
    IniSettings remove(String section, String key) {
        for (Section s : sections) {
            if (s.name.equalsIgnoreCase(section)) {
                s.entries.removeIf(e -> e.key.equalsIgnoreCase(key));
            }
        }
        return this;
    }

    private Section section(String name) {
        for (Section s : sections) {
            if (s.name.equalsIgnoreCase(name)) {
                return s;
            }
        }
        Section created = new Section(name);
        sections.add(created);
        return created;
    }

    /** The text, lines ending in CR LF; sections without keys are left out. */
    String text() {
        StringBuilder out = new StringBuilder();
        for (Section s : sections) {
            if (s.entries.isEmpty()) {
                continue;
            }
            out.append('[').append(s.name).append("]\r\n");
            for (Entry e : s.entries) {
                out.append(e.key).append('=').append(e.value).append("\r\n");
            }
        }
        return out.toString();
    }
}
