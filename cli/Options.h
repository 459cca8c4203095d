// The command line of brelvane-cli, parsed into run settings and the console's answers.
#pragma once

#include "checks/Finding.h"
#include "run/RunSettings.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cli {

struct Options {
    run::RunSettings settings;
    bool workdirGiven = false;
    std::map<int, std::string> radius;  // D number -> text typed into the radius prompt
    bool yes = false;                   // answer OK to the overwrite question
    std::string templates;              // folder of the templates; empty: the program's
    bool open = false;                  // open the index page with the desktop's handler
    bool quiet = false;
    std::string json;                   // where the JSON summary goes; "-": standard output
    std::string machine;                // the machine profile (TOML); empty: none
    std::optional<checks::Severity> failOn;  // exit 3 on a finding this severe or worse
    bool help = false;
    bool version = false;
};

struct ParseResult {
    Options options;
    std::string error;  // non-empty: a usage error
};

ParseResult parseOptions(const std::vector<std::string>& args);

// The --help text, in Japanese or English, with Windows' or Unix's folders in its
// examples; the list of check codes follows it.
std::string usage(bool japanese, bool windows);

}  // namespace cli
