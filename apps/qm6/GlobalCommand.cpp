// qm6 global MEMBER [--png FILE]: answers a read member of the library's
// global object as a host gets it, through the same start-up (string and
// branding libraries, built-in defaults, the built-in header logo). Texts and
// Booleans are printed; pictures are described and, with --png, written to a
// PNG file. The tool shows no windows: it has no display, so UseAlphaIcons
// sees a depth of 0 bits per pixel and answers False.

#include "CommandLine.h"
#include "Console.h"
#include "PictureOutput.h"

#include "common/QM6AdminCommonGlobal.h"

#include <functional>
#include <optional>
#include <ostream>
#include <variant>
#include <vector>

namespace qm6::tool {
namespace {

using Answer = std::variant<std::string, bool, pictures::PicturePtr>;

struct Member {
    std::string_view name;
    std::function<Answer(const QM6AdminCommonGlobal&)> read;
};

const std::vector<Member>& Members() {
    using G = const QM6AdminCommonGlobal&;
    static const std::vector<Member> members{
        {"ProductName", [](G g) -> Answer { return g.ProductName(); }},
        {"ApplicationName", [](G g) -> Answer { return g.ApplicationName(); }},
        {"CompanyName", [](G g) -> Answer { return g.CompanyName(); }},
        {"SplashScreen", [](G g) -> Answer { return g.SplashScreen(); }},
        {"AdminHeaderLogo", [](G g) -> Answer { return g.AdminHeaderLogo(); }},
        {"UseAlphaIcons", [](G g) -> Answer { return g.UseAlphaIcons(); }},
    };
    return members;
}

constexpr std::string_view kUsage =
    "Usage: qm6 global MEMBER [--png FILE]\n"
    "\n"
    "Answers a read member of the library's global object as a host gets it: names\n"
    "from the branding library qmmark.dll in the common folder or their built-in\n"
    "values, pictures from it or, for the header logo, the library's own image.\n"
    "Texts and Booleans (True, False) are printed; a picture is described\n"
    "(\"bitmap 176 x 80\", \"(none)\") and, with --png, its pixels are written to FILE.\n"
    "\n"
    "Members:\n"
    "  ProductName, ApplicationName (the console's), CompanyName\n"
    "  SplashScreen (the console's), AdminHeaderLogo\n"
    "  UseAlphaIcons                 False here: the tool has no display\n"
    "\n"
    "Example: qm6 global AdminHeaderLogo --png header.png\n";

} // namespace

int RunGlobal(std::span<const std::string> argsIn, const Console& console) {
    if (argsIn.empty() || IsHelpArgument(argsIn[0])) {
        (argsIn.empty() ? console.err : console.out) << kUsage;
        return argsIn.empty() ? 1 : 0;
    }
    std::vector<std::string> args(argsIn.begin(), argsIn.end());
    std::optional<std::string> pngPath;
    if (!TakePngOption(args, pngPath, console))
        return 1;
    if (args.size() != 1) {
        console.Error(args.empty() ? "No member named. Type \"qm6 global /?\" for usage."
                                   : "qm6 global takes one member and no arguments.");
        return 1;
    }
    const Member* member = nullptr;
    for (const Member& m : Members())
        if (EqualsIgnoringCase(m.name, args[0]))
            member = &m;
    if (member == nullptr) {
        console.Error("Unknown member \"" + args[0] + "\". Type \"qm6 global /?\" for usage.");
        return 1;
    }

    const Answer answer = member->read(QM6AdminCommonGlobal());
    if (const auto* picture = std::get_if<pictures::PicturePtr>(&answer))
        return OutputPicture(*picture, pngPath, console);
    if (pngPath) {
        console.Error("--png is for picture members; " + std::string(member->name) + " is not one.");
        return 1;
    }
    if (const auto* text = std::get_if<std::string>(&answer))
        console.out << *text << "\n";
    else
        console.out << (std::get<bool>(answer) ? "True" : "False") << "\n";
    return 0;
}

} // namespace qm6::tool
