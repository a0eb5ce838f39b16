#include "RaisedError.h"
#include "platform/vb/Currency.h"
#include "platform/vb/Variant.h"

#include <functional>
#include <gtest/gtest.h>

namespace qm6::vb {
namespace {

using namespace test;

// clang-format off
TEST(Currency, ArithmeticOverflowsAtBothEndsOfTheRange) {
    const Currency tick = Currency::FromScaled(1);
    const struct { std::function<Currency()> operation; int error; int64_t scaled; } cases[] = {
        {[&] { return Currency::Max() + tick; }, Overflow, 0},
        {[&] { return Currency::Min() - tick; }, Overflow, 0},
        {[] { return Currency::Max() - Currency::Min(); }, Overflow, 0},
        {[] { return -Currency::Min(); }, Overflow, 0},
        {[] { return -Currency::Max(); }, 0, INT64_MIN + 1},
        {[] { return Currency::Max() + Currency::Min(); }, 0, -1},
        {[] { return Currency::FromUnits(922337203685477); }, 0, 9223372036854770000},
        {[] { return Currency::FromUnits(922337203685478); }, Overflow, 0},
        {[] { return Currency::FromUnits(-922337203685478); }, Overflow, 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        Currency result;
        EXPECT_EQ(RaisedError([&] { result = cases[i].operation(); }), cases[i].error);
        EXPECT_EQ(result.Scaled(), cases[i].scaled);
    }
}

TEST(Variant, EqualityNeedsTheSameTypeAndValue) {
    const auto object = std::make_shared<Object>();
    Array2D grid(1, 2, 0, 0);
    grid.At(2, 0) = "b";
    const struct { Variant a, b; bool equal; } cases[] = {
        {int16_t{1}, int16_t{1}, true}, {int16_t{1}, int32_t{1}, false}, {1.0, 1.0f, false},
        {"a", "A", false}, {Variant(), Variant::Null(), false},
        {ObjectRef(object), ObjectRef(object), true},
        {ObjectRef(object), ObjectRef(std::make_shared<Object>()), false},
        {grid, Array2D(grid), true}, {grid, Array2D(1, 2, 0, 0), false},
        {Array2D(1, 2, 0, 0), Array2D(0, 1, 0, 0), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.a == c.b, c.equal) << static_cast<int>(c.a.Type());
    }
    // Typed access does not convert, not even between numeric types.
    EXPECT_EQ(RaisedError([] { Variant(int32_t{1}).AsInteger(); }), TypeMismatch);
    EXPECT_EQ(RaisedError([] { Variant(1.0f).AsDouble(); }), TypeMismatch);
    EXPECT_EQ(RaisedError([] { Variant().AsString(); }), TypeMismatch);
    EXPECT_EQ(RaisedError([] { Variant(1.0).AsArray(); }), TypeMismatch);
}

TEST(Array2D, IndicesOutsideEitherDimensionRaiseSubscriptOutOfRange) {
    const Array2D grid(1, 3, -1, 0);
    const struct { int32_t i, j; int error; } cases[] = {
        {1, -1, 0}, {3, 0, 0}, {0, 0, SubscriptOutOfRange}, {4, 0, SubscriptOutOfRange},
        {1, -2, SubscriptOutOfRange}, {1, 1, SubscriptOutOfRange},
        {INT32_MIN, INT32_MAX, SubscriptOutOfRange},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.i << "," << c.j);
        EXPECT_EQ(RaisedError([&] { grid.At(c.i, c.j); }), c.error);
    }
    EXPECT_EQ(grid.UBound(1), 3);
    EXPECT_EQ(grid.LBound(2), -1);
    EXPECT_EQ(RaisedError([&] { grid.LBound(3); }), SubscriptOutOfRange);
    EXPECT_EQ(RaisedError([] { Array2D().UBound(1); }), SubscriptOutOfRange);
    EXPECT_EQ(RaisedError([] { Array2D(2, 1, 0, 0); }), SubscriptOutOfRange);
    EXPECT_EQ(Array2D(INT32_MIN, INT32_MIN, 0, 0).UBound(1), INT32_MIN);
}
// clang-format on

TEST(Array2D, RedimPreserveKeepsElementsWhileTheLastDimensionChanges) {
    Array2D list(0, 1, 0, 1);
    for (int32_t row = 0; row <= 1; ++row) {
        for (int32_t column = 0; column <= 1; ++column) {
            list.At(row, column) = int32_t{row * 10 + column};
        }
    }
    list.RedimPreserveLast(3);
    EXPECT_EQ(list.At(1, 1), Variant(int32_t{11}));
    EXPECT_EQ(list.At(0, 1), Variant(int32_t{1}));
    EXPECT_TRUE(list.At(1, 3).IsEmpty());

    list.RedimPreserveLast(0);
    EXPECT_EQ(list.At(1, 0), Variant(int32_t{10}));
    EXPECT_EQ(RaisedError([&] { list.At(0, 1); }), SubscriptOutOfRange);
    EXPECT_EQ(RaisedError([&] { list.RedimPreserveLast(-1); }), SubscriptOutOfRange);
    EXPECT_EQ(list.UBound(2), 0);
}

TEST(Array2D, CopiesOfAVariantDoNotShareWrites) {
    Variant original = Array2D(0, 0, 0, 0);
    Variant copy = original;
    copy.AsArray().At(0, 0) = "changed";
    EXPECT_TRUE(original.AsArray().At(0, 0).IsEmpty());
    EXPECT_EQ(copy.AsArray().At(0, 0), Variant("changed"));
}

} // namespace
} // namespace qm6::vb
