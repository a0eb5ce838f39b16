// Paper sizes, custom fields, system settings and printer profiles: read-only
// lookups handed out as record sets and a settings object.

#include "qm6data/StoreConnection.h"
#include "qm6data/RecordVersions.h"

#include <unordered_map>
#include <unordered_set>

namespace qm6::data {

using namespace engine;

namespace {

vb::Variant Long(int64_t value) {
    return vb::Variant(static_cast<int32_t>(value));
}

vb::Variant Money(int64_t scaled) {
    return vb::Variant(vb::Currency::FromScaled(scaled));
}

// The format money is shown with when the store has no settings row.
constexpr const char* kDefaultCurrencyFormat = "$#,##0.00";

struct CustomField {
    int32_t id;
    std::string caption;
    int32_t parentId;
};

// Puts each linked child directly after its parent, recursively, keeping the
// stored order otherwise. A field whose parent is missing counts as top-level;
// fields caught in a loop of links come last, in stored order.
std::vector<std::vector<vb::Variant>> LinkedOrder(const std::vector<CustomField>& fields) {
    std::unordered_map<int32_t, size_t> byId;
    std::unordered_map<int32_t, int32_t> childOf;
    for (size_t i = 0; i < fields.size(); ++i) {
        byId.emplace(fields[i].id, i);
    }
    for (const auto& field : fields) {
        if (field.parentId != 0 && byId.count(field.parentId) != 0) {
            childOf.emplace(field.parentId, field.id);
        }
    }
    std::vector<std::vector<vb::Variant>> rows;
    std::unordered_set<int32_t> emitted;
    auto emitChain = [&](int32_t id) {
        while (emitted.insert(id).second) {
            const auto& field = fields[byId.at(id)];
            const auto child = childOf.find(id);
            const int32_t childId = child == childOf.end() ? 0 : child->second;
            const int32_t parentId = byId.count(field.parentId) != 0 ? field.parentId : 0;
            rows.push_back({Long(field.id), vb::Variant(field.caption), Long(parentId),
                            Long(childId)});
            if (childId == 0) {
                break;
            }
            id = childId;
        }
    };
    for (const auto& field : fields) {
        if (field.parentId == 0 || byId.count(field.parentId) == 0) {
            emitChain(field.id);
        }
    }
    for (const auto& field : fields) {
        emitChain(field.id);
    }
    return rows;
}

} // namespace

Status StoreConnection::LoadPaperSizes(std::shared_ptr<RecordSet>& records) {
    return Guarded([&] {
        Statement select(db_, "SELECT paper_size_id, description, width, height, unit_type, "
                              "bw_page_cost, color_page_cost FROM paper_sizes "
                              "ORDER BY paper_size_id");
        std::vector<std::vector<vb::Variant>> rows;
        while (select.Step()) {
            rows.push_back({Long(select.Int(0)), vb::Variant(select.Text(1)), Long(select.Int(2)),
                            Long(select.Int(3)), Long(select.Int(4)), Money(select.Int(5)),
                            Money(select.Int(6))});
        }
        records = std::make_shared<RecordSet>(
            std::vector<std::string>{"PaperSizeId", "Description", "Width", "Height", "UnitType",
                                     "BWPageCost", "ColorPageCost"},
            std::move(rows));
    });
}

Status StoreConnection::LoadCustomFields(std::shared_ptr<RecordSet>& records) {
    return Guarded([&] {
        Statement select(db_, "SELECT field_id, caption, link_parent_id FROM custom_fields "
                              "ORDER BY display_order, field_id");
        std::vector<CustomField> fields;
        while (select.Step()) {
            fields.push_back({ToId(select.Int(0)), select.Text(1),
                              static_cast<int32_t>(select.Int(2))});
        }
        records = std::make_shared<RecordSet>(
            std::vector<std::string>{"FieldId", "Caption", "LinkParentId", "LinkChildId"},
            LinkedOrder(fields));
    });
}

Status StoreConnection::LoadSystemSettings(std::shared_ptr<SystemSettings>& settings) {
    return Guarded([&] {
        Statement select(db_, "SELECT currency_format FROM system_settings WHERE settings_id = 1");
        auto loaded = std::make_shared<SystemSettings>();
        loaded->SetCurrencyFormat(select.Step() ? select.Text(0) : kDefaultCurrencyFormat);
        settings = std::move(loaded);
    });
}

Status StoreConnection::LoadPrinterProfiles(std::shared_ptr<RecordSet>& records) {
    return Guarded([&] {
        Statement select(db_, "SELECT printer_profile_id, description, "
                              "coalesce(price_profile_id, 0) FROM printer_profiles "
                              "ORDER BY printer_profile_id");
        std::vector<std::vector<vb::Variant>> rows;
        while (select.Step()) {
            rows.push_back({Long(select.Int(0)), vb::Variant(select.Text(1)), Long(select.Int(2))});
        }
        records = std::make_shared<RecordSet>(
            std::vector<std::string>{"PrinterProfileId", "Description", "PriceProfileId"},
            std::move(rows));
    });
}

Status StoreConnection::LoadPriceProfiles(std::shared_ptr<RecordSet>& records) {
    return Guarded([&] {
        Statement select(db_, "SELECT price_profile_id, description FROM price_profiles "
                              "ORDER BY price_profile_id");
        std::vector<std::vector<vb::Variant>> rows;
        while (select.Step()) {
            rows.push_back({Long(select.Int(0)), vb::Variant(select.Text(1))});
        }
        records = std::make_shared<RecordSet>(
            std::vector<std::string>{"PriceProfileId", "Description"}, std::move(rows));
    });
}

} // namespace qm6::data
