#include "CommandLine.h"

#include <ostream>

namespace qm6::tool {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

bool IsHelpArgument(std::string_view arg) {
    return arg == "/?" || arg == "-?" || arg == "-h" || arg == "--help";
}

CommandLine::CommandLine(std::string operation, std::string_view usage,
                         std::initializer_list<std::string_view> flags,
                         std::initializer_list<std::string_view> valued)
    : operation_(std::move(operation)), usage_(usage) {
    for (auto f : flags)
        flags_.emplace(f);
    for (auto v : valued)
        valued_.emplace(v);
}

bool CommandLine::Parse(std::span<const std::string> args, size_t positional,
                        const Console& console) {
    if (!args.empty() && IsHelpArgument(args[0])) {
        console.out << usage_;
        result_ = 0;
        return false;
    }
    if (args.size() < positional) {
        result_ = SyntaxError(console, "Too few arguments.");
        return false;
    }
    positional_.assign(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(positional));
    for (size_t i = positional; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) {
            result_ = SyntaxError(console, "Unexpected argument \"" + arg + "\".");
            return false;
        }
        std::string name = arg.substr(1);
        for (char& c : name) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + 32);
        }
        bool isFlag = flags_.count(name) != 0;
        bool isValued = valued_.count(name) != 0;
        if (!isFlag && !isValued) {
            result_ = SyntaxError(console, "Unknown option \"" + arg + "\".");
            return false;
        }
        if (given_.count(name) != 0) {
            result_ = SyntaxError(console, "The option \"" + arg + "\" is given twice.");
            return false;
        }
        std::string value;
        if (isValued) {
            if (i + 1 == args.size()) {
                result_ = SyntaxError(console, "The option \"" + arg + "\" needs a value.");
                return false;
            }
            value = args[++i];
        }
        given_.emplace(std::move(name), std::move(value));
    }
    return true;
}

bool CommandLine::Has(std::string_view option) const {
    return given_.find(option) != given_.end();
}

const std::string& CommandLine::Value(std::string_view option) const {
    static const std::string empty;
    auto it = given_.find(option);
    return it == given_.end() ? empty : it->second;
}

int CommandLine::SyntaxError(const Console& console, std::string_view detail) const {
    console.Error("Invalid syntax. " + std::string(detail));
    console.err << "Type \"" << operation_ << " /?\" for usage.\n";
    return 1;
}

} // namespace qm6::tool
