#pragma once

#include <stdexcept>
#include <string>

namespace qm6::vb {

// Run-time error numbers of the original runtime that the library relies on.
enum class ErrorNumber : int {
    InvalidProcedureCall = 5,
    Overflow = 6,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    InvalidUseOfNull = 94,
    ObjectDoesntSupport = 438,
    ArgumentNotOptional = 449,
    WrongArgumentCount = 450,
    DuplicateKey = 457,
};

// A run-time error of the original runtime: carries the error number so that
// callers can tell an overflow (6) from a type mismatch (13) as the original
// code does with Err.Number.
class VbError : public std::runtime_error {
public:
    explicit VbError(ErrorNumber number);
    VbError(ErrorNumber number, const std::string& description);

    int Number() const noexcept { return static_cast<int>(number_); }
    ErrorNumber Code() const noexcept { return number_; }

    // The runtime's description for an error number ("Overflow", "Type mismatch", ...).
    static std::string DescriptionOf(ErrorNumber number);

private:
    ErrorNumber number_;
};

} // namespace qm6::vb
