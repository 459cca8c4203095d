// File helpers. Each one that can fail shows its own message through the message box
// service and returns failure; none throws. Every file is opened in binary: line ends
// are the caller's business.
#pragma once

#include "util/MessageBoxService.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace util {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Paths travel through the program as UTF-8; these turn one into what the file system
// takes (wide characters on Windows) and back.
std::filesystem::path nativePath(std::string_view utf8);
std::string utf8Path(const std::filesystem::path& path);

#ifdef _WIN32
// UTF-8 text as the wide characters of Windows' own calls, and back; bytes that are no
// UTF-8 become U+FFFD, never an exception (a message may quote any text).
std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view text);
#endif

// The path made absolute against the current folder, "." and ".." taken out; as it is
// when empty or when that fails.
std::string absolutePath(const std::string& path);

// std::fopen for a UTF-8 path; null when it fails.
std::FILE* openFile(const std::string& path, const char* mode);

// Each opens the path in its mode or shows "No Open <path>" (caption "File Open Error")
// and returns null.
FileHandle openAppend(const std::string& path, MessageBoxService& messages);      // created when missing
FileHandle openTextRead(const std::string& path, MessageBoxService& messages);    // existing file, bytes as they are
FileHandle openBinaryRead(const std::string& path, MessageBoxService& messages);

// The whole file's bytes. A file that cannot be opened or read (a folder) shows
// "No Open <path>" and gives nothing.
std::optional<std::string> readWholeFile(const std::string& path, MessageBoxService& messages);

// The folder part of a path: cut at the last "\", ":" or "/" that is a character of its
// own (not the second byte of a code page 932 character, in a path that is no UTF-8),
// dropping a trailing "\" or "/" unless it follows ":" or another separator.
std::string folderOf(std::string_view path);

// Joins a folder and a name with the platform's separator.
std::string joinPath(std::string_view folder, std::string_view name);

// The folder of the running program's executable, where the templates lie.
std::string programDirectory(const char* argv0);

// Where the user's settings live: $XDG_CONFIG_HOME or ~/.config here, %APPDATA% on
// Windows; empty when the environment names none.
std::string userConfigFolder();

// Creates or empties the file and writes the bytes; false when either fails.
bool writeWholeFile(const std::string& path, std::string_view bytes);

// Where the report templates are for a program in `programDir`: beside it (a build tree),
// else in templates/ beside it (an unpacked Windows folder), else in
// ../share/brelvane/templates (an installed prefix). Beside it when none holds them, so a
// missing template is reported where it was looked for.
std::string templatesDirectory(const std::string& programDir);

bool isFile(const std::string& path);
bool isFolder(const std::string& path);

// The texts of the file messages (UTF-8).
inline constexpr const char* kOpenErrorCaption = "File Open Error";
inline constexpr const char* kWriteErrorCaption = "File Write Error";
inline constexpr const char* kCreateFolderCaption = "Directory Create";
inline constexpr const char* kCreateFolderText = "Can't Create !";
std::string openErrorText(const std::string& path);
std::string writeErrorText(const std::string& path);

}  // namespace util
