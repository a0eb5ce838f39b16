#pragma once

// A resource library loaded as a data file, as the platform's
// LoadLibraryEx(LOAD_LIBRARY_AS_DATAFILE) loads a string or branding
// library: no code of it runs, only its resources are read.
//
// The file is a PE image (PE32 or PE32+), as windres and ld or the
// platform's own tools build it. Loading reads the headers, maps the
// sections' addresses to file offsets and indexes the whole resource
// directory (type -> name -> language -> data) once, so every later lookup
// is a hash look-up. All string tables are decoded at load too, so a string
// is a table look-up. The same lookups serve a library held in memory (the
// library's own compiled-in resources).
//
// A file that is not a well-formed PE image, or whose resource directory
// is damaged in any way (cut off, offsets or sizes outside the file, a
// directory that points back at one of its ancestors, absurd counts), is
// refused as a whole with ERROR_BAD_EXE_FORMAT; nothing of it is ever read
// outside its bytes.
//
// Language choice. A resource may exist in several languages. Find (and
// with it String, which looks up each 16-string block as the platform's
// LoadString does) takes the first language present in this order, which is
// the order the platform's loader follows for a language-neutral lookup:
//   1. LANG_NEUTRAL (0x0000);
//   2. the user's default language, then its primary language with
//      SUBLANG_NEUTRAL (for 0x0807 that is 0x0007);
//   3. the system's default language, then its primary language with
//      SUBLANG_NEUTRAL;
//   4. US English (0x0409);
//   5. the first language in the directory (the lowest id, since resource
//      compilers sort the entries).
// The user's and the system's default languages are given at load
// (LanguageDefaults) and the choice is made then. FindExact looks up one
// language only.
//
// A loaded library never changes: copies share it, may be used from any
// thread, and the bytes a lookup answers stay valid while any copy lives.

#include "platform/resources/ResourceId.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace qm6::res {

// Win32 error codes a load answers.
enum : long {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_PATH_NOT_FOUND = 3,
    ERROR_ACCESS_DENIED = 5,
    ERROR_READ_FAULT = 30,
    ERROR_BAD_EXE_FORMAT = 193,
};

// Predefined resource types.
enum : std::uint16_t {
    RT_CURSOR = 1,
    RT_BITMAP = 2,
    RT_ICON = 3,
    RT_STRING = 6,
    RT_RCDATA = 10,
    RT_GROUP_CURSOR = 12,
    RT_GROUP_ICON = 14,
    RT_VERSION = 16,
};

// A language id: primary language in the low 10 bits, sublanguage above.
using LangId = std::uint16_t;
constexpr LangId LANG_NEUTRAL_ID = 0x0000;
constexpr LangId LANG_EN_US = 0x0409;
constexpr LangId MakeLangId(std::uint16_t primary, std::uint16_t sub) {
    return static_cast<LangId>((sub << 10) | primary);
}
constexpr std::uint16_t PrimaryLangId(LangId lang) {
    return lang & 0x3FF;
}
constexpr std::uint16_t SubLangId(LangId lang) {
    return lang >> 10;
}

// The user's and the system's default languages (GetUserDefaultLangID and
// GetSystemDefaultLangID on the platform).
struct LanguageDefaults {
    LangId user = LANG_EN_US;
    LangId system = LANG_EN_US;
};

// One resource found: its bytes (valid while any copy of the library
// lives), its language and the code page its directory entry names.
struct Resource {
    std::span<const std::uint8_t> data;
    LangId language = 0;
    std::uint32_t codePage = 0;
};

// One image of an icon group (GRPICONDIRENTRY): its size and colours as the
// group describes them, and the RT_ICON id that holds the image.
struct IconGroupEntry {
    std::uint8_t width = 0;  // 0 means 256
    std::uint8_t height = 0; // 0 means 256
    std::uint8_t colorCount = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t bytesInResource = 0;
    std::uint16_t iconId = 0;
};

struct LoadResult;
namespace detail {
struct LibraryIndex;
}

class ResourceLibrary {
public:
    // Files larger than this are refused (ERROR_BAD_EXE_FORMAT); resource
    // libraries are a few hundred kilobytes at most.
    static constexpr std::size_t kMaxImageBytes = std::size_t{256} << 20;

    // Loads a file. Errors: ERROR_FILE_NOT_FOUND (no such file),
    // ERROR_PATH_NOT_FOUND (no such folder), ERROR_ACCESS_DENIED (not
    // readable, or a folder), ERROR_READ_FAULT (reading failed),
    // ERROR_BAD_EXE_FORMAT (not a well-formed resource library).
    static LoadResult Load(const std::filesystem::path& path, LanguageDefaults languages = {});
    // Loads a library from bytes in memory (copied); ERROR_BAD_EXE_FORMAT
    // when they are not a well-formed resource library.
    static LoadResult FromBytes(std::span<const std::uint8_t> bytes,
                                LanguageDefaults languages = {});
    static LoadResult FromBytes(std::vector<std::uint8_t> bytes, LanguageDefaults languages = {});

    // True for a PE32+ (64-bit) image, false for PE32.
    bool IsPe32Plus() const;
    LanguageDefaults Languages() const;

    // The resource of a type and name in the language chosen as described
    // above; nullopt when there is none.
    std::optional<Resource> Find(const ResourceId& type, const ResourceId& name) const;
    // The resource in exactly this language.
    std::optional<Resource> FindExact(const ResourceId& type, const ResourceId& name,
                                      LangId language) const;
    // The languages a resource exists in, in directory order.
    std::vector<LangId> LanguagesOf(const ResourceId& type, const ResourceId& name) const;
    // The types present, and the names of one type (in no particular order).
    std::vector<ResourceId> Types() const;
    std::vector<ResourceId> Names(const ResourceId& type) const;

    // Pictures, found but not decoded. A bitmap is a DIB without its file
    // header; an icon image is a DIB (or a PNG) as in an .ico file.
    std::optional<Resource> FindBitmap(const ResourceId& name) const;
    std::optional<Resource> FindIcon(std::uint16_t id) const;
    std::optional<Resource> FindGroupIcon(const ResourceId& name) const;
    // The images an icon group lists; nullopt when the group is missing or
    // its data is too short for the count it gives.
    std::optional<std::vector<IconGroupEntry>> IconGroup(const ResourceId& name) const;

    // The text of string id (UTF-16, as stored); empty when the id has no
    // string, its string is empty, or the id is above 65535. Each block of
    // 16 ids takes its language on its own, as the platform's LoadString does.
    std::u16string_view String(std::uint32_t id) const;

private:
    explicit ResourceLibrary(std::shared_ptr<const detail::LibraryIndex> index);

    std::shared_ptr<const detail::LibraryIndex> index_;
};

// A loaded library, or the Win32 error code of a failed load.
struct LoadResult {
    std::optional<ResourceLibrary> library;
    long error = ERROR_SUCCESS;

    explicit operator bool() const { return library.has_value(); }
};

} // namespace qm6::res
