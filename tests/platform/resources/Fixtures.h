#pragma once

// The resource DLLs built from fixtures/*.rc for each architecture, and the
// files they embed.

#include "support/TestSupport.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm6::res::test {

// The two image formats: "x86_64" (PE32+) and "i686" (PE32).
inline const std::vector<std::string> kArchs{"x86_64", "i686"};

// Names the instances of a test parametrized by architecture.
inline std::string ArchName(const ::testing::TestParamInfo<std::string>& param) {
    return param.param;
}

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

} // namespace qm6::res::test
