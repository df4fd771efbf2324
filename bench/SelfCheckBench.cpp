// Times the installer's self-check over a built installer: its file, then its five resources.
// Usage: selfcheck_bench EXE [ROUNDS]. Prints the median milliseconds and the bytes checked.
#include <NamedResources.h>
#include <SelfCheck.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 2;
    int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return 1;
    unsigned long long bytes = 0;
    for (int id : {ORVO_ID_UI_SCRIPT, ORVO_ID_FRAME_PACKAGE, ORVO_ID_WORKER_SCRIPT, ORVO_ID_PROGRAM_PACKAGE,
                   ORVO_ID_STYLE_PACKAGE})
        if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), ORVO_WIDE_NAME(ORVO_RESOURCE_TYPE)))
            bytes += SizeofResource(module, found);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        bool whole = checkImageFile(argv[1]).empty() && checkResources(module).empty();
        QueryPerformanceCounter(&end);
        if (!whole) {
            std::fputs("the installer is damaged\n", stderr);
            return 1;
        }
        times.push_back(1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    std::printf("%.1f %llu\n", times[times.size() / 2], bytes);
    return 0;
}
