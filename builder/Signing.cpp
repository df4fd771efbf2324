// Runs osslsigncode; the password reaches it through a file only this user can read, never argv.
#include "Signing.h"

#include "FileIo.h"

#include <cstdlib>
#include <cstring>
#include <fstream>

#ifdef _WIN32
#include <platform/Utf.h>
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace fs = std::filesystem;

int runProgram(const std::vector<std::string>& arguments, std::string* said)
{
    fs::path log = temporaryBeside(fs::temp_directory_path() / "orvo-build-run.log");
    int status = -1;
#ifdef _WIN32
    std::wstring line;
    for (const std::string& a : arguments) {
        std::wstring w = utf8ToWide(a), quoted = L"\"";
        for (wchar_t c : w)
            quoted += c == L'"' ? std::wstring(L"\\\"") : std::wstring(1, c);
        line += (line.empty() ? L"" : L" ") + quoted + L"\"";
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = out;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    if (out != INVALID_HANDLE_VALUE &&
        CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        status = int(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
#else
    int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (fd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, fd, 1);
        posix_spawn_file_actions_adddup2(&actions, fd, 2);
    }
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (fd >= 0 && posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int wstatus = 0;
        if (waitpid(pid, &wstatus, 0) == pid)
            status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (fd >= 0)
        close(fd);
#endif
    std::string ignored;
    said->clear();
    readText(log, said, &ignored);
    std::error_code ec;
    fs::remove(log, ec);
    return status;
}

bool signExecutable(const SigningSettings& s, int64_t signingTime, const fs::path& in, const fs::path& out,
                    std::string* error)
{
    std::vector<std::string> args{"osslsigncode", "sign", "-h", "sha256"};
    fs::path passwordFile;
    if (!s.pkcs12.empty()) {
        const char* password = std::getenv(s.passwordVariable.c_str());
        if (!password || !*password) {
            *error = "the environment variable " + s.passwordVariable + " (sign.password_env) is not set or empty";
            return false;
        }
        passwordFile = temporaryBeside(fs::temp_directory_path() / "orvo-build-pass");
#ifndef _WIN32
        int fd = open(passwordFile.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        bool written = fd >= 0 && write(fd, password, strlen(password)) == ssize_t(strlen(password));
        if (fd >= 0)
            close(fd);
#else
        std::ofstream file(passwordFile, std::ios::binary);
        file << password;
        bool written = bool(file);
        file.close();
#endif
        if (!written) {
            std::error_code ec;
            fs::remove(passwordFile, ec);
            *error = "cannot hand the password to osslsigncode";
            return false;
        }
        args.insert(args.end(), {"-pkcs12", show(s.pkcs12), "-readpass", show(passwordFile)});
    } else {
        args.insert(args.end(), {"-certs", show(s.certificate), "-key", show(s.key)});
    }
    if (!s.timestamp.empty())
        args.insert(args.end(), {"-ts", s.timestamp});
    else
        args.insert(args.end(), {"-time", std::to_string(signingTime)});
    args.insert(args.end(), {"-in", show(in), "-out", show(out)});
    std::string said;
    int status = runProgram(args, &said);
    if (!passwordFile.empty()) {
        std::error_code ec;
        fs::remove(passwordFile, ec);
    }
    if (status != 0) {
        std::error_code ec;
        fs::remove(out, ec);
        *error = status < 0 ? "osslsigncode could not be started (is it installed and on PATH?)"
                            : "osslsigncode failed: " + said;
        return false;
    }
    return true;
}
