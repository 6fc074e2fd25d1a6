package dev.jlaunch.pack;

import java.nio.ByteBuffer;
import java.nio.charset.CharacterCodingException;
import java.nio.charset.Charset;
import java.nio.charset.CodingErrorAction;
import java.nio.charset.StandardCharsets;
import java.util.Arrays;

/**
 * A settings file checked for embedding: text whose every line is blank, a section header, a key=value pair
 * inside a section, or a comment, with a non-empty "Upgrade Code" in [Product Information].
 *
 * @param text        the lines, each ending in CR LF, as the launcher's INI parser splits them
 * @param upgradeCode the code the envelope is sealed under
 * @param productName read by the launcher only from the file beside it
 * @param productCode likewise
 */
public record PackSettings(String text, String upgradeCode, String productName, String productCode) {
    private static final int MAXIMUM_SIZE = 1 << 20;

    /** The settings of a file's bytes; the message names the line that is wrong. */
    public static PackSettings read(byte[] bytes) throws PackException {
        checkSize(bytes);
        return of(decode(bytes));
    }

    /** The text of a settings file's bytes, checked line by line, each line ending in CR LF. */
    public static String checkedText(byte[] bytes) throws PackException {
        checkSize(bytes);
        return checkedText(decode(bytes));
    }

    private static void checkSize(byte[] bytes) throws PackException {
        if (bytes.length == 0) {
            throw new PackException("the settings file is empty");
        }
        if (bytes.length > MAXIMUM_SIZE) {
            throw new PackException("the settings file is larger than 1 MiB");
        }
    }

    /** The settings of a checked text: its "Upgrade Code" is required. */
    public static PackSettings of(String decoded) throws PackException {
        String text = checkedText(decoded);
        String upgradeCode = null;
        String productName = null;
        String productCode = null;
        String section = "";
        for (String line : text.split("\r\n")) {
            String content = line.strip();
            if (content.startsWith("[")) {
                section = content.substring(1, content.length() - 1).strip();
            } else if (!content.startsWith(";") && !content.startsWith("#") && content.indexOf('=') >= 0
                    && section.equalsIgnoreCase("Product Information")) {
                String key = content.substring(0, content.indexOf('=')).strip();
                String value = unquote(content.substring(content.indexOf('=') + 1).strip());
                // The first of a key counts, as the launcher reads it.
                if (key.equalsIgnoreCase("Upgrade Code") && upgradeCode == null) {
                    upgradeCode = value;
                } else if (key.equalsIgnoreCase("Product Name") && productName == null) {
                    productName = value;
                } else if (key.equalsIgnoreCase("Product Code") && productCode == null) {
                    productCode = value;
                }
            }
        }
        if (upgradeCode == null || upgradeCode.isEmpty()) {
            throw new PackException("the settings file has no \"Upgrade Code\" in [Product Information]; "
                    + "the embedded settings are enciphered with it");
        }
        return new PackSettings(text, upgradeCode, productName == null ? "" : productName,
                productCode == null ? "" : productCode);
    }

    private static String checkedText(String decoded) throws PackException {
        if (decoded.indexOf('\0') >= 0 || decoded.indexOf('\uFFFD') >= 0 || hasLoneSurrogate(decoded)) {
            throw new PackException("the settings file is not text (NUL characters or invalid encoding)");
        }
        StringBuilder text = new StringBuilder();
        boolean inSection = false;
        int lineNumber = 0;
        int at = 0;
        while (at <= decoded.length()) {
            int end = at;
            while (end < decoded.length() && decoded.charAt(end) != '\r' && decoded.charAt(end) != '\n') {
                ++end;
            }
            ++lineNumber;
            String line = decoded.substring(at, end);
            if (lineNumber == 1 && line.startsWith("\uFEFF")) {
                line = line.substring(1);
            }
            String content = line.strip();
            if (content.isEmpty() || content.startsWith(";") || content.startsWith("#")) {
                // blank or comment
            } else if (content.startsWith("[")) {
                if (!content.endsWith("]")) {
                    throw new PackException(lineError(lineNumber, "a section header without its closing \"]\""));
                }
                inSection = true;
            } else if (content.indexOf('=') >= 0) {
                if (!inSection) {
                    throw new PackException(lineError(lineNumber, "a key before any section"));
                }
            } else {
                throw new PackException(lineError(lineNumber, "neither a section header, a key=value pair nor a comment"));
            }
            text.append(line).append("\r\n");
            // CR LF, LF and a lone CR each end one line.
            boolean crLf = end + 1 < decoded.length() && decoded.charAt(end) == '\r' && decoded.charAt(end + 1) == '\n';
            at = end + (crLf ? 2 : 1);
        }
        if (!inSection) {
            throw new PackException("the settings file has no section");
        }
        return text.toString();
    }

    /** The lines that must ship beside the packed executable: the launcher reads them only from there. */
    public String besideLines() {
        StringBuilder lines = new StringBuilder("[Product Information]\r\nUpgrade Code=" + upgradeCode + "\r\n");
        if (!productName.isEmpty()) {
            lines.append("Product Name=").append(productName).append("\r\n");
        }
        if (!productCode.isEmpty()) {
            lines.append("Product Code=").append(productCode).append("\r\n");
        }
        return lines.toString();
    }

    /** UTF-8 or UTF-16 (either order) after a byte-order mark; without one UTF-8, or Latin-1 when not UTF-8. */
    static String decode(byte[] bytes) {
        if (startsWith(bytes, 0xEF, 0xBB, 0xBF)) {
            return new String(bytes, 3, bytes.length - 3, StandardCharsets.UTF_8);
        }
        if (startsWith(bytes, 0xFF, 0xFE)) {
            return new String(bytes, 2, bytes.length - 2, StandardCharsets.UTF_16LE);
        }
        if (startsWith(bytes, 0xFE, 0xFF)) {
            return new String(bytes, 2, bytes.length - 2, StandardCharsets.UTF_16BE);
        }
        try {
            return strict(StandardCharsets.UTF_8, bytes);
        } catch (CharacterCodingException e) {
            return new String(bytes, StandardCharsets.ISO_8859_1);
        }
    }

    private static String strict(Charset charset, byte[] bytes) throws CharacterCodingException {
        return charset.newDecoder().onMalformedInput(CodingErrorAction.REPORT)
                .onUnmappableCharacter(CodingErrorAction.REPORT).decode(ByteBuffer.wrap(bytes)).toString();
    }

    private static boolean startsWith(byte[] bytes, int... mark) {
        if (bytes.length < mark.length) {
            return false;
        }
        byte[] head = Arrays.copyOf(bytes, mark.length);
        for (int i = 0; i < mark.length; ++i) {
            if ((head[i] & 0xFF) != mark[i]) {
                return false;
            }
        }
        return true;
    }

    private static String unquote(String value) {
        return value.length() >= 2 && value.startsWith("\"") && value.endsWith("\"")
                ? value.substring(1, value.length() - 1) : value;
    }

    private static boolean hasLoneSurrogate(String text) {
        for (int i = 0; i < text.length(); ++i) {
            char c = text.charAt(i);
            if (Character.isHighSurrogate(c) && i + 1 < text.length() && Character.isLowSurrogate(text.charAt(i + 1))) {
                ++i;
            } else if (Character.isSurrogate(c)) {
                return true;
            }
        }
        return false;
    }

    private static String lineError(int line, String what) {
        return "settings line " + line + ": " + what;
    }
}
