#pragma once

// The base of the editors' tests: the library started from the build's
// folder (its string libraries included), and a copy of the sample store
// behind the recording decorator, which counts calls, makes chosen ones fail
// and serves chosen records.

#include "common/ModuleState.h"
#include "contract/RulePriority.h"
#include "qm6data/SqliteConnection.h"
#include "qm6data/testing/RecordingConnection.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace qm6::test {

class SampleStoreTest : public ::testing::Test {
protected:
    using Strings = std::vector<std::string>;
    void SetUp() override {
        ResetModuleState();
        SetModuleFolder(QM6_BIN_DIR);
        Fresh();
    }
    void TearDown() override {
        SetModuleFolder("");
        ResetModuleState();
    }

    // A new copy of the sample behind a new decorator.
    void Fresh() {
        file_ = dir_.Path() / ("store" + std::to_string(++copies_) + ".qm6db");
        std::filesystem::copy_file(QM6_SAMPLE_DATABASE, file_);
        recorder_ = std::make_shared<data::testing::RecordingConnection>(OpenStore());
    }
    // A connection of its own to the copy, so that what a test reads back
    // owes nothing to what an editor holds.
    std::shared_ptr<data::SqliteConnection> OpenStore() const {
        std::shared_ptr<data::SqliteConnection> store;
        EXPECT_EQ(data::SqliteConnection::Open(file_, store), nullptr);
        return store;
    }
    // The job option rules stored for a printer profile, each as its type and
    // its value where it has one, in the store's order (by type).
    Strings StoredRules(int32_t owner) const {
        std::shared_ptr<vb::Collection> rules;
        EXPECT_EQ(OpenStore()->LoadJobOptionRules(rules, data::RulePriorityPrinterProfile, owner),
                  nullptr);
        Strings out;
        for (int32_t i = 1; rules && i <= rules->Count(); ++i) {
            const auto rule = data::ItemAs<data::JobOptionRule>(*rules, i);
            const std::string value = rule->ValueText();
            out.push_back(std::to_string(rule->OptionType()) + (value.empty() ? "" : " " + value));
        }
        return out;
    }

    TempDir dir_;
    std::filesystem::path file_;
    int copies_ = 0;
    std::shared_ptr<data::testing::RecordingConnection> recorder_;
};

// A test of one editor on the copy, made after the library has started and
// loaded and saved as a printer profile's; each save's calls are kept for
// the test to read.
template <typename Editor> class EditorTest : public SampleStoreTest {
protected:
    void SetUp() override {
        SampleStoreTest::SetUp();
        editor_ = std::make_unique<Editor>();
    }
    void TearDown() override {
        editor_.reset();
        SampleStoreTest::TearDown();
    }
    data::Status Load(int32_t owner) {
        return editor_->LoadData(*recorder_, data::RulePriorityPrinterProfile, owner,
                                 "printer profile");
    }
    data::Status Save(int32_t owner) {
        recorder_->ClearCalls();
        return editor_->SaveData(*recorder_, data::RulePriorityPrinterProfile, owner);
    }
    std::unique_ptr<Editor> editor_;
    int changes_ = 0;
};

} // namespace qm6::test
