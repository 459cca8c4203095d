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
