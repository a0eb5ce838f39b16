#include "common/ModuleState.h"

#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace qm6 {
namespace {

TEST(ModuleState, StartsOncePerThreadAndAgainAfterReset) {
    ResetModuleState();
    ModuleState& first = State();
    EXPECT_TRUE(first.started);
    EXPECT_EQ(&first, &State());

    // Another thread starts a state of its own.
    std::thread([&] {
        EXPECT_TRUE(State().started);
        EXPECT_NE(&State(), &first);
    }).join();

    ResetModuleState();
    EXPECT_TRUE(State().started);
}

TEST(ModuleState, ModuleFolderPrefersHostThenEnvironmentThenLoadedLibrary) {
    SetModuleFolder("");
    {
        test::ScopedEnv env("QM6_MODULE_DIR", std::nullopt);
        // The loaded library lives in the build's bin folder.
        auto folder = std::filesystem::path(ModuleFolder());
        EXPECT_TRUE(std::filesystem::exists(folder / "libqm6admcm.so")) << folder;
    }
    {
        test::ScopedEnv env("QM6_MODULE_DIR", "/opt/qm6/bin/");
        EXPECT_EQ(ModuleFolder(), "/opt/qm6/bin");
        SetModuleFolder("/srv/host//");
        EXPECT_EQ(ModuleFolder(), "/srv/host");
        SetModuleFolder("");
        EXPECT_EQ(ModuleFolder(), "/opt/qm6/bin");
    }
}

} // namespace
} // namespace qm6
