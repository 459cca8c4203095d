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
                    FolderCase{"", ""},
                    // UTF-8 paths: "品" ends in 0x81, a code page 932 lead byte, yet the
                    // separator after it is one.
                    FolderCase{"/tmp/部品/part.nc", "/tmp/部品"}, FolderCase{"C:\\加工\\部品\\part.nc", "C:\\加工\\部品"}),
                         [](const auto& info) { return testsupport::caseIndexName(info); });

TEST(FileHelpers, ReadWholeFileKeepsEveryByte)
{
    testsupport::TempDir dir;
    testsupport::FakeMessageBox messages;
    std::string bytes = "a\r\nb\x1A";
    for (int c = 0x00; c <= 0xFF; ++c) {
        bytes += static_cast<char>(c);
    }
    bytes += std::string(200000, 'x');  // past one read
    writeFile(dir.file("src"), bytes);
    EXPECT_EQ(util::readWholeFile(dir.file("src"), messages), bytes);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(FileHelpers, ReadWholeFileOfAMissingFileOrAFolderShowsItsPath)
{
    testsupport::TempDir dir;
    for (const std::string& path : {dir.file("missing"), dir.path()}) {
        testsupport::FakeMessageBox messages;
        EXPECT_FALSE(util::readWholeFile(path, messages)) << path;
        ASSERT_EQ(messages.shown.size(), 1u) << path;
        EXPECT_EQ(messages.shown[0], (testsupport::ShownMessage{"No Open " + path, "File Open Error",
                                                                util::MessageBoxService::Buttons::Ok}));
    }
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
#ifdef _WIN32
    EXPECT_EQ(util::joinPath("C:\\w", "Result"), "C:\\w\\Result");
    EXPECT_EQ(util::joinPath("C:\\w", ""), "C:\\w\\");
#else
    EXPECT_EQ(util::joinPath("/w", "Result"), "/w/Result");
    EXPECT_EQ(util::joinPath("/w", ""), "/w/");
#endif
}

#ifdef _WIN32
// A path in Windows' own long form is absolute as it stands, and a folder in it is found.
TEST(FileHelpers, TheLongPathFormStaysAsWritten)
{
    const testsupport::TempDir dir;
    const std::string folder = "\\\\?\\" + util::absolutePath(dir.file(""));
    EXPECT_EQ(util::absolutePath(folder), folder);
    EXPECT_EQ(util::absolutePath("\\\\?\\C:\\NC\\part.nc"), "\\\\?\\C:\\NC\\part.nc");
    EXPECT_TRUE(util::isFolder(folder));
    EXPECT_EQ(util::folderOf("\\\\?\\C:\\NC\\part.nc"), "\\\\?\\C:\\NC");
}
#endif

}  // namespace
