#include "RegFile.h"

#include "RegData.h"

#include "Unicode.h"
#include "platform/registry/Registry.h"

#include <algorithm>
#include <cstdio>

namespace qm6::tool {
namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";

// Thrown inside the parser and turned into the answer at its top.
struct Failure {
    int line;
    std::string message;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

size_t SkipBlanks(std::string_view text, size_t pos) {
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    return pos;
}

std::string_view TrimBlanks(std::string_view text) {
    size_t first = SkipBlanks(text, 0);
    size_t last = text.size();
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// The 1-based line on which `offset` of the text lies; CRLF, LF and CR each
// end a line.
int LineAt(std::string_view text, size_t offset) {
    int line = 1;
    for (size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    }
    return line;
}

// The file's text as UTF-8, whatever its encoding.
std::string Decode(std::string_view bytes) {
    auto byteAt = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
    bool utf16 = false;
    if (bytes.size() >= 2 && byteAt(0) == 0xFE && byteAt(1) == 0xFF)
        throw Failure{1, "The file is in UTF-16 big-endian, which is not supported; save it as "
                         "UTF-16LE or UTF-8."};
    if (bytes.size() >= 2 && byteAt(0) == 0xFF && byteAt(1) == 0xFE) {
        bytes.remove_prefix(2);
        utf16 = true;
    } else if (bytes.size() >= 3 && byteAt(0) == 0xEF && byteAt(1) == 0xBB && byteAt(2) == 0xBF) {
        bytes.remove_prefix(3);
    } else if (bytes.size() >= 2 && byteAt(0) != 0 && byteAt(1) == 0) {
        // UTF-16LE without a byte-order mark: an ASCII first character
        // followed by a zero byte cannot start a UTF-8 registry file.
        utf16 = true;
    }

    std::string text;
    if (utf16) {
        std::span<const uint8_t> units(reinterpret_cast<const uint8_t*>(bytes.data()),
                                       bytes.size());
        size_t bad = 0;
        auto decoded = Utf16LeToUtf8(units, &bad);
        if (!decoded) {
            auto prefix = Utf16LeToUtf8(units.first(bad));
            int line = prefix ? LineAt(*prefix, prefix->size()) : 1;
            bool oddEnd = units.size() % 2 != 0 && bad + 1 == units.size();
            throw Failure{line, oddEnd ? "The file ends in the middle of a UTF-16 character."
                                       : "The line holds bytes that are not valid UTF-16LE text."};
        }
        text = std::move(*decoded);
    } else {
        size_t bad = 0;
        if (!IsValidUtf8(bytes, &bad))
            throw Failure{LineAt(bytes, bad),
                          "The line holds bytes that are not valid UTF-8 text; save the file as "
                          "UTF-8 or UTF-16LE."};
        text = std::string(bytes);
    }
    size_t nul = text.find('\0');
    if (nul != std::string::npos)
        throw Failure{LineAt(text, nul), "The line holds a NUL character."};
    return text;
}

std::string Describe(std::string_view name) {
    return name.empty() ? std::string("the default value") : "value \"" + Abbreviate(name) + "\"";
}

class Parser {
public:
    explicit Parser(std::string_view text) {
        int number = 1;
        size_t start = 0;
        for (size_t i = 0; i <= text.size(); ++i) {
            if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
                if (i == text.size() && start == i)
                    break;
                lines_.push_back({number++, text.substr(start, i - start)});
                if (i < text.size() && text[i] == '\r' && i + 1 < text.size() &&
                    text[i + 1] == '\n')
                    ++i;
                start = i + 1;
            }
        }
    }

    RegFile Run() {
        ParseHeader();
        for (; index_ < lines_.size(); ++index_) {
            const Line& line = lines_[index_];
            size_t pos = SkipBlanks(line.text, 0);
            if (pos == line.text.size() || line.text[pos] == ';')
                continue;
            char c = line.text[pos];
            if (c == '[')
                ParseKey(line.text.substr(pos), line.number);
            else if (c == '@' || c == '"')
                ParseValue(line.text, pos, line.number);
            else
                throw Failure{line.number, "Expected a key in brackets, a value (\"name\"= or @=) "
                                           "or a comment (;)."};
        }
        return std::move(file_);
    }

private:
    struct Line {
        int number;
        std::string_view text;
    };

    void ParseHeader() {
        while (index_ < lines_.size() && TrimBlanks(lines_[index_].text).empty())
            ++index_;
        if (index_ == lines_.size())
            throw Failure{1, "The file is empty; a registry file starts with \"" +
                                 std::string(kHeader5) + "\"."};
        std::string_view header = TrimBlanks(lines_[index_].text);
        if (header == kHeader5)
            file_.version = RegFileVersion::Regedit5;
        else if (header == kHeader4)
            file_.version = RegFileVersion::Regedit4;
        else
            throw Failure{lines_[index_].number,
                          "This is not a registry file: it must start with \"" +
                              std::string(kHeader5) + "\" or \"" + std::string(kHeader4) + "\"."};
        ++index_;
    }

    // Fails unless only blanks or a comment follow `pos`.
    static void ExpectEnd(std::string_view text, size_t pos, int line, std::string_view after) {
        pos = SkipBlanks(text, pos);
        if (pos < text.size() && text[pos] != ';')
            throw Failure{line, "Unexpected text after " + std::string(after) + ": \"" +
                                    Abbreviate(text.substr(pos)) + "\"."};
    }

    // [KEY] or [-KEY], possibly followed by a comment.
    void ParseKey(std::string_view text, int line) {
        // The closing bracket is the last one on the line, unless what follows
        // a bracket is a comment; key names may themselves hold ']' and ';'.
        std::string_view trimmed = TrimBlanks(text);
        size_t close = std::string_view::npos;
        if (trimmed.size() > 1 && trimmed.back() == ']') {
            close = trimmed.size() - 1;
        } else {
            for (size_t i = trimmed.find(']'); i != std::string_view::npos;
                 i = trimmed.find(']', i + 1)) {
                size_t next = SkipBlanks(trimmed, i + 1);
                if (next < trimmed.size() && trimmed[next] == ';') {
                    close = i;
                    break;
                }
            }
            if (close == std::string_view::npos && trimmed.size() > 1)
                close = trimmed.rfind(']', trimmed.size() - 1); // ExpectEnd reports what follows
        }
        if (close == std::string_view::npos)
            throw Failure{line, "The key name has no closing bracket \"]\"."};
        ExpectEnd(trimmed, close + 1, line, "the key name");

        std::string_view name = trimmed.substr(1, close - 1);
        bool remove = !name.empty() && name.front() == '-';
        if (remove)
            name.remove_prefix(1);
        if (name.empty())
            throw Failure{line, "The key name is empty."};
        std::string error;
        auto key = ParseKeyPath(name, error);
        if (!key)
            throw Failure{line, error};

        RegEntry entry;
        entry.line = line;
        entry.key = *key;
        if (remove) {
            if (key->subKey.empty())
                throw Failure{line, "A root key cannot be deleted."};
            entry.kind = RegEntry::Kind::DeleteKey;
            current_.reset();
            afterDeletion_ = true;
        } else {
            entry.kind = RegEntry::Kind::CreateKey;
            current_ = *key;
        }
        file_.entries.push_back(std::move(entry));
    }

    // A quoted string from the opening quote at `pos`; `pos` ends after the
    // closing quote. Escapes: \\ \" and, as Wine's editor writes them, \n \r \0.
    static std::string ParseQuoted(std::string_view text, size_t& pos, int line,
                                   std::string_view what) {
        std::string out;
        ++pos;
        while (pos < text.size()) {
            char c = text[pos];
            if (c == '"') {
                ++pos;
                return out;
            }
            if (c == '\\') {
                if (pos + 1 == text.size())
                    break;
                char e = text[pos + 1];
                switch (e) {
                case '\\':
                case '"':
                    out.push_back(e);
                    break;
                case 'n':
                    out.push_back('\n');
                    break;
                case 'r':
                    out.push_back('\r');
                    break;
                case '0':
                    out.push_back('\0');
                    break;
                default:
                    throw Failure{line, "Unknown escape sequence \"\\" + std::string(1, e) +
                                            "\" in " + std::string(what) +
                                            "; write a backslash as \\\\ and a quote as \\\"."};
                }
                pos += 2;
                continue;
            }
            out.push_back(c);
            ++pos;
        }
        throw Failure{line, "The closing quote of " + std::string(what) + " is missing."};
    }

    void ParseValue(std::string_view text, size_t pos, int line) {
        std::string name;
        if (text[pos] == '@') {
            ++pos;
        } else {
            name = ParseQuoted(text, pos, line, "the value name");
        }
        pos = SkipBlanks(text, pos);
        if (pos == text.size() || text[pos] != '=')
            throw Failure{line, "Expected \"=\" after the name of " + Describe(name) + "."};
        pos = SkipBlanks(text, pos + 1);

        if (!current_) {
            throw Failure{line, afterDeletion_
                                    ? "The line sets " + Describe(name) +
                                          " right after a key deletion; put the key it belongs to "
                                          "in brackets above it."
                                    : "The line sets " + Describe(name) +
                                          " before any key; put the key it belongs to in brackets "
                                          "above it."};
        }

        RegEntry entry;
        entry.line = line;
        entry.key = *current_;
        entry.name = name;
        entry.kind = RegEntry::Kind::SetValue;
        std::string_view data = text.substr(pos);

        if (!data.empty() && data.front() == '-') {
            ExpectEnd(text, pos + 1, line, "the \"-\" that deletes " + Describe(name));
            entry.kind = RegEntry::Kind::DeleteValue;
        } else if (!data.empty() && data.front() == '"') {
            std::string value =
                ParseQuoted(text, pos, line, "the string data of " + Describe(name));
            ExpectEnd(text, pos, line, "the string data of " + Describe(name));
            entry.type = reg::REG_SZ;
            entry.data.assign(value.begin(), value.end());
            entry.data.push_back(0);
        } else if (StartsWithIgnoringCase(data, "dword:")) {
            pos += 6;
            size_t start = pos;
            uint32_t value = 0;
            while (pos < text.size() && HexDigitValue(text[pos]) >= 0 && pos - start < 9) {
                value = (value << 4) | static_cast<uint32_t>(HexDigitValue(text[pos]));
                ++pos;
            }
            if (pos == start || pos - start > 8)
                throw Failure{line, "The dword data of " + Describe(name) +
                                        " must be one to eight hex digits (dword:0000002a)."};
            ExpectEnd(text, pos, line, "the dword data of " + Describe(name));
            entry.type = reg::REG_DWORD;
            for (int i = 0; i < 4; ++i)
                entry.data.push_back(static_cast<uint8_t>(value >> (8 * i)));
        } else if (StartsWithIgnoringCase(data, "hex:")) {
            entry.type = reg::REG_BINARY;
            ParseHexList(text, pos + 4, line, entry.data, name);
        } else if (StartsWithIgnoringCase(data, "hex(")) {
            pos += 4;
            size_t start = pos;
            uint64_t type = 0;
            while (pos < text.size() && HexDigitValue(text[pos]) >= 0 && pos - start < 9) {
                type = (type << 4) | static_cast<uint64_t>(HexDigitValue(text[pos]));
                ++pos;
            }
            if (pos == start || pos - start > 8 || text.substr(pos, 2) != "):")
                throw Failure{line, "The type of " + Describe(name) +
                                        " must be one to eight hex digits followed by \"):\" "
                                        "(hex(2):...)."};
            entry.type = static_cast<uint32_t>(type);
            ParseHexList(text, pos + 2, line, entry.data, name);
            DecodeStringData(entry, line);
        } else {
            throw Failure{line,
                          "The data of " + Describe(name) +
                              " must be \"text\", dword:, hex:, hex(N): or - (to delete it)."};
        }
        file_.entries.push_back(std::move(entry));
    }

    // Comma-separated hex bytes from `pos`, continued on the next line after a
    // backslash at the end of a line; blank and comment lines between
    // continuation lines are skipped, as Windows' editor does. Moves index_ to
    // the last line read.
    void ParseHexList(std::string_view text, size_t pos, int line, std::vector<uint8_t>& out,
                      const std::string& name) {
        enum class Expect { ItemOrEnd, SeparatorOrEnd, Item };
        Expect expect = Expect::ItemOrEnd;
        const std::string what = "the hex data of " + Describe(name);
        while (true) {
            pos = SkipBlanks(text, pos);
            if (pos == text.size() || text[pos] == ';') {
                if (expect == Expect::Item)
                    throw Failure{line, "The line ends " + what +
                                            " with a comma; a line that goes on needs a backslash "
                                            "at its end."};
                return;
            }
            char c = text[pos];
            if (c == '\\') {
                ExpectEnd(text, pos + 1, line, "the continuation backslash");
                do {
                    if (++index_ == lines_.size())
                        throw Failure{line, "The file ends after the continuation backslash of " +
                                                what + "."};
                    text = lines_[index_].text;
                    line = lines_[index_].number;
                    pos = SkipBlanks(text, 0);
                } while (pos == text.size() || text[pos] == ';');
                continue;
            }
            if (expect == Expect::SeparatorOrEnd) {
                if (c != ',')
                    throw Failure{line, "Expected a comma between the bytes of " + what +
                                            ", found \"" + std::string(1, c) + "\"."};
                expect = Expect::Item;
                ++pos;
                continue;
            }
            size_t start = pos;
            unsigned value = 0;
            while (pos < text.size() && HexDigitValue(text[pos]) >= 0 && pos - start < 3) {
                value = (value << 4) | static_cast<unsigned>(HexDigitValue(text[pos]));
                ++pos;
            }
            if (pos == start || pos - start > 2) {
                size_t end = start;
                while (end < text.size() && text[end] != ',' && !IsBlank(text[end]))
                    ++end;
                throw Failure{
                    line, "\"" + Abbreviate(text.substr(start, std::max(end, start + 1) - start)) +
                              "\" in " + what + " is not a byte of one or two hex digits."};
            }
            out.push_back(static_cast<uint8_t>(value));
            expect = Expect::SeparatorOrEnd;
        }
    }

    // hex(1), hex(2) and hex(7) hold text: UTF-16LE in version 5 files, 8-bit
    // text in REGEDIT4 files. Either way the registry keeps it as UTF-8.
    void DecodeStringData(RegEntry& entry, int line) const {
        if (entry.type != reg::REG_SZ && entry.type != reg::REG_EXPAND_SZ &&
            entry.type != reg::REG_MULTI_SZ)
            return;
        char typeText[16];
        std::snprintf(typeText, sizeof typeText, "hex(%x)", entry.type);
        if (file_.version == RegFileVersion::Regedit4) {
            std::string_view bytes(reinterpret_cast<const char*>(entry.data.data()),
                                   entry.data.size());
            if (!IsValidUtf8(bytes))
                throw Failure{line, "The " + std::string(typeText) + " data of " +
                                        Describe(entry.name) + " is not valid UTF-8 text."};
            return;
        }
        if (entry.data.size() % 2 != 0)
            throw Failure{line, "The " + std::string(typeText) + " data of " +
                                    Describe(entry.name) +
                                    " has an odd number of bytes; text in this file version is "
                                    "UTF-16LE, two bytes a character."};
        auto text = Utf16LeToUtf8(entry.data);
        if (!text)
            throw Failure{line, "The " + std::string(typeText) + " data of " +
                                    Describe(entry.name) + " is not valid UTF-16LE text."};
        entry.data.assign(text->begin(), text->end());
    }

    std::vector<Line> lines_;
    size_t index_ = 0;
    RegFile file_;
    std::optional<KeyPath> current_;
    bool afterDeletion_ = false;
};

// ---- writing ----

class Writer {
public:
    explicit Writer(std::vector<std::string>* warnings) : warnings_(warnings) {}

    std::string Run(std::span<const RegKeyContent> keys) {
        text_ = std::string(kHeader5) + "\r\n";
        for (const auto& key : keys) {
            std::string path = Clean(key.key.Full(), "The name of key " + key.key.Full());
            if (path.find_first_of("\r\n") != std::string::npos) {
                Warn("The name of key " + path +
                     " holds a line break and cannot be written; "
                     "the key was left out.");
                continue;
            }
            text_ += "\r\n[" + path + "]\r\n";
            for (const auto& value : key.values)
                WriteValue(key.key, value);
        }
        text_ += "\r\n";
        std::string out = "\xFF\xFE";
        AppendUtf16Le(text_, out);
        return out;
    }

private:
    void Warn(std::string text) {
        if (warnings_ != nullptr)
            warnings_->push_back(std::move(text));
    }

    // The text itself when it is valid UTF-8; otherwise with U+FFFD in place
    // of the bad bytes, and a warning naming `what`.
    std::string Clean(std::string_view text, const std::string& what) {
        if (IsValidUtf8(text))
            return std::string(text);
        Warn(what + " is not valid UTF-8; it was written with U+FFFD in place of the bad bytes.");
        return ReplaceInvalidUtf8(text);
    }

    static std::string Escape(std::string_view text) {
        std::string out;
        for (char c : text) {
            switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                out.push_back(c);
            }
        }
        return out;
    }

    void WriteValue(const KeyPath& key, const RegValue& value) {
        std::string where = "value \"" + Abbreviate(value.name) + "\" of " + key.Full();
        std::string head = value.name.empty()
                               ? std::string("@=")
                               : "\"" + Escape(Clean(value.name, "The name of " + where)) + "\"=";
        text_ += head;
        std::string_view bytes(reinterpret_cast<const char*>(value.data.data()), value.data.size());

        if (value.type == reg::REG_SZ && !bytes.empty() && bytes.find('\0') == bytes.size() - 1) {
            text_ += "\"" +
                     Escape(Clean(bytes.substr(0, bytes.size() - 1), "The data of " + where)) +
                     "\"\r\n";
            return;
        }
        if (value.type == reg::REG_DWORD && bytes.size() == 4) {
            char buffer[16];
            uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                              static_cast<uint32_t>(value.data[3]) << 24;
            std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
            text_ += buffer;
            text_ += "\r\n";
            return;
        }

        std::string data;
        if (value.type == reg::REG_SZ || value.type == reg::REG_EXPAND_SZ ||
            value.type == reg::REG_MULTI_SZ)
            AppendUtf16Le(Clean(bytes, "The data of " + where), data);
        else
            data = std::string(bytes);

        char prefix[24];
        if (value.type == reg::REG_BINARY)
            std::snprintf(prefix, sizeof prefix, "hex:");
        else
            std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
        text_ += prefix;
        WriteHex(data, Utf16Length(head) + std::string_view(prefix).size());
        text_ += "\r\n";
    }

    // Bytes as "xx," with a backslash and a new line, indented by two spaces,
    // once a line reaches 77 characters, so that no line passes 80 columns;
    // the lengths are those Windows' editor counts.
    void WriteHex(std::string_view data, size_t lineLength) {
        static constexpr char kDigits[] = "0123456789abcdef";
        for (size_t i = 0; i < data.size(); ++i) {
            auto b = static_cast<uint8_t>(data[i]);
            text_.push_back(kDigits[b >> 4]);
            text_.push_back(kDigits[b & 0xF]);
            if (i + 1 == data.size())
                break;
            text_.push_back(',');
            lineLength += 3;
            if (lineLength >= 77) {
                text_ += "\\\r\n  ";
                lineLength = 2;
            }
        }
    }

    std::vector<std::string>* warnings_;
    std::string text_;
};

} // namespace

RegFileParse ParseRegFile(std::string_view bytes) {
    RegFileParse result;
    try {
        std::string text = Decode(bytes);
        result.file = Parser(text).Run();
    } catch (const Failure& failure) {
        result.file.reset();
        result.error = {failure.line, failure.message};
    }
    return result;
}

std::string WriteRegFile(std::span<const RegKeyContent> keys, std::vector<std::string>* warnings) {
    return Writer(warnings).Run(keys);
}

} // namespace qm6::tool
