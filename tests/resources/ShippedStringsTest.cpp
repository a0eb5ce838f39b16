// Every string library the build ships is checked against the English one of
// the same name: a translation must have a text for every id the English
// library has, no id of its own, and the same number of "%s" markers, since
// the program fills the markers in order and a lost one drops an argument.

#include "platform/resources/ResourceLibrary.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace qm6::res {
namespace {

namespace fs = std::filesystem;

const fs::path kLangFolder = QM6_SHIPPED_LANG_FOLDER;
constexpr const char* kReference = "1033";

int Markers(std::u16string_view text) {
    int count = 0;
    for (std::size_t at = text.find(u"%s"); at != text.npos; at = text.find(u"%s", at + 2))
        ++count;
    return count;
}

// The number of "%s" markers of each id a library has a text for.
std::map<std::uint32_t, int> MarkersById(const fs::path& file) {
    LoadResult loaded = ResourceLibrary::Load(file);
    EXPECT_TRUE(loaded) << file << " does not load (error " << loaded.error << ")";
    std::map<std::uint32_t, int> markers;
    if (!loaded)
        return markers;
    for (const ResourceId& block : loaded.library->Names(RT_STRING)) {
        if (block.IsName() || block.Id() == 0)
            continue;
        for (std::uint32_t id = (block.Id() - 1u) * 16u; id < block.Id() * 16u; ++id) {
            std::u16string_view text = loaded.library->String(id);
            if (!text.empty())
                markers.emplace(id, Markers(text));
        }
    }
    return markers;
}

TEST(ShippedStrings, EveryTranslationMatchesTheEnglishIdsAndMarkers) {
    ASSERT_TRUE(fs::is_directory(kLangFolder / kReference)) << kLangFolder;
    int translations = 0;
    for (const fs::directory_entry& locale : fs::directory_iterator(kLangFolder)) {
        const std::string lcid = locale.path().filename().string();
        if (lcid == kReference || !locale.is_directory())
            continue;
        for (const fs::directory_entry& file : fs::directory_iterator(locale.path())) {
            SCOPED_TRACE(file.path().string());
            const fs::path english = kLangFolder / kReference / file.path().filename();
            ASSERT_TRUE(fs::exists(english)) << "no English library of this name";
            const auto reference = MarkersById(english);
            const auto translated = MarkersById(file.path());
            ASSERT_FALSE(reference.empty());
            // (id, markers) in one library and not the other
            std::vector<std::pair<std::uint32_t, int>> apart;
            std::set_symmetric_difference(reference.begin(), reference.end(), translated.begin(),
                                          translated.end(), std::back_inserter(apart));
            EXPECT_EQ(apart, decltype(apart){});
            ++translations;
        }
    }
    EXPECT_GT(translations, 0) << "no translated string library was built";
}

} // namespace
} // namespace qm6::res
