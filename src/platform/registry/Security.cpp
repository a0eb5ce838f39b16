#include "platform/registry/Security.h"

#include "platform/registry/Hive.h"
#include "platform/registry/Registry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <grp.h>
#include <unistd.h>

namespace qm6::reg {

namespace {

struct Alias {
    std::string_view name;
    std::string_view sid;
};

constexpr Alias kSidAliases[] = {
    {"WD", SID_EVERYONE},      {"AU", SID_AUTHENTICATED_USERS},
    {"BU", SID_BUILTIN_USERS}, {"BA", SID_BUILTIN_ADMINISTRATORS},
    {"SY", SID_LOCAL_SYSTEM},  {"CO", "S-1-3-0"}, // creator owner
    {"OW", "S-1-3-4"},                            // owner rights
};

constexpr std::string_view kOwnerRightsSid = "S-1-3-4";

struct RightAlias {
    std::string_view name;
    uint32_t mask;
};

// Aliases written back for a whole mask, in the order they are tried.
constexpr RightAlias kWholeMaskAliases[] = {
    {"KA", KEY_ALL_ACCESS}, {"KR", KEY_READ},      {"KW", KEY_WRITE},       {"GA", GENERIC_ALL},
    {"GR", GENERIC_READ},   {"GW", GENERIC_WRITE}, {"GX", GENERIC_EXECUTE},
};

// Every alias accepted in a rights field; several may be run together.
constexpr RightAlias kRightAliases[] = {
    {"KA", KEY_ALL_ACCESS},
    {"KR", KEY_READ},
    {"KW", KEY_WRITE},
    {"KX", KEY_EXECUTE},
    {"GA", GENERIC_ALL},
    {"GR", GENERIC_READ},
    {"GW", GENERIC_WRITE},
    {"GX", GENERIC_EXECUTE},
    {"RC", READ_CONTROL},
    {"SD", DELETE_ACCESS},
    {"WD", WRITE_DAC},
    {"WO", WRITE_OWNER},
    {"CC", 0x1},
    {"DC", 0x2},
    {"LC", 0x4},
    {"SW", 0x8},
    {"RP", 0x10},
    {"WP", 0x20},
    {"DT", 0x40},
    {"LO", 0x80},
    {"CR", 0x100},
};

constexpr std::string_view kAceFlags[] = {"CI", "OI", "NP", "IO", "ID", "SA", "FA"};

bool IsDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Checks a literal SID "S-1-<authority>(-<subauthority>)*" and answers it in
// its canonical spelling (upper-case S), or nothing.
std::optional<std::string> CanonicalSid(std::string_view text) {
    if (text.size() < 4 || (text[0] != 'S' && text[0] != 's') || text[1] != '-')
        return std::nullopt;
    std::string out = "S";
    size_t parts = 0;
    size_t pos = 1;
    while (pos < text.size()) {
        if (text[pos] != '-')
            return std::nullopt;
        size_t end = text.find('-', pos + 1);
        std::string_view part =
            text.substr(pos + 1, end == std::string_view::npos ? end : end - pos - 1);
        if (!IsDigits(part) || part.size() > 15)
            return std::nullopt;
        // The revision is 1; the authority fits in 48 bits and every
        // subauthority in 32.
        unsigned long long value = std::stoull(std::string(part));
        if (parts == 0 && value != 1)
            return std::nullopt;
        if (parts == 1 && value >= (1ull << 48))
            return std::nullopt;
        if (parts >= 2 && value > 0xFFFFFFFFull)
            return std::nullopt;
        out += '-';
        out += std::to_string(value);
        ++parts;
        pos = end == std::string_view::npos ? text.size() : end;
    }
    // revision and authority, then at most 15 subauthorities
    if (parts < 2 || parts > 17)
        return std::nullopt;
    return out;
}

std::string SidToSddl(const std::string& sid) {
    for (const Alias& a : kSidAliases)
        if (a.sid == sid)
            return std::string(a.name);
    return sid;
}

// Reads a SID at the front of `text` (an alias or a literal SID running to
// the first character that cannot belong to it) and removes it.
std::optional<std::string> TakeSid(std::string_view& text) {
    if (text.size() >= 2 && (text[0] == 'S' || text[0] == 's') && text[1] == '-') {
        size_t end = 2;
        while (end < text.size() &&
               (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '-'))
            ++end;
        // "S-1-5-32-544G:..." ends the SID before the next part's letter.
        auto sid = CanonicalSid(text.substr(0, end));
        if (sid)
            text.remove_prefix(end);
        return sid;
    }
    if (text.size() < 2)
        return std::nullopt;
    for (const Alias& a : kSidAliases) {
        if (text.substr(0, 2) == a.name) {
            text.remove_prefix(2);
            return std::string(a.sid);
        }
    }
    return std::nullopt;
}

std::optional<uint32_t> ParseRights(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::string_view hex = text.substr(2);
        if (hex.size() > 8 || !std::all_of(hex.begin(), hex.end(), [](char c) {
                return std::isxdigit(static_cast<unsigned char>(c)) != 0;
            }))
            return std::nullopt;
        return static_cast<uint32_t>(std::stoul(std::string(hex), nullptr, 16));
    }
    if (text.empty() || text.size() % 2 != 0)
        return std::nullopt;
    uint32_t mask = 0;
    for (size_t i = 0; i < text.size(); i += 2) {
        auto it = std::find_if(std::begin(kRightAliases), std::end(kRightAliases),
                               [&](const RightAlias& a) { return a.name == text.substr(i, 2); });
        if (it == std::end(kRightAliases))
            return std::nullopt;
        mask |= it->mask;
    }
    return mask;
}

std::string RightsToSddl(uint32_t mask) {
    for (const RightAlias& a : kWholeMaskAliases)
        if (a.mask == mask)
            return std::string(a.name);
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", mask);
    return buf;
}

bool ValidAceFlags(std::string_view flags) {
    if (flags.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < flags.size(); i += 2)
        if (std::find(std::begin(kAceFlags), std::end(kAceFlags), flags.substr(i, 2)) ==
            std::end(kAceFlags))
            return false;
    return true;
}

// "(type;flags;rights;object;inherited object;sid)"
std::optional<Ace> ParseAce(std::string_view body) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t semi = body.find(';', start);
        fields.push_back(body.substr(start, semi == std::string_view::npos ? semi : semi - start));
        if (semi == std::string_view::npos)
            break;
        start = semi + 1;
    }
    if (fields.size() != 6)
        return std::nullopt;
    Ace ace;
    if (fields[0] != "A" && fields[0] != "D")
        return std::nullopt;
    ace.type = fields[0][0];
    if (!ValidAceFlags(fields[1]))
        return std::nullopt;
    ace.flags = std::string(fields[1]);
    auto mask = ParseRights(fields[2]);
    if (!mask)
        return std::nullopt;
    ace.mask = *mask;
    // Object entries are not used by registry keys.
    if (!fields[3].empty() || !fields[4].empty())
        return std::nullopt;
    std::string_view sidText = fields[5];
    auto sid = TakeSid(sidText);
    if (!sid || !sidText.empty())
        return std::nullopt;
    ace.sid = *sid;
    return ace;
}

bool ValidSid(const std::string& sid) {
    auto canonical = CanonicalSid(sid);
    return canonical && *canonical == sid;
}

} // namespace

uint32_t detail::MapGenericRights(uint32_t mask, const GenericMapping& mapping) {
    if (mask & GENERIC_READ)
        mask |= mapping.genericRead;
    if (mask & GENERIC_WRITE)
        mask |= mapping.genericWrite;
    if (mask & GENERIC_EXECUTE)
        mask |= mapping.genericExecute;
    if (mask & GENERIC_ALL)
        mask |= mapping.genericAll;
    return mask & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
}

namespace {

thread_local bool t_impersonating = false;

} // namespace

std::optional<SecurityDescriptor> SecurityDescriptor::FromSddl(std::string_view sddl) {
    SecurityDescriptor sd;
    sd.revision = SECURITY_DESCRIPTOR_REVISION;
    bool seenOwner = false, seenGroup = false, seenDacl = false;
    std::string_view rest = sddl;
    while (!rest.empty()) {
        if (rest.size() < 2 || rest[1] != ':')
            return std::nullopt;
        char part = rest[0];
        rest.remove_prefix(2);
        if (part == 'O' || part == 'G') {
            bool& seen = part == 'O' ? seenOwner : seenGroup;
            if (seen)
                return std::nullopt;
            seen = true;
            auto sid = TakeSid(rest);
            if (!sid)
                return std::nullopt;
            (part == 'O' ? sd.owner : sd.group) = *sid;
        } else if (part == 'D') {
            if (seenDacl)
                return std::nullopt;
            seenDacl = true;
            sd.daclPresent = true;
            if (rest.substr(0, 17) == "NO_ACCESS_CONTROL") {
                rest.remove_prefix(17);
                sd.dacl.reset();
                continue;
            }
            // Protection and auto-inheritance flags have no meaning for a
            // key here; they are accepted and not kept.
            while (!rest.empty() && rest[0] != '(' && rest[0] != ':') {
                if (rest.substr(0, 2) == "AI" || rest.substr(0, 2) == "AR")
                    rest.remove_prefix(2);
                else if (rest[0] == 'P')
                    rest.remove_prefix(1);
                else
                    break;
            }
            sd.dacl.emplace();
            while (!rest.empty() && rest[0] == '(') {
                size_t close = rest.find(')');
                if (close == std::string_view::npos)
                    return std::nullopt;
                auto ace = ParseAce(rest.substr(1, close - 1));
                if (!ace)
                    return std::nullopt;
                sd.dacl->push_back(std::move(*ace));
                rest.remove_prefix(close + 1);
            }
        } else {
            // System ACLs (auditing) are not kept for keys.
            return std::nullopt;
        }
    }
    return sd;
}

std::string SecurityDescriptor::ToSddl() const {
    std::string out;
    if (!owner.empty())
        out += "O:" + SidToSddl(owner);
    if (!group.empty())
        out += "G:" + SidToSddl(group);
    if (daclPresent) {
        out += "D:";
        if (!dacl) {
            out += "NO_ACCESS_CONTROL";
        } else {
            for (const Ace& ace : *dacl) {
                out += '(';
                out += ace.type;
                out += ';' + ace.flags + ';' + RightsToSddl(ace.mask) + ";;;" + SidToSddl(ace.sid) +
                       ')';
            }
        }
    }
    return out;
}

bool SecurityDescriptor::IsValid() const {
    if (revision != SECURITY_DESCRIPTOR_REVISION)
        return false;
    if (!owner.empty() && !ValidSid(owner))
        return false;
    if (!group.empty() && !ValidSid(group))
        return false;
    if (dacl) {
        if (!daclPresent)
            return false;
        for (const Ace& ace : *dacl)
            if ((ace.type != 'A' && ace.type != 'D') || !ValidAceFlags(ace.flags) ||
                !ValidSid(ace.sid))
                return false;
    }
    return true;
}

bool InitializeSecurityDescriptor(SecurityDescriptor& sd, uint32_t revision) {
    if (revision != SECURITY_DESCRIPTOR_REVISION)
        return false;
    sd = SecurityDescriptor{};
    sd.revision = revision;
    return true;
}

bool SetSecurityDescriptorDacl(SecurityDescriptor& sd, bool present, const std::vector<Ace>* dacl,
                               bool defaulted) {
    if (sd.revision != SECURITY_DESCRIPTOR_REVISION)
        return false;
    sd.daclPresent = present;
    sd.daclDefaulted = present && defaulted;
    if (present && dacl)
        sd.dacl = *dacl;
    else
        sd.dacl.reset();
    return true;
}

bool Token::Has(std::string_view sid) const {
    return user == sid || std::find(groups.begin(), groups.end(), sid) != groups.end();
}

long ImpersonateSelf(int level) {
    // SecurityAnonymous (0) to SecurityDelegation (3)
    if (level < 0 || level > 3)
        return ERROR_BAD_IMPERSONATION_LEVEL;
    t_impersonating = true;
    return ERROR_SUCCESS;
}

long OpenThreadToken(uint32_t /*desiredAccess*/, bool /*openAsSelf*/, Token& token) {
    // A thread has a token of its own only while it impersonates.
    if (!t_impersonating)
        return ERROR_NO_TOKEN;
    token = detail::ProcessToken();
    return ERROR_SUCCESS;
}

long RevertToSelf() {
    t_impersonating = false;
    return ERROR_SUCCESS;
}

long AccessCheck(const SecurityDescriptor& sd, const Token& token, uint32_t desired,
                 const GenericMapping& mapping, uint32_t& granted, bool& status) {
    granted = 0;
    status = false;
    if (!sd.IsValid())
        return ERROR_INVALID_SECURITY_DESCR;
    detail::AccessCheckValid(sd, token, desired, mapping, granted, status);
    return ERROR_SUCCESS;
}

void detail::AccessCheckValid(const SecurityDescriptor& sd, const Token& token, uint32_t desired,
                              const GenericMapping& mapping, uint32_t& granted, bool& status) {
    const bool maximum = (desired & MAXIMUM_ALLOWED) != 0;
    const uint32_t wanted = detail::MapGenericRights(desired & ~MAXIMUM_ALLOWED, mapping);

    uint32_t allowed = 0;
    if (!sd.daclPresent || !sd.dacl) {
        // No DACL at all, or a null one: everything is granted.
        allowed = wanted | (maximum ? detail::MapGenericRights(GENERIC_ALL, mapping) : 0);
    } else {
        const bool isOwner = !sd.owner.empty() && token.Has(sd.owner);
        const bool ownerRightsAce = std::any_of(sd.dacl->begin(), sd.dacl->end(), [](const Ace& a) {
            return a.sid == kOwnerRightsSid;
        });
        // The owner may always read and change the DACL, unless an
        // owner-rights entry says otherwise.
        if (isOwner && !ownerRightsAce)
            allowed = READ_CONTROL | WRITE_DAC;
        uint32_t denied = 0;
        for (const Ace& ace : *sd.dacl) {
            bool applies = ace.sid == kOwnerRightsSid ? isOwner : token.Has(ace.sid);
            if (!applies)
                continue;
            uint32_t mask = detail::MapGenericRights(ace.mask, mapping);
            if (ace.type == 'A')
                allowed |= mask & ~denied;
            else
                denied |= mask & ~allowed;
        }
    }

    const bool all = (wanted & ~allowed) == 0;
    if (maximum) {
        status = all && (allowed != 0 || wanted != 0);
        granted = status ? (allowed | wanted) : 0;
    } else {
        // Asking for nothing is not granted anything.
        status = all && wanted != 0;
        granted = status ? wanted : 0;
    }
}

namespace detail {

GenericMapping KeyMapping() {
    return GenericMapping{KEY_READ, KEY_WRITE, KEY_EXECUTE, KEY_ALL_ACCESS};
}

Token ProcessToken() {
    Token token;
    token.user = "S-1-22-1-" + std::to_string(geteuid());
    auto addGroup = [&](const std::string& sid) {
        if (std::find(token.groups.begin(), token.groups.end(), sid) == token.groups.end())
            token.groups.push_back(sid);
    };
    addGroup("S-1-22-2-" + std::to_string(getegid()));
    int count = getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> gids(static_cast<size_t>(count));
        count = getgroups(count, gids.data());
        for (int i = 0; i < count; ++i)
            addGroup("S-1-22-2-" + std::to_string(gids[static_cast<size_t>(i)]));
    }
    addGroup(std::string(SID_EVERYONE));
    addGroup(std::string(SID_AUTHENTICATED_USERS));
    addGroup(std::string(SID_BUILTIN_USERS));
    if (geteuid() == 0) {
        addGroup(std::string(SID_BUILTIN_ADMINISTRATORS));
        addGroup(std::string(SID_LOCAL_SYSTEM));
    }
    return token;
}

SecurityDescriptor EffectiveDescriptor(const std::string& sddl, bool readOnly) {
    auto sd = SecurityDescriptor::FromSddl(sddl);
    // A stored descriptor that cannot be read grants nothing.
    if (!sd) {
        sd.emplace();
        sd->revision = SECURITY_DESCRIPTOR_REVISION;
        sd->daclPresent = true;
        sd->dacl.emplace();
    }
    if (readOnly) {
        Ace deny{'D', "", kWriteRights, std::string(SID_EVERYONE)};
        if (!sd->dacl) {
            // A null DACL grants everything; in a read-only hive it grants
            // everything but writing.
            sd->dacl.emplace();
            sd->dacl->push_back(Ace{'A', "", KEY_ALL_ACCESS, std::string(SID_EVERYONE)});
        }
        sd->daclPresent = true;
        sd->dacl->insert(sd->dacl->begin(), deny);
    }
    return *sd;
}

} // namespace detail

} // namespace qm6::reg
