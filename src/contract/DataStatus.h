#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qm6::data {

// The outcome of an operation on the data store. Operations answer a Status:
// nullptr means success, an object describes the failure. An editor that finds
// a failure of its own makes a status with Code 0 and its own message.
class DataStatus {
public:
    // The code of a write refused because it was made on an out-of-date view
    // of the store: the record, or its owner's set of rules, was changed or
    // removed by another connection after it was loaded, or an insert met a
    // record stored meanwhile. Nothing of the refused call was written; the
    // caller loads again and repeats the change. The value lies above every
    // code an engine answers (SQLite's extended codes stay below 0x10000).
    static constexpr int32_t kConflict = 0x00010001;

    DataStatus() = default;
    DataStatus(int32_t code, std::string message) : code_(code), message_(std::move(message)) {}

    int32_t Code() const { return code_; }
    void SetCode(int32_t code) { code_ = code; }
    const std::string& Message() const { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    bool IsConflict() const { return code_ == kConflict; }

    // Shows the status to the user through the handler the host installed on
    // this thread; without one the message goes to standard error, so that a
    // failure is never silently lost.
    void Show() const;

private:
    int32_t code_ = 0;
    std::string message_;
};

using Status = std::shared_ptr<DataStatus>;

inline Status MakeStatus(int32_t code, std::string message) {
    return std::make_shared<DataStatus>(code, std::move(message));
}

// What Show() calls. Installed per thread (each user-interface thread shows
// its own boxes); answers the handler it replaces. An empty function removes it.
using StatusHandler = std::function<void(const DataStatus&)>;
StatusHandler SetStatusHandler(StatusHandler handler);

} // namespace qm6::data
