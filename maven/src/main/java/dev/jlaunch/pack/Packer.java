package dev.jlaunch.pack;

import java.nio.charset.StandardCharsets;
import java.util.List;

/** Packs a copy of a launcher: the sealed settings, and for a Windows launcher its icon, version and manifest. */
public final class Packer {
    static final String SETTINGS_RESOURCE = "JLAUNCH_SETTINGS";

    /**
     * How a Windows copy is branded; empty texts and a null icon, version or level leave the launcher's own.
     *
     * @param fileName the output's file name, which also names the version strings by default
     */
    public record Branding(String fileName, byte[] icon, String version, String name, String company,
                           String copyright, String description, String executionLevel) {
        public static Branding plain(String fileName) {
            return new Branding(fileName, null, null, "", "", "", "", null);
        }
    }

    private Packer() {}

    public static boolean isElf(byte[] launcher) {
        return launcher.length >= 4 && launcher[0] == 0x7F && launcher[1] == 'E' && launcher[2] == 'L'
                && launcher[3] == 'F';
    }

    /** A Linux launcher carrying the envelope. */
    public static byte[] packLinux(byte[] launcher, byte[] envelope) throws PackException {
        return LinuxTrailer.pack(launcher, envelope);
    }

    /** A Windows launcher carrying the envelope, branded. */
    public static byte[] packWindows(byte[] launcher, byte[] envelope, Branding branding) throws PackException {
        PeImage image = PeImage.parse(launcher);
        ResourceTree tree = image.resources();
        ResourceKey one = ResourceKey.number(1);
        ResourceTree.Data manifest = tree.find(ResourceKey.number(ResourceKey.RT_MANIFEST), one);
        // Bytes as characters one to one, so that the manifest is written back unchanged but for the level.
        String manifestText = manifest == null ? "" : new String(manifest.bytes(), StandardCharsets.ISO_8859_1);
        if (!manifestText.contains(Manifest.IDENTITY)) {
            throw new PackException("the launcher is not a jlaunch launcher (its manifest does not name jlaunch.launcher)");
        }
        ResourceKey rcData = ResourceKey.number(ResourceKey.RT_RCDATA);
        ResourceKey settingsName = ResourceKey.text(SETTINGS_RESOURCE);
        var names = tree.types().get(rcData);
        if (names != null && names.containsKey(settingsName)) {
            for (int language : List.copyOf(names.get(settingsName).keySet())) {
                tree.remove(rcData, settingsName, language);
            }
        }
        tree.put(rcData, settingsName, 0, new ResourceTree.Data(envelope, 0));

        if (branding.icon() != null) {
            int language = tree.languageOf(ResourceKey.RT_GROUP_ICON, one);
            IconFile.Resources icon = IconFile.read(branding.icon(), 1);
            tree.removeAll(ResourceKey.RT_GROUP_ICON);
            tree.removeAll(ResourceKey.RT_ICON);
            for (int i = 0; i < icon.images().size(); ++i) {
                tree.put(ResourceKey.number(ResourceKey.RT_ICON), ResourceKey.number(i + 1), language,
                        new ResourceTree.Data(icon.images().get(i), 0));
            }
            tree.put(ResourceKey.number(ResourceKey.RT_GROUP_ICON), one, language, new ResourceTree.Data(icon.group(), 0));
        }

        ResourceTree.Data oldVersion = tree.find(ResourceKey.number(ResourceKey.RT_VERSION), one);
        int[] numbers = new int[4];
        if (branding.version() != null) {
            numbers = VersionResource.parseNumbers(branding.version());
            if (numbers == null) {
                throw new PackException("the version takes one to four numbers of 0 to 65535 separated by dots, "
                        + "such as 1.2.3.4; not " + branding.version());
            }
        } else if (oldVersion != null && VersionResource.fileVersionOf(oldVersion.bytes()) != null) {
            numbers = VersionResource.fileVersionOf(oldVersion.bytes());
        }
        String fileName = branding.fileName();
        int dot = fileName.lastIndexOf('.');
        String stem = dot <= 0 ? fileName : fileName.substring(0, dot);
        String name = branding.name().isEmpty() ? stem : branding.name();
        String numbersText = VersionResource.text(numbers);
        int versionLanguage = tree.languageOf(ResourceKey.RT_VERSION, one);
        tree.removeAll(ResourceKey.RT_VERSION);
        tree.put(ResourceKey.number(ResourceKey.RT_VERSION), one, versionLanguage, new ResourceTree.Data(
                VersionResource.build(numbers, VersionResource.strings(branding.company(), branding.description(),
                        numbersText, stem, branding.copyright(), fileName, name)), 0));

        if (branding.executionLevel() != null) {
            if (!Manifest.LEVELS.contains(branding.executionLevel())) {
                throw new PackException("the execution level must be asInvoker, highestAvailable or requireAdministrator");
            }
            String changed = Manifest.withExecutionLevel(manifestText, branding.executionLevel());
            if (changed == null) {
                throw new PackException("the launcher's manifest has no requestedExecutionLevel to set");
            }
            tree.put(ResourceKey.number(ResourceKey.RT_MANIFEST), one,
                    tree.languageOf(ResourceKey.RT_MANIFEST, one),
                    new ResourceTree.Data(changed.getBytes(StandardCharsets.ISO_8859_1), 0));
        }
        return image.withResources(tree);
    }

    /** The envelope a packed launcher of either kind carries; null when it carries none. */
    public static byte[] envelopeOf(byte[] packed) throws PackException {
        if (isElf(packed)) {
            return LinuxTrailer.envelopeOf(packed);
        }
        ResourceTree.Data data = PeImage.parse(packed).resources()
                .find(ResourceKey.number(ResourceKey.RT_RCDATA), ResourceKey.text(SETTINGS_RESOURCE));
        return data == null ? null : data.bytes();
    }
}
