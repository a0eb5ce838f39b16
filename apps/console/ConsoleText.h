#pragma once

// The console's own texts, by number, from its string library
// lang/<locale id>/qm6consoleLangRes.dll, chosen as the library chooses its
// own: the LocaleId setting, else the user's locale, else 1033. The library
// is read once per thread; ReloadConsoleText makes the next text read it
// again (after the locale changed). Without a library every text is empty.
//
// The numbers are those of lang/1033.rc; a translation has the same ones.

#include "platform/vb/Variant.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace qm6::console {

enum TextId : int32_t {
    // The window.
    kTxtFileMenu = 100,
    kTxtEditMenu = 101,
    kTxtViewMenu = 102,
    kTxtExit = 103,
    kTxtPanels = 104,
    kTxtToolbar = 105,
    kTxtSaveChangesTo = 106,
    // The caption of a standard command: kTxtActionBase + its number.
    kTxtActionBase = 110,
    // Shared by the panels.
    kTxtSave = 150,
    kTxtRevert = 151,
    kTxtPageNotLoaded = 152,
    kTxtConfirmSave = 153,
    // The printer profiles panel.
    kTxtPrinterProfiles = 200,
    kTxtPriceProfileIs = 201,
    kTxtNoPriceProfile = 202,
    kTxtPrinterProfileMenu = 203,
    kTxtNextProfile = 204,
    kTxtPreviousProfile = 205,
    kTxtRevertChanges = 206,
    kTxtPrinterProfileType = 207,
    kTxtJobOptionsTab = 208,
    kTxtLimitsTab = 209,
    kTxtPricingTab = 220,
    kTxtNoPriceProfileToEdit = 221,
    kTxtCustomFieldsTab = 210,
    // The price profiles panel.
    kTxtPriceProfiles = 300,
    kTxtDescription = 301,
    kTxtBWCost = 302,
    kTxtColorCost = 303,
    kTxtPaperSizePrices = 304,
    kTxtUsedBy = 305,
    kTxtNewPriceProfile = 306,
    kTxtAddMenu = 307,
    kTxtAddPriceProfile = 308,
    kTxtPriceProfileMenu = 309,
    kTxtDuplicate = 310,
    kTxtCopyOf = 311,
    kTxtUsedByNone = 312,
    kTxtDescriptionMissing = 313,
    kTxtPaperSizeCount = 314,
    kTxtPriceProfileNotLoaded = 315,
    kTxtPriceProfileNotSaved = 316,
    // The custom actions panel.
    kTxtCustomActions = 500,
    kTxtActionAsksForFields = 501,
    kTxtActionAsksForNoFields = 502,
    kTxtCustomActionsNotRead = 503,
    kTxtCustomActionNotLoaded = 504,
    kTxtCustomActionNotSaved = 505,
    kTxtFieldListInPart = 506,
    // Failures.
    kTxtProfilesNotRead = 400,
    kTxtPriceProfilesNotRead = 401,
    kTxtDataOperationFailed = 402,
    kTxtPageNotLoadedHeading = 403,
    kTxtPageNotSavedHeading = 404,
    kTxtPageShowsNoRules = 405,
    kTxtPressRevert = 406,
    kTxtDetail = 407,
    kTxtDatabaseNotOpened = 408,
    kTxtConflictSaving = 410,
    kTxtConflictLoading = 411,
    kTxtLocked = 412,
    kTxtReadOnly = 413,
    kTxtDamaged = 414,
    kTxtFull = 415,
    kTxtIo = 416,
    kTxtMissing = 417,
    kTxtRefused = 418,
    kTxtOtherFailure = 419,
    kTxtUnreachable = 420,
};

// The text with its "%s" markers filled from the arguments in order.
std::string TextV(int32_t id, const std::vector<vb::Variant>& args);
template <class... Args> std::string Text(int32_t id, const Args&... args) {
    return TextV(id, std::vector<vb::Variant>{vb::Variant(args)...});
}
template <class... Args> QString QText(int32_t id, const Args&... args) {
    return QString::fromStdString(Text(id, args...));
}

// Forgets the thread's console library, so that the next text reads it
// again for the locale then in force.
void ReloadConsoleText();

} // namespace qm6::console
