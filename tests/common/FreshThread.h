#pragma once

// A case whose thread starts the library afresh: a hive of its own, US
// English as the user's language, and the library's folder chosen by the
// case. The thread's state and the folder go with the case.

#include "common/ModuleState.h"
#include "platform/registry/Registry.h"
#include "registry/clsRegistry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <string>

namespace qm6::test {

class FreshThread : public ::testing::Test {
protected:
    FreshThread() { reg::CloseThreadConnections(); }
    ~FreshThread() override {
        ResetModuleState();
        SetModuleFolder("");
        reg::CloseThreadConnections();
    }

    // Starts the thread again with the library in folder.
    static void StartIn(const std::string& folder) {
        SetModuleFolder(folder);
        reg::CloseThreadConnections();
        ResetModuleState();
    }

    // Stores a value under HKEY_CURRENT_USER\section.
    static void Store(const std::string& section, const std::string& name, const vb::Variant& value,
                      int32_t type = reg::REG_SZ) {
        clsRegistry key;
        key.ClassKey(static_cast<int32_t>(reg::HKEY_CURRENT_USER));
        key.SectionKey(section);
        key.ValueType(type);
        std::string error;
        ASSERT_TRUE(key.SetCreateValue(name, value, false, &error)) << error;
    }

    // The text stored under HKEY_CURRENT_USER\section, "(missing)" or
    // "(not text)".
    static std::string Stored(const std::string& section, const std::string& name) {
        clsRegistry key;
        key.ClassKey(static_cast<int32_t>(reg::HKEY_CURRENT_USER));
        key.SectionKey(section);
        const vb::Variant value = key.GetValueOrDefault(name, vb::Variant("(missing)"), nullptr);
        return value.IsString() ? value.AsString() : "(not text)";
    }

    TempDir hive_;
    ScopedEnv registry_{"QM6_REGISTRY_DIR", hive_.Str()};
    ScopedEnv lang_{"LANG", "en_US.UTF-8"};
    ScopedEnv lcAll_{"LC_ALL", std::nullopt};
};

} // namespace qm6::test
