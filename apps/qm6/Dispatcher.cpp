#include "CommandLine.h"
#include "Console.h"

#include <iostream>

namespace qm6::tool {
namespace {

struct CommandEntry {
    std::string_view name;
    CommandFn run;
    std::string_view summary;
};

// Every command of the tool; a new one joins by adding its line.
constexpr CommandEntry kCommands[] = {
    {"brand", RunBrand, "print a member of the branding library, or write its picture to a PNG"},
    {"data", RunData, "lay out a qm6data store in a file or on a PostgreSQL server"},
    {"global", RunGlobal, "print a member of the library's global object, or write its picture"},
    {"lang", RunLang, "print a text of the string library, with its markers filled"},
    {"reg", RunReg, "read and change registry settings, as the Windows reg tool does"},
    {"sec", RunSec, "show or set the security descriptor of a registry key (SDDL)"},
};

void Usage(std::ostream& out) {
    out << "Usage: qm6 COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const auto& command : kCommands)
        out << "  " << command.name << std::string(8 - command.name.size(), ' ') << command.summary
            << "\n";
    out << "\nFor help on a command, type: qm6 COMMAND /?\n";
}

} // namespace

void Console::Error(std::string_view text) const {
    err << "ERROR: " << text << "\n";
}

void Console::Warning(std::string_view text) const {
    err << "WARNING: " << text << "\n";
}

bool Console::Confirm(std::string_view question) const {
    if (!interactive)
        return false;
    while (true) {
        out << question << " (Yes/No)? " << std::flush;
        std::string answer;
        if (!std::getline(in, answer))
            return false;
        for (char& c : answer) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        if (answer == "y" || answer == "yes")
            return true;
        if (answer == "n" || answer == "no")
            return false;
    }
}

int Dispatch(std::span<const std::string> args, const Console& console) {
    if (args.empty() || IsHelpArgument(args[0])) {
        Usage(args.empty() ? console.err : console.out);
        return args.empty() ? 1 : 0;
    }
    for (const auto& command : kCommands) {
        if (args[0] == command.name)
            return command.run(args.subspan(1), console);
    }
    console.Error("Unknown command \"" + args[0] + "\".");
    Usage(console.err);
    return 1;
}

} // namespace qm6::tool
