#include "platform/vb/CallByName.h"

#include <algorithm>
#include <cctype>

namespace qm6::vb {

Dispatchable::~Dispatchable() = default;

Variant CallByName(const ObjectRef& object, std::string_view name, CallType type,
                   std::vector<Variant> args) {
    auto* target = dynamic_cast<Dispatchable*>(object.get());
    if (!target)
        RaiseNotSupported(name);
    return target->Invoke(name, type, args);
}

bool CallMatches(CallType member, CallType call) {
    if (member == call)
        return true;
    // A late-bound call that uses a result asks for a method or a property
    // read alike.
    const auto valued = [](CallType t) { return t == CallType::Method || t == CallType::Get; };
    return valued(member) && valued(call);
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

void RaiseNotSupported(std::string_view name) {
    throw VbError(ErrorNumber::ObjectDoesntSupport,
                  VbError::DescriptionOf(ErrorNumber::ObjectDoesntSupport) + " (" +
                      std::string(name) + ")");
}

void RaiseWrongArgumentCount(std::string_view name) {
    throw VbError(ErrorNumber::WrongArgumentCount,
                  VbError::DescriptionOf(ErrorNumber::WrongArgumentCount) + " (" +
                      std::string(name) + ")");
}

} // namespace qm6::vb
