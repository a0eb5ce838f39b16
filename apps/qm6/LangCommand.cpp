// qm6 lang ID [ARG...]: prints a text of the string library as the library
// itself answers it, through the same start-up (lang folder walk, LocaleId
// setting, 1033 fall back), so a translator can check a library by hand.

#include "CommandLine.h"
#include "Console.h"

#include "common/Language.h"
#include "common/ModuleState.h"
#include "platform/vb/Conversions.h"
#include "platform/vb/VbError.h"

#include <ostream>

namespace qm6::tool {

int RunLang(std::span<const std::string> args, const Console& console) {
    if (args.empty() || IsHelpArgument(args[0])) {
        (args.empty() ? console.err : console.out)
            << "Usage: qm6 lang ID [ARG...]\n\n"
               "Prints the text ID of the string library for the user's locale, with its\n"
               "%s markers filled from the arguments in order.\n";
        return args.empty() ? 1 : 0;
    }
    int32_t id = 0;
    try {
        id = vb::CLng(vb::Variant(args[0]));
    } catch (const vb::VbError&) {
        console.Error("\"" + args[0] + "\" is not a string id.");
        return 1;
    }
    std::vector<vb::Variant> texts;
    for (const std::string& arg : args.subspan(1))
        texts.emplace_back(arg);

    State(); // start-up loads the string library
    std::string text = LangStringOf(id, texts);
    if (!State().language.library) {
        console.Error("No string library for module qm6admcm was found in " + GetLangFolder() +
                      " (locale " + std::to_string(GetLocaleId()) + ", or 1033).");
        return 1;
    }
    console.out << text << "\n";
    return 0;
}

} // namespace qm6::tool
