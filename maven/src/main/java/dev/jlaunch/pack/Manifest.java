package dev.jlaunch.pack;

import java.util.Set;

/** The launcher's application manifest: its identity and the execution level it requests. */
public final class Manifest {
    public static final Set<String> LEVELS = Set.of("asInvoker", "highestAvailable", "requireAdministrator");
    /** The launcher's manifest names it; a launcher that is not ours does not. */
    static final String IDENTITY = "name=\"jlaunch.launcher\"";

    private Manifest() {}

    /** The manifest with the requestedExecutionLevel's level set; null when it has no such element. */
    public static String withExecutionLevel(String manifest, String level) {
        int element = manifest.indexOf("<requestedExecutionLevel");
        if (element < 0) {
            return null;
        }
        int elementEnd = manifest.indexOf('>', element);
        int attribute = manifest.indexOf("level=", element);
        if (elementEnd < 0 || attribute < 0 || attribute > elementEnd || attribute + 7 > elementEnd) {
            return null;
        }
        char quote = manifest.charAt(attribute + 6);
        int valueStart = attribute + 7;
        int valueEnd = manifest.indexOf(quote, valueStart);
        if ((quote != '"' && quote != '\'') || valueEnd < 0 || valueEnd > elementEnd) {
            return null;
        }
        return manifest.substring(0, valueStart) + level + manifest.substring(valueEnd);
    }
}
