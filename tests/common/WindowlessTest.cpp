// A program without a QApplication: the do-not-show-again box keeps its
// stored choice without a window, and a box that would show is answered as a
// message box nobody saw, written to standard error with the product's name.

#include "FreshThread.h"
#include "common/QM6AdminCommonGlobal.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <string>

namespace qm6 {
namespace {

constexpr const char* kSection = "Software\\Quillmeter 6\\Tests";

class Windowless : public test::FreshThread {
protected:
    Windowless() { StartIn(bare_.Str()); } // no branding library: "Quillmeter 6"

    test::TempDir bare_;
    QM6AdminCommonGlobal global_;
};

TEST_F(Windowless, DoNotShowAgainBoxKeepsItsStoredChoiceWithoutAWindow) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    struct Case {
        const char* what;
        const char* stored; // nullptr: never stored
        bool showCancel;
        bool answer;
        bool printed;
    };
    const Case cases[] = {
        {"told not to show: no window, no text", "0", true, true, false},
        {"keep showing, with Cancel: Cancel", "-1", true, false, true},
        {"never stored, OK only: OK", nullptr, false, true, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = "Choice" + std::to_string(n++);
        if (c.stored)
            Store(kSection, name, vb::Variant(c.stored));
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(global_.ShowIdiotBox("Adding a limit.", kSection, name, -1, "", c.showCancel),
                  c.answer);
        const std::string printed = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(printed, c.printed ? "Quillmeter 6: Adding a limit.\n" : "");
        // Nothing is stored for a box nobody saw.
        EXPECT_EQ(Stored(kSection, name), c.stored ? c.stored : "(missing)");
    }
}

} // namespace
} // namespace qm6
