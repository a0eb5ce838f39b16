#pragma once

// Security descriptors, tokens and the access check, shaped after the Win32
// functions the registry key object calls. Descriptors travel as SDDL text
// ("O:...G:...D:(A;;KR;;;WD)"); a null DACL is "D:NO_ACCESS_CONTROL".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm6::reg {

constexpr uint32_t SECURITY_DESCRIPTOR_REVISION = 1;

// Well-known security identifiers.
inline constexpr std::string_view SID_EVERYONE = "S-1-1-0";
inline constexpr std::string_view SID_AUTHENTICATED_USERS = "S-1-5-11";
inline constexpr std::string_view SID_LOCAL_SYSTEM = "S-1-5-18";
inline constexpr std::string_view SID_BUILTIN_ADMINISTRATORS = "S-1-5-32-544";
inline constexpr std::string_view SID_BUILTIN_USERS = "S-1-5-32-545";

// One access control entry: allow ('A') or deny ('D') a mask to a SID.
struct Ace {
    char type = 'A';
    std::string flags; // inheritance flags as SDDL letters ("CI", "OI", ...), kept as given
    uint32_t mask = 0;
    std::string sid;
    bool operator==(const Ace&) const = default;
};

struct SecurityDescriptor {
    uint32_t revision = 0; // 0 until initialised
    std::string owner;     // SID, empty when absent
    std::string group;     // SID, empty when absent
    bool daclPresent = false;
    bool daclDefaulted = false;
    std::optional<std::vector<Ace>> dacl; // nullopt with daclPresent: a null DACL (all access)

    // Parses SDDL (owner, group and DACL parts; SID aliases such as WD, BA, SY,
    // BU, AU, CO and rights aliases such as KA, KR, KW, KX, GA, GR, GW, GX or
    // hex masks). nullopt for text that is not valid SDDL.
    static std::optional<SecurityDescriptor> FromSddl(std::string_view sddl);
    std::string ToSddl() const;
    bool IsValid() const; // IsValidSecurityDescriptor
    bool operator==(const SecurityDescriptor&) const = default;
};

// InitializeSecurityDescriptor: false for any revision but 1.
bool InitializeSecurityDescriptor(SecurityDescriptor& sd, uint32_t revision);
// SetSecurityDescriptorDacl: dacl nullptr with present = a null DACL.
// False when the descriptor was not initialised.
bool SetSecurityDescriptorDacl(SecurityDescriptor& sd, bool present, const std::vector<Ace>* dacl,
                               bool defaulted);

// The identity of the calling thread: the user's SID and its group SIDs. On
// Linux the user is S-1-22-1-<uid> and its groups S-1-22-2-<gid>, with
// Everyone, Authenticated Users and Builtin Users; root is also a member of
// Builtin Administrators and Local System.
struct Token {
    std::string user;
    std::vector<std::string> groups;
    bool Has(std::string_view sid) const;
};

struct GenericMapping {
    uint32_t genericRead = 0;
    uint32_t genericWrite = 0;
    uint32_t genericExecute = 0;
    uint32_t genericAll = 0;
};

// ImpersonateSelf / OpenThreadToken / RevertToSelf, as Win32 error codes.
long ImpersonateSelf(int level);
long OpenThreadToken(uint32_t desiredAccess, bool openAsSelf, Token& token);
long RevertToSelf();

// AccessCheck: maps generic rights in `desired` through the mapping and walks
// the DACL in order (deny entries take bits away that are not yet granted);
// MAXIMUM_ALLOWED asks for everything that may be granted. A null DACL grants
// everything; the owner always holds READ_CONTROL and WRITE_DAC. `granted` is
// the mask granted, `status` whether every bit asked for was granted.
long AccessCheck(const SecurityDescriptor& sd, const Token& token, uint32_t desired,
                 const GenericMapping& mapping, uint32_t& granted, bool& status);

} // namespace qm6::reg
