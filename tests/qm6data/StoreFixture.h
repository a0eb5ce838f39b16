#pragma once

#include "qm6data/SqliteConnection.h"
#include "support/TestSupport.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>
#include <memory>

namespace qm6::data::test {

inline std::string Describe(const Status& status) {
    return status ? std::to_string(status->Code()) + " " + status->Message() : "success";
}

// A fresh store in a temporary file for each test.
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { store_ = OpenAt(File(), OpenOptions{true, 2000}); }

    std::filesystem::path File() const { return dir_.Path() / "store.qm6db"; }

    static std::shared_ptr<SqliteConnection> OpenAt(const std::filesystem::path& file,
                                                    OpenOptions options = {}) {
        std::shared_ptr<SqliteConnection> store;
        const Status status = SqliteConnection::Open(file, store, options);
        EXPECT_EQ(status, nullptr) << Describe(status);
        return store;
    }

    void Run(std::string_view sql) {
        const Status status = store_->ExecuteScript(sql);
        ASSERT_EQ(status, nullptr) << Describe(status);
    }

    qm6::test::TempDir dir_;
    std::shared_ptr<SqliteConnection> store_;
};

} // namespace qm6::data::test
