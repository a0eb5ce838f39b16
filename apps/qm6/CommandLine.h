#pragma once

// The argument conventions of the Windows tools the commands follow: fixed
// positional arguments first, then options that start with "/" or "-",
// compared without regard to case, some taking the next argument as their
// value; "/?" as the first argument asks for the usage text.

#include "Console.h"

#include <initializer_list>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm6::tool {

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool IsHelpArgument(std::string_view arg);

class CommandLine {
public:
    // `operation` names the command in messages ("qm6 reg add"); `flags` are
    // options without a value, `valued` options with one (names in lower case,
    // without the "/").
    CommandLine(std::string operation, std::string_view usage,
                std::initializer_list<std::string_view> flags,
                std::initializer_list<std::string_view> valued);

    // Reads exactly `positional` positional arguments and the options after
    // them. False when the command should end at once with Result(): after
    // the usage text (0) or a syntax error (1).
    bool Parse(std::span<const std::string> args, size_t positional, const Console& console);
    int Result() const { return result_; }

    const std::string& Positional(size_t index) const { return positional_.at(index); }
    bool Has(std::string_view option) const;
    const std::string& Value(std::string_view option) const;

    // Reports a syntax error with a pointer to the usage text; answers 1.
    int SyntaxError(const Console& console, std::string_view detail) const;

private:
    std::string operation_;
    std::string_view usage_;
    std::set<std::string, std::less<>> flags_;
    std::set<std::string, std::less<>> valued_;
    std::vector<std::string> positional_;
    std::map<std::string, std::string, std::less<>> given_;
    int result_ = 0;
};

} // namespace qm6::tool
