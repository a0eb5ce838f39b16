#pragma once

// The interface through which the console drives each of its panels: it asks
// a panel for its identity (name, caption, navigation pictures, help), hands
// it the data-access object, places and shows it, routes menu and toolbar
// commands to it, asks it to save and whether it is done, and passes
// notifications from one panel to the others.
//
// The members are declared in the order of the interface's slots (1 to 29);
// the three kinds of property accessor are overloads of one name: a read, a
// write, and a write of an object reference (Font). The interface is dual:
// Invoke calls the same members by name (vb::CallByName), with the runtime's
// errors for a name it lacks (438) and a wrong count of arguments (450).
//
// This class itself does nothing: it cannot be created on its own, every
// read answers the empty value of its type (empty text, 0, False, no object)
// and every method and write does nothing. A panel derives from it and
// overrides what it implements. A derived class that overrides one accessor
// of a property overrides the other too (or brings it in with a using
// declaration), so that neither is hidden.
//
// The contract passes some writes by reference (Visible, Left, Top, Font);
// no member writes back through them, so they are taken by value here.

#include "contract/AdminEnumerations.h"
#include "contract/AdminMenuItem.h"
#include "contract/DataStatus.h"
#include "platform/fonts/Font.h"
#include "platform/pictures/Picture.h"
#include "platform/vb/CallByName.h"
#include "platform/vb/Collection.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qm6 {

namespace data {
class Connection;
}

class IQM6AdminControl : public vb::Object, public vb::Dispatchable {
public:
    ~IQM6AdminControl() override;
    IQM6AdminControl(const IQM6AdminControl&) = delete;
    IQM6AdminControl& operator=(const IQM6AdminControl&) = delete;

    virtual std::string Name() const;                                             // 1
    virtual std::string Caption() const;                                          // 2
    virtual pictures::PicturePtr NavGraphicLarge() const;                         // 3
    virtual pictures::PicturePtr NavGraphicSmall() const;                         // 4
    virtual std::shared_ptr<data::Connection> Connection() const;                 // 5
    virtual void SetConnection(std::shared_ptr<data::Connection> pinsData);       // 6
    virtual int32_t HelpContextId() const;                                        // 7
    virtual std::string HelpFileName() const;                                     // 8
    virtual void HelpFileName(const std::string& pstrHelpFile);                   // 9
    virtual data::Status Save();                                                  // 10
    virtual bool Visible() const;                                                 // 11
    virtual void Visible(bool pblnVisible);                                       // 12
    virtual int32_t Left() const;                                                 // 13
    virtual void Left(int32_t plngLeft);                                          // 14
    virtual int32_t Top() const;                                                  // 15
    virtual void Top(int32_t plngTop);                                            // 16
    virtual int32_t hwnd() const;                                                 // 17
    virtual fonts::FontPtr Font() const;                                          // 18
    virtual void Font(fonts::FontPtr pinsFont);                                   // 19
    virtual std::shared_ptr<vb::Collection> CustomMenus() const;                  // 20
    virtual std::shared_ptr<AdminMenuItem> CurrentAddItem() const;                // 21
    virtual std::shared_ptr<vb::Collection> AddItemMenus() const;                 // 22
    // A value that names no command (0, or above 13) is the panel's to
    // ignore.
    virtual void StandardAction(QMAdminActions pintAction);                      // 23
    virtual void CustomAction(const std::string& pstrActionId);                  // 24
    virtual void AddItemClicked(const std::string& pstrActionId);                // 25
    virtual void SetFocus();                                                      // 26
    virtual void Refresh();                                                       // 27
    virtual bool ControlDone();                                                   // 28
    // pvntChangedValue is optional: nullptr when the notifier passed none.
    virtual void Notification(const std::shared_ptr<IQM6AdminControl>& pinsNotifier,
                              QMNotifyType pintNotificationType,
                              vb::Variant* pvntChangedValue = nullptr);           // 29

    // The members by name. Objects that are not vb::Object (pictures, fonts,
    // the status of Save) come and go in a vb::ObjectBox.
    vb::Variant Invoke(std::string_view name, vb::CallType type, std::vector<vb::Variant>& args) final;

protected:
    IQM6AdminControl() = default;
};

} // namespace qm6
