#include "pe_image.h"

#include <algorithm>

#include "byte_io.h"

namespace jlaunch::pack {

namespace {

constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint32_t kInitializedData = 0x00000040;
constexpr std::size_t kMaximumSections = 96;
// Far above what a launcher carries, far below what would exhaust memory.
constexpr std::size_t kMaximumResourceSize = std::size_t{64} << 20;

std::uint32_t alignUp(std::uint32_t value, std::uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

class SectionBytes final : public ImageBytes {
public:
    SectionBytes(std::span<const std::uint8_t> bytes, const std::vector<PeSection>& sections)
        : bytes_(bytes), sections_(sections) {}

    std::optional<std::span<const std::uint8_t>> atRva(std::uint32_t rva, std::uint32_t size) const override {
        for (const PeSection& s : sections_) {
            if (rva >= s.virtualAddress && rva - s.virtualAddress < std::max(s.virtualSize, s.rawSize)) {
                const std::uint64_t inSection = rva - s.virtualAddress;
                if (inSection + size > s.rawSize || !fits(bytes_, std::uint64_t{s.rawPointer} + inSection, size)) {
                    return std::nullopt;
                }
                return bytes_.subspan(static_cast<std::size_t>(s.rawPointer + inSection), size);
            }
        }
        return std::nullopt;
    }

private:
    std::span<const std::uint8_t> bytes_;
    const std::vector<PeSection>& sections_;
};

}  // namespace

std::uint32_t PeImage::directoryRva(std::size_t index) const {
    return index < directories_.size() ? directories_[index].first : 0;
}

std::optional<PeImage> PeImage::parse(std::span<const std::uint8_t> bytes, std::string& error) {
    PeImage image;
    if (!fits(bytes, 0, 64) || bytes[0] != 'M' || bytes[1] != 'Z') {
        error = "not a Windows executable (no MZ header)";
        return std::nullopt;
    }
    image.headerAt_ = readU32(bytes, 0x3C);
    if (!fits(bytes, image.headerAt_, 24) || readU32(bytes, image.headerAt_) != 0x00004550) {
        error = "not a PE image (no PE signature)";
        return std::nullopt;
    }
    const std::size_t coff = image.headerAt_ + 4;
    const std::uint16_t machine = readU16(bytes, coff);
    const std::uint16_t sectionCount = readU16(bytes, coff + 2);
    const std::uint16_t optionalSize = readU16(bytes, coff + 16);
    image.optionalAt_ = coff + 20;
    if (machine != 0x8664 || !fits(bytes, image.optionalAt_, 112) || readU16(bytes, image.optionalAt_) != 0x20B) {
        error = "not a 64-bit (x86-64, PE32+) image";
        return std::nullopt;
    }
    image.sectionAlignment_ = readU32(bytes, image.optionalAt_ + 32);
    image.fileAlignment_ = readU32(bytes, image.optionalAt_ + 36);
    image.sizeOfHeaders_ = readU32(bytes, image.optionalAt_ + 60);
    image.directoryCount_ = readU32(bytes, image.optionalAt_ + 108);
    image.sectionTableAt_ = image.optionalAt_ + optionalSize;
    const auto powerOfTwo = [](std::uint32_t n) { return n != 0 && (n & (n - 1)) == 0; };
    if (!powerOfTwo(image.fileAlignment_) || !powerOfTwo(image.sectionAlignment_) || image.directoryCount_ > 16 ||
        optionalSize < 112 + 8 * image.directoryCount_ || sectionCount == 0 || sectionCount > kMaximumSections ||
        !fits(bytes, image.sectionTableAt_, std::size_t{sectionCount} * kSectionHeaderSize)) {
        error = "malformed PE headers";
        return std::nullopt;
    }
    for (std::uint32_t i = 0; i < image.directoryCount_; ++i) {
        const std::size_t entry = image.optionalAt_ + 112 + std::size_t{8} * i;
        image.directories_.emplace_back(readU32(bytes, entry), readU32(bytes, entry + 4));
    }
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = image.sectionTableAt_ + i * kSectionHeaderSize;
        PeSection s;
        for (std::size_t c = 0; c < 8 && bytes[at + c] != 0; ++c) {
            s.name.push_back(static_cast<char>(bytes[at + c]));
        }
        s.virtualSize = readU32(bytes, at + 8);
        s.virtualAddress = readU32(bytes, at + 12);
        s.rawSize = readU32(bytes, at + 16);
        s.rawPointer = readU32(bytes, at + 20);
        s.characteristics = readU32(bytes, at + 36);
        if (!fits(bytes, s.rawPointer, s.rawSize) ||
            (!image.sections_.empty() && s.virtualAddress < image.sections_.back().virtualAddress)) {
            error = "malformed PE section table";
            return std::nullopt;
        }
        image.sections_.push_back(std::move(s));
    }
    const std::uint32_t resourceRva = image.directoryRva(kDirectoryResource);
    if (resourceRva != 0) {
        const SectionBytes view(bytes, image.sections_);
        const auto it = std::find_if(image.sections_.begin(), image.sections_.end(), [&](const PeSection& s) {
            return resourceRva >= s.virtualAddress && resourceRva - s.virtualAddress < s.rawSize;
        });
        if (it == image.sections_.end()) {
            error = "the resource directory lies outside every section";
            return std::nullopt;
        }
        const std::uint32_t inSection = resourceRva - it->virtualAddress;
        auto tree =
            readResourceTree(bytes.subspan(it->rawPointer + inSection, it->rawSize - inSection), view, bytes.size());
        if (!tree) {
            error = "malformed resource directory";
            return std::nullopt;
        }
        image.resources_ = std::move(*tree);
    }
    return image;
}

std::optional<std::vector<std::uint8_t>> PeImage::withResources(std::span<const std::uint8_t> bytes,
                                                                const ResourceTree& tree, std::string& error) const {
    const std::uint32_t resourceRva = directoryRva(kDirectoryResource);
    const auto resourceIt = std::find_if(sections_.begin(), sections_.end(),
                                         [&](const PeSection& s) { return s.virtualAddress == resourceRva; });
    if (resourceRva == 0 || resourceIt == sections_.end()) {
        error = "the launcher has no resource section of its own";
        return std::nullopt;
    }
    const auto resourceIndex = static_cast<std::size_t>(resourceIt - sections_.begin());
    // Only the base relocations may follow the resources: nothing but their
    // directory entry refers to them, so they can move.
    const std::uint32_t relocationRva = directoryRva(kDirectoryBaseRelocation);
    for (std::size_t i = resourceIndex + 1; i < sections_.size(); ++i) {
        if (sections_[i].virtualAddress != relocationRva) {
            error = "section " + sections_[i].name + " follows the resources; this layout cannot be rewritten";
            return std::nullopt;
        }
    }
    for (std::size_t d = 0; d < directories_.size(); ++d) {
        const std::uint32_t rva = directories_[d].first;
        if (d == kDirectoryResource || d == kDirectoryBaseRelocation || d == kDirectorySecurity || rva == 0) {
            continue;
        }
        if (rva >= resourceRva) {
            error = "a data directory points into the resources or after them";
            return std::nullopt;
        }
    }
    // The copy keeps the bytes before the resources' raw data and rewrites the
    // headers inside them: the headers and every earlier section must lie there.
    const std::uint64_t resourceAt = resourceIt->rawPointer;
    const std::uint64_t headersEnd = std::max<std::uint64_t>(
        {sectionTableAt_ + sections_.size() * kSectionHeaderSize, optionalAt_ + 112 + 8 * std::uint64_t{directoryCount_},
         sizeOfHeaders_});
    if (headersEnd > resourceAt || resourceAt % fileAlignment_ != 0) {
        error = "the resource section's raw data does not follow the headers; this layout cannot be rewritten";
        return std::nullopt;
    }
    for (std::size_t i = 0; i < resourceIndex; ++i) {
        if (sections_[i].rawSize != 0 && std::uint64_t{sections_[i].rawPointer} + sections_[i].rawSize > resourceAt) {
            error = "section " + sections_[i].name + " has raw data after the resources'; this layout cannot be rewritten";
            return std::nullopt;
        }
    }
    // Anything after the last section other than a certificate table would be lost.
    std::uint64_t imageEnd = 0;
    for (const PeSection& s : sections_) {
        imageEnd = std::max<std::uint64_t>(imageEnd, std::uint64_t{s.rawPointer} + s.rawSize);
    }
    const std::uint32_t certificateAt = directoryRva(kDirectorySecurity);  // a file offset
    const std::uint32_t certificateSize = certificateAt != 0 ? directories_[kDirectorySecurity].second : 0;
    if (certificateAt != 0 && (certificateAt < imageEnd || !fits(bytes, certificateAt, certificateSize))) {
        error = "the certificate table does not lie after the image; it is not one this tool can rewrite";
        return std::nullopt;
    }
    const std::uint64_t overlayEnd =
        certificateAt != 0 ? std::uint64_t{certificateAt} : static_cast<std::uint64_t>(bytes.size());
    if (overlayEnd > bytes.size() ||
        std::any_of(bytes.begin() + static_cast<std::ptrdiff_t>(imageEnd),
                    bytes.begin() + static_cast<std::ptrdiff_t>(overlayEnd), [](std::uint8_t b) { return b != 0; })) {
        error = "the launcher carries data after its image; it is not one this tool can rewrite";
        return std::nullopt;
    }

    const std::vector<std::uint8_t> resourceBytes = writeResourceTree(tree, resourceRva);
    if (resourceBytes.size() > kMaximumResourceSize) {
        error = "the resources would exceed " + std::to_string(kMaximumResourceSize >> 20) + " MiB";
        return std::nullopt;
    }
    std::vector<std::uint8_t> out(bytes.begin(), bytes.begin() + resourceIt->rawPointer);
    std::vector<PeSection> layout(sections_.begin(), sections_.end());
    PeSection& resources = layout[resourceIndex];
    resources.virtualSize = static_cast<std::uint32_t>(resourceBytes.size());
    resources.rawSize = alignUp(resources.virtualSize, fileAlignment_);
    out.insert(out.end(), resourceBytes.begin(), resourceBytes.end());
    out.resize(resources.rawPointer + resources.rawSize, 0);
    std::uint32_t newRelocationRva = relocationRva;
    for (std::size_t i = resourceIndex + 1; i < layout.size(); ++i) {
        const PeSection& before = layout[i - 1];
        PeSection& moved = layout[i];
        const PeSection& original = sections_[i];
        moved.virtualAddress = alignUp(before.virtualAddress + std::max(before.virtualSize, 1u), sectionAlignment_);
        moved.rawPointer = static_cast<std::uint32_t>(out.size());
        out.insert(out.end(), bytes.begin() + original.rawPointer,
                   bytes.begin() + original.rawPointer + original.rawSize);
        if (original.virtualAddress == relocationRva) {
            newRelocationRva = moved.virtualAddress;
        }
    }

    const PeSection& last = layout.back();
    if (std::uint64_t{last.virtualAddress} + last.virtualSize + sectionAlignment_ > 0x80000000u) {
        error = "the rewritten image would not fit the address space of a PE image";
        return std::nullopt;
    }
    // Every header write is checked, though the layout checks above keep them in the copy.
    bool inside = true;
    const std::span<std::uint8_t> view(out);
    const auto put = [&](std::uint64_t at, std::uint32_t value) {
        if (!fits(view, at, 4)) {
            inside = false;
            return;
        }
        writeU32(view, static_cast<std::size_t>(at), value);
    };
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const std::size_t at = sectionTableAt_ + i * kSectionHeaderSize;
        put(at + 8, layout[i].virtualSize);
        put(at + 12, layout[i].virtualAddress);
        put(at + 16, layout[i].rawSize);
        put(at + 20, layout[i].rawPointer);
    }
    std::uint32_t initializedData = 0;
    for (const PeSection& s : layout) {
        if ((s.characteristics & kInitializedData) != 0) {
            initializedData += s.rawSize;
        }
    }
    put(optionalAt_ + 8, initializedData);
    put(optionalAt_ + 56, alignUp(last.virtualAddress + last.virtualSize, sectionAlignment_));
    put(optionalAt_ + 112 + 8 * kDirectoryResource, resourceRva);
    put(optionalAt_ + 116 + 8 * kDirectoryResource, resources.virtualSize);
    if (relocationRva != 0 && kDirectoryBaseRelocation < directoryCount_) {
        put(optionalAt_ + 112 + 8 * kDirectoryBaseRelocation, newRelocationRva);
    }
    if (kDirectorySecurity < directoryCount_) {
        // A signature over the old image would no longer match: sign after packing.
        put(optionalAt_ + 112 + 8 * kDirectorySecurity, 0);
        put(optionalAt_ + 116 + 8 * kDirectorySecurity, 0);
    }
    put(optionalAt_ + 64, peChecksum(out, optionalAt_ + 64));
    if (!inside || out.size() < 2 || out[0] != 'M' || out[1] != 'Z') {
        error = "the rewritten headers would not lie inside the image";
        return std::nullopt;
    }
    return out;
}

std::uint32_t peChecksum(std::span<const std::uint8_t> bytes, std::size_t checksumAt) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        if (i == checksumAt || i == checksumAt + 2) {
            continue;
        }
        const std::uint32_t word = i + 1 < bytes.size() ? readU16(bytes, i) : bytes[i];
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + bytes.size());
}

}  // namespace jlaunch::pack
