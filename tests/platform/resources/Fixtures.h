#pragma once

// The resource DLLs built from fixtures/*.rc for each architecture, the
// files they embed, and the fixture of the tests that load them.

#include "platform/resources/ResourceLibrary.h"
#include "support/TestSupport.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qm6::res::test {

inline std::filesystem::path FixtureDll(std::string_view arch, std::string_view name) {
    return std::filesystem::path(QM6_RES_FIXTURE_BIN) / arch / (std::string(name) + ".dll");
}

inline std::filesystem::path FixtureSource(std::string_view name) {
    return std::filesystem::path(QM6_RES_FIXTURE_SRC) / name;
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    const std::string bytes = qm6::test::ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

inline std::string AsText(std::span<const std::uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

// Tests run on each image format: "x86_64" (PE32+) and "i686" (PE32).
class LibraryTest : public ::testing::TestWithParam<std::string> {
protected:
    // A fixture library, which must load in the format of the test.
    ResourceLibrary Open(std::string_view name, LanguageDefaults languages = {}) {
        auto loaded = ResourceLibrary::Load(FixtureDll(GetParam(), name), languages);
        EXPECT_TRUE(loaded) << name << ": error " << loaded.error;
        if (!loaded)
            throw std::runtime_error("fixture not loadable");
        EXPECT_EQ(loaded.library->IsPe32Plus(), GetParam() == "x86_64") << name;
        return *std::move(loaded.library);
    }
    std::vector<std::uint8_t> Image(std::string_view name) const {
        return ReadBytes(FixtureDll(GetParam(), name));
    }
};

} // namespace qm6::res::test
