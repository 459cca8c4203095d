// Runs a program with arguments, standard input from the null device, and collects its
// exit status and output.
#pragma once

#include "tests/support/TempDir.h"

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;
#endif

namespace testsupport {

struct ProgramResult {
    int exitCode = -1;    // -1 when it did not exit normally
    int signal = 0;       // the signal that ended it, if any (on Windows, the exception code)
    std::string out;
    std::string err;
};

#ifdef _WIN32

// One argument as the C runtime's parser reads it back: quoted, backslashes before a
// quote doubled.
inline std::wstring quotedArgument(const std::wstring& arg)
{
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

inline ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args)
{
    TempDir capture;
    const std::string outPath = capture.file("out");
    const std::string errPath = capture.file("err");
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const auto open = [&](const std::wstring& path, DWORD access, DWORD creation) {
        return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, creation,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    const HANDLE in = open(L"NUL", GENERIC_READ, OPEN_EXISTING);
    const HANDLE out = open(util::nativePath(outPath).wstring(), GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE err = open(util::nativePath(errPath).wstring(), GENERIC_WRITE, CREATE_ALWAYS);
    std::wstring commandLine = quotedArgument(util::nativePath(program).wstring());
    for (const std::string& a : args) {
        commandLine += L" " + quotedArgument(util::nativePath(a).wstring());
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    ProgramResult result;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        // A crash ends the process with its exception code (0xC0000005 and the like).
        if (code >= 0xC0000000u) {
            result.signal = static_cast<int>(code);
        } else {
            result.exitCode = static_cast<int>(code);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (const HANDLE h : {in, out, err}) {
        CloseHandle(h);
    }
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

#else

inline ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args)
{
    TempDir capture;
    const std::string outPath = capture.file("out");
    const std::string errPath = capture.file("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    ProgramResult result;
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFEXITED(status)) {
            result.exitCode = WEXITSTATUS(status);
        } else if (WIFSIGNALED(status)) {
            result.signal = WTERMSIG(status);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

#endif

}  // namespace testsupport
