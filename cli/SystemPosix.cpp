#include "cli/System.h"

#include <clocale>
#include <cstdlib>
#include <langinfo.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace cli::system {

std::vector<std::string> arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

std::string prepareConsole()
{
    // Only the character type follows the environment: the terminal's encoding.
    std::setlocale(LC_CTYPE, "");
    return nl_langinfo(CODESET);
}

void write(std::FILE* stream, std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

bool japaneseUser()
{
    // The first of these that is set decides, as it does for every program's messages.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return std::string_view(value).starts_with("ja");
        }
    }
    return false;
}

bool interactive()
{
    return isatty(STDIN_FILENO) != 0 && isatty(STDERR_FILENO) != 0;
}

bool openDocument(const std::string& path)
{
    pid_t pid = 0;
    std::string program = "xdg-open";
    std::string argument = path;
    char* argv[] = {program.data(), argument.data(), nullptr};
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool startedFromDesktop()
{
    // The desktop starts the window, not the command line.
    return false;
}

bool startWindow(const std::string& /*programDir*/)
{
    return false;
}

void leaveConsole() {}

bool messageBox(const std::string& /*text*/, const std::string& /*caption*/, bool /*okCancel*/, bool /*error*/)
{
    return false;
}

}  // namespace cli::system
