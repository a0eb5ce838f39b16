// Transactions that span calls, and listings of large keys by index.

#include "HiveFixture.h"
#include "platform/registry/Hive.h"

#include <chrono>
#include <functional>
#include <thread>

namespace qm6::reg::test {
namespace {

using Blob = std::vector<uint8_t>;

TEST_F(HiveTest, TransactionChangesAreSeenAllAtOnceOrNever) {
    Put("Txn", "old", "1");
    enum class End { Commit, Rollback, Drop };
    for (End end : {End::Commit, End::Rollback, End::Drop}) {
        SCOPED_TRACE(int(end));
        const std::string sub = "Txn\\Made" + std::to_string(int(end));
        {
            Transaction txn;
            ASSERT_EQ(CreateTransaction(txn), 0);
            Key made, old;
            ASSERT_EQ(
                CreateKeyTransacted(HKEY_CURRENT_USER, sub, KEY_ALL_ACCESS, nullptr, made, txn), 0);
            ASSERT_EQ(SetValue(made, "v", REG_SZ, Bytes("new")), 0);
            ASSERT_EQ(OpenKeyTransacted(HKEY_CURRENT_USER, "Txn", KEY_ALL_ACCESS, old, txn), 0);
            ASSERT_EQ(DeleteValue(old, "old"), 0);
            // Inside, the changes are there; outside, not yet.
            EXPECT_EQ(ValueAt(made, 0, true), "new");
            EXPECT_EQ(QueryValue(old, "old", nullptr, nullptr), ERROR_FILE_NOT_FOUND);
            EXPECT_EQ(GetElsewhere(sub, "v"), "error 2");
            EXPECT_EQ(GetElsewhere("Txn", "old"), "1");
            if (end == End::Commit) {
                EXPECT_EQ(CommitTransaction(txn), 0);
            } else if (end == End::Rollback) {
                EXPECT_EQ(RollbackTransaction(txn), 0);
            }
            if (end != End::Drop) {
                // Over: its keys and the transaction refuse more work.
                EXPECT_EQ(SetValue(made, "w", REG_SZ, Bytes("x")), ERROR_TRANSACTION_NOT_ACTIVE);
                EXPECT_EQ(CommitTransaction(txn), ERROR_TRANSACTION_NOT_ACTIVE);
            }
        }
        EXPECT_EQ(Get(sub, "v"), end == End::Commit ? "new" : "error 2");
        EXPECT_EQ(Get("Txn", "old"), end == End::Commit ? "error 2" : "1");
        Put("Txn", "old", "1");
    }
}

TEST_F(HiveTest, AFailedCallInATransactionTakesBackOnlyItself) {
    Put("Part\\Locked\\Inner", "v", "1");
    Key locked;
    ASSERT_EQ(OpenKey(HKEY_CURRENT_USER, "Part\\Locked\\Inner", WRITE_DAC, locked), 0);
    auto readOnly = SecurityDescriptor::FromSddl("D:(A;;KR;;;WD)");
    ASSERT_TRUE(readOnly);
    ASSERT_EQ(SetKeySecurity(locked, DACL_SECURITY_INFORMATION, *readOnly), 0);

    Transaction txn;
    ASSERT_EQ(CreateTransaction(txn), 0);
    Key part, root;
    ASSERT_EQ(CreateKeyTransacted(HKEY_CURRENT_USER, "Part", KEY_ALL_ACCESS, nullptr, part, txn),
              0);
    ASSERT_EQ(SetValue(part, "first", REG_SZ, Bytes("kept")), 0);
    // The tree cannot go: a key in it refuses deletion. Nothing of it goes.
    ASSERT_EQ(OpenKeyTransacted(HKEY_CURRENT_USER, "", KEY_ALL_ACCESS, root, txn), 0);
    EXPECT_EQ(DeleteTree(root, "Part"), ERROR_ACCESS_DENIED);
    // A key of another hive does not join it.
    Key machine;
    EXPECT_EQ(OpenKeyTransacted(HKEY_LOCAL_MACHINE, "", KEY_READ, machine, txn),
              ERROR_NOT_SUPPORTED);
    ASSERT_EQ(SetValue(part, "second", REG_SZ, Bytes("kept")), 0);
    ASSERT_EQ(CommitTransaction(txn), 0);
    EXPECT_EQ(Get("Part", "first"), "kept");
    EXPECT_EQ(Get("Part", "second"), "kept");
    EXPECT_EQ(Get("Part\\Locked\\Inner", "v"), "1");
}

// A key of `count` values named v0, v1, ... holding their own names (padded
// to `dataSize` bytes) and of `subKeys` subkeys s1000, s1001, ..., made in
// one transaction.
void MakeKey(std::string_view path, int count, size_t dataSize = 0, int subKeys = 0) {
    Transaction txn;
    ASSERT_EQ(CreateTransaction(txn), 0);
    Key key;
    ASSERT_EQ(CreateKeyTransacted(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, nullptr, key, txn), 0);
    for (int i = 0; i < count; ++i) {
        std::string name = "v" + std::to_string(i);
        Blob data(name.begin(), name.end());
        data.resize(std::max(data.size(), dataSize), uint8_t(i));
        ASSERT_EQ(SetValue(key, name, REG_BINARY, data), 0);
    }
    for (int i = 0; i < subKeys; ++i) {
        Key sub;
        const std::string subPath = std::string(path) + "\\s" + std::to_string(1000 + i);
        ASSERT_EQ(CreateKeyTransacted(HKEY_CURRENT_USER, subPath, KEY_READ, nullptr, sub, txn), 0);
    }
    ASSERT_EQ(CommitTransaction(txn), 0);
}

TEST_F(HiveTest, ListingsByIndexGoOnAcrossPagesAndFollowChanges) {
    constexpr int kCount = 1500, kSubKeys = 600; // several pages of a listing
    MakeKey("Big", kCount);
    MakeKey("Keys", 0, 0, kSubKeys);
    const Key key = Open("Big"), keys = Open("Keys", KEY_READ);
    // By name, then by data (each value holds its own name).
    for (bool withData : {false, true}) {
        for (int i = 0; i < kCount; ++i)
            ASSERT_EQ(ValueAt(key, uint32_t(i), withData), "v" + std::to_string(i)) << i;
        EXPECT_EQ(ValueAt(key, kCount, withData), "error 259");
    }
    std::string name;
    for (int i = 0; i < kSubKeys; ++i) {
        ASSERT_EQ(EnumKey(keys, uint32_t(i), name), 0) << i;
        ASSERT_EQ(name, "s" + std::to_string(1000 + i));
    }
    EXPECT_EQ(EnumKey(keys, kSubKeys, name), ERROR_NO_MORE_ITEMS);
    // Any index, in any order.
    for (int i : {1499, 0, 1024, 511, 512, 513, 3})
        EXPECT_EQ(ValueAt(key, uint32_t(i)), "v" + std::to_string(i));

    // A change between two calls shows in the next one, made here or by
    // another connection of the process, however soon the next call comes.
    struct WideWindow {
        WideWindow() { detail::SetContinueWindow(std::chrono::hours(1)); }
        ~WideWindow() { detail::SetContinueWindow(detail::kContinueWindow); }
    } wide;
    ASSERT_EQ(ValueAt(key, 700), "v700");
    ASSERT_EQ(DeleteValue(key, "v701"), 0);
    EXPECT_EQ(ValueAt(key, 701), "v702");
    OnOtherConnection([] {
        ASSERT_EQ(DeleteValue(Open("Big"), "v703"), 0);
        Put("Big", "added", "x");
    });
    EXPECT_EQ(ValueAt(key, 702), "v704");
    EXPECT_EQ(ValueAt(key, 1498), "added");
    EXPECT_EQ(ValueAt(key, 1499), "error 259");
}

TEST_F(HiveTest, ListingsOfLargeDataComeAFewValuesAPage) {
    MakeKey("Large", 5, 700 * 1024);
    const Key key = Open("Large", KEY_READ);
    for (int i = 0; i < 5; ++i) {
        const std::string name = "v" + std::to_string(i);
        EXPECT_EQ(ValueAt(key, uint32_t(i), true), name + std::string(700 * 1024 - 2, char(i)));
    }
    EXPECT_EQ(ValueAt(key, 5, true), "error 259");
}

} // namespace
} // namespace qm6::reg::test
