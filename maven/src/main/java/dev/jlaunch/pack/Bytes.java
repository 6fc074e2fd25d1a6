package dev.jlaunch.pack;

import java.io.ByteArrayOutputStream;
import java.util.HexFormat;

/** Little-endian reads and writes at byte offsets; callers check the bounds with {@link #fits}. */
final class Bytes {
    private Bytes() {}

    static int u16(byte[] bytes, long at) {
        int i = (int) at;
        return (bytes[i] & 0xFF) | (bytes[i + 1] & 0xFF) << 8;
    }

    static long u32(byte[] bytes, long at) {
        return u16(bytes, at) | (long) u16(bytes, at + 2) << 16;
    }

    static long u64(byte[] bytes, long at) {
        return u32(bytes, at) | u32(bytes, at + 4) << 32;
    }

    static void putU16(byte[] bytes, long at, int value) {
        int i = (int) at;
        bytes[i] = (byte) value;
        bytes[i + 1] = (byte) (value >>> 8);
    }

    static void putU32(byte[] bytes, long at, long value) {
        putU16(bytes, at, (int) (value & 0xFFFF));
        putU16(bytes, at + 2, (int) ((value >>> 16) & 0xFFFF));
    }

    static boolean fits(byte[] bytes, long at, long count) {
        return at >= 0 && count >= 0 && at <= bytes.length && count <= bytes.length - at;
    }

    static byte[] hex(String text) {
        return HexFormat.of().parseHex(text);
    }

    static String hex(byte[] bytes) {
        return HexFormat.of().formatHex(bytes);
    }

    /** A growing buffer with the little-endian appends the resource formats need. */
    static final class Sink extends ByteArrayOutputStream {
        Sink u16(int value) {
            write(value);
            write(value >>> 8);
            return this;
        }

        Sink u32(long value) {
            u16((int) (value & 0xFFFF));
            return u16((int) ((value >>> 16) & 0xFFFF));
        }

        Sink bytes(byte[] value) {
            write(value, 0, value.length);
            return this;
        }

        Sink padTo(int alignment) {
            while (count % alignment != 0) {
                write(0);
            }
            return this;
        }

        /** Overwrites two bytes already written. */
        void setU16(int at, int value) {
            buf[at] = (byte) value;
            buf[at + 1] = (byte) (value >>> 8);
        }
    }
}
