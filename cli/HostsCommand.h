// SPDX-License-Identifier: MIT
#pragma once
// kr761x-gen hosts [--host NAME]... [--format text|json] SAVEFILE...: what
// each host makes of the mouse, touch screen and pen of each save file's
// report descriptor, judged against the hosts' published rules, so a product
// built for some hosts can be checked for them in a pipeline.

#include "cli/Command.h"

namespace kr::cli {

class CHostsCommand : public CCommand {
public:
    std::string_view Name() const override { return "hosts"; }
    std::vector<Parameter> Parameters() const override
    {
        return {
            {.name = "--host",
             .description = "judge for this host only: Windows, Linux, Android or macOS (repeatable)",
             .value = "NAME",
             .repeats = true},
            {.name = "--format", .description = "text (the default) or json", .value = "text|json"},
            {.name = "SAVEFILE", .description = "a save file (.kcw) to judge", .occurs = Occurs::Repeated},
        };
    }
    std::string_view Summary() const override { return "judge each SAVEFILE's descriptor against the hosts' rules"; }

    // Loads each file over the defaults and prints one verdict per host and
    // per top-level mouse, touch screen and pen collection, with what the
    // host binds it to and every rule it does not meet: as text, or as one
    // JSON list of objects with the keys file, host, collection, driver,
    // verdict and rules. A file that cannot be loaded or expanded gets its
    // error on err. Exit 0 when no verdict is "fails" and every file was
    // judged, 1 otherwise; an unknown host or format is a usage error.
    int Run(const ParsedArguments& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace kr::cli
