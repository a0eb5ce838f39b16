// qm6 sec: shows a registry key's security descriptor as SDDL, or sets it.

#include "CommandLine.h"
#include "Console.h"
#include "KeyPath.h"
#include "RegistryAccess.h"
#include "platform/registry/Registry.h"

#include <ostream>

namespace qm6::tool {
namespace {

constexpr std::string_view kUsage =
    "qm6 sec KEY [SDDL]\n\n"
    "  Shows the security descriptor of a registry key as SDDL or, with SDDL,\n"
    "  sets the parts it names: O: the owner, G: the primary group, D: the DACL\n"
    "  (\"D:NO_ACCESS_CONTROL\" for a null DACL that grants everyone everything).\n\n"
    "  KEY   ROOT\\Subkey; ROOT is HKCU (HKEY_CURRENT_USER) or HKLM (HKEY_LOCAL_MACHINE)\n"
    "  SDDL  for example \"D:(A;;KA;;;BA)(A;;KR;;;WD)\"\n";

int Fail(const Console& console, const KeyPath& key, long code) {
    console.Error((code == reg::ERROR_FILE_NOT_FOUND
                       ? "The system was unable to find the specified registry key."
                       : key.Full() + ": " + ErrorText(code)) +
                  InHive(key.root));
    return 1;
}

} // namespace

int RunSec(std::span<const std::string> args, const Console& console) {
    if (!args.empty() && IsHelpArgument(args[0])) {
        console.out << kUsage;
        return 0;
    }
    if (args.empty() || args.size() > 2) {
        console.Error("Invalid syntax. " +
                      std::string(args.empty() ? "Name a key." : "Too many arguments."));
        console.err << "Type \"qm6 sec /?\" for usage.\n";
        return 1;
    }
    auto key = KeyArgument(args[0], console);
    if (!key)
        return 1;
    constexpr uint32_t kAll = reg::OWNER_SECURITY_INFORMATION | reg::GROUP_SECURITY_INFORMATION |
                              reg::DACL_SECURITY_INFORMATION;

    if (args.size() == 1) {
        reg::Key k;
        reg::SecurityDescriptor sd;
        long rc = reg::OpenKey(key->root, key->subKey, reg::READ_CONTROL, k);
        if (rc == reg::ERROR_SUCCESS)
            rc = reg::GetKeySecurity(k, kAll, sd);
        if (rc != reg::ERROR_SUCCESS)
            return Fail(console, *key, rc);
        console.out << sd.ToSddl() << "\n";
        return 0;
    }

    auto sd = reg::SecurityDescriptor::FromSddl(args[1]);
    if (!sd || !sd->IsValid()) {
        console.Error("\"" + args[1] + "\" is not a valid security descriptor in SDDL.");
        return 1;
    }
    uint32_t information = 0;
    uint32_t access = 0;
    if (!sd->owner.empty()) {
        information |= reg::OWNER_SECURITY_INFORMATION;
        access |= reg::WRITE_OWNER;
    }
    if (!sd->group.empty()) {
        information |= reg::GROUP_SECURITY_INFORMATION;
        access |= reg::WRITE_OWNER;
    }
    if (sd->daclPresent) {
        information |= reg::DACL_SECURITY_INFORMATION;
        access |= reg::WRITE_DAC;
    }
    if (information == 0) {
        console.Error("\"" + args[1] + "\" names no owner, group or DACL to set.");
        return 1;
    }
    reg::Key k;
    long rc = reg::OpenKey(key->root, key->subKey, access, k);
    if (rc == reg::ERROR_SUCCESS)
        rc = reg::SetKeySecurity(k, information, *sd);
    if (rc != reg::ERROR_SUCCESS)
        return Fail(console, *key, rc);
    console.out << "The operation completed successfully.\n";
    return 0;
}

} // namespace qm6::tool
