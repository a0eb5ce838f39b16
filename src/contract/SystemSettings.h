#pragma once

#include "platform/vb/Variant.h"

#include <string>

namespace qm6::data {

// Settings of the whole store; the editors use the format for money amounts.
class SystemSettings : public vb::Object {
public:
    const std::string& CurrencyFormat() const { return currencyFormat_; }
    void SetCurrencyFormat(std::string format) { currencyFormat_ = std::move(format); }

private:
    std::string currencyFormat_;
};

} // namespace qm6::data
