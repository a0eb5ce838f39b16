#include "platform/vb/Collection.h"

#include "RaisedError.h"

#include <gtest/gtest.h>
#include <string>

namespace qm6::vb {
namespace {

using namespace test;

// The members' values joined, to check the order in one comparison.
std::string Order(const Collection& c) {
    std::string order;
    for (int32_t i = 1; i <= c.Count(); ++i) {
        order += c.Item(i).AsString();
    }
    return order;
}

Collection Abc() {
    Collection c;
    c.Add("a", "ka");
    c.Add("b", "kb");
    c.Add("c", "kc");
    return c;
}

TEST(Collection, PositionsCountFromOne) {
    Collection c = Abc();
    EXPECT_EQ(Order(c), "abc");
    for (int32_t index : {0, -1, 4, INT32_MIN}) {
        EXPECT_EQ(RaisedError([&] { c.Item(index); }), SubscriptOutOfRange) << index;
        EXPECT_EQ(RaisedError([&] { c.Remove(index); }), SubscriptOutOfRange) << index;
    }
    EXPECT_EQ(c.Count(), 3);
}

// clang-format off
TEST(Collection, KeysIgnoreCaseIncludingBeyondAscii) {
    Collection c;
    c.Add("1", "Printer");
    c.Add("2", "Straße");
    c.Add("3", "ÄRGER");
    c.Add("4");
    const struct { const char* key; const char* expected; } cases[] = {
        {"PRINTER", "1"}, {"STRASSE", "2"}, {"ärger", "3"},
        {"Printer ", nullptr}, {"", nullptr}, {"4", nullptr},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.key);
        EXPECT_EQ(c.ContainsKey(k.key), k.expected != nullptr);
        if (k.expected) {
            EXPECT_EQ(c.Item(k.key).AsString(), k.expected);
        } else {
            EXPECT_EQ(RaisedError([&] { c.Item(k.key); }), InvalidProcedureCall);
        }
    }
    EXPECT_EQ(RaisedError([&] { c.Add("5", "STRASSE"); }), DuplicateKey);
    EXPECT_EQ(RaisedError([&] { c.Add("5", "printer", int32_t{1}); }), DuplicateKey);
    EXPECT_EQ(c.Count(), 4);
}

TEST(Collection, AddsBeforeOrAfterAMemberNamedByPositionOrKey) {
    const struct { Variant before, after; const char* order; int error; } cases[] = {
        {int32_t{1}, Variant(), "xabc", 0}, {Variant(), int32_t{3}, "abcx", 0},
        {"KB", Variant(), "axbc", 0}, {Variant(), "kb", "abxc", 0},
        {1.5, Variant(), "axbc", 0}, // a position rounds as CLng does
        {int32_t{4}, Variant(), "abc", SubscriptOutOfRange},
        {Variant(), int32_t{0}, "abc", SubscriptOutOfRange},
        {"z", Variant(), "abc", InvalidProcedureCall},
        {int32_t{1}, int32_t{1}, "abc", InvalidProcedureCall},
        {Variant::Null(), Variant(), "abc", InvalidProcedureCall},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.order);
        Collection list = Abc();
        EXPECT_EQ(RaisedError([&] { list.Add("x", "kx", c.before, c.after); }), c.error);
        EXPECT_EQ(Order(list), c.order);
        EXPECT_EQ(list.ContainsKey("kx"), c.error == 0);
    }
}
// clang-format on

TEST(Collection, RemoveFreesTheKeyAndMovesLaterMembersUp) {
    Collection c = Abc();
    c.Remove("KB");
    EXPECT_EQ(Order(c), "ac");
    EXPECT_EQ(RaisedError([&] { c.Remove("kb"); }), InvalidProcedureCall);
    c.Remove(1);
    EXPECT_EQ(Order(c), "c");
    c.Add("a2", "KA");
    c.Add("b2", "kb");
    EXPECT_EQ(Order(c), "ca2b2");
    EXPECT_EQ(c.Item("kc").AsString(), "c");

    Collection copy = c;
    copy.Remove("kc");
    EXPECT_EQ(c.Item("kc").AsString(), "c");
}

} // namespace
} // namespace qm6::vb
