#include "platform/resources/ResourceLibrary.h"

#include "platform/resources/PeImage.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>

namespace qm6::res {

using detail::ByteReader;
using detail::PeImage;

// What a load finds, shared by every copy of a library.
struct detail::LibraryIndex {
    // One language of a resource: where its bytes are in the file.
    struct Leaf {
        LangId language = 0;
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
        std::uint32_t codePage = 0;
    };
    // All languages of one type and name, in directory order, and the one
    // that Find answers.
    struct Entry {
        std::vector<Leaf> leaves;
        std::size_t chosen = 0;
    };
    using Names = std::unordered_map<ResourceId, Entry>;

    std::vector<std::uint8_t> bytes;
    bool pe32Plus = false;
    LanguageDefaults languages;
    std::unordered_map<ResourceId, Names> types;
    // String id -> text, for the non-empty strings of the chosen language of
    // each block.
    std::unordered_map<std::uint16_t, std::u16string> strings;

    const Entry* Lookup(const ResourceId& type, const ResourceId& name) const {
        const auto t = types.find(type);
        if (t == types.end()) {
            return nullptr;
        }
        const auto n = t->second.find(name);
        return n == t->second.end() ? nullptr : &n->second;
    }

    Resource Make(const Leaf& leaf) const {
        return Resource{std::span<const std::uint8_t>(bytes).subspan(leaf.offset, leaf.size),
                        leaf.language, leaf.codePage};
    }
};

namespace {

using Index = detail::LibraryIndex;

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint32_t kDirectoryHeaderSize = 16;
constexpr std::uint32_t kDirectoryEntrySize = 8;
constexpr std::uint32_t kDataEntrySize = 16;
// Directory entries visited over the whole tree. Real libraries have a few
// thousand; the bound keeps directories shared between several parents from
// multiplying the work.
constexpr std::uint32_t kMaxEntries = 1u << 18;
constexpr std::uint32_t kStringsPerBlock = 16;
constexpr std::uint32_t kMaxStringBlock = 0x10000 / kStringsPerBlock; // block of id 65535

// The language Find answers, in the order described in the header.
std::size_t ChooseLanguage(const std::vector<Index::Leaf>& leaves, LanguageDefaults defaults) {
    const std::array<LangId, 6> order{
        LANG_NEUTRAL_ID,
        defaults.user,
        MakeLangId(PrimaryLangId(defaults.user), 0),
        defaults.system,
        MakeLangId(PrimaryLangId(defaults.system), 0),
        LANG_EN_US,
    };
    for (LangId wanted : order) {
        for (std::size_t i = 0; i < leaves.size(); ++i) {
            if (leaves[i].language == wanted) {
                return i;
            }
        }
    }
    return 0;
}

// Decodes one string block: 16 entries, each a UTF-16LE length and that
// many characters. False when the data ends before the 16th entry.
bool DecodeStringBlock(std::span<const std::uint8_t> data,
                       std::array<std::u16string, kStringsPerBlock>& out) {
    const ByteReader in(data);
    std::uint64_t pos = 0;
    for (auto& text : out) {
        const auto length = in.U16(pos);
        if (!length || !in.Contains(pos + 2, std::uint64_t{*length} * 2)) {
            return false;
        }
        pos += 2;
        text.resize(*length);
        for (auto& unit : text) {
            unit = static_cast<char16_t>(*in.U16(pos));
            pos += 2;
        }
    }
    return true;
}

// Walks the resource directory of a parsed image and fills the index;
// false on any damage.
class TreeReader {
public:
    TreeReader(const PeImage& image, std::span<const std::uint8_t> region)
        : image_(image), region_(region) {}

    bool Read(Index& index) {
        std::vector<RawEntry> types;
        if (!Entries(0, types)) {
            return false;
        }
        for (const auto& type : types) {
            if (!type.directory || type.target == 0) {
                return false; // a data entry as a type, or a loop to the root
            }
            const auto typeKey = Key(type);
            if (!typeKey) {
                return false;
            }
            auto& names = index.types[*typeKey];
            if (!ReadNames(type.target, names)) {
                return false;
            }
        }
        return true;
    }

private:
    struct RawEntry {
        bool named = false;
        std::uint32_t nameOrId = 0; // name offset from the root, or the id
        bool directory = false;
        std::uint32_t target = 0; // offset from the root
    };

    bool ReadNames(std::uint32_t typeDirectory, Index::Names& names) {
        std::vector<RawEntry> entries;
        if (!Entries(typeDirectory, entries)) {
            return false;
        }
        for (const auto& name : entries) {
            if (!name.directory || name.target == 0 || name.target == typeDirectory) {
                return false;
            }
            const auto nameKey = Key(name);
            if (!nameKey) {
                return false;
            }
            Index::Entry entry;
            if (!ReadLanguages(name.target, entry)) {
                return false;
            }
            names.try_emplace(*nameKey, std::move(entry)); // the first of duplicates wins
        }
        return true;
    }

    bool ReadLanguages(std::uint32_t nameDirectory, Index::Entry& entry) {
        std::vector<RawEntry> entries;
        if (!Entries(nameDirectory, entries)) {
            return false;
        }
        for (const auto& language : entries) {
            // Languages are numbers, and a language holds data: a directory
            // here is damage (or a loop back to an ancestor).
            if (language.named || language.directory || language.nameOrId > 0xFFFF) {
                return false;
            }
            // IMAGE_RESOURCE_DATA_ENTRY: RVA, size, code page, reserved.
            if (!region_.Contains(language.target, kDataEntrySize)) {
                return false;
            }
            const std::uint32_t rva = *region_.U32(language.target);
            const std::uint32_t size = *region_.U32(std::uint64_t{language.target} + 4);
            const std::uint32_t codePage = *region_.U32(std::uint64_t{language.target} + 8);
            const auto range = image_.Map(rva, size);
            if (!range) {
                return false;
            }
            const auto id = static_cast<LangId>(language.nameOrId);
            const bool duplicate =
                std::any_of(entry.leaves.begin(), entry.leaves.end(),
                            [id](const Index::Leaf& leaf) { return leaf.language == id; });
            if (!duplicate) {
                entry.leaves.push_back({id, range->offset, range->size, codePage});
            }
        }
        return true;
    }

    // The entries of the directory at offset, checked to lie in the region.
    bool Entries(std::uint32_t offset, std::vector<RawEntry>& out) {
        const auto named = region_.U16(std::uint64_t{offset} + 12);
        const auto ids = region_.U16(std::uint64_t{offset} + 14);
        if (!named || !ids) {
            return false;
        }
        const std::uint32_t count = std::uint32_t{*named} + *ids;
        visited_ += count;
        if (visited_ > kMaxEntries ||
            !region_.Contains(std::uint64_t{offset} + kDirectoryHeaderSize,
                              std::uint64_t{count} * kDirectoryEntrySize)) {
            return false;
        }
        out.clear();
        out.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t at = std::uint64_t{offset} + kDirectoryHeaderSize +
                                     std::uint64_t{i} * kDirectoryEntrySize;
            const std::uint32_t name = *region_.U32(at);
            const std::uint32_t data = *region_.U32(at + 4);
            RawEntry entry;
            entry.named = (name & kHighBit) != 0;
            entry.nameOrId = name & ~kHighBit;
            entry.directory = (data & kHighBit) != 0;
            entry.target = data & ~kHighBit;
            if (!entry.named && entry.nameOrId > 0xFFFF) {
                return false;
            }
            out.push_back(entry);
        }
        return true;
    }

    // The key of a type or name entry: its id, or its name string (a
    // UTF-16LE length and characters, at an offset from the root).
    std::optional<ResourceId> Key(const RawEntry& entry) const {
        if (!entry.named) {
            return ResourceId(static_cast<std::uint16_t>(entry.nameOrId));
        }
        const auto length = region_.U16(entry.nameOrId);
        if (!length ||
            !region_.Contains(std::uint64_t{entry.nameOrId} + 2, std::uint64_t{*length} * 2)) {
            return std::nullopt;
        }
        std::u16string name(*length, u'\0');
        for (std::uint32_t i = 0; i < *length; ++i) {
            name[i] =
                static_cast<char16_t>(*region_.U16(std::uint64_t{entry.nameOrId} + 2 + 2 * i));
        }
        return ResourceId::FromUtf16Name(name);
    }

    const PeImage& image_;
    ByteReader region_;
    std::uint32_t visited_ = 0;
};

// Chooses the languages and decodes the string tables; false when a string
// block is cut short.
bool Finish(Index& index) {
    for (auto& [type, names] : index.types) {
        for (auto& [name, entry] : names) {
            entry.chosen = ChooseLanguage(entry.leaves, index.languages);
        }
    }
    const auto strings = index.types.find(ResourceId(RT_STRING));
    if (strings == index.types.end()) {
        return true;
    }
    std::array<std::u16string, kStringsPerBlock> block;
    for (const auto& [name, entry] : strings->second) {
        for (std::size_t i = 0; i < entry.leaves.size(); ++i) {
            const auto& leaf = entry.leaves[i];
            if (!DecodeStringBlock(index.Make(leaf).data, block)) {
                return false;
            }
            // Blocks are numbered from 1; a named block or block 0 has no ids.
            if (i != entry.chosen || name.IsName() || name.Id() == 0 ||
                name.Id() > kMaxStringBlock) {
                continue;
            }
            const std::uint32_t first = (std::uint32_t{name.Id()} - 1) * kStringsPerBlock;
            for (std::uint32_t k = 0; k < kStringsPerBlock; ++k) {
                if (!block[k].empty()) {
                    index.strings[static_cast<std::uint16_t>(first + k)] = std::move(block[k]);
                }
            }
        }
    }
    return true;
}

LoadResult Refused(long error) {
    LoadResult result;
    result.error = error;
    return result;
}

long ErrorOfOpen(int error, const std::filesystem::path& path) {
    switch (error) {
    case ENOENT: {
        std::error_code ignored;
        const auto folder = path.parent_path();
        return folder.empty() || std::filesystem::is_directory(folder, ignored)
                   ? ERROR_FILE_NOT_FOUND
                   : ERROR_PATH_NOT_FOUND;
    }
    case ENOTDIR:
    case ENAMETOOLONG:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_READ_FAULT;
    }
}

} // namespace

ResourceLibrary::ResourceLibrary(std::shared_ptr<const detail::LibraryIndex> index)
    : index_(std::move(index)) {}

LoadResult ResourceLibrary::FromBytes(std::span<const std::uint8_t> bytes,
                                      LanguageDefaults languages) {
    if (bytes.size() > kMaxImageBytes) {
        return Refused(ERROR_BAD_EXE_FORMAT);
    }
    return FromBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), languages);
}

LoadResult ResourceLibrary::FromBytes(std::vector<std::uint8_t> bytes, LanguageDefaults languages) {
    if (bytes.size() > kMaxImageBytes) {
        return Refused(ERROR_BAD_EXE_FORMAT);
    }
    auto index = std::make_shared<Index>();
    index->bytes = std::move(bytes);
    index->languages = languages;
    const std::span<const std::uint8_t> file(index->bytes);

    const auto image = PeImage::Parse(file);
    if (!image) {
        return Refused(ERROR_BAD_EXE_FORMAT);
    }
    index->pe32Plus = image->IsPe32Plus();
    if (image->ResourceSize() != 0) {
        // Directory offsets count from the root and stay inside the section
        // that holds it.
        const auto root = image->MapToSectionEnd(image->ResourceRva());
        if (!root) {
            return Refused(ERROR_BAD_EXE_FORMAT);
        }
        TreeReader reader(*image, file.subspan(root->offset, root->size));
        if (!reader.Read(*index) || !Finish(*index)) {
            return Refused(ERROR_BAD_EXE_FORMAT);
        }
    }
    LoadResult result;
    result.library = ResourceLibrary(std::move(index));
    return result;
}

LoadResult ResourceLibrary::Load(const std::filesystem::path& path, LanguageDefaults languages) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return Refused(ErrorOfOpen(errno, path));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return Refused(ERROR_READ_FAULT);
    }
    if (S_ISDIR(info.st_mode)) {
        return Refused(ERROR_ACCESS_DENIED);
    }
    if (!S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<std::uint64_t>(info.st_size) > kMaxImageBytes) {
        return Refused(ERROR_BAD_EXE_FORMAT);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return Refused(ERROR_READ_FAULT);
        }
        if (got == 0) {
            bytes.resize(done); // the file shrank while we read it
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return FromBytes(std::move(bytes), languages);
}

bool ResourceLibrary::IsPe32Plus() const {
    return index_->pe32Plus;
}

LanguageDefaults ResourceLibrary::Languages() const {
    return index_->languages;
}

std::optional<Resource> ResourceLibrary::Find(const ResourceId& type,
                                              const ResourceId& name) const {
    const auto* entry = index_->Lookup(type, name);
    if (entry == nullptr || entry->leaves.empty()) {
        return std::nullopt;
    }
    return index_->Make(entry->leaves[entry->chosen]);
}

std::optional<Resource> ResourceLibrary::FindExact(const ResourceId& type, const ResourceId& name,
                                                   LangId language) const {
    const auto* entry = index_->Lookup(type, name);
    if (entry == nullptr) {
        return std::nullopt;
    }
    for (const auto& leaf : entry->leaves) {
        if (leaf.language == language) {
            return index_->Make(leaf);
        }
    }
    return std::nullopt;
}

std::vector<LangId> ResourceLibrary::LanguagesOf(const ResourceId& type,
                                                 const ResourceId& name) const {
    std::vector<LangId> out;
    if (const auto* entry = index_->Lookup(type, name)) {
        for (const auto& leaf : entry->leaves) {
            out.push_back(leaf.language);
        }
    }
    return out;
}

std::vector<ResourceId> ResourceLibrary::Types() const {
    std::vector<ResourceId> out;
    for (const auto& [type, names] : index_->types) {
        out.push_back(type);
    }
    return out;
}

std::vector<ResourceId> ResourceLibrary::Names(const ResourceId& type) const {
    std::vector<ResourceId> out;
    if (const auto t = index_->types.find(type); t != index_->types.end()) {
        for (const auto& [name, entry] : t->second) {
            out.push_back(name);
        }
    }
    return out;
}

std::optional<Resource> ResourceLibrary::FindBitmap(const ResourceId& name) const {
    return Find(RT_BITMAP, name);
}

std::optional<Resource> ResourceLibrary::FindIcon(std::uint16_t id) const {
    return Find(RT_ICON, id);
}

std::optional<Resource> ResourceLibrary::FindGroupIcon(const ResourceId& name) const {
    return Find(RT_GROUP_ICON, name);
}

std::optional<std::vector<IconGroupEntry>>
ResourceLibrary::IconGroup(const ResourceId& name) const {
    // GRPICONDIR: reserved, type, count; then 14-byte GRPICONDIRENTRYs.
    constexpr std::uint64_t kHeaderSize = 6;
    constexpr std::uint64_t kEntrySize = 14;
    const auto group = FindGroupIcon(name);
    if (!group) {
        return std::nullopt;
    }
    const ByteReader in(group->data);
    const auto count = in.U16(4);
    if (!count || !in.Contains(kHeaderSize, *count * kEntrySize)) {
        return std::nullopt;
    }
    std::vector<IconGroupEntry> entries(*count);
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::uint64_t at = kHeaderSize + i * kEntrySize;
        auto& e = entries[i];
        e.width = group->data[at];
        e.height = group->data[at + 1];
        e.colorCount = group->data[at + 2];
        e.planes = *in.U16(at + 4);
        e.bitCount = *in.U16(at + 6);
        e.bytesInResource = *in.U32(at + 8);
        e.iconId = *in.U16(at + 12);
    }
    return entries;
}

std::u16string_view ResourceLibrary::String(std::uint32_t id) const {
    if (id > 0xFFFF) {
        return {};
    }
    const auto found = index_->strings.find(static_cast<std::uint16_t>(id));
    if (found == index_->strings.end()) {
        return {};
    }
    return found->second;
}

} // namespace qm6::res
