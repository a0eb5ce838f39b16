#include "contract/IQM6AdminControl.h"

#include "contract/Connection.h"
#include "platform/vb/Conversions.h"

#include <array>

namespace qm6 {

IQM6AdminControl::~IQM6AdminControl() = default;

std::string IQM6AdminControl::Name() const {
    return {};
}
std::string IQM6AdminControl::Caption() const {
    return {};
}
pictures::PicturePtr IQM6AdminControl::NavGraphicLarge() const {
    return nullptr;
}
pictures::PicturePtr IQM6AdminControl::NavGraphicSmall() const {
    return nullptr;
}
std::shared_ptr<data::Connection> IQM6AdminControl::Connection() const {
    return nullptr;
}
void IQM6AdminControl::SetConnection(std::shared_ptr<data::Connection>) {}
int32_t IQM6AdminControl::HelpContextId() const {
    return 0;
}
std::string IQM6AdminControl::HelpFileName() const {
    return {};
}
void IQM6AdminControl::HelpFileName(const std::string&) {}
data::Status IQM6AdminControl::Save() {
    return nullptr;
}
bool IQM6AdminControl::Visible() const {
    return false;
}
void IQM6AdminControl::Visible(bool) {}
int32_t IQM6AdminControl::Left() const {
    return 0;
}
void IQM6AdminControl::Left(int32_t) {}
int32_t IQM6AdminControl::Top() const {
    return 0;
}
void IQM6AdminControl::Top(int32_t) {}
int32_t IQM6AdminControl::hwnd() const {
    return 0;
}
fonts::FontPtr IQM6AdminControl::Font() const {
    return nullptr;
}
void IQM6AdminControl::Font(fonts::FontPtr) {}
std::shared_ptr<vb::Collection> IQM6AdminControl::CustomMenus() const {
    return nullptr;
}
std::shared_ptr<AdminMenuItem> IQM6AdminControl::CurrentAddItem() const {
    return nullptr;
}
std::shared_ptr<vb::Collection> IQM6AdminControl::AddItemMenus() const {
    return nullptr;
}
void IQM6AdminControl::StandardAction(QMAdminActions) {}
void IQM6AdminControl::CustomAction(const std::string&) {}
void IQM6AdminControl::AddItemClicked(const std::string&) {}
void IQM6AdminControl::SetFocus() {}
void IQM6AdminControl::Refresh() {}
bool IQM6AdminControl::ControlDone() {
    return false;
}
void IQM6AdminControl::Notification(const std::shared_ptr<IQM6AdminControl>&, QMNotifyType,
                                    vb::Variant*) {}

namespace {

using vb::CallType;
using vb::Variant;
using Args = std::vector<Variant>;
using Self = IQM6AdminControl;
using Member = vb::DispatchMember<Self>;

Variant None() {
    return Variant();
}

// The slots in order, as a late-bound caller finds them.
constexpr std::array<Member, 29> kMembers{{
    {"Name", CallType::Get, 0, 0, [](Self& s, Args&) { return Variant(s.Name()); }},
    {"Caption", CallType::Get, 0, 0, [](Self& s, Args&) { return Variant(s.Caption()); }},
    {"NavGraphicLarge", CallType::Get, 0, 0, [](Self& s, Args&) { return vb::ObjectVariant(s.NavGraphicLarge()); }},
    {"NavGraphicSmall", CallType::Get, 0, 0, [](Self& s, Args&) { return vb::ObjectVariant(s.NavGraphicSmall()); }},
    {"Connection", CallType::Get, 0, 0, [](Self& s, Args&) { return vb::ObjectVariant(s.Connection()); }},
    {"SetConnection", CallType::Method, 1, 1,
     [](Self& s, Args& a) { s.SetConnection(vb::ObjectOf<data::Connection>(a[0])); return None(); }},
    {"HelpContextId", CallType::Get, 0, 0, [](Self& s, Args&) { return Variant(s.HelpContextId()); }},
    {"HelpFileName", CallType::Get, 0, 0, [](Self& s, Args&) { return Variant(s.HelpFileName()); }},
    {"HelpFileName", CallType::Let, 1, 1, [](Self& s, Args& a) { s.HelpFileName(vb::CStr(a[0])); return None(); }},
    {"Save", CallType::Method, 0, 0, [](Self& s, Args&) { return vb::ObjectVariant(s.Save()); }},
    {"Visible", CallType::Get, 0, 0, [](Self& s, Args&) { return Variant(s.Visible()); }},
    {"Visible", CallType::Let, 1, 1, [](Self& s, Args& a) { s.Visible(vb::CBool(a[0])); return None(); }},
    {"Left", CallType::Get, 0, 0, [](Self& s, Args&) { return Variant(s.Left()); }},
    {"Left", CallType::Let, 1, 1, [](Self& s, Args& a) { s.Left(vb::CLng(a[0])); return None(); }},
    {"Top", CallType::Get, 0, 0, [](Self& s, Args&) { return Variant(s.Top()); }},
    {"Top", CallType::Let, 1, 1, [](Self& s, Args& a) { s.Top(vb::CLng(a[0])); return None(); }},
    {"hwnd", CallType::Get, 0, 0, [](Self& s, Args&) { return Variant(s.hwnd()); }},
    {"Font", CallType::Get, 0, 0, [](Self& s, Args&) { return vb::ObjectVariant(s.Font()); }},
    {"Font", CallType::Set, 1, 1, [](Self& s, Args& a) { s.Font(vb::ObjectOf<fonts::Font>(a[0])); return None(); }},
    {"CustomMenus", CallType::Get, 0, 0, [](Self& s, Args&) { return vb::ObjectVariant(s.CustomMenus()); }},
    {"CurrentAddItem", CallType::Get, 0, 0, [](Self& s, Args&) { return vb::ObjectVariant(s.CurrentAddItem()); }},
    {"AddItemMenus", CallType::Get, 0, 0, [](Self& s, Args&) { return vb::ObjectVariant(s.AddItemMenus()); }},
    {"StandardAction", CallType::Method, 1, 1,
     [](Self& s, Args& a) { s.StandardAction(static_cast<QMAdminActions>(vb::CLng(a[0]))); return None(); }},
    {"CustomAction", CallType::Method, 1, 1, [](Self& s, Args& a) { s.CustomAction(vb::CStr(a[0])); return None(); }},
    {"AddItemClicked", CallType::Method, 1, 1,
     [](Self& s, Args& a) { s.AddItemClicked(vb::CStr(a[0])); return None(); }},
    {"SetFocus", CallType::Method, 0, 0, [](Self& s, Args&) { s.SetFocus(); return None(); }},
    {"Refresh", CallType::Method, 0, 0, [](Self& s, Args&) { s.Refresh(); return None(); }},
    {"ControlDone", CallType::Method, 0, 0, [](Self& s, Args&) { return Variant(s.ControlDone()); }},
    {"Notification", CallType::Method, 2, 3,
     [](Self& s, Args& a) {
         auto notifier = vb::ObjectOf<IQM6AdminControl>(a[0]);
         const auto type = static_cast<QMNotifyType>(vb::CLng(a[1]));
         s.Notification(notifier, type, a.size() > 2 ? &a[2] : nullptr);
         return None();
     }},
}};

} // namespace

Variant IQM6AdminControl::Invoke(std::string_view name, CallType type, Args& args) {
    return vb::DispatchByName<Self>(kMembers, *this, name, type, args);
}

} // namespace qm6
