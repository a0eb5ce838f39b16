#include "contract/PrintingLimit.h"

#include "contract/Connection.h"

namespace qm6::data {

Status PrintingLimit::Save(Connection& data) {
    return data.SavePrintingLimit(*this);
}

Status PrintingLimit::Delete(Connection& data) {
    return data.DeletePrintingLimit(*this);
}

} // namespace qm6::data
