#pragma once

#include "platform/vb/Currency.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace qm6::vb {

// The VarType codes of the original runtime.
enum class VarType : int {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    String = 8,
    Object = 9,
    Boolean = 11,
    Byte = 17,
    Array = 0x2000,
    ByteArray = 0x2000 | 17,
    VariantArray = 0x2000 | 12,
};

// Base of every object a Variant can hold by reference (records, controls,
// services). Objects are shared and released with the last reference.
class Object {
public:
    virtual ~Object() = default;
};
using ObjectRef = std::shared_ptr<Object>;

// A one-dimensional byte array with its lower bound (usually 0).
struct ByteArray {
    std::vector<uint8_t> bytes;
    int32_t lowerBound = 0;

    int32_t UBound() const { return lowerBound + static_cast<int32_t>(bytes.size()) - 1; }
    bool operator==(const ByteArray&) const = default;
};

class Variant;

// A two-dimensional array of variants, as the two-column list arrays are.
// Indices run from each dimension's lower bound; out of range raises
// "Subscript out of range" (9).
class Array2D {
public:
    Array2D() = default;
    Array2D(int32_t lower1, int32_t upper1, int32_t lower2, int32_t upper2);

    int32_t LBound(int dimension) const;
    int32_t UBound(int dimension) const;
    int32_t Count(int dimension) const;

    Variant& At(int32_t i, int32_t j);
    const Variant& At(int32_t i, int32_t j) const;

    // ReDim Preserve: only the last dimension may change, as in the runtime.
    void RedimPreserveLast(int32_t upper2);

    bool operator==(const Array2D&) const;

private:
    size_t Offset(int32_t i, int32_t j) const;

    int32_t lower1_ = 0, count1_ = 0, lower2_ = 0, count2_ = 0;
    std::vector<Variant> items_;
};

struct NullValue {
    bool operator==(const NullValue&) const = default;
};

// A tagged value as the original runtime's Variant: Empty, Null, Boolean,
// Integer (16 bit), Long (32 bit), Single, Double, Currency, String (UTF-8),
// a byte array, a two-dimensional array, or an object reference.
class Variant {
public:
    Variant() = default; // Empty
    Variant(NullValue) : value_(NullValue{}) {}
    Variant(bool b) : value_(b) {}
    Variant(int16_t i) : value_(i) {}
    Variant(int32_t l) : value_(l) {}
    Variant(float f) : value_(f) {}
    Variant(double d) : value_(d) {}
    Variant(Currency c) : value_(c) {}
    Variant(std::string s) : value_(std::move(s)) {}
    Variant(const char* s) : value_(std::string(s)) {}
    Variant(ByteArray a) : value_(std::move(a)) {}
    Variant(Array2D a) : value_(std::make_shared<Array2D>(std::move(a))) {}
    Variant(ObjectRef o) : value_(std::move(o)) {}

    static Variant Null() { return Variant(NullValue{}); }

    VarType Type() const;
    bool IsEmpty() const { return value_.index() == 0; }
    bool IsNull() const { return std::holds_alternative<NullValue>(value_); }
    bool IsNumeric() const; // Boolean, Integer, Long, Single, Double, Currency
    bool IsString() const { return std::holds_alternative<std::string>(value_); }

    // Typed access: throws Type mismatch (13) when the variant holds another type.
    bool AsBoolean() const;
    int16_t AsInteger() const;
    int32_t AsLong() const;
    float AsSingle() const;
    double AsDouble() const;
    Currency AsCurrency() const;
    const std::string& AsString() const;
    const ByteArray& AsByteArray() const;
    const Array2D& AsArray() const;
    // Copies of a variant share its array until one of them is written
    // through this, which first gives that variant its own copy: arrays
    // behave as values, as in the runtime.
    Array2D& AsArray();
    const ObjectRef& AsObject() const;

    // Strict equality of type and value (not the runtime's loose comparison).
    bool operator==(const Variant& other) const;

private:
    std::variant<std::monostate, NullValue, bool, int16_t, int32_t, float, double, Currency,
                 std::string, ByteArray, std::shared_ptr<Array2D>, ObjectRef>
        value_;
};

} // namespace qm6::vb
