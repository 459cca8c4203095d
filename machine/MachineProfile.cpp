#include "machine/MachineProfile.h"

#include "util/Cp932.h"
#include "util/File.h"
#include "util/Number.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>
#include <toml++/toml.h>

namespace machine {

namespace {

[[noreturn]] void fail(const std::string& file, const toml::source_region& where, const std::string& key,
                       const std::string& reason)
{
    throw MachineProfileError(file + ":" + util::formatInt(static_cast<long long>(where.begin.line)) + ": " + key +
                              ": " + reason);
}

// A machine's name as the sheet heads its times with it: longer is no name.
constexpr std::size_t kLongestName = 80;

// What a real machine can have; anything outside is a typing error, not a machine.
struct Range {
    double minimum;
    double maximum;
    bool zeroAllowed;  // zero means "none" (no tool change time, exact corners)
    const char* unit;
};
constexpr Range kRate{1.0, 1e6, false, "mm/min"};
constexpr Range kAcceleration{1.0, 1e5, false, "mm/s²"};
constexpr Range kToolChange{0.0, 3600.0, true, "s"};
constexpr Range kJunctionDeviation{0.0, 10.0, true, "mm"};
constexpr Range kArcTolerance{0.0, 10.0, true, "mm"};

// A finite number of any sign (integers allowed): a coordinate, or a value to check further.
double coordinate(const toml::node& node, const std::string& file, const std::string& key)
{
    std::optional<double> value;
    if (const auto* f = node.as_floating_point()) {
        value = f->get();
    } else if (const auto* i = node.as_integer()) {
        value = static_cast<double>(i->get());
    }
    if (!value) {
        fail(file, node.source(), key, "a number is needed");
    }
    if (!std::isfinite(*value)) {
        fail(file, node.source(), key, "must be a finite number");
    }
    return *value;
}

// A number (integers allowed), finite and within `range`.
double number(const toml::node& node, const std::string& file, const std::string& key, const Range& range)
{
    const double value = coordinate(node, file, key);
    if (value < 0.0 || (!range.zeroAllowed && value == 0.0)) {
        fail(file, node.source(), key, range.zeroAllowed ? "must be zero or more" : "must be more than zero");
    }
    if (value < range.minimum || value > range.maximum) {
        fail(file, node.source(), key,
             "must be from " + util::formatGeneral(range.minimum) + " to " + util::formatGeneral(range.maximum) +
                 " " + range.unit);
    }
    return value;
}

std::array<double, 3> axes(const toml::node& node, const std::string& file, const std::string& table,
                           double unset, const Range& range)
{
    const toml::table* t = node.as_table();
    if (!t) {
        fail(file, node.source(), table, "a table with keys x, y, z is needed");
    }
    std::array<double, 3> values{unset, unset, unset};
    for (const auto& [key, value] : *t) {
        const std::string name(key.str());
        const std::string full = table + "." + name;
        if (name == "x") {
            values[0] = number(value, file, full, range);
        } else if (name == "y") {
            values[1] = number(value, file, full, range);
        } else if (name == "z") {
            values[2] = number(value, file, full, range);
        } else {
            fail(file, value.source(), full, "unknown key");
        }
    }
    return values;
}

// One of two texts; true for the second.
bool eitherText(const toml::node& node, const std::string& file, const std::string& key, std::string_view first,
                std::string_view second)
{
    const auto* s = node.as_string();
    if (!s || (s->get() != first && s->get() != second)) {
        fail(file, node.source(), key, "\"" + std::string(first) + "\" or \"" + std::string(second) + "\" is needed");
    }
    return s->get() == second;
}

const toml::table& table(const toml::node& node, const std::string& file, const std::string& key)
{
    const toml::table* t = node.as_table();
    if (!t) {
        fail(file, node.source(), key, "a table is needed");
    }
    return *t;
}

}  // namespace

MachineProfile parseMachineProfile(std::string_view text, const std::string& file, const CheckCodes& checkCodes)
{
    toml::table root;
    try {
        root = toml::parse(text, file);
    } catch (const toml::parse_error& error) {
        fail(file, error.source(), "(file)", std::string(error.description()));
    }
    MachineProfile profile;
    profile.file = file;
    for (const auto& [key, value] : root) {
        const std::string name(key.str());
        if (name == "name") {
            const auto* s = value.as_string();
            if (!s) {
                fail(file, value.source(), name, "a text is needed");
            }
            profile.name = util::shownText(s->get(), kLongestName);
        } else if (name == "max_feed") {
            profile.maxFeed = number(value, file, name, kRate);
        } else if (name == "tool_change") {
            profile.toolChange = number(value, file, name, kToolChange);
        } else if (name == "junction_deviation") {
            profile.junctionDeviation = number(value, file, name, kJunctionDeviation);
        } else if (name == "decimal_point_input") {
            profile.wholeUnits = eitherText(value, file, name, "thousandths", "whole");
        } else if (name == "letters") {
            profile.anyCaseLetters = eitherText(value, file, name, "upper", "any");
        } else if (name == "rapid_mode") {
            profile.rapidMode = eitherText(value, file, name, "linear", "axes") ? RapidMode::Axes : RapidMode::Linear;
        } else if (name == "checks") {
            for (const auto& [checkKey, checkValue] : table(value, file, name)) {
                const std::string full = name + "." + std::string(checkKey.str());
                if (checkKey.str() == "arc_tolerance") {
                    profile.arcTolerance = number(checkValue, file, full, kArcTolerance);
                } else if (checkKey.str() == "ignore") {
                    const toml::array* codes = checkValue.as_array();
                    if (!codes) {
                        fail(file, checkValue.source(), full, "a list of check codes is needed");
                    }
                    for (const toml::node& code : *codes) {
                        const auto* text = code.as_string();
                        if (!text) {
                            fail(file, code.source(), full, "a list of check codes is needed");
                        }
                        if (checkCodes.isCode && !checkCodes.isCode(text->get())) {
                            fail(file, code.source(), full,
                                 "\"" + util::shownText(text->get(), 40) + "\" is not a check code (" + checkCodes.list + ")");
                        }
                        profile.checkIgnore.push_back(text->get());
                    }
                } else {
                    fail(file, checkValue.source(), full, "unknown key");
                }
            }
        } else if (name == "limits") {
            const toml::table* t = value.as_table();
            if (!t) {
                fail(file, value.source(), name, "a table with keys x, y, z is needed");
            }
            for (const auto& [axis, range] : *t) {
                const std::string full = name + "." + std::string(axis.str());
                const std::size_t k = axis.str() == "x" ? 0 : axis.str() == "y" ? 1 : axis.str() == "z" ? 2 : 3;
                if (k == 3) {
                    fail(file, range.source(), full, "unknown key");
                }
                const toml::array* pair = range.as_array();
                if (!pair || pair->size() != 2) {
                    fail(file, range.source(), full, "[min, max] is needed");
                }
                const double low = coordinate((*pair)[0], file, full);
                const double high = coordinate((*pair)[1], file, full);
                if (!(low < high)) {
                    fail(file, range.source(), full, "min must be below max");
                }
                profile.limits[k] = std::pair{low, high};
            }
        } else if (name == "machine" || name == "offsets") {
            for (const auto& [pointKey, pointValue] : table(value, file, name)) {
                const std::string key(pointKey.str());
                const std::string full = name + "." + key;
                const bool homeKey = name == "machine" && key == "home";
                const bool offsetKey = name == "offsets" && key.size() == 3 && key[0] == 'G' && key[1] == '5' &&
                                       key[2] >= '4' && key[2] <= '9';
                if (!homeKey && !offsetKey) {
                    fail(file, pointValue.source(), full, name == "offsets" ? "G54 to G59 are the keys" : "unknown key");
                }
                const toml::array* xyz = pointValue.as_array();
                if (!xyz || xyz->size() != 3) {
                    fail(file, pointValue.source(), full, "[x, y, z] is needed");
                }
                const std::array<double, 3> point{coordinate((*xyz)[0], file, full), coordinate((*xyz)[1], file, full),
                                                  coordinate((*xyz)[2], file, full)};
                if (homeKey) {
                    profile.home = point;
                } else {
                    profile.offsets[static_cast<std::size_t>(key[2] - '4')] = point;
                }
            }
        } else if (name == "variables") {
            for (const auto& [variableKey, variableValue] : table(value, file, name)) {
                std::string_view key = variableKey.str();
                const std::string full = name + "." + std::string(key);
                if (key.starts_with('#')) {
                    key.remove_prefix(1);
                }
                const auto number = util::tryParseDouble(key);
                const bool common = number && *number == std::floor(*number) &&
                                    ((*number >= 100 && *number <= 199) || (*number >= 500 && *number <= 999));
                if (!common || key.find_first_not_of("0123456789") != std::string_view::npos) {
                    fail(file, variableValue.source(), full, "a common variable #100 to #199 or #500 to #999 is needed");
                }
                profile.variables[static_cast<int>(*number)] = coordinate(variableValue, file, full);
            }
        } else if (name == "control") {
            profile.control = eitherText(value, file, name, "fanuc", "haas") ? nc::Control::Haas : nc::Control::Fanuc;
        } else if (name == "max_blocks") {
            const auto* n = value.as_integer();
            if (!n || n->get() < 1 || n->get() > 1'000'000'000'000LL) {
                fail(file, value.source(), name, "a whole number from 1 to 1000000000000 is needed");
            }
            profile.maxBlocks = n->get();
        } else if (name == "programs") {
            for (const auto& [programKey, programValue] : table(value, file, name)) {
                const std::string full = name + "." + std::string(programKey.str());
                const toml::array* folders = programValue.as_array();
                if (programKey.str() != "folders") {
                    fail(file, programValue.source(), full, "unknown key");
                }
                if (!folders) {
                    fail(file, programValue.source(), full, "a list of folders is needed");
                }
                for (const toml::node& folder : *folders) {
                    const auto* text = folder.as_string();
                    if (!text || text->get().empty()) {
                        fail(file, folder.source(), full, "a list of folders is needed");
                    }
                    // A relative folder is the profile's own neighbour.
                    const std::string& given = text->get();
                    const bool absolute = util::nativePath(given).is_absolute() || given.starts_with('/') ||
                                          given.starts_with('\\');
                    const std::string base = util::folderOf(file);
                    profile.programFolders.push_back(absolute || base.empty() ? given : util::joinPath(base, given));
                }
            }
        } else if (name == "rapid") {
            profile.rapid = axes(value, file, name, 5000.0, kRate);
        } else if (name == "acceleration") {
            profile.acceleration = axes(value, file, name, std::numeric_limits<double>::infinity(), kAcceleration);
        } else {
            fail(file, value.source(), name, "unknown key");
        }
    }
    return profile;
}

std::string machineProfilePath(const std::string& programDir)
{
    std::vector<std::string> candidates;
    if (const std::string config = util::userConfigFolder(); !config.empty()) {
        candidates.push_back(util::joinPath(util::joinPath(config, "brelvane"), "machine.toml"));
    }
    if (!programDir.empty()) {
        candidates.push_back(util::joinPath(programDir, "machine.toml"));
    }
    for (const auto& candidate : candidates) {
        if (util::isFile(candidate)) {
            return candidate;
        }
    }
    return {};
}

MachineProfile loadMachineProfile(const std::string& path, const CheckCodes& codes)
{
    // Refused before it is opened: a FIFO or a device would hold the run up, and no
    // machine's profile is anywhere near a megabyte.
    constexpr std::uintmax_t kLargestProfile = 1024 * 1024;
    std::error_code error;
    if (!util::isFile(path)) {
        throw MachineProfileError(path + (std::filesystem::exists(util::nativePath(path), error)
                                              ? ": not a regular file, not a machine profile"
                                              : ": cannot be read"));
    }
    if (const std::uintmax_t size = std::filesystem::file_size(util::nativePath(path), error);
        !error && size > kLargestProfile) {
        throw MachineProfileError(path + ": larger than 1 MiB, not a machine profile");
    }
    std::ifstream in(util::nativePath(path), std::ios::binary);
    if (!in) {
        throw MachineProfileError(path + ": cannot be read");
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        throw MachineProfileError(path + ": cannot be read");
    }
    return parseMachineProfile(text.str(), path, codes);
}

}  // namespace machine
