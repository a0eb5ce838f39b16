#include "EditorPlacement.h"

#include "platform/forms/Screen.h"
#include "platform/forms/UserControl.h"

#include <QWidget>

namespace qm6::console {

namespace {

// The editor's margin on its page, in twips.
constexpr int32_t kMargin = 120;

} // namespace

void PlaceEditor(forms::UserControl& editor, QWidget* page, int32_t designWidth, int32_t designHeight) {
    editor.PlaceOn(page, kMargin, kMargin, designWidth, designHeight);
    page->setFixedSize(forms::Screen::ToPixelsX(designWidth + 2 * kMargin),
                       forms::Screen::ToPixelsY(designHeight + 2 * kMargin));
}

} // namespace qm6::console
