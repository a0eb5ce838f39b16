#include "qm6data/Schema.h"

#include "qm6data/Engine.h"

#include <utility>

namespace qm6::data::schema {

namespace {

// Money is stored as integer ten-thousandths, so that every amount with four
// decimals comes back exactly. Ids are numbered by the engine. Owners of rules
// are named by rule priority and parent id and are not tables of their own,
// except the printer profiles the console offers.
const Step kVersion1{
    1,
    {
        R"sql(CREATE TABLE price_profiles (
    price_profile_id {key},
    description      TEXT NOT NULL DEFAULT '',
    pricing_option   INTEGER NOT NULL,
    job_type         INTEGER NOT NULL,
    bw_cost          {money} NOT NULL,
    color_cost       {money} NOT NULL
))sql",
        R"sql(CREATE TABLE printer_profiles (
    printer_profile_id {key},
    description        TEXT NOT NULL,
    price_profile_id   INTEGER REFERENCES price_profiles ON DELETE SET NULL
))sql",
        R"sql(CREATE TABLE job_option_rules (
    rule_id       {key},
    rule_priority INTEGER NOT NULL,
    parent_id     INTEGER NOT NULL,
    option_type   INTEGER NOT NULL CHECK (option_type BETWEEN 0 AND 5),
    value_text    TEXT NOT NULL DEFAULT '',
    UNIQUE (rule_priority, parent_id, option_type)
))sql",
        R"sql(CREATE TABLE printing_limits (
    limit_id      {key},
    rule_priority INTEGER NOT NULL,
    parent_id     INTEGER NOT NULL,
    display_order INTEGER NOT NULL,
    limit_type    INTEGER NOT NULL,
    -- ten-thousandths for the money types 3 and 4, a count for the others
    limit_value   {money} NOT NULL CHECK (limit_value >= 0),
    title         TEXT NOT NULL,
    message_text  TEXT NOT NULL,
    stop_job      INTEGER NOT NULL CHECK (stop_job IN (0, 1))
))sql",
        R"sql(CREATE INDEX printing_limits_owner ON printing_limits (rule_priority, parent_id, display_order))sql",
        R"sql(CREATE TABLE paper_sizes (
    paper_size_id   {key},
    description     TEXT NOT NULL,
    width           INTEGER NOT NULL CHECK (width > 0),
    height          INTEGER NOT NULL CHECK (height > 0),
    unit_type       INTEGER NOT NULL CHECK (unit_type IN (0, 1, 2)),
    bw_page_cost    {money} NOT NULL,
    color_page_cost {money} NOT NULL
))sql",
        R"sql(CREATE TABLE paper_size_prices (
    price_profile_id INTEGER NOT NULL REFERENCES price_profiles ON DELETE CASCADE,
    paper_size_id    INTEGER NOT NULL REFERENCES paper_sizes ON DELETE CASCADE,
    bw_cost          {money} NOT NULL,
    color_cost       {money} NOT NULL,
    PRIMARY KEY (price_profile_id, paper_size_id)
))sql",
        R"sql(CREATE TABLE custom_fields (
    field_id       {key},
    caption        TEXT NOT NULL,
    display_order  INTEGER NOT NULL DEFAULT 0,
    link_parent_id INTEGER NOT NULL DEFAULT 0
))sql",
        R"sql(-- a field has at most one linked child
CREATE UNIQUE INDEX custom_fields_one_child ON custom_fields (link_parent_id)
    WHERE link_parent_id <> 0)sql",
        R"sql(CREATE TABLE system_settings (
    settings_id     INTEGER PRIMARY KEY CHECK (settings_id = 1),
    currency_format TEXT NOT NULL
))sql",
        R"sql(INSERT INTO system_settings VALUES (1, '$#,##0.00'))sql",
    }};

// Versions for writes made on an out-of-date view. Every write takes the
// store's next change number: the records it writes carry it as their
// row_version, and the owner's set of rules (job option rules are kind 1,
// printing limits kind 2) as its set_version, so that a save or delete of a
// record, or any write to a set, that another connection changed since it was
// loaded can be refused. Change numbers are never given twice, so a record
// whose id the engine hands out again after a delete has a new version too.
// A set that has no row has version 0.
const Step kVersion2{
    2,
    {
        R"sql(CREATE TABLE store_state (
    state_id    INTEGER PRIMARY KEY CHECK (state_id = 1),
    last_change BIGINT NOT NULL
))sql",
        R"sql(INSERT INTO store_state VALUES (1, 1))sql",
        R"sql(ALTER TABLE job_option_rules ADD COLUMN row_version BIGINT NOT NULL DEFAULT 1)sql",
        R"sql(ALTER TABLE printing_limits ADD COLUMN row_version BIGINT NOT NULL DEFAULT 1)sql",
        R"sql(ALTER TABLE price_profiles ADD COLUMN row_version BIGINT NOT NULL DEFAULT 1)sql",
        R"sql(CREATE TABLE rule_sets (
    rule_kind     INTEGER NOT NULL,
    rule_priority INTEGER NOT NULL,
    parent_id     INTEGER NOT NULL,
    set_version   BIGINT NOT NULL,
    PRIMARY KEY (rule_kind, rule_priority, parent_id)
))sql",
    }};

// Custom actions: actions an administrator defines once, each with a
// description, an action type and its text parameters by position (a custom
// field selection, type 8, holds its list of field ids in parameter 1). An
// action and its parameters are written together and carry one row version.
const Step kVersion3{
    3,
    {
        R"sql(CREATE TABLE rule_actions (
    action_id   {key},
    description TEXT NOT NULL,
    action_type INTEGER NOT NULL,
    row_version BIGINT NOT NULL DEFAULT 1
))sql",
        R"sql(CREATE TABLE rule_action_parameters (
    action_id INTEGER NOT NULL REFERENCES rule_actions ON DELETE CASCADE,
    position  INTEGER NOT NULL CHECK (position >= 1),
    value     TEXT NOT NULL,
    PRIMARY KEY (action_id, position)
))sql",
    }};

} // namespace

const std::vector<Step>& Steps() {
    static const std::vector<Step> steps{kVersion1, kVersion2, kVersion3};
    return steps;
}

int32_t CurrentVersion() {
    return Steps().back().version;
}

std::string Render(std::string_view statement, const Dialect& dialect) {
    const std::pair<std::string_view, std::string_view> placeholders[] = {
        {"{key}", dialect.key}, {"{money}", dialect.money}};
    std::string out;
    out.reserve(statement.size());
    for (size_t at = 0; at < statement.size();) {
        bool replaced = false;
        for (const auto& [name, text] : placeholders) {
            if (statement.substr(at, name.size()) == name) {
                out.append(text);
                at += name.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            out.push_back(statement[at++]);
        }
    }
    return out;
}

void Apply(engine::Engine& engine, int32_t from, const Dialect& dialect,
           const std::function<void(int32_t)>& mark, const std::function<void(int32_t)>& onStep) {
    for (const Step& step : Steps()) {
        if (step.version <= from) {
            continue;
        }
        for (const std::string_view statement : step.statements) {
            engine.Execute(Render(statement, dialect));
        }
        mark(step.version);
        if (onStep) {
            onStep(step.version);
        }
    }
}

} // namespace qm6::data::schema

namespace qm6::data::sqlite {

const schema::Dialect& Dialect() {
    // A row id alias: numbered from the largest id plus one. Every integer
    // holds 64 bits.
    static const schema::Dialect dialect{"INTEGER PRIMARY KEY", "INTEGER"};
    return dialect;
}

} // namespace qm6::data::sqlite

namespace qm6::data::postgres {

const schema::Dialect& Dialect() {
    // Ids from the table's own sequence; integers hold 32 bits, money 64.
    static const schema::Dialect dialect{"INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY",
                                         "BIGINT"};
    return dialect;
}

} // namespace qm6::data::postgres
