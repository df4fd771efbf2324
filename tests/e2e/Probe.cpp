// The one program the end-to-end tests run inside Wine: it looks at other processes' windows from
// outside, answers their message boxes the way a person would, and starts programs to read their
// full exit code (the `wine` command passes on only its low 8 bits). Needs no X tools.
//
//   e2e_probe window TITLE       a toolkit window, one line each:
//       window VISIBLE LEFT TOP RIGHT BOTTOM ENABLED        (or "window none")
//       region LEFT TOP RIGHT BOTTOM                        (or "region none")
//       shadow VISIBLE LEFT TOP RIGHT BOTTOM EXSTYLE HANDLE  (or "shadow none")
//       tooltip VISIBLE                                      (or "tooltip none")
//   e2e_probe exists HANDLE      "exists 1" or "exists 0"
//   e2e_probe popup              "popup VISIBLE LEFT TOP RIGHT BOTTOM" for a combo box's drop-down (a
//       toolkit tool window without owner that is not layered; a shown one first), or "popup none"
//   e2e_probe box TITLE [TIMEOUT_MS]   exit 0 once a dialog box with that title is shown, else 1
//   e2e_probe answer TITLE [BUTTON_ID [TEXT_FILE [TIMEOUT_MS]]]   waits for the box, saves its text
//       (UTF-8) to TEXT_FILE, presses BUTTON_ID (1 OK by default); exit 0 answered, 1 no box
//   e2e_probe run PROGRAM [ARGUMENTS...]   runs PROGRAM, prints "exit CODE" with the full code and
//       exits with it; the program ends with the probe (a job object), so killing the probe's Wine
//       process ends it too
//   e2e_probe offset EXE ID      "OFFSET SIZE" of resource ID of type "_OrvoResc" in EXE's file (to
//       damage one resource of a copy); exit 1 when it has none
// Exit 2 for bad usage.
#include <platform/Gdi.h>
#include <platform/Handle.h>
#include <platform/Utf.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kToolkitClass[] = L"WINDOW:234:000";

struct OwnedSearch {
    HWND owner;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK findOwned(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (_wcsicmp(name, search->className) == 0 && GetWindow(window, GW_OWNER) == search->owner) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND ownedWindow(HWND owner, const wchar_t* className)
{
    OwnedSearch search{owner, className, nullptr};
    EnumWindows(findOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void printRect(const char* what, HWND window)
{
    RECT area{};
    GetWindowRect(window, &area);
    std::printf("%s %d %ld %ld %ld %ld", what, IsWindowVisible(window) ? 1 : 0, area.left, area.top, area.right,
                area.bottom);
}

struct PopupSearch {
    HWND found;
    bool visible;
};

BOOL CALLBACK findPopup(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<PopupSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (wcscmp(name, kToolkitClass) != 0 || !(exStyle & WS_EX_TOOLWINDOW) || (exStyle & WS_EX_LAYERED) ||
        GetWindow(window, GW_OWNER))
        return TRUE;
    if (!search->found || (!search->visible && IsWindowVisible(window))) {
        search->found = window;
        search->visible = IsWindowVisible(window) != FALSE;
    }
    return TRUE;
}

int describeWindow(const wchar_t* title)
{
    HWND window = FindWindowW(kToolkitClass, title);
    if (!window) {
        std::printf("window none\nregion none\nshadow none\ntooltip none\n");
        return 0;
    }
    printRect("window", window);
    std::printf(" %d\n", IsWindowEnabled(window) ? 1 : 0);

    platform::RegionHandle region(CreateRectRgn(0, 0, 0, 0));
    RECT box{};
    if (GetWindowRgn(window, region.get()) != ERROR && GetRgnBox(region.get(), &box) != ERROR)
        std::printf("region %ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom);
    else
        std::printf("region none\n");

    if (HWND shadow = ownedWindow(window, kToolkitClass)) {
        printRect("shadow", shadow);
        std::printf(" 0x%lx 0x%llx\n", static_cast<unsigned long>(GetWindowLongPtrW(shadow, GWL_EXSTYLE)),
                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(shadow)));
    } else {
        std::printf("shadow none\n");
    }

    if (HWND tip = ownedWindow(window, L"tooltips_class32"))
        std::printf("tooltip %d\n", IsWindowVisible(tip) ? 1 : 0);
    else
        std::printf("tooltip none\n");
    return 0;
}

// A shown message box with that title, waited for up to timeout milliseconds.
HWND waitForBox(const wchar_t* title, DWORD timeout)
{
    for (DWORD waited = 0;; waited += 50) {
        HWND box = FindWindowW(L"#32770", title);
        if (box && IsWindowVisible(box))
            return box;
        if (waited >= timeout)
            return nullptr;
        Sleep(50);
    }
}

BOOL CALLBACK collectText(HWND child, LPARAM param)
{
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (_wcsicmp(className, L"Static") != 0)
        return TRUE;
    int length = GetWindowTextLengthW(child);
    if (length <= 0)
        return TRUE;
    std::wstring text(size_t(length) + 1, L'\0');
    GetWindowTextW(child, &text[0], length + 1);
    text.resize(size_t(length));
    *reinterpret_cast<std::wstring*>(param) += text;
    return TRUE;
}

void saveUtf8(const wchar_t* path, const std::wstring& text)
{
    std::string bytes = wideToUtf8(text);
    platform::UniqueHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return;
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

int answerBox(const wchar_t* title, int button, const wchar_t* textFile, DWORD timeout)
{
    HWND box = waitForBox(title, timeout);
    if (!box)
        return 1;
    std::wstring text;
    EnumChildWindows(box, collectText, reinterpret_cast<LPARAM>(&text));
    if (textFile)
        saveUtf8(textFile, text);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    // Gone before we return, so the caller's next look finds the next box, not this one.
    for (int i = 0; i < 100 && IsWindow(box); ++i)
        Sleep(20);
    return 0;
}

// One argument as CommandLineToArgvW reads it back: quoted when it holds a space, a tab or a
// quote, with the backslashes before a quote doubled.
void appendArgument(std::wstring& line, const std::wstring& argument)
{
    if (!line.empty())
        line += L' ';
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

int runProgram(int argc, wchar_t** argv)
{
    std::wstring line;
    for (int i = 0; i < argc; ++i)
        appendArgument(line, argv[i]);
    // Killing the probe closes the job's last handle, which ends the program it started; the
    // programs that one starts in turn (an application it launches) stay out of the job and live on.
    platform::UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    if (job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags =
            JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK;
        SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(argv[0], &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start %ls: error %lu\n", argv[0], GetLastError());
        return 2;
    }
    platform::UniqueHandle child(process.hProcess);
    platform::UniqueHandle thread(process.hThread);
    if (job)
        AssignProcessToJobObject(job.get(), child.get());
    ResumeThread(thread.get());
    WaitForSingleObject(child.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(child.get(), &code);
    std::printf("exit %lu\n", static_cast<unsigned long>(code));
    std::fflush(stdout);
    return int(code);
}

int resourceOffset(const wchar_t* exe, int id)
{
    // a data-file module maps the file flat: a resource's distance from the base is its file offset
    HMODULE module = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return 1;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"_OrvoResc");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    auto bytes = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    if (!bytes)
        return 1;
    auto base = reinterpret_cast<const uint8_t*>(uintptr_t(module) & ~uintptr_t(3));
    std::printf("%llu %lu\n", static_cast<unsigned long long>(bytes - base), SizeofResource(module, found));
    return 0;
}

DWORD number(int argc, wchar_t** argv, int at, DWORD otherwise)
{
    return argc > at && *argv[at] ? DWORD(wcstoul(argv[at], nullptr, 0)) : otherwise;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    int result = 2;
    if (command == L"window" && argc == 3) {
        result = describeWindow(argv[2]);
    } else if (command == L"exists" && argc == 3) {
        HWND window = reinterpret_cast<HWND>(uintptr_t(wcstoull(argv[2], nullptr, 0)));
        std::printf("exists %d\n", IsWindow(window) ? 1 : 0);
        result = 0;
    } else if (command == L"popup" && argc == 2) {
        PopupSearch search{nullptr, false};
        EnumWindows(findPopup, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            printRect("popup", search.found);
        else
            std::printf("popup none");
        std::printf("\n");
        result = 0;
    } else if (command == L"box" && (argc == 3 || argc == 4)) {
        result = waitForBox(argv[2], number(argc, argv, 3, 0)) ? 0 : 1;
    } else if (command == L"answer" && argc >= 3 && argc <= 6) {
        result = answerBox(argv[2], int(number(argc, argv, 3, IDOK)), argc > 4 && *argv[4] ? argv[4] : nullptr,
                           number(argc, argv, 5, 30000));
    } else if (command == L"run" && argc >= 3) {
        result = runProgram(argc - 2, argv + 2);
    } else if (command == L"offset" && argc == 4) {
        result = resourceOffset(argv[2], int(number(argc, argv, 3, 0)));
    }
    std::fflush(stdout);
    return result;
}
