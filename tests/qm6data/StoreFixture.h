#pragma once

#include "qm6data/OpenStore.h"
#include "qm6data/SqliteConnection.h"
#include "support/TestServer.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <set>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace qm6::data::test {

inline std::string Describe(const Status& status) {
    return status ? std::to_string(status->Code()) + " " + status->Message() : "success";
}

// An owner's rules or limits, loaded through the connection given.
inline std::shared_ptr<vb::Collection> Rules(Connection& store, int32_t priority, int32_t parent) {
    std::shared_ptr<vb::Collection> rules;
    const Status status = store.LoadJobOptionRules(rules, priority, parent);
    EXPECT_EQ(status, nullptr) << Describe(status);
    return rules;
}
inline std::shared_ptr<vb::Collection> Limits(Connection& store, int32_t priority, int32_t parent) {
    std::shared_ptr<vb::Collection> limits;
    const Status status = store.LoadPrintingLimits(limits, priority, parent);
    EXPECT_EQ(status, nullptr) << Describe(status);
    return limits;
}

// A new limit of owner 4 at priority 2.
inline std::shared_ptr<PrintingLimit> NewLimit(Connection& store, int32_t type, vb::Variant value,
                                               std::string title) {
    auto limit = store.NewPrintingLimit();
    limit->SetParentId(4);
    limit->SetRulePriority(2);
    limit->SetLimitType(type);
    limit->SetLimitValue(std::move(value));
    limit->SetTitle(std::move(title));
    limit->SetMessageText("text of " + limit->Title());
    return limit;
}

// A fresh store for each test: a temporary file, or a database of its own
// on the run's PostgreSQL server when there is one (QM6_TEST_SERVER).
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!qm6::test::TestServer().empty()) {
            server_.emplace();
        }
        store_ = OpenAt(Location(), OpenOptions{true, 2000});
    }
    void TearDown() override { store_.reset(); }

    bool OnServer() const { return server_.has_value(); }
    std::filesystem::path File() const { return dir_.Path() / "store.qm6db"; }
    std::string Location() const { return server_ ? server_->Location() : File().string(); }

    static std::shared_ptr<StoreConnection> OpenAt(const std::string& location,
                                                   OpenOptions options = {}) {
        std::shared_ptr<StoreConnection> store;
        const Status status = OpenStore(location, store, options);
        EXPECT_EQ(status, nullptr) << Describe(status);
        return store;
    }

    void Run(std::string_view sql) {
        const Status status = store_->ExecuteScript(sql);
        ASSERT_EQ(status, nullptr) << Describe(status);
    }

    qm6::test::TempDir dir_;
    std::optional<qm6::test::ServerDatabase> server_;
    std::shared_ptr<StoreConnection> store_;
};

// Cases about the store's file itself, run on SQLite only.
class FileStoreTest : public StoreTest {};

} // namespace qm6::data::test
