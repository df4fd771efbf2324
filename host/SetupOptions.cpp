// The setup programs' command line: one split as the shell splits it, plus the unquoted /D= tail.
#include "SetupOptions.h"

#include <platform/UniqueResource.h>

#include <windows.h>
#include <shellapi.h>

#include <cwctype>
#include <vector>

namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool sameText(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

// Where the program name ends: it is quoted or runs to the first blank, and, as for
// CommandLineToArgvW, a quote inside it has no escape.
size_t programNameEnd(const std::wstring& line)
{
    if (!line.empty() && line[0] == L'"') {
        const size_t close = line.find(L'"', 1);
        return close == std::wstring::npos ? line.size() : close + 1;
    }
    size_t i = 0;
    while (i < line.size() && !isBlank(line[i]))
        ++i;
    return i;
}

// The position of an unquoted " /D=" (or " -D=") after the program name, at its "/"; npos when
// there is none. A quote preceded by an odd number of backslashes is literal, as in argument
// splitting, so a quoted /DIR="a /D=b" is not mistaken for it.
size_t folderTailStart(const std::wstring& line)
{
    bool quoted = false;
    size_t backslashes = 0;
    for (size_t i = programNameEnd(line); i < line.size(); ++i) {
        const wchar_t c = line[i];
        if (c == L'"' && backslashes % 2 == 0)
            quoted = !quoted;
        backslashes = c == L'\\' ? backslashes + 1 : 0;
        if (quoted || !isBlank(c) || i + 4 > line.size() - 1)
            continue;
        const wchar_t* next = line.c_str() + i + 1;
        if ((next[0] == L'/' || next[0] == L'-') && std::towupper(next[1]) == L'D' && next[2] == L'=')
            return i + 1;
    }
    return std::wstring::npos;
}

std::wstring trimmed(std::wstring text)
{
    while (!text.empty() && isBlank(text.back()))
        text.pop_back();
    size_t first = 0;
    while (first < text.size() && isBlank(text[first]))
        ++first;
    return text.substr(first);
}

// A folder value as given, with a pair of surrounding quotes dropped and a stray closing quote
// removed: /DIR="C:\Folder\" splits into `C:\Folder"`, the backslash having escaped the quote.
std::wstring folderValue(std::wstring value)
{
    value = trimmed(value);
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
        value = value.substr(1, value.size() - 2);
    while (!value.empty() && value.back() == L'"')
        value.pop_back();
    return value;
}

std::vector<std::wstring> splitArguments(const std::wstring& line)
{
    std::vector<std::wstring> arguments;
    if (trimmed(line).empty())
        return arguments;
    int count = 0;
    platform::UniqueResource<platform::PointerTraits<LPWSTR*, LocalFree>> argv(CommandLineToArgvW(line.c_str(), &count));
    if (!argv.get())
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.emplace_back(argv.get()[i]);
    return arguments;
}

// Reads one argument into `options`; false when it is not a switch `accepted` allows or its
// value is not one the switch takes.
bool readArgument(const std::wstring& argument, unsigned accepted, SetupOptions& options)
{
    if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-'))
        return false;
    const size_t equals = argument.find(L'=');
    const std::wstring name = argument.substr(1, equals == std::wstring::npos ? std::wstring::npos : equals - 1);
    const bool hasValue = equals != std::wstring::npos;
    const std::wstring value = hasValue ? argument.substr(equals + 1) : std::wstring();

    if (!hasValue && name == L"?")
        return options.showUsage = true;
    if (!hasValue && (accepted & kSwitchSilent) && (sameText(name, L"S") || sameText(name, L"VERYSILENT")))
        return options.silent = true;
    if (!hasValue && (accepted & kSwitchNoRestart) && sameText(name, L"NORESTART"))
        return options.noRestart = true;
    if (hasValue && (accepted & kSwitchAutostart) && sameText(name, L"AUTOSTART") && (value == L"0" || value == L"1")) {
        options.autostart = value == L"1";
        return true;
    }
    if (hasValue && (accepted & kSwitchLog) && sameText(name, L"LOG")) {
        options.logPath = folderValue(value);
        return !options.logPath.empty();
    }
    if (hasValue && (accepted & kSwitchFolder) && (sameText(name, L"DIR") || sameText(name, L"D"))) {
        options.folder = folderValue(value);
        return !options.folder.empty();
    }
    return false;
}

} // namespace

SetupOptions parseSetupOptions(const std::wstring& commandLine, unsigned accepted)
{
    SetupOptions options;
    const size_t tail = (accepted & kSwitchFolder) ? folderTailStart(commandLine) : std::wstring::npos;
    std::vector<std::wstring> arguments = splitArguments(commandLine.substr(0, tail));
    if (tail != std::wstring::npos)
        arguments.push_back(commandLine.substr(tail));

    for (const std::wstring& argument : arguments) {
        if (argument.empty())
            continue;   // an empty quoted argument some launchers append
        if (!readArgument(argument, accepted, options) && options.error.empty())
            options.error = L"unknown switch or bad value: " + argument;
    }
    return options;
}

std::wstring setupUsageText(unsigned accepted)
{
    std::wstring text = L"命令行参数（不区分大小写，可用 / 或 -）：\n";
    if (accepted & kSwitchSilent)
        text += L"/S 或 /VERYSILENT\t静默运行，不显示任何窗口，所有问题取默认答案\n";
    if (accepted & kSwitchFolder)
        text += L"/DIR=\"文件夹\"\t安装文件夹\n/D=文件夹\t安装文件夹（须为最后一个参数，不加引号）\n";
    if (accepted & kSwitchLog)
        text += L"/LOG=\"文件\"\t把每一步写入该日志文件（UTF-8）\n";
    if (accepted & kSwitchNoRestart)
        text += L"/NORESTART\t从不重启也不询问；需要重启时退出码为 3010\n";
    if (accepted & kSwitchAutostart)
        text += L"/AUTOSTART=0|1\t静默运行时是否开机启动监视程序（默认 0）\n";
    text += L"/?\t显示本说明\n"
            L"退出码：0 成功；3010 成功，需要重启；1602 用户取消；1603 失败；"
            L"1618 另一个安装程序正在运行；3017 上次安装尚待重启；87 参数错误";
    return text;
}
