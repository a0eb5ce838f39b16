#include "contract/AdminMenu.h"

#include "platform/vb/Conversions.h"
#include "platform/vb/Strings.h"

#include <array>

namespace qm6 {

using vb::CallType;
using vb::Variant;
using Args = std::vector<Variant>;

AdminMenu::AdminMenu() : menuItems_(std::make_shared<vb::Collection>()) {}

void AdminMenu::Id(const std::string& pstrId) {
    id_ = vb::Trim(pstrId);
}

void AdminMenu::Caption(const std::string& pstrCaption) {
    caption_ = vb::Trim(pstrCaption);
}

Variant AdminMenu::Invoke(std::string_view name, CallType type, Args& args) {
    using Member = vb::DispatchMember<AdminMenu>;
    static constexpr std::array<Member, 11> kMembers{{
        {"Id", CallType::Let, 1, 1, [](AdminMenu& m, Args& a) { m.Id(vb::CStr(a[0])); return Variant(); }},
        {"Id", CallType::Get, 0, 0, [](AdminMenu& m, Args&) { return Variant(m.Id()); }},
        {"Caption", CallType::Let, 1, 1,
         [](AdminMenu& m, Args& a) { m.Caption(vb::CStr(a[0])); return Variant(); }},
        {"Caption", CallType::Get, 0, 0, [](AdminMenu& m, Args&) { return Variant(m.Caption()); }},
        {"MenuItems", CallType::Get, 0, 0, [](AdminMenu& m, Args&) { return vb::ObjectVariant(m.MenuItems()); }},
        {"Graphic", CallType::Set, 1, 1,
         [](AdminMenu& m, Args& a) {
             m.Graphic(vb::ObjectOf<const pictures::Picture>(a[0]));
             return Variant();
         }},
        {"Graphic", CallType::Get, 0, 0, [](AdminMenu& m, Args&) { return vb::ObjectVariant(m.Graphic()); }},
        {"PlaceOnToolbar", CallType::Let, 1, 1,
         [](AdminMenu& m, Args& a) { m.PlaceOnToolbar(vb::CBool(a[0])); return Variant(); }},
        {"PlaceOnToolbar", CallType::Get, 0, 0, [](AdminMenu& m, Args&) { return Variant(m.PlaceOnToolbar()); }},
        {"PlaceOnMenubar", CallType::Let, 1, 1,
         [](AdminMenu& m, Args& a) { m.PlaceOnMenubar(vb::CBool(a[0])); return Variant(); }},
        {"PlaceOnMenubar", CallType::Get, 0, 0, [](AdminMenu& m, Args&) { return Variant(m.PlaceOnMenubar()); }},
    }};
    return vb::DispatchByName<AdminMenu>(kMembers, *this, name, type, args);
}

} // namespace qm6
