// The questions of the reg commands, answered through the console's input.

#include "Console.h"

#include "platform/registry/Registry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sstream>

namespace qm6::tool {
namespace {

class Questions : public ::testing::Test {
protected:
    Questions() : env_("QM6_REGISTRY_DIR", dir_.Str()) { reg::CloseThreadConnections(); }
    ~Questions() override { reg::CloseThreadConnections(); }

    // Runs the tool's dispatcher in this process with `input` typed at a
    // terminal.
    int Ask(std::vector<std::string> args, const std::string& input) {
        out_.str("");
        err_.str("");
        std::istringstream in(input);
        Console console{out_, err_, in, true};
        return Dispatch(args, console);
    }

    bool ValueExists(const std::string& name) {
        reg::Key key;
        return reg::OpenKey(reg::HKEY_CURRENT_USER, "Software\\Q", reg::KEY_QUERY_VALUE, key) ==
                   reg::ERROR_SUCCESS &&
               reg::QueryValue(key, name, nullptr, nullptr) == reg::ERROR_SUCCESS;
    }

    test::TempDir dir_;
    test::ScopedEnv env_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST_F(Questions, AskUntilAnsweredAndHonourTheAnswer) {
    const std::string key = "HKCU\\Software\\Q";
    ASSERT_EQ(Ask({"reg", "add", key, "/v", "a", "/d", "1"}, ""), 0);

    struct Case {
        std::vector<std::string> args;
        std::string input;
        int exit;
        bool valueAfter;
    };
    const std::vector<Case> cases = {
        {{"reg", "add", key, "/v", "a", "/d", "2"}, "maybe\nno\n", 1, true},
        {{"reg", "add", key, "/v", "a", "/d", "2"}, "", 1, true}, // end of input is no
        {{"reg", "delete", key, "/v", "a"}, "N\n", 1, true},
        {{"reg", "delete", key, "/v", "a"}, "Yes\n", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1] + " answered " + c.input);
        EXPECT_EQ(Ask(c.args, c.input), c.exit) << err_.str();
        EXPECT_EQ(ValueExists("a"), c.valueAfter);
        EXPECT_NE(out_.str().find("(Yes/No)? "), std::string::npos);
    }
    EXPECT_EQ(Ask({"reg", "delete", key}, "y\n"), 0);
    EXPECT_NE(out_.str().find(
                  "Permanently delete the registry key HKEY_CURRENT_USER\\Software\\Q (Yes/No)? "),
              std::string::npos);
}

} // namespace
} // namespace qm6::tool
