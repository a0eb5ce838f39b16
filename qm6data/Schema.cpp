#include "qm6data/Schema.h"

namespace qm6::data::sqlite {

// Money is stored as integer ten-thousandths, so that every amount with four
// decimals comes back exactly. Ids are row ids. Owners of rules are named by
// rule priority and parent id and are not tables of their own, except the
// printer profiles the console offers.
const char* const kSchemaSql = R"sql(
CREATE TABLE price_profiles (
    price_profile_id INTEGER PRIMARY KEY,
    description      TEXT NOT NULL DEFAULT '',
    pricing_option   INTEGER NOT NULL,
    job_type         INTEGER NOT NULL,
    bw_cost          INTEGER NOT NULL,
    color_cost       INTEGER NOT NULL
);
CREATE TABLE printer_profiles (
    printer_profile_id INTEGER PRIMARY KEY,
    description        TEXT NOT NULL,
    price_profile_id   INTEGER REFERENCES price_profiles ON DELETE SET NULL
);
CREATE TABLE job_option_rules (
    rule_id       INTEGER PRIMARY KEY,
    rule_priority INTEGER NOT NULL,
    parent_id     INTEGER NOT NULL,
    option_type   INTEGER NOT NULL CHECK (option_type BETWEEN 0 AND 5),
    value_text    TEXT NOT NULL DEFAULT '',
    UNIQUE (rule_priority, parent_id, option_type)
);
CREATE TABLE printing_limits (
    limit_id      INTEGER PRIMARY KEY,
    rule_priority INTEGER NOT NULL,
    parent_id     INTEGER NOT NULL,
    display_order INTEGER NOT NULL,
    limit_type    INTEGER NOT NULL,
    -- ten-thousandths for the money types 3 and 4, a count for the others
    limit_value   INTEGER NOT NULL CHECK (limit_value >= 0),
    title         TEXT NOT NULL,
    message_text  TEXT NOT NULL,
    stop_job      INTEGER NOT NULL CHECK (stop_job IN (0, 1))
);
CREATE INDEX printing_limits_owner ON printing_limits (rule_priority, parent_id, display_order);
CREATE TABLE paper_sizes (
    paper_size_id   INTEGER PRIMARY KEY,
    description     TEXT NOT NULL,
    width           INTEGER NOT NULL CHECK (width > 0),
    height          INTEGER NOT NULL CHECK (height > 0),
    unit_type       INTEGER NOT NULL CHECK (unit_type IN (0, 1, 2)),
    bw_page_cost    INTEGER NOT NULL,
    color_page_cost INTEGER NOT NULL
);
CREATE TABLE paper_size_prices (
    price_profile_id INTEGER NOT NULL REFERENCES price_profiles ON DELETE CASCADE,
    paper_size_id    INTEGER NOT NULL REFERENCES paper_sizes ON DELETE CASCADE,
    bw_cost          INTEGER NOT NULL,
    color_cost       INTEGER NOT NULL,
    PRIMARY KEY (price_profile_id, paper_size_id)
);
CREATE TABLE custom_fields (
    field_id       INTEGER PRIMARY KEY,
    caption        TEXT NOT NULL,
    display_order  INTEGER NOT NULL DEFAULT 0,
    link_parent_id INTEGER NOT NULL DEFAULT 0
);
-- a field has at most one linked child
CREATE UNIQUE INDEX custom_fields_one_child ON custom_fields (link_parent_id)
    WHERE link_parent_id <> 0;
CREATE TABLE system_settings (
    settings_id     INTEGER PRIMARY KEY CHECK (settings_id = 1),
    currency_format TEXT NOT NULL
);
INSERT INTO system_settings VALUES (1, '$#,##0.00');
PRAGMA application_id = 1364014660;
PRAGMA user_version = 1;
)sql";

static_assert(kApplicationId == 1364014660, "the schema text stamps this application id");
static_assert(kSchemaVersion == 1, "the schema text stamps this version");

} // namespace qm6::data::sqlite
