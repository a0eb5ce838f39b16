#pragma once

#include "contract/Connection.h"

#include <memory>

namespace qm6::data {

// Reads the store's lookup tables and settings. One per thread, made on first
// use and shared.
class LookupService {
public:
    static std::shared_ptr<LookupService> Get();

    Status LoadPaperSizes(Connection& data, std::shared_ptr<RecordSet>& records) {
        return data.LoadPaperSizes(records);
    }
    Status LoadCustomFields(Connection& data, std::shared_ptr<RecordSet>& records) {
        return data.LoadCustomFields(records);
    }
    Status LoadSystemSettings(Connection& data, std::shared_ptr<SystemSettings>& settings) {
        return data.LoadSystemSettings(settings);
    }
    Status LoadPrinterProfiles(Connection& data, std::shared_ptr<RecordSet>& records) {
        return data.LoadPrinterProfiles(records);
    }
};

} // namespace qm6::data
