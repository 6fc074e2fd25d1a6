package dev.jlaunch.pack;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/** An .ico file as the resources that carry it: one RT_ICON per image and the RT_GROUP_ICON directory. */
public final class IconFile {
    private static final byte[] PNG = {(byte) 0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    private static final int HEADER_SIZE = 6;
    private static final int ENTRY_SIZE = 16;

    /** The images, to be numbered from the first id on, and the group that names them so. */
    public record Resources(List<byte[]> images, byte[] group) {}

    private IconFile() {}

    /** The resources of an icon file; the message says how a file that is not an icon fails. */
    public static Resources read(byte[] file, int firstId) throws PackException {
        if (!Bytes.fits(file, 0, HEADER_SIZE) || Bytes.u16(file, 0) != 0 || Bytes.u16(file, 2) != 1) {
            throw new PackException("not an icon file (no icon directory)");
        }
        int count = Bytes.u16(file, 4);
        if (count == 0 || !Bytes.fits(file, HEADER_SIZE, (long) count * ENTRY_SIZE) || count > 0xFFFF - firstId) {
            throw new PackException("the icon file holds no images, or its directory is cut short");
        }
        Bytes.Sink group = new Bytes.Sink().u16(0).u16(1).u16(count);
        List<byte[]> images = new ArrayList<>();
        for (int i = 0; i < count; ++i) {
            int entry = HEADER_SIZE + i * ENTRY_SIZE;
            long size = Bytes.u32(file, entry + 8);
            long offset = Bytes.u32(file, entry + 12);
            if (size == 0 || !Bytes.fits(file, offset, size)) {
                throw new PackException("icon image " + (i + 1) + " lies outside the file");
            }
            byte[] image = Arrays.copyOfRange(file, (int) offset, (int) (offset + size));
            boolean png = image.length >= PNG.length && Arrays.equals(image, 0, PNG.length, PNG, 0, PNG.length);
            boolean bitmap = image.length >= 40 && Bytes.u32(image, 0) == 40;
            if (!png && !bitmap) {
                throw new PackException("icon image " + (i + 1) + " is neither a PNG nor a bitmap");
            }
            images.add(image);
            // The group entry is the file's entry with the offset replaced by an id.
            group.bytes(Arrays.copyOfRange(file, entry, entry + 12)).u16(firstId + i);
        }
        return new Resources(images, group.toByteArray());
    }
}
