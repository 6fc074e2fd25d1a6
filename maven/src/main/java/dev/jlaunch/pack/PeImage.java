package dev.jlaunch.pack;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

/** The parts of a 64-bit PE image the packer reads and rewrites: headers, sections, data directories, resources. */
public final class PeImage {
    static final int DIRECTORY_RESOURCE = 2;
    static final int DIRECTORY_SECURITY = 4;
    static final int DIRECTORY_BASE_RELOCATION = 5;
    private static final int SECTION_HEADER_SIZE = 40;
    private static final long INITIALIZED_DATA = 0x40;
    private static final int MAXIMUM_SECTIONS = 96;

    private static final class Section {
        String name;
        long virtualSize;
        long virtualAddress;
        long rawSize;
        long rawPointer;
        long characteristics;

        Section copy() {
            Section s = new Section();
            s.name = name;
            s.virtualSize = virtualSize;
            s.virtualAddress = virtualAddress;
            s.rawSize = rawSize;
            s.rawPointer = rawPointer;
            s.characteristics = characteristics;
            return s;
        }
    }

    private final byte[] bytes;
    private int optionalAt;
    private int sectionTableAt;
    private long fileAlignment;
    private long sectionAlignment;
    private int subsystem;
    private long directoryCount;
    private final List<Section> sections = new ArrayList<>();
    private final List<long[]> directories = new ArrayList<>();
    private ResourceTree resources = new ResourceTree();

    private PeImage(byte[] bytes) {
        this.bytes = bytes;
    }

    /** Reads a well-formed PE32+ image; the message says what is wrong with any other. */
    public static PeImage parse(byte[] bytes) throws PackException {
        PeImage image = new PeImage(bytes);
        if (!Bytes.fits(bytes, 0, 64) || bytes[0] != 'M' || bytes[1] != 'Z') {
            throw new PackException("not a Windows executable (no MZ header)");
        }
        long headerAt = Bytes.u32(bytes, 0x3C);
        if (!Bytes.fits(bytes, headerAt, 24) || Bytes.u32(bytes, headerAt) != 0x00004550) {
            throw new PackException("not a PE image (no PE signature)");
        }
        int coff = (int) headerAt + 4;
        int machine = Bytes.u16(bytes, coff);
        int sectionCount = Bytes.u16(bytes, coff + 2);
        int optionalSize = Bytes.u16(bytes, coff + 16);
        image.optionalAt = coff + 20;
        if (machine != 0x8664 || !Bytes.fits(bytes, image.optionalAt, 112) || Bytes.u16(bytes, image.optionalAt) != 0x20B) {
            throw new PackException("not a 64-bit (x86-64, PE32+) image");
        }
        image.sectionAlignment = Bytes.u32(bytes, image.optionalAt + 32);
        image.fileAlignment = Bytes.u32(bytes, image.optionalAt + 36);
        image.subsystem = Bytes.u16(bytes, image.optionalAt + 68);
        image.directoryCount = Bytes.u32(bytes, image.optionalAt + 108);
        image.sectionTableAt = image.optionalAt + optionalSize;
        if (!powerOfTwo(image.fileAlignment) || !powerOfTwo(image.sectionAlignment) || image.directoryCount > 16
                || optionalSize < 112 + 8 * image.directoryCount || sectionCount == 0 || sectionCount > MAXIMUM_SECTIONS
                || !Bytes.fits(bytes, image.sectionTableAt, (long) sectionCount * SECTION_HEADER_SIZE)) {
            throw new PackException("malformed PE headers");
        }
        for (int i = 0; i < image.directoryCount; ++i) {
            int entry = image.optionalAt + 112 + 8 * i;
            image.directories.add(new long[] {Bytes.u32(bytes, entry), Bytes.u32(bytes, entry + 4)});
        }
        for (int i = 0; i < sectionCount; ++i) {
            int at = image.sectionTableAt + i * SECTION_HEADER_SIZE;
            Section s = new Section();
            StringBuilder name = new StringBuilder();
            for (int c = 0; c < 8 && bytes[at + c] != 0; ++c) {
                name.append((char) (bytes[at + c] & 0xFF));
            }
            s.name = name.toString();
            s.virtualSize = Bytes.u32(bytes, at + 8);
            s.virtualAddress = Bytes.u32(bytes, at + 12);
            s.rawSize = Bytes.u32(bytes, at + 16);
            s.rawPointer = Bytes.u32(bytes, at + 20);
            s.characteristics = Bytes.u32(bytes, at + 36);
            if (!Bytes.fits(bytes, s.rawPointer, s.rawSize)
                    || (!image.sections.isEmpty() && s.virtualAddress < image.sections.get(image.sections.size() - 1).virtualAddress)) {
                throw new PackException("malformed PE section table");
            }
            image.sections.add(s);
        }
        long resourceRva = image.directoryRva(DIRECTORY_RESOURCE);
        if (resourceRva != 0) {
            Section holder = null;
            for (Section s : image.sections) {
                if (resourceRva >= s.virtualAddress && resourceRva - s.virtualAddress < s.rawSize) {
                    holder = s;
                    break;
                }
            }
            if (holder == null) {
                throw new PackException("the resource directory lies outside every section");
            }
            int from = (int) (holder.rawPointer + resourceRva - holder.virtualAddress);
            int to = (int) (holder.rawPointer + holder.rawSize);
            ResourceTree tree = ResourceTree.read(Arrays.copyOfRange(bytes, from, to), image::atRva);
            if (tree == null) {
                throw new PackException("malformed resource directory");
            }
            image.resources = tree;
        }
        return image;
    }

    private static boolean powerOfTwo(long n) {
        return n != 0 && (n & (n - 1)) == 0;
    }

    private byte[] atRva(long rva, long size) {
        for (Section s : sections) {
            if (rva >= s.virtualAddress && rva - s.virtualAddress < Math.max(s.virtualSize, s.rawSize)) {
                long inSection = rva - s.virtualAddress;
                if (inSection + size > s.rawSize || !Bytes.fits(bytes, s.rawPointer + inSection, size)) {
                    return null;
                }
                int from = (int) (s.rawPointer + inSection);
                return Arrays.copyOfRange(bytes, from, from + (int) size);
            }
        }
        return null;
    }

    long directoryRva(int index) {
        return index < directories.size() ? directories.get(index)[0] : 0;
    }

    public int subsystem() {
        return subsystem;
    }

    /** The resources; an image without a resource directory has none. A copy: edit it freely. */
    public ResourceTree resources() {
        return resources.copy();
    }

    /** The checksum field as the header holds it. */
    public long headerChecksum() {
        return Bytes.u32(bytes, optionalAt + 64);
    }

    /** The checksum the image should carry. */
    public long computedChecksum() {
        return checksum(bytes, optionalAt + 64);
    }

    /**
     * The image with its resource section replaced by {@code tree}, the sections after it (only the base
     * relocations may follow) moved up, the certificate table dropped and the checksum renewed.
     */
    public byte[] withResources(ResourceTree tree) throws PackException {
        long resourceRva = directoryRva(DIRECTORY_RESOURCE);
        int resourceIndex = -1;
        for (int i = 0; i < sections.size(); ++i) {
            if (sections.get(i).virtualAddress == resourceRva) {
                resourceIndex = i;
                break;
            }
        }
        if (resourceRva == 0 || resourceIndex < 0) {
            throw new PackException("the launcher has no resource section of its own");
        }
        // Only the base relocations may follow the resources: nothing but their
        // directory entry refers to them, so they can move.
        long relocationRva = directoryRva(DIRECTORY_BASE_RELOCATION);
        for (int i = resourceIndex + 1; i < sections.size(); ++i) {
            if (sections.get(i).virtualAddress != relocationRva) {
                throw new PackException("section " + sections.get(i).name
                        + " follows the resources; this layout cannot be rewritten");
            }
        }
        for (int d = 0; d < directories.size(); ++d) {
            long rva = directories.get(d)[0];
            if (d != DIRECTORY_RESOURCE && d != DIRECTORY_BASE_RELOCATION && d != DIRECTORY_SECURITY && rva != 0
                    && rva >= resourceRva) {
                throw new PackException("a data directory points into the resources or after them");
            }
        }
        long imageEnd = 0;
        for (Section s : sections) {
            imageEnd = Math.max(imageEnd, s.rawPointer + s.rawSize);
        }
        long certificateAt = directoryRva(DIRECTORY_SECURITY);  // a file offset
        long overlayEnd = certificateAt != 0 ? certificateAt : bytes.length;
        if (overlayEnd > bytes.length) {
            throw new PackException("the launcher carries data after its image; it is not one this tool can rewrite");
        }
        for (long i = imageEnd; i < overlayEnd; ++i) {
            if (bytes[(int) i] != 0) {
                throw new PackException("the launcher carries data after its image; it is not one this tool can rewrite");
            }
        }

        Section resources = sections.get(resourceIndex).copy();
        byte[] section = tree.write(resourceRva);
        resources.virtualSize = section.length;
        resources.rawSize = alignUp(resources.virtualSize, fileAlignment);
        List<Section> layout = new ArrayList<>();
        for (Section s : sections) {
            layout.add(s.copy());
        }
        layout.set(resourceIndex, resources);
        long total = resources.rawPointer + resources.rawSize;
        for (int i = resourceIndex + 1; i < sections.size(); ++i) {
            total += sections.get(i).rawSize;
        }
        byte[] out = Arrays.copyOf(bytes, (int) total);
        Arrays.fill(out, (int) resources.rawPointer, out.length, (byte) 0);
        System.arraycopy(section, 0, out, (int) resources.rawPointer, section.length);
        long position = resources.rawPointer + resources.rawSize;
        long newRelocationRva = relocationRva;
        for (int i = resourceIndex + 1; i < layout.size(); ++i) {
            Section before = layout.get(i - 1);
            Section moved = layout.get(i);
            Section original = sections.get(i);
            moved.virtualAddress = alignUp(before.virtualAddress + Math.max(before.virtualSize, 1), sectionAlignment);
            moved.rawPointer = position;
            System.arraycopy(bytes, (int) original.rawPointer, out, (int) position, (int) original.rawSize);
            position += original.rawSize;
            if (original.virtualAddress == relocationRva) {
                newRelocationRva = moved.virtualAddress;
            }
        }
        for (int i = 0; i < layout.size(); ++i) {
            int at = sectionTableAt + i * SECTION_HEADER_SIZE;
            Section s = layout.get(i);
            Bytes.putU32(out, at + 8, s.virtualSize);
            Bytes.putU32(out, at + 12, s.virtualAddress);
            Bytes.putU32(out, at + 16, s.rawSize);
            Bytes.putU32(out, at + 20, s.rawPointer);
        }
        long initializedData = 0;
        for (Section s : layout) {
            if ((s.characteristics & INITIALIZED_DATA) != 0) {
                initializedData += s.rawSize;
            }
        }
        Section last = layout.get(layout.size() - 1);
        Bytes.putU32(out, optionalAt + 8, initializedData & 0xFFFFFFFFL);
        Bytes.putU32(out, optionalAt + 56, alignUp(last.virtualAddress + last.virtualSize, sectionAlignment));
        Bytes.putU32(out, optionalAt + 112 + 8 * DIRECTORY_RESOURCE, resourceRva);
        Bytes.putU32(out, optionalAt + 116 + 8 * DIRECTORY_RESOURCE, resources.virtualSize);
        if (relocationRva != 0 && DIRECTORY_BASE_RELOCATION < directoryCount) {
            Bytes.putU32(out, optionalAt + 112 + 8 * DIRECTORY_BASE_RELOCATION, newRelocationRva);
        }
        if (DIRECTORY_SECURITY < directoryCount) {
            // A signature over the old image would no longer match: sign after packing.
            Bytes.putU32(out, optionalAt + 112 + 8 * DIRECTORY_SECURITY, 0);
            Bytes.putU32(out, optionalAt + 116 + 8 * DIRECTORY_SECURITY, 0);
        }
        Bytes.putU32(out, optionalAt + 64, checksum(out, optionalAt + 64));
        return out;
    }

    private static long alignUp(long value, long alignment) {
        return (value + alignment - 1) / alignment * alignment;
    }

    /** The PE checksum of an image, its own checksum field counted as zero. */
    static long checksum(byte[] bytes, int checksumAt) {
        long sum = 0;
        for (int i = 0; i < bytes.length; i += 2) {
            if (i == checksumAt || i == checksumAt + 2) {
                continue;
            }
            long word = i + 1 < bytes.length ? Bytes.u16(bytes, i) : bytes[i] & 0xFF;
            sum += word;
            sum = (sum & 0xFFFF) + (sum >>> 16);
        }
        sum = (sum & 0xFFFF) + (sum >>> 16);
        return (sum + bytes.length) & 0xFFFFFFFFL;
    }
}
