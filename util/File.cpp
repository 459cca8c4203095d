#include "util/File.h"

#include "util/Cp932.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace util {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

FileHandle openWithMessage(const std::string& path, const char* mode, MessageBoxService& messages)
{
    FileHandle file(openFile(path, mode));
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

std::filesystem::path nativePath(std::string_view utf8)
{
    // The char8_t form says the bytes are UTF-8; a plain string would be read in the
    // Windows ANSI code page.
    const auto* first = reinterpret_cast<const char8_t*>(utf8.data());
    return std::filesystem::path(first, first + utf8.size());
}

std::string utf8Path(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

#ifdef _WIN32
std::wstring toWide(std::string_view utf8)
{
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    std::wstring text(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), static_cast<int>(text.size()));
    return text;
}

std::string fromWide(std::wstring_view text)
{
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::string out(
        static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    return out;
}
#endif

std::string absolutePath(const std::string& path)
{
    std::error_code error;
    if (path.empty()) {
        return path;
    }
#ifdef _WIN32
    // "\\?\C:\…" is absolute as written and taken by Windows as it stands; the
    // library's normalising would read "\\?" as a folder of the current drive.
    if (path.starts_with("\\\\?\\")) {
        return path;
    }
#endif
    const auto absolute = std::filesystem::absolute(nativePath(path), error);
    return error ? path : utf8Path(absolute.lexically_normal());
}

std::FILE* openFile(const std::string& path, const char* mode)
{
#ifdef _WIN32
    std::wstring wideMode;
    for (const char* c = mode; *c != '\0'; ++c) {
        wideMode += static_cast<wchar_t>(*c);
    }
    return _wfopen(nativePath(path).c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

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
    // The program's own paths are UTF-8, whose characters hold no separator byte but end
    // in bytes a code page 932 lead byte can be ("品" ends in 0x81): only a path that is
    // no UTF-8 is read as code page 932.
    const bool cp932 = !looksLikeUtf8(path);
    std::size_t last = 0;  // 1-based position, 0 for none
    bool separatorBeforeLast = false;
    bool previousWasSeparator = false;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (cp932 && isCp932LeadByte(c) && i + 1 < path.size()) {
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
#ifdef _WIN32
    std::wstring self(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length > 0 && length < self.size()) {
        self.resize(length);
        return utf8Path(std::filesystem::path(self).parent_path());
    }
#else
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error && !self.empty()) {
        return utf8Path(self.parent_path());
    }
#endif
    const std::string folder = folderOf(argv0 ? argv0 : "");
    return folder.empty() ? std::string(".") : folder;
}

std::string userConfigFolder()
{
#ifdef _WIN32
    const wchar_t* appData = _wgetenv(L"APPDATA");
    return appData && *appData ? utf8Path(std::filesystem::path(appData)) : std::string();
#else
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config) {
        return config;
    }
    const char* home = std::getenv("HOME");
    return home && *home ? joinPath(home, ".config") : std::string();
#endif
}

std::string templatesDirectory(const std::string& programDir)
{
    if (isFile(joinPath(programDir, "hedder.txt"))) {
        return programDir;
    }
    const std::string beside = joinPath(programDir, "templates");
    if (isFile(joinPath(beside, "hedder.txt"))) {
        return beside;
    }
    const std::string installed = joinPath(joinPath(joinPath(folderOf(programDir), "share"), "brelvane"), "templates");
    return isFile(joinPath(installed, "hedder.txt")) ? installed : programDir;
}

bool isFile(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(nativePath(path), error);
}

bool isFolder(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(nativePath(path), error);
}

bool writeWholeFile(const std::string& path, std::string_view bytes)
{
    std::FILE* file = openFile(path, "wb");
    if (!file) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace util
