#pragma once

// One entry of a panel's menu: the id the console hands back to the panel
// when the user picks it, the caption it shows and its picture. Id and
// Caption are stored without the spaces at their ends (only spaces: tabs and
// other white space stay). The picture is the caller's object itself,
// shared, never a copy.

#include "platform/pictures/Picture.h"
#include "platform/vb/CallByName.h"

#include <string>

namespace qm6 {

class AdminMenuItem : public vb::Object, public vb::Dispatchable {
public:
    const std::string& Id() const { return id_; }
    void Id(const std::string& pstrId);
    const std::string& Caption() const { return caption_; }
    void Caption(const std::string& pstrCaption);
    const pictures::PicturePtr& Graphic() const { return graphic_; }
    void Graphic(pictures::PicturePtr pinsGraphic) { graphic_ = std::move(pinsGraphic); }

    vb::Variant Invoke(std::string_view name, vb::CallType type, std::vector<vb::Variant>& args) override;

private:
    std::string id_;
    std::string caption_;
    pictures::PicturePtr graphic_;
};

} // namespace qm6
