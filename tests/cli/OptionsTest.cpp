#include "cli/Options.h"

#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

TEST(CliOptions, DefaultsAndTheNcFile)
{
    const cli::ParseResult r = cli::parseOptions({"part.nc"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.settings.ncFile, "part.nc");
    EXPECT_EQ(r.options.settings.resultDirName, "Result");
    EXPECT_EQ(r.options.settings.startX, "0");
    EXPECT_EQ(r.options.settings.startZ, "200");
    EXPECT_FALSE(r.options.settings.offsetCheck);
    EXPECT_FALSE(r.options.workdirGiven);
}

TEST(CliOptions, ValuesSeparateOrJoinedAndMayStartWithAMinus)
{
    const cli::ParseResult r = cli::parseOptions(
        {"--start", "-10,5.5,80", "-w", "/tmp/w", "--result=Out", "-c", "--radius", "1=5.0", "--radius=12=3",
         "-y", "--templates", "/t", "--open", "-q", "part.nc"});
    ASSERT_EQ(r.error, "");
    const cli::Options& o = r.options;
    EXPECT_EQ(o.settings.startX, "-10");
    EXPECT_EQ(o.settings.startY, "5.5");
    EXPECT_EQ(o.settings.startZ, "80");
    EXPECT_EQ(o.settings.workingDir, "/tmp/w");
    EXPECT_TRUE(o.workdirGiven);
    EXPECT_EQ(o.settings.resultDirName, "Out");
    EXPECT_TRUE(o.settings.offsetCheck);
    EXPECT_EQ(o.radius.at(1), "5.0");
    EXPECT_EQ(o.radius.at(12), "3");
    EXPECT_TRUE(o.yes && o.open && o.quiet);
    EXPECT_EQ(o.templates, "/t");
}

TEST(CliOptions, EmptyStartTextsAreKeptForTheRunToReject)
{
    const cli::ParseResult r = cli::parseOptions({"-s", ",,", "part.nc"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.settings.startX, "");
}

struct BadCase {
    Args args;
    std::string error;
};

class CliUsageErrors : public testing::TestWithParam<BadCase> {};

TEST_P(CliUsageErrors, AreReported)
{
    EXPECT_EQ(cli::parseOptions(GetParam().args).error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsageErrors,
    testing::Values(BadCase{{}, "no NC file given"}, BadCase{{"a.nc", "b.nc"}, "more than one NC file given"},
                    BadCase{{"--bogus", "a.nc"}, "unknown option --bogus"},
                    BadCase{{"a.nc", "-w"}, "-w needs a value"},
                    BadCase{{"--start", "1,2", "a.nc"}, "--start takes three values X,Y,Z"},
                    BadCase{{"--radius", "x=1", "a.nc"}, "--radius takes D=TEXT, for example 1=5.0"},
                    BadCase{{"--open=1", "a.nc"}, "--open takes no value"}),
                         [](const auto& info) { return testsupport::caseIndexName(info); });

TEST(CliOptions, HelpNeedsNoFile)
{
    EXPECT_TRUE(cli::parseOptions({"-h"}).options.help);
    EXPECT_EQ(cli::parseOptions({"--version"}).error, "");
}

}  // namespace

namespace {

// The help in the user's language, with the folders of the system it runs on; the same
// options in both languages.
TEST(CliUsage, InTheUsersLanguageWithTheSystemsFolders)
{
    const std::string english = cli::usage(false, false);
    const std::string japanese = cli::usage(true, true);
    EXPECT_TRUE(english.starts_with("Usage: brelvane-cli [options] NCFILE\n"));
    EXPECT_TRUE(japanese.starts_with("使い方: brelvane-cli [オプション] NCファイル\n"));
    EXPECT_NE(english.find("-w /tmp/reports"), std::string::npos);
    EXPECT_NE(cli::usage(false, true).find("-w C:\\Reports"), std::string::npos);
    EXPECT_NE(japanese.find("Result\\ に"), std::string::npos);
    EXPECT_EQ(japanese.find('%'), std::string::npos);
    for (const char* option : {"--workdir", "--result", "--start", "--offset-check", "--radius", "--yes", "--templates",
                               "--open", "--json", "--no-sheet", "--machine", "--ignore", "--fail-on", "--quiet",
                               "--help", "--version"}) {
        EXPECT_NE(english.find(option), std::string::npos) << option;
        EXPECT_NE(japanese.find(option), std::string::npos) << option;
    }
}

}  // namespace

#ifndef _WIN32
#include "cli/System.h"

#include <cstdlib>

namespace {

// The first of LC_ALL, LC_MESSAGES and LANG that is set decides, as for any program.
TEST(CliSystem, JapaneseFromTheFirstLocaleSettingGiven)
{
    struct Case {
        const char* all;
        const char* messages;
        const char* lang;
        bool japanese;
    };
    const Case cases[] = {{nullptr, nullptr, "ja_JP.UTF-8", true},
                          {nullptr, nullptr, "de_DE.UTF-8", false},
                          {nullptr, "ja_JP.eucJP", "en_US.UTF-8", true},
                          {"C", nullptr, "ja_JP.UTF-8", false},
                          {"", nullptr, "ja_JP.UTF-8", true},
                          {nullptr, nullptr, nullptr, false}};
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::string saved[3];
    bool had[3] = {};
    for (int k = 0; k < 3; ++k) {
        if (const char* v = std::getenv(names[k])) {
            saved[k] = v;
            had[k] = true;
        }
    }
    for (const Case& c : cases) {
        const char* values[] = {c.all, c.messages, c.lang};
        for (int k = 0; k < 3; ++k) {
            values[k] ? setenv(names[k], values[k], 1) : unsetenv(names[k]);
        }
        EXPECT_EQ(cli::system::japaneseUser(), c.japanese) << (c.all ? c.all : "-") << " " << (c.lang ? c.lang : "-");
    }
    for (int k = 0; k < 3; ++k) {
        had[k] ? setenv(names[k], saved[k].c_str(), 1) : unsetenv(names[k]);
    }
}

}  // namespace
#endif
