// Every string library the build ships is checked against the English one of
// the same name: a translation must have a text for every id the English
// library has, no id of its own, and the same number of "%s" markers, since
// the program fills the markers in order and a lost one drops an argument.

#include "platform/resources/ResourceLibrary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

namespace qm6::res {
namespace {

namespace fs = std::filesystem;

const fs::path kLangFolder = QM6_SHIPPED_LANG_FOLDER;
constexpr const char* kReference = "1033";

std::map<std::uint32_t, std::u16string> Strings(const fs::path& file) {
    LoadResult loaded = ResourceLibrary::Load(file);
    EXPECT_TRUE(loaded) << file << " does not load (error " << loaded.error << ")";
    std::map<std::uint32_t, std::u16string> texts;
    if (!loaded)
        return texts;
    for (const ResourceId& block : loaded.library->Names(RT_STRING)) {
        if (block.IsName() || block.Id() == 0)
            continue;
        for (std::uint32_t id = (block.Id() - 1u) * 16u; id < block.Id() * 16u; ++id) {
            std::u16string_view text = loaded.library->String(id);
            if (!text.empty())
                texts.emplace(id, std::u16string(text));
        }
    }
    return texts;
}

int Markers(const std::u16string& text) {
    int count = 0;
    for (std::size_t at = text.find(u"%s"); at != std::u16string::npos; at = text.find(u"%s", at + 2))
        ++count;
    return count;
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
            const auto reference = Strings(english);
            const auto translated = Strings(file.path());
            ASSERT_FALSE(reference.empty());
            for (const auto& [id, text] : reference) {
                auto found = translated.find(id);
                if (found == translated.end()) {
                    ADD_FAILURE() << "id " << id << " has no translation";
                    continue;
                }
                EXPECT_EQ(Markers(found->second), Markers(text)) << "id " << id;
            }
            for (const auto& entry : translated)
                EXPECT_TRUE(reference.count(entry.first)) << "id " << entry.first << " is not in English";
            ++translations;
        }
    }
    EXPECT_GT(translations, 0) << "no translated string library was built";
}

} // namespace
} // namespace qm6::res
