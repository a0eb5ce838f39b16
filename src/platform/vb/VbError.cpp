#include "platform/vb/VbError.h"

namespace qm6::vb {

VbError::VbError(ErrorNumber number) : VbError(number, DescriptionOf(number)) {}

VbError::VbError(ErrorNumber number, const std::string& description)
    : std::runtime_error(description), number_(number) {}

std::string VbError::DescriptionOf(ErrorNumber number) {
    switch (number) {
    case ErrorNumber::InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case ErrorNumber::Overflow:
        return "Overflow";
    case ErrorNumber::SubscriptOutOfRange:
        return "Subscript out of range";
    case ErrorNumber::TypeMismatch:
        return "Type mismatch";
    case ErrorNumber::InvalidUseOfNull:
        return "Invalid use of Null";
    case ErrorNumber::ObjectDoesntSupport:
        return "Object doesn't support this property or method";
    case ErrorNumber::ArgumentNotOptional:
        return "Argument not optional";
    case ErrorNumber::WrongArgumentCount:
        return "Wrong number of arguments or invalid property assignment";
    case ErrorNumber::DuplicateKey:
        return "This key is already associated with an element of this collection";
    }
    // A number cast in from outside the list: the runtime's text for an
    // error it has no message for.
    return "Application-defined or object-defined error";
}

} // namespace qm6::vb
