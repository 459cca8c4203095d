#include "util/File.h"
#include "tests/support/FakeServices.h"
#include "tests/support/TempDir.h"

#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using testsupport::readFile;
using testsupport::writeFile;

struct FolderCase {
    std::string path;
    std::string folder;
};

class FolderOf : public testing::TestWithParam<FolderCase> {};

TEST_P(FolderOf, CutsAtTheLastSeparatorCharacter)
{
    EXPECT_EQ(util::folderOf(GetParam().path), GetParam().folder) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FolderOf,
    testing::Values(FolderCase{"C:\\NC\\part.nc", "C:\\NC"}, FolderCase{"C:\\part.nc", "C:\\"},
                    FolderCase{"C:part.nc", "C:"}, FolderCase{"part.nc", ""}, FolderCase{"C:\\NC\\", "C:\\NC"},
                    FolderCase{"C:\\\x95\x5C\\part.nc", "C:\\\x95\x5C"},              // 表
                    FolderCase{"C:\\\x83\x5C\x83\x74\x83\x67\\part.nc", "C:\\\x83\x5C\x83\x74\x83\x67"},  // ソフト
                    FolderCase{"C:\\\x95\x5C", "C:\\"},                           // the 0x5C of 表 is no separator
                    FolderCase{"\\part.nc", "\\"}, FolderCase{"\\\\server\\part.nc", "\\\\server"},
                    FolderCase{"/home/nc/part.nc", "/home/nc"}, FolderCase{"/part.nc", "/"},
                    FolderCase{"/home/nc/", "/home/nc"}, FolderCase{"//part.nc", "//"},
                    FolderCase{"", ""}),
                         [](const auto& info) { return testsupport::caseIndexName(info); });

TEST(FileHelpers, CopyKeepsEveryByte)
{
    testsupport::TempDir dir;
    testsupport::FakeMessageBox messages;
    std::string bytes = "a\r\nb\x1A";
    for (int c = 0x80; c <= 0xFF; ++c) {
        bytes += static_cast<char>(c);
    }
    bytes += std::string(200000, 'x');
    writeFile(dir.file("src"), bytes);
    ASSERT_TRUE(util::copyFile(dir.file("src"), dir.file("dst"), messages));
    EXPECT_EQ(readFile(dir.file("dst")), bytes);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(FileHelpers, CopyFromAMissingSourceLeavesTheTarget)
{
    testsupport::TempDir dir;
    testsupport::FakeMessageBox messages;
    writeFile(dir.file("dst"), "keep");
    EXPECT_FALSE(util::copyFile(dir.file("missing"), dir.file("dst"), messages));
    EXPECT_EQ(readFile(dir.file("dst")), "keep");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], (testsupport::ShownMessage{"No Open " + dir.file("missing"), "File Open Error",
                                                            util::MessageBoxService::Buttons::Ok}));
}

TEST(FileHelpers, CopyOntoAFullDeviceFails)
{
    testsupport::TempDir dir;
    testsupport::FakeMessageBox messages;
    writeFile(dir.file("src"), std::string(100000, 'x'));
    EXPECT_FALSE(util::copyFile(dir.file("src"), "/dev/full", messages));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "No Write /dev/full");
}

TEST(FileHelpers, AppendAddsAfterTheLastByte)
{
    testsupport::TempDir dir;
    testsupport::FakeMessageBox messages;
    writeFile(dir.file("f"), "head");
    {
        const util::FileHandle f = util::openAppend(dir.file("f"), messages);
        ASSERT_TRUE(f);
        std::fputs("tail\r\n", f.get());
    }
    EXPECT_EQ(readFile(dir.file("f")), "headtail\r\n");
}

TEST(FileHelpers, CreateFolderOnceOnly)
{
    testsupport::TempDir dir;
    testsupport::FakeMessageBox messages;
    EXPECT_TRUE(util::createFolder(dir.file("new"), messages));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(util::createFolder(dir.file("new"), messages));
    EXPECT_FALSE(util::createFolder(dir.file("no/parent"), messages));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0], (testsupport::ShownMessage{"Can't Create !", "Directory Create",
                                                            util::MessageBoxService::Buttons::Ok}));
}

TEST(FileHelpers, OpeningAMissingFileShowsItsPath)
{
    testsupport::FakeMessageBox messages;
    const std::string path = "/nonexistent/" + std::string(300, 'p');
    EXPECT_FALSE(util::openTextRead(path, messages));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "No Open " + path);
}

TEST(FileHelpers, JoinUsesThePlatformSeparator)
{
    EXPECT_EQ(util::joinPath("/w", "Result"), "/w/Result");
    EXPECT_EQ(util::joinPath("/w", ""), "/w/");
}

}  // namespace
