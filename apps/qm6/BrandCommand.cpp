// qm6 brand MEMBER [ARG...] [--png FILE]: answers a member of the branding
// object as the library answers it, through the same start-up (common folder
// walk, qmmark.dll, built-in defaults), so that a branding library can be
// checked by hand. Texts and colours are printed; pictures are described and,
// with --png, written to a PNG file.

#include "CommandLine.h"
#include "Console.h"
#include "PictureOutput.h"

#include "common/clsQM6Branding.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/VbError.h"

#include <functional>
#include <optional>
#include <ostream>
#include <variant>
#include <vector>

namespace qm6::tool {
namespace {

// A member's answer: a text, a colour or a picture.
using Answer = std::variant<std::string, int32_t, pictures::PicturePtr>;

// Whole-number arguments: a product number (32-bit) or an icon size (16-bit).
enum class Argument { Product, Size };

struct Member {
    std::string_view name;
    std::vector<Argument> required;
    std::vector<Argument> optional;
    std::function<Answer(const clsQM6Branding&, const std::vector<int32_t>&)> read;
};

int16_t Arg16(const std::vector<int32_t>& args, size_t i) {
    return i < args.size() ? static_cast<int16_t>(args[i]) : int16_t{0};
}

const std::vector<Member>& Members() {
    using B = const clsQM6Branding&;
    using A = const std::vector<int32_t>&;
    static const std::vector<Member> members{
        {"CompanyName", {}, {}, [](B b, A) -> Answer { return b.CompanyName(); }},
        {"CompanyNameFull", {}, {}, [](B b, A) -> Answer { return b.CompanyNameFull(); }},
        {"ProductName", {}, {}, [](B b, A) -> Answer { return b.ProductName(); }},
        {"ApplicationName", {Argument::Product}, {},
         [](B b, A a) -> Answer { return b.ApplicationName(a[0]); }},
        {"CompanyURL", {}, {}, [](B b, A) -> Answer { return b.CompanyURL(); }},
        {"SplashScreen", {Argument::Product}, {},
         [](B b, A a) -> Answer { return b.SplashScreen(a[0]); }},
        {"AdminHeaderLogo", {}, {}, [](B b, A) -> Answer { return b.AdminHeaderLogo(); }},
        {"DBMaintenancePanel", {}, {}, [](B b, A) -> Answer { return b.DBMaintenancePanel(); }},
        {"ReportColorMain", {}, {}, [](B b, A) -> Answer { return b.ReportColorMain(); }},
        {"ReportColorSub", {}, {}, [](B b, A) -> Answer { return b.ReportColorSub(); }},
        {"ReportLogo", {}, {}, [](B b, A) -> Answer { return b.ReportLogo(); }},
        {"ReportFooter", {}, {}, [](B b, A) -> Answer { return b.ReportFooter(); }},
        {"WizardPanel", {}, {}, [](B b, A) -> Answer { return b.WizardPanel(); }},
        {"ClientIcon", {}, {Argument::Size, Argument::Size},
         [](B b, A a) -> Answer { return b.ClientIcon(Arg16(a, 0), Arg16(a, 1)); }},
        {"AboutIcon", {}, {Argument::Size, Argument::Size},
         [](B b, A a) -> Answer { return b.AboutIcon(Arg16(a, 0), Arg16(a, 1)); }},
    };
    return members;
}

constexpr std::string_view kUsage =
    "Usage: qm6 brand MEMBER [ARG...] [--png FILE]\n"
    "\n"
    "Answers a member of the branding object from the branding library qmmark.dll\n"
    "in the common folder, or its built-in value. Texts and colours (0x00BBGGRR, in\n"
    "decimal) are printed; a picture is described (\"bitmap 176 x 80\", \"(none)\")\n"
    "and, with --png, its pixels are written to FILE.\n"
    "\n"
    "Members:\n"
    "  CompanyName, CompanyNameFull, ProductName, CompanyURL, ReportFooter\n"
    "  ApplicationName PRODUCT      PRODUCT 1 to 4; \"Unknown\" for another number\n"
    "  ReportColorMain, ReportColorSub\n"
    "  SplashScreen PRODUCT         (none) for a number other than 1 to 4\n"
    "  AdminHeaderLogo, DBMaintenancePanel, ReportLogo, WizardPanel\n"
    "  ClientIcon [WIDTH HEIGHT], AboutIcon [WIDTH HEIGHT]\n"
    "                               icons at that size; without one, their own\n"
    "\n"
    "Example: qm6 brand ClientIcon 32 32 --png client32.png\n";

const Member* FindMember(std::string_view name) {
    for (const Member& member : Members())
        if (EqualsIgnoringCase(member.name, name))
            return &member;
    return nullptr;
}

// The argument as the runtime converts it; nullopt after reporting why not.
std::optional<int32_t> ReadArgument(const std::string& text, Argument kind, const Console& console) {
    try {
        const vb::Variant value(text);
        return kind == Argument::Size ? int32_t{vb::CInt(value)} : vb::CLng(value);
    } catch (const vb::VbError& e) {
        console.Error("\"" + text + "\" is not a " +
                      (kind == Argument::Size ? "16-bit size" : "32-bit product number") + " (" +
                      e.what() + ").");
        return std::nullopt;
    }
}

} // namespace

int RunBrand(std::span<const std::string> argsIn, const Console& console) {
    if (argsIn.empty() || IsHelpArgument(argsIn[0])) {
        (argsIn.empty() ? console.err : console.out) << kUsage;
        return argsIn.empty() ? 1 : 0;
    }
    std::vector<std::string> args(argsIn.begin(), argsIn.end());
    std::optional<std::string> pngPath;
    if (!TakePngOption(args, pngPath, console))
        return 1;
    if (args.empty()) {
        console.Error("No member named. Type \"qm6 brand /?\" for usage.");
        return 1;
    }
    const Member* member = FindMember(args[0]);
    if (member == nullptr) {
        console.Error("Unknown member \"" + args[0] + "\". Type \"qm6 brand /?\" for usage.");
        return 1;
    }
    const size_t given = args.size() - 1;
    const size_t most = member->required.size() + member->optional.size();
    // Optional arguments come as a whole (a width needs its height).
    if (given != member->required.size() && given != most) {
        console.Error("qm6 brand " + std::string(member->name) + " takes " +
                      std::to_string(member->required.size()) +
                      (member->optional.empty() ? "" : " or " + std::to_string(most)) +
                      " argument(s), not " + std::to_string(given) + ".");
        return 1;
    }
    std::vector<int32_t> numbers;
    for (size_t i = 0; i < given; ++i) {
        const Argument kind = i < member->required.size()
                                  ? member->required[i]
                                  : member->optional[i - member->required.size()];
        auto number = ReadArgument(args[i + 1], kind, console);
        if (!number)
            return 1;
        numbers.push_back(*number);
    }

    const Answer answer = member->read(Branding(), numbers);
    if (const auto* picture = std::get_if<pictures::PicturePtr>(&answer))
        return OutputPicture(*picture, pngPath, console);
    if (pngPath) {
        console.Error("--png is for picture members; " + std::string(member->name) +
                      " is not one.");
        return 1;
    }
    if (const auto* text = std::get_if<std::string>(&answer))
        console.out << *text << "\n";
    else
        console.out << std::get<int32_t>(answer) << "\n";
    return 0;
}

} // namespace qm6::tool
