package dev.jlaunch.pack;

import java.nio.charset.StandardCharsets;
import java.util.Arrays;

/**
 * How a Linux launcher carries its envelope: after the ELF image, where the loader never looks:
 * envelope | envelope length (u64, little endian) | "jlaunch-settings".
 */
public final class LinuxTrailer {
    static final int FOOTER_SIZE = 24;
    private static final byte[] MARK = "jlaunch-settings".getBytes(StandardCharsets.US_ASCII);
    private static final byte[] SECTION = ".jlaunch\0".getBytes(StandardCharsets.US_ASCII);

    private LinuxTrailer() {}

    /** The footer that follows an envelope of {@code size} bytes. */
    public static byte[] footer(long size) {
        byte[] footer = new byte[FOOTER_SIZE];
        Bytes.putU32(footer, 0, size & 0xFFFFFFFFL);
        Bytes.putU32(footer, 4, size >>> 32);
        System.arraycopy(MARK, 0, footer, 8, MARK.length);
        return footer;
    }

    /** A 64-bit little-endian ELF file with a section named .jlaunch, which the launcher's build adds. */
    public static boolean isJlaunchElf(byte[] file) {
        if (!Bytes.fits(file, 0, 64) || file[0] != 0x7F || file[1] != 'E' || file[2] != 'L' || file[3] != 'F'
                || file[4] != 2 || file[5] != 1) {
            return false;
        }
        long table = Bytes.u64(file, 0x28);
        int entrySize = Bytes.u16(file, 0x3A);
        int count = Bytes.u16(file, 0x3C);
        int namesIndex = Bytes.u16(file, 0x3E);
        if (entrySize < 64 || namesIndex >= count || table < 0 || !Bytes.fits(file, table, (long) count * entrySize)) {
            return false;
        }
        long namesHeader = table + (long) namesIndex * entrySize;
        long namesAt = Bytes.u64(file, namesHeader + 0x18);
        long namesSize = Bytes.u64(file, namesHeader + 0x20);
        if (namesAt < 0 || namesSize < 0 || !Bytes.fits(file, namesAt, namesSize)) {
            return false;
        }
        for (int i = 0; i < count; ++i) {
            long name = Bytes.u32(file, table + (long) i * entrySize);
            if (name < namesSize && namesSize - name >= SECTION.length) {
                int at = (int) (namesAt + name);
                if (Arrays.equals(file, at, at + SECTION.length, SECTION, 0, SECTION.length)) {
                    return true;
                }
            }
        }
        return false;
    }

    /** The file without the envelope a packed launcher carries; the whole file when it carries none. */
    static int imageSize(byte[] file) {
        if (file.length < FOOTER_SIZE
                || !Arrays.equals(file, file.length - MARK.length, file.length, MARK, 0, MARK.length)) {
            return file.length;
        }
        long size = Bytes.u64(file, file.length - FOOTER_SIZE);
        if (size < 0 || size > SealedEnvelope.MAXIMUM_SIZE || size > file.length - FOOTER_SIZE) {
            return file.length;
        }
        return (int) (file.length - FOOTER_SIZE - size);
    }

    /** The envelope a packed launcher carries, if any. */
    public static byte[] envelopeOf(byte[] file) {
        int image = imageSize(file);
        return image == file.length ? null : Arrays.copyOfRange(file, image, file.length - FOOTER_SIZE);
    }

    /** The launcher carrying {@code envelope} in place of any it carried. */
    public static byte[] pack(byte[] launcher, byte[] envelope) throws PackException {
        if (!isJlaunchElf(launcher)) {
            throw new PackException("the launcher is not a jlaunch launcher (no .jlaunch section in the ELF file)");
        }
        int image = imageSize(launcher);
        byte[] out = Arrays.copyOf(launcher, image + envelope.length + FOOTER_SIZE);
        System.arraycopy(envelope, 0, out, image, envelope.length);
        System.arraycopy(footer(envelope.length), 0, out, image + envelope.length, FOOTER_SIZE);
        return out;
    }
}
