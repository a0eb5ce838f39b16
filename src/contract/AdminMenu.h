#pragma once

// A menu a panel asks the console to show: its id and caption (stored
// without the spaces at their ends, as an entry's are), a picture, its
// entries and where it goes. The console offers it on the menu bar when
// PlaceOnMenubar is True (the default) and on the toolbar when
// PlaceOnToolbar is True.
//
// MenuItems is one collection for the menu's whole life, made with it: the
// panel adds its AdminMenuItem entries to it directly, and every read answers
// that same collection. The menu holds it by reference, so entries outlive
// the menu where somebody else still holds them.

#include "contract/AdminMenuItem.h"
#include "platform/vb/Collection.h"

#include <memory>
#include <string>

namespace qm6 {

class AdminMenu : public vb::Object, public vb::Dispatchable {
public:
    AdminMenu();

    const std::string& Id() const { return id_; }
    void Id(const std::string& pstrId);
    const std::string& Caption() const { return caption_; }
    void Caption(const std::string& pstrCaption);
    const std::shared_ptr<vb::Collection>& MenuItems() const { return menuItems_; }
    const pictures::PicturePtr& Graphic() const { return graphic_; }
    void Graphic(pictures::PicturePtr pinsGraphic) { graphic_ = std::move(pinsGraphic); }
    bool PlaceOnToolbar() const { return placeOnToolbar_; }
    void PlaceOnToolbar(bool pblnPlaceOnToolbar) { placeOnToolbar_ = pblnPlaceOnToolbar; }
    bool PlaceOnMenubar() const { return placeOnMenubar_; }
    void PlaceOnMenubar(bool pblnPlaceOnMenubar) { placeOnMenubar_ = pblnPlaceOnMenubar; }

    vb::Variant Invoke(std::string_view name, vb::CallType type, std::vector<vb::Variant>& args) override;

private:
    std::string id_;
    std::string caption_;
    const std::shared_ptr<vb::Collection> menuItems_;
    pictures::PicturePtr graphic_;
    bool placeOnToolbar_ = false;
    bool placeOnMenubar_ = true;
};

} // namespace qm6
