package dev.jlaunch.pack;

import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/** The version resource (VS_VERSIONINFO) of a packed exe: fixed numbers and the strings, US English, Unicode. */
public final class VersionResource {
    private static final long FIXED_SIGNATURE = 0xFEEF04BDL;

    private VersionResource() {}

    /** "1.2.3.4", "1.2" or "7": one to four numbers of 0 to 65535; missing ones are 0. Null for anything else. */
    public static int[] parseNumbers(String text) {
        String[] parts = text.split("\\.", -1);
        if (parts.length > 4) {
            return null;
        }
        int[] numbers = new int[4];
        for (int i = 0; i < parts.length; ++i) {
            if (!parts[i].matches("[0-9]{1,6}") || Integer.parseInt(parts[i]) > 0xFFFF) {
                return null;
            }
            numbers[i] = Integer.parseInt(parts[i]);
        }
        return numbers;
    }

    public static String text(int[] numbers) {
        return numbers[0] + "." + numbers[1] + "." + numbers[2] + "." + numbers[3];
    }

    /** The file version of an existing version resource; null when it has none. */
    public static int[] fileVersionOf(byte[] resource) {
        int fixedAt = 40;  // after the header (6 bytes) and "VS_VERSION_INFO\0" (32), aligned to 4
        if (!Bytes.fits(resource, fixedAt, 52) || Bytes.u32(resource, fixedAt) != FIXED_SIGNATURE) {
            return null;
        }
        long high = Bytes.u32(resource, fixedAt + 8);
        long low = Bytes.u32(resource, fixedAt + 12);
        return new int[] {(int) (high >>> 16), (int) (high & 0xFFFF), (int) (low >>> 16), (int) (low & 0xFFFF)};
    }

    /** The resource with these numbers and, in order, the strings whose values are not empty. */
    public static byte[] build(int[] numbers, Map<String, String> strings) {
        long high = (long) numbers[0] << 16 | numbers[1];
        long low = (long) numbers[2] << 16 | numbers[3];
        Bytes.Sink fixed = new Bytes.Sink();
        for (long field : new long[] {FIXED_SIGNATURE, 0x00010000L, high, low, high, low, 0x3F, 0,
                                      0x00040004L /* VOS_NT_WINDOWS32 */, 1 /* VFT_APP */, 0, 0, 0}) {
            fixed.u32(field);
        }
        Node table = new Node("040904b0", new byte[0], 0, 1);
        for (Map.Entry<String, String> entry : strings.entrySet()) {
            if (!entry.getValue().isEmpty()) {
                Bytes.Sink value = new Bytes.Sink();
                appendText(value, entry.getValue());
                table.children.add(new Node(entry.getKey(), value.toByteArray(), entry.getValue().length() + 1, 1));
            }
        }
        Node root = new Node("VS_VERSION_INFO", fixed.toByteArray(), 52, 0);
        Node stringInfo = new Node("StringFileInfo", new byte[0], 0, 1);
        stringInfo.children.add(table);
        root.children.add(stringInfo);
        Node translation = new Node("Translation", new Bytes.Sink().u16(0x0409).u16(1200).toByteArray(), 4, 0);
        Node varInfo = new Node("VarFileInfo", new byte[0], 0, 1);
        varInfo.children.add(translation);
        root.children.add(varInfo);
        Bytes.Sink out = new Bytes.Sink();
        root.write(out);
        return out.toByteArray();
    }

    /** The strings a packed exe carries, in the order it carries them. */
    public static Map<String, String> strings(String company, String description, String version, String stem,
                                              String copyright, String fileName, String productName) {
        Map<String, String> strings = new LinkedHashMap<>();
        strings.put("CompanyName", company);
        strings.put("FileDescription", description.isEmpty() ? productName : description);
        strings.put("FileVersion", version);
        strings.put("InternalName", stem);
        strings.put("LegalCopyright", copyright);
        strings.put("OriginalFilename", fileName);
        strings.put("ProductName", productName);
        strings.put("ProductVersion", version);
        return strings;
    }

    private static void appendText(Bytes.Sink out, String text) {
        for (int i = 0; i < text.length(); ++i) {
            out.u16(text.charAt(i));
        }
        out.u16(0);
    }

    /** One node: header, key, value and children, each started on a 4-byte boundary. */
    private static final class Node {
        final String key;
        final byte[] value;
        final int valueLength;  // in bytes for binary values, in characters for text
        final int type;         // 1 for text
        final List<Node> children = new ArrayList<>();

        Node(String key, byte[] value, int valueLength, int type) {
            this.key = key;
            this.value = value;
            this.valueLength = valueLength;
            this.type = type;
        }

        void write(Bytes.Sink out) {
            out.padTo(4);
            int start = out.size();
            out.u16(0).u16(valueLength).u16(type);
            appendText(out, key);
            out.padTo(4);
            out.bytes(value);
            for (Node child : children) {
                child.write(out);
            }
            out.setU16(start, out.size() - start);
        }
    }
}
