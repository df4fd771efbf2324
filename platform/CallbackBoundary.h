// The one boundary at every place the platform calls us back: no C++ exception crosses it.
#pragma once

#include <windows.h>

#include <utility>

namespace platform {

// Two writes rather than a joined string: nothing here may allocate while memory is short.
inline void reportCallbackFailure(const wchar_t* where) noexcept
{
    OutputDebugStringW(where);
    OutputDebugStringW(L": failed with an exception\n");
}

// A window or subclass procedure, a hook, a timer callback, a thread entry or a broadcast to
// handlers runs its body through here. An exception (an allocation failure, in practice) must not
// unwind into the platform's frames that called us: it is reported to the debugger as "`where`:
// failed with an exception" and the callback answers `fallback` instead.
template <class Result, class Body>
Result callbackBoundary(const wchar_t* where, Result fallback, Body&& body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        reportCallbackFailure(where);
        return fallback;
    }
}

// The same for a callback that answers nothing.
template <class Body>
void callbackBoundary(const wchar_t* where, Body&& body) noexcept
{
    try {
        std::forward<Body>(body)();
    } catch (...) {
        reportCallbackFailure(where);
    }
}

} // namespace platform
