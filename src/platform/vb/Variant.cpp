#include "platform/vb/Variant.h"

#include "platform/vb/VbError.h"

namespace qm6::vb {

namespace {

[[noreturn]] void ThrowSubscript() {
    throw VbError(ErrorNumber::SubscriptOutOfRange);
}
[[noreturn]] void ThrowTypeMismatch() {
    throw VbError(ErrorNumber::TypeMismatch);
}

// Elements in one dimension from lower to upper, computed wide so that
// extreme bounds cannot overflow; raises Subscript out of range when the
// dimension would hold nothing, as ReDim does.
int32_t DimensionCount(int32_t lower, int32_t upper) {
    const int64_t count = int64_t{upper} - lower + 1;
    if (count < 1 || count > INT32_MAX) {
        ThrowSubscript();
    }
    return static_cast<int32_t>(count);
}

template <typename T, typename Storage> const T& Get(const Storage& value) {
    const T* held = std::get_if<T>(&value);
    if (held == nullptr) {
        ThrowTypeMismatch();
    }
    return *held;
}

} // namespace

// ---- Array2D ---------------------------------------------------------------

Array2D::Array2D(int32_t lower1, int32_t upper1, int32_t lower2, int32_t upper2)
    : lower1_(lower1), count1_(DimensionCount(lower1, upper1)), lower2_(lower2),
      count2_(DimensionCount(lower2, upper2)) {
    items_.resize(static_cast<size_t>(count1_) * static_cast<size_t>(count2_));
}

// An array that was never dimensioned has no bounds: asking for them raises
// Subscript out of range, as LBound and UBound do on such an array.
int32_t Array2D::LBound(int dimension) const {
    if (count1_ == 0) {
        ThrowSubscript();
    }
    if (dimension == 1) {
        return lower1_;
    }
    if (dimension == 2) {
        return lower2_;
    }
    ThrowSubscript();
}

int32_t Array2D::UBound(int dimension) const {
    return static_cast<int32_t>(int64_t{LBound(dimension)} + Count(dimension) - 1);
}

int32_t Array2D::Count(int dimension) const {
    if (dimension == 1) {
        return count1_;
    }
    if (dimension == 2) {
        return count2_;
    }
    ThrowSubscript();
}

// Elements are stored with the first index running fastest, as the runtime
// lays out its arrays; that is what lets ReDim Preserve grow or shrink the
// last dimension by simply resizing the storage.
size_t Array2D::Offset(int32_t i, int32_t j) const {
    const int64_t row = int64_t{i} - lower1_;
    const int64_t column = int64_t{j} - lower2_;
    if (row < 0 || row >= count1_ || column < 0 || column >= count2_) {
        ThrowSubscript();
    }
    return static_cast<size_t>(column) * static_cast<size_t>(count1_) + static_cast<size_t>(row);
}

Variant& Array2D::At(int32_t i, int32_t j) {
    return items_[Offset(i, j)];
}

const Variant& Array2D::At(int32_t i, int32_t j) const {
    return items_[Offset(i, j)];
}

void Array2D::RedimPreserveLast(int32_t upper2) {
    if (count1_ == 0) {
        // Without a first dimension there is nothing to preserve and no
        // bounds to keep.
        ThrowSubscript();
    }
    count2_ = DimensionCount(lower2_, upper2);
    items_.resize(static_cast<size_t>(count1_) * static_cast<size_t>(count2_));
}

bool Array2D::operator==(const Array2D& other) const {
    return lower1_ == other.lower1_ && count1_ == other.count1_ && lower2_ == other.lower2_ &&
           count2_ == other.count2_ && items_ == other.items_;
}

// ---- Variant ---------------------------------------------------------------

VarType Variant::Type() const {
    struct TypeOf {
        VarType operator()(std::monostate) const { return VarType::Empty; }
        VarType operator()(NullValue) const { return VarType::Null; }
        VarType operator()(bool) const { return VarType::Boolean; }
        VarType operator()(int16_t) const { return VarType::Integer; }
        VarType operator()(int32_t) const { return VarType::Long; }
        VarType operator()(float) const { return VarType::Single; }
        VarType operator()(double) const { return VarType::Double; }
        VarType operator()(Currency) const { return VarType::Currency; }
        VarType operator()(const std::string&) const { return VarType::String; }
        VarType operator()(const ByteArray&) const { return VarType::ByteArray; }
        VarType operator()(const std::shared_ptr<Array2D>&) const { return VarType::VariantArray; }
        VarType operator()(const ObjectRef&) const { return VarType::Object; }
    };
    return std::visit(TypeOf{}, value_);
}

bool Variant::IsNumeric() const {
    switch (Type()) {
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
        return true;
    default:
        return false;
    }
}

bool Variant::AsBoolean() const {
    return Get<bool>(value_);
}
int16_t Variant::AsInteger() const {
    return Get<int16_t>(value_);
}
int32_t Variant::AsLong() const {
    return Get<int32_t>(value_);
}
float Variant::AsSingle() const {
    return Get<float>(value_);
}
double Variant::AsDouble() const {
    return Get<double>(value_);
}
Currency Variant::AsCurrency() const {
    return Get<Currency>(value_);
}
const std::string& Variant::AsString() const {
    return Get<std::string>(value_);
}
const ByteArray& Variant::AsByteArray() const {
    return Get<ByteArray>(value_);
}
const ObjectRef& Variant::AsObject() const {
    return Get<ObjectRef>(value_);
}

const Array2D& Variant::AsArray() const {
    return *Get<std::shared_ptr<Array2D>>(value_);
}

// An array in a variant is a value, as in the runtime: copies of the variant
// share the elements until one of them is written through, which then takes
// its own copy first.
Array2D& Variant::AsArray() {
    auto* shared = std::get_if<std::shared_ptr<Array2D>>(&value_);
    if (shared == nullptr) {
        ThrowTypeMismatch();
    }
    if (shared->use_count() > 1) {
        *shared = std::make_shared<Array2D>(**shared);
    }
    return **shared;
}

bool Variant::operator==(const Variant& other) const {
    if (value_.index() != other.value_.index()) {
        return false;
    }
    // Arrays compare by their elements, objects by identity.
    if (const auto* array = std::get_if<std::shared_ptr<Array2D>>(&value_)) {
        return **array == *std::get<std::shared_ptr<Array2D>>(other.value_);
    }
    return value_ == other.value_;
}

} // namespace qm6::vb
