// qm6 data init LOCATION [--sample]: lays out a qm6data store at a location,
// as the consoles then open it: a new SQLite file, or an empty database on a
// PostgreSQL server. With --sample the demo's sample data go into the new
// store. A store that is there already is taken to the current schema version
// (as any console would) and otherwise left alone.

#include "CommandLine.h"
#include "Console.h"

#include "qm6data/OpenStore.h"
#include "qm6data/SampleScript.h"
#include "qm6data/Schema.h"

#include <ostream>

namespace qm6::tool {
namespace {

constexpr std::string_view kUsage =
    "Usage: qm6 data init LOCATION [--sample]\n"
    "\n"
    "Lays out a qm6data store at LOCATION, for the consoles to open:\n"
    "  a file path                      a new SQLite file\n"
    "  postgresql://HOST/DATABASE, or   an empty database on a PostgreSQL server,\n"
    "  libpq key=value pairs            made beforehand (createdb)\n"
    "With --sample the new store gets the sample data of the demo.\n"
    "A store that is there already is upgraded to the current schema version, and\n"
    "otherwise left as it is. Passwords belong in the password file ~/.pgpass or a\n"
    "service file, never on the command line.\n"
    "\n"
    "Example: qm6 data init postgresql://printsrv/quillmeter --sample\n";

} // namespace

int RunData(std::span<const std::string> args, const Console& console) {
    if (args.empty() || IsHelpArgument(args[0])) {
        (args.empty() ? console.err : console.out) << kUsage;
        return args.empty() ? 1 : 0;
    }
    const bool sample = args.size() == 3 && args[2] == "--sample";
    if (args[0] != "init" || args.size() < 2 || (args.size() == 3 && !sample) || args.size() > 3) {
        console.Error("Invalid syntax.");
        console.err << kUsage;
        return 1;
    }
    const std::string& location = args[1];
    if (data::HasPassword(location)) {
        console.Error("The location holds a password. Put it in the password file ~/.pgpass "
                      "or a service file instead: a command line is visible to every user of "
                      "the machine.");
        return 1;
    }
    std::shared_ptr<data::StoreConnection> store;
    data::Status status = data::OpenStore(location, store, data::OpenOptions{true});
    if (status) {
        console.Error(status->Message() + " (" + std::to_string(status->Code()) + ")");
        return 1;
    }
    const std::string version = std::to_string(data::schema::CurrentVersion());
    if (!store->IsNew()) {
        if (sample) {
            console.Error("The location already holds a qm6data store; the sample data go only "
                          "into a new one.");
            return 1;
        }
        console.out << "qm6 data: the location holds a qm6data store of schema version "
                    << version << "\n";
        return 0;
    }
    if (sample) {
        if ((status = store->ExecuteScript(data::SampleScript()))) {
            console.Error("The store was laid out, but the sample data could not be loaded: " +
                          status->Message() + " (" + std::to_string(status->Code()) + ")");
            return 1;
        }
    }
    console.out << "qm6 data: laid out a qm6data store of schema version " << version
                << (sample ? " with the sample data" : "") << "\n";
    return 0;
}

} // namespace qm6::tool
