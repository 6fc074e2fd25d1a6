package dev.jlaunch.pack;

import java.io.IOException;
import java.io.UncheckedIOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/** The shared test vectors in tests/vectors, which the C++ tests read too (format: its README). */
final class Vectors {
    static final Path FOLDER = Path.of(System.getProperty("jlaunch.vectors", "../tests/vectors"));
    static final Path ROOT = FOLDER.resolve("../..").normalize();

    /** One record: each key's values in file order. */
    record Record(Map<String, List<String>> fields) {
        String text(String key) {
            return unescape(fields.get(key).get(0));
        }

        List<String> all(String key) {
            return fields.getOrDefault(key, List.of());
        }

        byte[] hex(String key) {
            return Bytes.hex(fields.get(key).get(0));
        }

        byte[] file(String key) {
            try {
                return Files.readAllBytes(ROOT.resolve(fields.get(key).get(0)));
            } catch (IOException e) {
                throw new UncheckedIOException(e);
            }
        }

        int number(String key) {
            return Integer.parseInt(fields.get(key).get(0));
        }

        @Override
        public String toString() {
            return fields.toString();
        }
    }

    private Vectors() {}

    static List<Record> read(String name) {
        List<Record> records = new ArrayList<>();
        Map<String, List<String>> fields = new LinkedHashMap<>();
        try {
            for (String line : Files.readAllLines(FOLDER.resolve(name), StandardCharsets.UTF_8)) {
                if (line.startsWith("#")) {
                    continue;
                }
                if (line.isEmpty()) {
                    if (!fields.isEmpty()) {
                        records.add(new Record(fields));
                    }
                    fields = new LinkedHashMap<>();
                    continue;
                }
                int colon = line.indexOf(':');
                String value = line.substring(colon + 1);
                fields.computeIfAbsent(line.substring(0, colon), k -> new ArrayList<>())
                        .add(value.startsWith(" ") ? value.substring(1) : value);
            }
        } catch (IOException e) {
            throw new UncheckedIOException(e);
        }
        if (!fields.isEmpty()) {
            records.add(new Record(fields));
        }
        return records;
    }

    static String unescape(String value) {
        StringBuilder out = new StringBuilder();
        for (int i = 0; i < value.length(); ++i) {
            char c = value.charAt(i);
            if (c == '\\' && i + 1 < value.length()) {
                char next = value.charAt(++i);
                out.append(next == 'r' ? '\r' : next == 'n' ? '\n' : next);
            } else {
                out.append(c);
            }
        }
        return out.toString();
    }
}
