// The console's panel interface: the empty class answers the empty value of
// every type and does nothing; the same members are reached by name, with
// the runtime's conversions of the arguments and its errors for a name the
// interface lacks, a read-only property written and a wrong argument count.

#include "../platform/vb/RaisedError.h"
#include "contract/IQM6AdminControl.h"
#include "platform/vb/CallByName.h"

#include <gtest/gtest.h>

namespace qm6 {
namespace {

using vb::CallType;
using vb::Variant;
using vb::test::RaisedError;

// A panel that implements nothing of its own.
class BarePanel : public IQM6AdminControl {};

// A panel that keeps what it was given.
class RecordingPanel : public IQM6AdminControl {
public:
    std::string Caption() const override { return "Printer profiles"; }
    int32_t Left() const override { return left; }
    void Left(int32_t plngLeft) override { left = plngLeft; }
    fonts::FontPtr Font() const override { return font; }
    void Font(fonts::FontPtr pinsFont) override { font = std::move(pinsFont); }
    void StandardAction(QMAdminActions pintAction) override { action = pintAction; }
    void Notification(const std::shared_ptr<IQM6AdminControl>& pinsNotifier, QMNotifyType type,
                      Variant* changed) override {
        notifier = pinsNotifier;
        notifyType = type;
        hadValue = changed != nullptr;
        if (changed)
            *changed = Variant("seen"); // by reference: the caller sees it
    }

    int32_t left = 0;
    fonts::FontPtr font;
    int32_t action = 0;
    std::shared_ptr<IQM6AdminControl> notifier;
    QMNotifyType notifyType = qmnObjectAdded;
    bool hadValue = false;
};

Variant Call(const std::shared_ptr<IQM6AdminControl>& panel, std::string_view name, CallType type,
             std::vector<Variant> args = {}) {
    return vb::CallByName(panel, name, type, std::move(args));
}

TEST(AdminControl, TheInterfaceClassAnswersEmptyValuesAndDoesNothing) {
    auto panel = std::make_shared<BarePanel>();
    const Variant nothing{vb::ObjectRef()};
    // One member of each type read, and written (Let, Set) or called first:
    // nothing written changes what is read after.
    Call(panel, "HelpFileName", CallType::Let, {Variant("help.chm")});
    Call(panel, "Visible", CallType::Let, {Variant(true)});
    Call(panel, "Left", CallType::Let, {Variant(int32_t{600})});
    Call(panel, "Font", CallType::Set, {vb::ObjectVariant(fonts::Font::Create())});
    Call(panel, "StandardAction", CallType::Method, {Variant(int32_t{qmaRefresh})});
    Call(panel, "Notification", CallType::Method, {vb::ObjectVariant(panel), Variant(int32_t{2})});
    for (const auto& [name, empty] : std::vector<std::pair<const char*, Variant>>{
             {"HelpFileName", Variant("")},
             {"Visible", Variant(false)},
             {"Left", Variant(int32_t{0})},
             {"Font", nothing},
             {"Save", nothing},
         })
        EXPECT_EQ(Call(panel, name, CallType::Get), empty) << name;
}

TEST(AdminControl,
     MembersCalledByNameReachThePanelWithTheirArgumentsConvertedOrRaiseTheRuntimesErrors) {
    auto recording = std::make_shared<RecordingPanel>();
    std::shared_ptr<IQM6AdminControl> panel = recording;
    // Names compare without regard to case; a read answers a method call too.
    EXPECT_EQ(Call(panel, "CAPTION", CallType::Method), Variant("Printer profiles"));
    Call(panel, "left", CallType::Let, {Variant("1440")});
    EXPECT_EQ(Call(panel, "Left", CallType::Get), Variant(int32_t{1440}));
    Call(panel, "StandardAction", CallType::Method, {Variant(int16_t{qmaRefresh})});
    EXPECT_EQ(recording->action, qmaRefresh);

    // A font written by reference is the same object when read back.
    const fonts::FontPtr font = fonts::Font::Create();
    Call(panel, "Font", CallType::Set, {vb::ObjectVariant(font)});
    EXPECT_EQ(vb::ObjectOf<fonts::Font>(Call(panel, "Font", CallType::Get)), font);

    // The changed value is optional, and passed by reference when given.
    auto other = std::make_shared<BarePanel>();
    Call(panel, "Notification", CallType::Method,
         {vb::ObjectVariant(other), Variant(int32_t{qmnObjectDeleted})});
    EXPECT_EQ(std::tuple(recording->notifier, recording->notifyType, recording->hadValue),
              std::tuple(std::shared_ptr<IQM6AdminControl>(other), qmnObjectDeleted, false));
    std::vector<Variant> args{vb::ObjectVariant(other), Variant(int32_t{qmnPropertyChanged}),
                              Variant(int32_t{7})};
    panel->Invoke("Notification", CallType::Method, args);
    EXPECT_TRUE(recording->hadValue);
    EXPECT_EQ(args[2], Variant("seen"));

    // The runtime's errors, for a member the panel lacks, a wrong call type,
    // argument count or argument.
    using Case = std::tuple<const char*, CallType, std::vector<Variant>, int>;
    for (const auto& [name, type, given, error] : std::vector<Case>{
             {"NoSuchMember", CallType::Method, {}, 438},
             {"Name", CallType::Let, {Variant("x")}, 438},     // read-only
             {"Font", CallType::Let, {Variant("Arial")}, 438}, // an object reference is Set
             {"SetFocus", CallType::Method, {Variant(1)}, 450},
             {"Notification", CallType::Method, {vb::ObjectVariant(panel)}, 450},
             {"Left", CallType::Let, {Variant("wide")}, 13},
             {"SetConnection", CallType::Method, {Variant("store.qm6db")}, 13},
             {"Left", CallType::Let, {Variant(3e10)}, 6},
             {"Font", CallType::Set, {vb::ObjectVariant(panel)}, 13}, // a panel is not a font
         })
        EXPECT_EQ(RaisedError([&] { Call(panel, name, type, given); }), error)
            << name << " as call type " << static_cast<int>(type);
    // An object that cannot be called by name, and Nothing.
    EXPECT_EQ(
        RaisedError([] { vb::CallByName(std::make_shared<vb::Object>(), "Name", CallType::Get); }),
        438);
    EXPECT_EQ(RaisedError([] { vb::CallByName(nullptr, "Name", CallType::Get); }), 438);
}

} // namespace
} // namespace qm6
