#include "util/File.h"

#include "util/Cp932.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace util {

namespace {

constexpr char kSeparator = '/';

FileHandle openWithMessage(const std::string& path, const char* mode, MessageBoxService& messages)
{
    FileHandle file(std::fopen(path.c_str(), mode));
    if (!file) {
        messages.showMessage(openErrorText(path), kOpenErrorCaption, MessageBoxService::Buttons::Ok);
    }
    return file;
}

bool isSeparator(char c)
{
    return c == '\\' || c == ':' || c == '/';
}

}  // namespace

std::string openErrorText(const std::string& path)
{
    return "No Open " + path;
}

std::string writeErrorText(const std::string& path)
{
    return "No Write " + path;
}

FileHandle openAppend(const std::string& path, MessageBoxService& messages)
{
    return openWithMessage(path, "ab", messages);
}

FileHandle openTextRead(const std::string& path, MessageBoxService& messages)
{
    return openWithMessage(path, "rb", messages);
}

FileHandle openBinaryRead(const std::string& path, MessageBoxService& messages)
{
    return openWithMessage(path, "rb", messages);
}

std::optional<std::string> readWholeFile(const std::string& path, MessageBoxService& messages)
{
    const FileHandle in = openBinaryRead(path, messages);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes;
    std::array<char, 65536> buffer{};
    for (;;) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), in.get());
        bytes.append(buffer.data(), n);
        if (n < buffer.size()) {
            break;
        }
    }
    if (std::ferror(in.get()) != 0) {
        messages.showMessage(openErrorText(path), kOpenErrorCaption, MessageBoxService::Buttons::Ok);
        return std::nullopt;
    }
    return bytes;
}

std::string folderOf(std::string_view path)
{
    // 1. The last separator that is a character of its own; remember what stands
    // before it (a separator, or any other character, double-byte ones included).
    std::size_t last = 0;  // 1-based position, 0 for none
    bool separatorBeforeLast = false;
    bool previousWasSeparator = false;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (isCp932LeadByte(c) && i + 1 < path.size()) {
            ++i;
            previousWasSeparator = false;
            continue;
        }
        if (isSeparator(path[i])) {
            last = i + 1;
            separatorBeforeLast = previousWasSeparator;
        }
        previousWasSeparator = isSeparator(path[i]);
    }
    // 2. A folder keeps no trailing "\" or "/", except right after ":" or another one.
    if (last > 1 && path[last - 1] != ':' && !separatorBeforeLast) {
        --last;
    }
    return std::string(path.substr(0, last));
}

std::string joinPath(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    path += kSeparator;
    path.append(name);
    return path;
}

std::string programDirectory(const char* argv0)
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error && !self.empty()) {
        return self.parent_path().string();
    }
    const std::string folder = folderOf(argv0 ? argv0 : "");
    return folder.empty() ? std::string(".") : folder;
}

std::string templatesDirectory(const std::string& programDir)
{
    if (isFile(joinPath(programDir, "hedder.txt"))) {
        return programDir;
    }
    const std::string installed = joinPath(joinPath(folderOf(programDir), "share/brelvane"), "templates");
    return isFile(joinPath(installed, "hedder.txt")) ? installed : programDir;
}

bool isFile(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

bool isFolder(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(std::filesystem::path(path), error);
}

bool writeWholeFile(const std::string& path, std::string_view bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace util
