#include "contract/AdminMenuItem.h"

#include "platform/vb/Conversions.h"
#include "platform/vb/Strings.h"

#include <array>

namespace qm6 {

using vb::CallType;
using vb::Variant;
using Args = std::vector<Variant>;

void AdminMenuItem::Id(const std::string& pstrId) {
    id_ = vb::Trim(pstrId);
}

void AdminMenuItem::Caption(const std::string& pstrCaption) {
    caption_ = vb::Trim(pstrCaption);
}

Variant AdminMenuItem::Invoke(std::string_view name, CallType type, Args& args) {
    using Member = vb::DispatchMember<AdminMenuItem>;
    static constexpr std::array<Member, 6> kMembers{{
        {"Id", CallType::Let, 1, 1, [](AdminMenuItem& m, Args& a) { m.Id(vb::CStr(a[0])); return Variant(); }},
        {"Id", CallType::Get, 0, 0, [](AdminMenuItem& m, Args&) { return Variant(m.Id()); }},
        {"Caption", CallType::Let, 1, 1,
         [](AdminMenuItem& m, Args& a) { m.Caption(vb::CStr(a[0])); return Variant(); }},
        {"Caption", CallType::Get, 0, 0, [](AdminMenuItem& m, Args&) { return Variant(m.Caption()); }},
        {"Graphic", CallType::Set, 1, 1,
         [](AdminMenuItem& m, Args& a) {
             m.Graphic(vb::ObjectOf<const pictures::Picture>(a[0]));
             return Variant();
         }},
        {"Graphic", CallType::Get, 0, 0, [](AdminMenuItem& m, Args&) { return vb::ObjectVariant(m.Graphic()); }},
    }};
    return vb::DispatchByName<AdminMenuItem>(kMembers, *this, name, type, args);
}

} // namespace qm6
