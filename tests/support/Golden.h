// Golden reports: tests/golden/<case>/ holds input.nc, an optional settings.txt and
// expected/ with the three report files. The result folder's path is written as
// "@RESULT@" in the expected files. BRELVANE_UPDATE_GOLDEN=1 rewrites them instead of
// comparing; review the diff like code.
#pragma once

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

inline std::filesystem::path goldenRoot()
{
    return BRELVANE_GOLDEN_DIR;
}

// A case's folder name as a test name.
inline std::string goldenCaseName(const testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param;
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

inline std::vector<std::string> goldenCases()
{
    std::vector<std::string> cases;
    for (const auto& entry : std::filesystem::directory_iterator(goldenRoot())) {
        if (entry.is_directory() && std::filesystem::exists(entry.path() / "input.nc")) {
            cases.push_back(entry.path().filename().string());
        }
    }
    std::sort(cases.begin(), cases.end());
    return cases;
}

// settings.txt: one "key=value" a line; keys start (X,Y,Z), offsetCheck (0/1),
// radius (D=TEXT, repeatable), expectedCase (another case whose expected files this
// one must match: the same program written another way).
struct GoldenSettings {
    std::string startX = "0";
    std::string startY = "0";
    std::string startZ = "200";
    bool offsetCheck = false;
    std::map<int, std::string> radius;
    std::vector<std::string> radiusArgs;  // as given, for the command line
    std::string expectedCase;             // the case whose expected files apply
};

inline GoldenSettings goldenSettings(const std::string& name)
{
    GoldenSettings s;
    s.expectedCase = name;
    std::istringstream lines(readFile((goldenRoot() / name / "settings.txt").string()));
    std::string line;
    while (std::getline(lines, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "start") {
            const auto c1 = value.find(',');
            const auto c2 = value.find(',', c1 + 1);
            s.startX = value.substr(0, c1);
            s.startY = value.substr(c1 + 1, c2 - c1 - 1);
            s.startZ = value.substr(c2 + 1);
        } else if (key == "expectedCase") {
            s.expectedCase = value;
        } else if (key == "offsetCheck") {
            s.offsetCheck = value == "1";
        } else if (key == "radius") {
            s.radius[std::stoi(value.substr(0, value.find('=')))] = value.substr(value.find('=') + 1);
            s.radiusArgs.push_back(value);
        }
    }
    return s;
}

inline std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size())) {
        text.replace(p, from.size(), to);
    }
    return text;
}

// Compares a report file with its expected bytes, naming the first line that differs.
inline void expectGolden(const std::string& name, const std::string& file, const std::string& actualRaw,
                         const std::string& resultDir)
{
    const std::string actual = replaceAll(actualRaw, resultDir, "@RESULT@");
    const auto expectedPath = goldenRoot() / goldenSettings(name).expectedCase / "expected" / file;
    const char* update = std::getenv("BRELVANE_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        // A case that borrows another's expected files never rewrites them.
        if (name != goldenSettings(name).expectedCase) {
            return;
        }
        std::filesystem::create_directories(expectedPath.parent_path());
        writeFile(expectedPath.string(), actual);
        return;
    }
#ifdef _WIN32
    // Links join the result folder and a page with the platform's separator.
    const std::string expected = replaceAll(readFile(expectedPath.string()), "@RESULT@/", "@RESULT@\\");
#else
    const std::string expected = readFile(expectedPath.string());
#endif
    if (expected == actual) {
        return;
    }
    std::size_t line = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i < std::min(expected.size(), actual.size()) && expected[i] == actual[i]; ++i) {
        if (expected[i] == '\n') {
            ++line;
            start = i + 1;
        }
    }
    const auto lineOf = [start](const std::string& text) {
        return start < text.size() ? text.substr(start, text.find('\n', start) - start) : std::string("<end>");
    };
    ADD_FAILURE() << name << "/" << file << " differs at line " << line << "\n expected: " << lineOf(expected)
                  << "\n   actual: " << lineOf(actual);
}

}  // namespace testsupport
