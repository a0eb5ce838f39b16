#pragma once

// The headers of a PE file (PE32 or PE32+) as far as a data-file load needs
// them: where the resource directory is, and how the relative virtual
// addresses (RVAs) that the resource directory uses map to offsets in the
// file. Used by ResourceLibrary; every read is checked against the file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qm6::res::detail {

// Little-endian reads that answer nullopt instead of reading past the end.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::optional<std::uint16_t> U16(std::uint64_t offset) const;
    std::optional<std::uint32_t> U32(std::uint64_t offset) const;
    // True when [offset, offset + size) lies inside the bytes.
    bool Contains(std::uint64_t offset, std::uint64_t size) const {
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }
    std::size_t Size() const { return bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
};

class PeImage {
public:
    // Resource libraries have a handful of sections; more than 96 (the
    // limit of older loaders) means a damaged file, and the bound keeps
    // mapping an address cheap.
    static constexpr std::uint32_t kMaxSections = 96;

    struct Section {
        std::uint32_t virtualAddress = 0;
        std::uint32_t rawSize = 0;   // bytes of the section stored in the file
        std::uint32_t rawOffset = 0; // where they start in the file
    };

    // Reads the headers; nullopt when the bytes are not a well-formed PE
    // file: no "MZ" or "PE\0\0" signature, an unknown optional-header
    // magic, headers or the section table cut off, or a section whose
    // stored bytes lie outside the file.
    static std::optional<PeImage> Parse(std::span<const std::uint8_t> file);

    bool IsPe32Plus() const { return pe32Plus_; }
    // RVA and size of the resource directory; size 0 when there is none.
    std::uint32_t ResourceRva() const { return resourceRva_; }
    std::uint32_t ResourceSize() const { return resourceSize_; }

    // The file range of [rva, rva + size) when it lies inside the stored
    // bytes of a single section.
    struct FileRange {
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
    };
    std::optional<FileRange> Map(std::uint32_t rva, std::uint32_t size) const;
    // The file range from rva to the end of its section's stored bytes.
    std::optional<FileRange> MapToSectionEnd(std::uint32_t rva) const;

private:
    const Section* SectionOf(std::uint32_t rva) const;

    bool pe32Plus_ = false;
    std::uint32_t resourceRva_ = 0;
    std::uint32_t resourceSize_ = 0;
    std::vector<Section> sections_;
};

} // namespace qm6::res::detail
