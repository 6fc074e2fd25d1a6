package dev.jlaunch.maven;

import java.util.List;
import java.util.stream.Collectors;

/** VM options as the launcher's "Virtual Machine Parameters": separated by spaces, quoted where needed. */
final class VmOptions {
    private VmOptions() {}

    static String join(List<String> options) {
        return options.stream().filter(o -> o != null && !o.isBlank()).map(VmOptions::quote)
                .collect(Collectors.joining(" "));
    }

    /** Quotes group a value with spaces; inside them two quotes give one and end the quoted part. */
    static String quote(String option) {
        if (option.chars().noneMatch(c -> c == ' ' || c == '\t' || c == '"')) {
            return option;
        }
        return '"' + option.replace("\"", "\"\"\"") + '"';
    }
}
