#pragma once

// Internal to platform/locale: the ICU locale behind an LCID, and the parts of an ICU locale id.

#include "platform/locale/Lcid.h"

#include <optional>
#include <string>

namespace qm6::loc::detail {

// The full ICU locale id (language_Script_REGION, likely subtags added, no keywords) whose data
// answers for an LCID once pseudo-locales and neutral LCIDs are resolved; nullopt when the LCID
// names no locale. LOCALE_INVARIANT names none here.
std::optional<std::string> IcuLocaleOfLcid(Lcid lcid);

std::string LanguageOf(const std::string& icuId);
std::string ScriptOf(const std::string& icuId);
std::string RegionOf(const std::string& icuId);

} // namespace qm6::loc::detail
