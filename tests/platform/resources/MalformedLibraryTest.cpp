// Damaged libraries: a good fixture cut short or with one field corrupted
// is refused as a whole with ERROR_BAD_EXE_FORMAT and never read outside its
// bytes (the sanitizers watch); changes that leave the file sound load.
// Random damage is the fuzzer's job (fuzz/fuzz_pe_resources.cpp).

#include "Fixtures.h"
#include "platform/resources/ResourceLibrary.h"

#include <gtest/gtest.h>

namespace qm6::res {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::LibraryTest;

std::uint32_t Get32(const Bytes& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | std::uint32_t{b.at(at + 3)} << 24;
}
std::uint16_t Get16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) | b.at(at + 1) << 8);
}
void Put(Bytes& b, std::size_t at, std::uint32_t v, int width = 4) {
    for (int i = 0; i < width; ++i) {
        b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

constexpr std::uint32_t kDir = 0x80000000u;

// Where the fields a corruption aims at lie in a fixture DLL.
struct Layout {
    explicit Layout(const Bytes& b) : bytes(b) {
        pe = Get32(b, 0x3C);
        coff = pe + 4;
        optional = coff + 20;
        directories = optional + (Get16(b, optional) == 0x20B ? 112 : 96);
        resourceRva = Get32(b, directories + 16);
        sections = optional + Get16(b, coff + 16);
        for (std::size_t i = 0; i < Get16(b, coff + 2); ++i) {
            const std::size_t h = sections + 40 * i;
            const std::uint32_t va = Get32(b, h + 12);
            if (resourceRva >= va && resourceRva - va < Get32(b, h + 16)) {
                rsrcHeader = h;
                root = Get32(b, h + 20) + (resourceRva - va);
                rsrcEnd = Get32(b, h + 20) + Get32(b, h + 16);
            }
        }
    }
    // File offset of entry i of the directory at dir (an offset from the root).
    std::size_t Entry(std::uint32_t dir, std::size_t i) const { return root + dir + 16 + 8 * i; }
    std::uint32_t Target(std::size_t entry) const { return Get32(bytes, entry + 4) & ~kDir; }
    // File offset of the entry for id (or the first named entry, for id -1).
    std::size_t Find(std::uint32_t dir, int id) const {
        const std::size_t count = Get16(bytes, root + dir + 12) + Get16(bytes, root + dir + 14);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t name = Get32(bytes, Entry(dir, i));
            if ((id < 0 && (name & kDir)) || (id >= 0 && name == static_cast<std::uint32_t>(id))) {
                return Entry(dir, i);
            }
        }
        throw std::runtime_error("fixture lacks the entry");
    }
    // File offsets of the entries on the way to the first language of the
    // first name of a type (id, or -1 for the first named type).
    std::size_t TypeEntry(int type) const { return Find(0, type); }
    std::size_t NameEntry(int type) const { return Entry(Target(TypeEntry(type)), 0); }
    std::size_t LanguageEntry(int type) const { return Entry(Target(NameEntry(type)), 0); }
    std::size_t DataEntry(int type) const { return root + Target(LanguageEntry(type)); }

    const Bytes& bytes;
    std::size_t pe = 0, coff = 0, optional = 0, directories = 0, sections = 0;
    std::size_t rsrcHeader = 0, root = 0, rsrcEnd = 0;
    std::uint32_t resourceRva = 0;
};

constexpr int kNamedType = -1; // ADMINHEAD in the branding fixture

TEST_P(LibraryTest, RefusesTheFileCutShortAnywhere) {
    for (const char* name : {"branding", "strings_1041"}) {
        const Bytes good = Image(name);
        ASSERT_TRUE(ResourceLibrary::FromBytes(good));
        for (std::size_t size = 0; size < good.size(); ++size) {
            const auto loaded = ResourceLibrary::FromBytes(std::span(good.data(), size));
            ASSERT_FALSE(loaded) << name << " cut to " << size << " bytes";
            ASSERT_EQ(loaded.error, ERROR_BAD_EXE_FORMAT);
        }
    }
}

TEST_P(LibraryTest, RefusesCorruptedFields) {
    const Bytes good = Image("branding");
    const Layout l(good);
    const auto targetOf = [&l](std::size_t entry) { return kDir | l.Target(entry); };
    const std::size_t typeName = l.root + (Get32(good, l.TypeEntry(kNamedType)) & ~kDir);
    const std::size_t icon = l.DataEntry(RT_ICON), strings = l.DataEntry(RT_STRING);
    // The size that takes the icon's data one byte past the section's end.
    const auto pastTheEnd =
        static_cast<std::uint32_t>(l.rsrcEnd - l.root) - (Get32(good, icon) - l.resourceRva) + 1;
    const struct {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        int width = 4;
    } cases[] = {
        {"no MZ signature", 1, 'X', 1},
        {"PE header offset past the end", 0x3C, 0xFFFFFFF0},
        {"unknown optional header magic", l.optional, 0x107, 2},
        {"absurd section count", l.coff + 2, 0xFFFF, 2},
        {"resource section stored past the end", l.rsrcHeader + 20, 0xFFFFFF00},
        {"resource directory in no section", l.directories + 16, 0x00F00000},
        {"absurd id entry count", l.root + 14, 0xFFFF, 2},
        {"type entry loops to the root", l.TypeEntry(RT_STRING) + 4, kDir},
        {"name entry loops to its type directory", l.NameEntry(RT_STRING) + 4,
         targetOf(l.TypeEntry(RT_STRING))},
        {"language entry loops to its name directory", l.LanguageEntry(RT_STRING) + 4,
         targetOf(l.NameEntry(RT_STRING))},
        {"type entry holds data instead of a directory", l.TypeEntry(RT_BITMAP) + 4,
         l.Target(l.TypeEntry(RT_BITMAP))},
        {"type name longer than the section", typeName, 0xFFFF, 2},
        {"data size wraps around", icon + 4, 0xFFFFFFFF},
        {"data one byte past the section end", icon + 4, pastTheEnd},
        {"string block cut short", strings + 4, Get32(good, strings + 4) - 2},
    };
    for (const auto& c : cases) {
        Bytes bad = good;
        Put(bad, c.at, c.value, c.width);
        const auto loaded = ResourceLibrary::FromBytes(bad);
        EXPECT_FALSE(loaded) << c.what;
        EXPECT_EQ(loaded.error, ERROR_BAD_EXE_FORMAT) << c.what;
    }
}

TEST_P(LibraryTest, BoundsDirectoriesSharedByManyParents) {
    // A tree of n types whose entries all lead to one name directory, whose n
    // entries all lead to one language directory of n entries: n + n^2 + n^3
    // entries to walk from 3 directories in the file.
    for (const auto& [n, loads] : {std::pair{20u, true}, std::pair{100u, false}}) {
        Bytes b = Image("scripts");
        const Layout l(b);
        const std::uint32_t dirSize = 16 + 8 * n;
        ASSERT_LE(l.root + 3 * dirSize + 16, l.rsrcEnd);
        for (std::uint32_t level = 0; level < 3; ++level) {
            const std::size_t dir = l.root + level * dirSize;
            std::fill(b.begin() + static_cast<std::ptrdiff_t>(dir),
                      b.begin() + static_cast<std::ptrdiff_t>(dir + 16), 0);
            Put(b, dir + 14, static_cast<std::uint16_t>(n), 2);
            for (std::uint32_t i = 0; i < n; ++i) {
                Put(b, dir + 16 + 8 * i, (level == 0 ? 100 : 1) + i); // types 100 and up
                const std::uint32_t next = (level + 1) * dirSize;
                Put(b, dir + 20 + 8 * i, level < 2 ? kDir | next : next);
            }
        }
        const std::size_t data = l.root + 3 * dirSize;
        Put(b, data, l.resourceRva);
        Put(b, data + 4, 4);
        const auto loaded = ResourceLibrary::FromBytes(b);
        EXPECT_EQ(static_cast<bool>(loaded), loads) << n;
        if (loaded) {
            EXPECT_EQ(loaded.library->Find(100 + n - 1, n)->data.size(), 4u);
        }
    }
}

} // namespace
} // namespace qm6::res
