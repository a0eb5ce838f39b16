#pragma once

// Late binding: calling a member of an object by its name, as the runtime's
// CallByName and every late-bound call through a dual interface do. An
// object that can be called so implements Dispatchable, usually with a table
// of its members and DispatchByName.
//
// The runtime's errors: a name the object does not have, or a kind of call
// the member does not take (writing a read-only property), is "Object
// doesn't support this property or method" (438); too many or too few
// arguments is error 450; an argument that cannot be converted to what the
// member takes is Type mismatch (13), or Overflow (6) for a number out of
// range. Names compare without regard to case.
//
// Objects that are not themselves vb::Object (pictures, fonts, statuses)
// travel through a Variant in an ObjectBox, which keeps the object itself:
// what a member hands out is the same object the caller may hand back.

#include "platform/vb/Variant.h"
#include "platform/vb/VbError.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace qm6::vb {

// The kinds of call (vbMethod, vbGet, vbLet, vbSet).
enum class CallType : int { Method = 1, Get = 2, Let = 4, Set = 8 };

class Dispatchable {
public:
    virtual ~Dispatchable();
    // Calls the member of that name; arguments in order, each of which the
    // member may change (they are passed by reference).
    virtual Variant Invoke(std::string_view name, CallType type, std::vector<Variant>& args) = 0;
};

// Calls a member of the object by name. An object that cannot be called by
// name (or Nothing) raises 438.
Variant CallByName(const ObjectRef& object, std::string_view name, CallType type,
                   std::vector<Variant> args = {});

// An object of another kind held where a Variant wants a vb::Object.
template <class T> class ObjectBox : public Object {
public:
    explicit ObjectBox(std::shared_ptr<T> value) : value_(std::move(value)) {}
    const std::shared_ptr<T>& Value() const { return value_; }

private:
    std::shared_ptr<T> value_;
};

// The object as a Variant: itself when it is a vb::Object, else in a box;
// Nothing for a null pointer.
template <class T> Variant ObjectVariant(std::shared_ptr<T> value) {
    if (!value)
        return Variant(ObjectRef());
    if constexpr (std::is_base_of_v<Object, T>)
        return Variant(ObjectRef(std::const_pointer_cast<std::remove_const_t<T>>(value)));
    else
        return Variant(ObjectRef(std::make_shared<ObjectBox<T>>(std::move(value))));
}

// The object of kind T a Variant holds: nullptr for Nothing; Type mismatch
// (13) for a value that is not an object, or an object of another kind.
template <class T> std::shared_ptr<T> ObjectOf(const Variant& value) {
    if (value.Type() != VarType::Object)
        throw VbError(ErrorNumber::TypeMismatch);
    const ObjectRef& object = value.AsObject();
    if (!object)
        return nullptr;
    std::shared_ptr<T> found;
    if constexpr (std::is_base_of_v<Object, T>)
        found = std::dynamic_pointer_cast<T>(object);
    else if (auto box = std::dynamic_pointer_cast<ObjectBox<T>>(object))
        found = box->Value();
    if (!found)
        throw VbError(ErrorNumber::TypeMismatch);
    return found;
}

// One member of a dispatch table: its name, the kind of call it takes, how
// many arguments (a method with optional arguments takes a range), and what
// it does. A read property also answers a Method call, and a method a Get
// call, as late-bound calls that use the result ask for either.
template <class T> struct DispatchMember {
    std::string_view name;
    CallType type;
    int minArgs;
    int maxArgs;
    Variant (*call)(T& self, std::vector<Variant>& args);
};

// Whether a member of that kind answers a call of that kind.
bool CallMatches(CallType member, CallType call);
// Error 438 for the member name, and 450.
[[noreturn]] void RaiseNotSupported(std::string_view name);
[[noreturn]] void RaiseWrongArgumentCount(std::string_view name);
bool SameName(std::string_view a, std::string_view b);

// Calls the member of the table that has the name and takes the call.
template <class T>
Variant DispatchByName(std::span<const DispatchMember<T>> table, T& self, std::string_view name,
                       CallType type, std::vector<Variant>& args) {
    for (const DispatchMember<T>& member : table) {
        if (!SameName(member.name, name) || !CallMatches(member.type, type))
            continue;
        const int count = static_cast<int>(args.size());
        if (count < member.minArgs || count > member.maxArgs)
            RaiseWrongArgumentCount(name);
        return member.call(self, args);
    }
    RaiseNotSupported(name);
}

} // namespace qm6::vb
