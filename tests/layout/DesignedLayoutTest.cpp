// Every designed form and user control of the library, in every locale the
// build ships a string library for and in the faces this machine really
// resolves: each label, check box and button caption fits the box it was
// designed with, and a check box's box is whole at its designed height. A
// caption that does not fit is a translation to shorten; the layout stays.
//
// A new form or editor joins the walk with one line in DesignedForms().

#include "common/ModuleState.h"
#include "dialogs/frmIdiotBox.h"
#include "editors/customfields/ctlCustomFieldChooser.h"
#include "editors/joboptions/ctlJobOptions.h"
#include "editors/limits/ctlPrintingLimits.h"
#include "editors/limits/frmLimit.h"
#include "editors/pricing/ctlPricing.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Container.h"
#include "platform/forms/Label.h"
#include "platform/registry/Registry.h"
#include "qm6data/FixedLists.h"
#include "registry/clsRegistry.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace qm6 {
namespace {

namespace fs = std::filesystem;

// A designed form or user control, made as the library makes it at run time
// (captions from the string library); a dialog also loaded, which sets its
// run-time captions, the library font and its lists.
using Designed = std::shared_ptr<forms::Container>;

template <typename T, bool load = false> Designed Make() {
    auto made = std::make_shared<T>();
    if constexpr (load)
        made->Load();
    return made;
}

const std::vector<std::pair<std::string, std::function<Designed()>>>& DesignedForms() {
    static const std::vector<std::pair<std::string, std::function<Designed()>>> forms = {
        {"ctlJobOptions", Make<ctlJobOptions>},
        {"ctlPricing", Make<ctlPricing>},
        {"ctlCustomFieldChooser", Make<ctlCustomFieldChooser>},
        {"frmIdiotBox", Make<frmIdiotBox, true>},
        {"ctlPrintingLimits", Make<ctlPrintingLimits>},
        {"frmLimit",
         [] {
             data::InstallListSource(data::FixedLists());
             return Make<frmLimit, true>();
         }},
    };
    return forms;
}

// The locales of the string libraries the build made: lang/<locale id>/.
std::vector<int32_t> ShippedLocales() {
    std::vector<int32_t> locales;
    for (const auto& entry : fs::directory_iterator(QM6_LANG_DIR))
        if (fs::exists(entry.path() / "qm6admcmLangRes.dll"))
            locales.push_back(std::stoi(entry.path().filename().string()));
    std::sort(locales.begin(), locales.end());
    return locales;
}

std::string Face(const QWidget* widget) {
    return QFontInfo(widget->font()).family().toStdString();
}

// Reports each control whose caption does not fit its designed box.
void CheckFits(const forms::Container& container) {
    for (forms::Control* control : container.Controls()) {
        QWidget* widget = control->Widget();
        const auto fits = [&](QString text, int room) {
            text.remove('&'); // an access key's mark is not shown
            const int needed = QFontMetrics(widget->font()).horizontalAdvance(text);
            EXPECT_LE(needed, room)
                << control->Name() << " \"" << text.toStdString() << "\" in " << Face(widget);
        };
        QStyleOptionButton option;
        option.initFrom(widget);
        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            option.text = box->text();
            fits(box->text(),
                 box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width());
            const QRect indicator =
                box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
            EXPECT_TRUE(box->rect().contains(indicator))
                << control->Name() << ": box cut at " << box->height();
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            option.text = button->text();
            fits(button->text(),
                 button->style()
                     ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                     .width());
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            // A label that sizes itself to its text fits by construction.
            const auto* designed = dynamic_cast<forms::Label*>(control);
            if (designed && !designed->AutoSize() && !label->wordWrap())
                fits(label->text(), label->contentsRect().width());
        }
    }
}

class DesignedLayout : public ::testing::Test {
protected:
    DesignedLayout() : env_("QM6_REGISTRY_DIR", hive_.Str()) { reg::CloseThreadConnections(); }
    ~DesignedLayout() override {
        ResetModuleState();
        SetModuleFolder("");
        reg::CloseThreadConnections();
    }

    // Starts the thread again with the texts of a locale.
    void StartIn(int32_t localeId) {
        clsRegistry key;
        key.ClassKey(static_cast<int32_t>(0x80000001u));
        key.SectionKey("Software\\Quillmeter 6");
        key.ValueType(4); // REG_DWORD
        ASSERT_TRUE(key.SetCreateValue("LocaleId", vb::Variant(localeId), false));
        SetModuleFolder(QM6_BIN_DIR);
        ResetModuleState();
    }

    test::TempDir hive_;
    test::ScopedEnv env_;
};

TEST_F(DesignedLayout, EveryCaptionFitsItsDesignedBoxInEveryShippedLocale) {
    const std::vector<int32_t> locales = ShippedLocales();
    ASSERT_FALSE(locales.empty()) << "no string library under " << QM6_LANG_DIR;
    ASSERT_NE(std::find(locales.begin(), locales.end(), 1033), locales.end());
    for (int32_t locale : locales) {
        StartIn(locale);
        for (const auto& [name, make] : DesignedForms()) {
            SCOPED_TRACE(name + " in " + std::to_string(locale));
            const Designed designed = make();
            ASSERT_FALSE(designed->Controls().empty());
            CheckFits(*designed);
            if (locale == 1033 && name == "ctlJobOptions") { // the face measured in
                EXPECT_EQ(Face(designed->Controls().front()->Widget()), "Liberation Sans");
            }
        }
    }
}

} // namespace
} // namespace qm6
