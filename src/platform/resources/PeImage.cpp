#include "platform/resources/PeImage.h"

namespace qm6::res::detail {

std::optional<std::uint16_t> ByteReader::U16(std::uint64_t offset) const {
    if (!Contains(offset, 2)) {
        return std::nullopt;
    }
    const auto* p = bytes_.data() + offset;
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::optional<std::uint32_t> ByteReader::U32(std::uint64_t offset) const {
    if (!Contains(offset, 4)) {
        return std::nullopt;
    }
    const auto* p = bytes_.data() + offset;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

namespace {

constexpr std::uint16_t kDosMagic = 0x5A4D;    // "MZ"
constexpr std::uint32_t kPeSignature = 0x4550; // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kDosNewHeaderField = 0x3C; // e_lfanew
constexpr std::uint32_t kCoffHeaderSize = 20;
constexpr std::uint32_t kSectionHeaderSize = 40;
constexpr std::uint32_t kDataDirectorySize = 8;
constexpr std::uint32_t kResourceDirectoryIndex = 2;

} // namespace

std::optional<PeImage> PeImage::Parse(std::span<const std::uint8_t> file) {
    const ByteReader in(file);
    if (in.U16(0) != kDosMagic) {
        return std::nullopt;
    }
    const auto peOffset = in.U32(kDosNewHeaderField);
    if (!peOffset || in.U32(*peOffset) != kPeSignature) {
        return std::nullopt;
    }
    const std::uint64_t coff = std::uint64_t{*peOffset} + 4;
    const auto sectionCount = in.U16(coff + 2);
    const auto optionalSize = in.U16(coff + 16);
    if (!sectionCount || !optionalSize || *sectionCount > kMaxSections) {
        return std::nullopt;
    }
    const std::uint64_t optional = coff + kCoffHeaderSize;
    if (!in.Contains(optional, *optionalSize)) {
        return std::nullopt;
    }

    PeImage image;
    const auto magic = in.U16(optional);
    std::uint64_t countField = 0; // NumberOfRvaAndSizes, relative to the optional header
    if (magic == kPe32Magic) {
        countField = 92;
    } else if (magic == kPe32PlusMagic) {
        countField = 108;
        image.pe32Plus_ = true;
    } else {
        return std::nullopt;
    }
    const std::uint64_t directories = countField + 4;
    if (directories > *optionalSize) {
        return std::nullopt;
    }
    const auto directoryCount = in.U32(optional + countField);
    if (!directoryCount) {
        return std::nullopt;
    }
    if (*directoryCount > kResourceDirectoryIndex) {
        // The resource entry must lie inside the optional header the COFF
        // header announces; otherwise the two headers disagree.
        const std::uint64_t entry = directories + kResourceDirectoryIndex * kDataDirectorySize;
        if (entry + kDataDirectorySize > *optionalSize) {
            return std::nullopt;
        }
        image.resourceRva_ = *in.U32(optional + entry);
        image.resourceSize_ = *in.U32(optional + entry + 4);
    }

    const std::uint64_t table = optional + *optionalSize;
    if (!in.Contains(table, std::uint64_t{*sectionCount} * kSectionHeaderSize)) {
        return std::nullopt;
    }
    image.sections_.reserve(*sectionCount);
    for (std::uint32_t i = 0; i < *sectionCount; ++i) {
        const std::uint64_t header = table + std::uint64_t{i} * kSectionHeaderSize;
        Section section;
        section.virtualAddress = *in.U32(header + 12);
        section.rawSize = *in.U32(header + 16);
        section.rawOffset = *in.U32(header + 20);
        if (section.rawSize != 0 && !in.Contains(section.rawOffset, section.rawSize)) {
            return std::nullopt; // the file is cut off or the header is damaged
        }
        image.sections_.push_back(section);
    }

    if (image.resourceSize_ == 0) {
        image.resourceRva_ = 0;
    }
    return image;
}

const PeImage::Section* PeImage::SectionOf(std::uint32_t rva) const {
    for (const auto& section : sections_) {
        if (rva >= section.virtualAddress && rva - section.virtualAddress < section.rawSize) {
            return &section;
        }
    }
    return nullptr;
}

std::optional<PeImage::FileRange> PeImage::Map(std::uint32_t rva, std::uint32_t size) const {
    for (const auto& section : sections_) {
        if (rva < section.virtualAddress) {
            continue;
        }
        const std::uint64_t inside = rva - section.virtualAddress;
        if (inside + size <= section.rawSize && (size != 0 || inside < section.rawSize)) {
            return FileRange{static_cast<std::uint32_t>(section.rawOffset + inside), size};
        }
    }
    return std::nullopt;
}

std::optional<PeImage::FileRange> PeImage::MapToSectionEnd(std::uint32_t rva) const {
    const auto* section = SectionOf(rva);
    if (section == nullptr) {
        return std::nullopt;
    }
    const std::uint32_t inside = rva - section->virtualAddress;
    return FileRange{section->rawOffset + inside, section->rawSize - inside};
}

} // namespace qm6::res::detail
