#pragma once

// What a command of the qm6 tool works with: its arguments and the console.
// The streams are parameters so that the dispatcher can be driven from a test
// as well as from main().

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace qm6::tool {

struct Console {
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    bool interactive = false; // standard input is a terminal: questions may be asked

    // "ERROR: text" on the error stream.
    void Error(std::string_view text) const;
    void Warning(std::string_view text) const;
    // Asks a Yes/No question; false without asking when input is not a
    // terminal, and on end of input.
    bool Confirm(std::string_view question) const;
};

// A command: the arguments after its name; answers the process exit code.
using CommandFn = int (*)(std::span<const std::string> args, const Console& console);

// Runs the command the first argument names ("reg", "sec", ...).
int Dispatch(std::span<const std::string> args, const Console& console);

// The commands.
int RunData(std::span<const std::string> args, const Console& console);
int RunBrand(std::span<const std::string> args, const Console& console);
int RunGlobal(std::span<const std::string> args, const Console& console);
int RunLang(std::span<const std::string> args, const Console& console);
int RunReg(std::span<const std::string> args, const Console& console);
int RunSec(std::span<const std::string> args, const Console& console);

} // namespace qm6::tool
