// One step of the run for the setup log: every subsystem reports here, the host decides where to.
#pragma once

#include <atomic>
#include <string>

namespace platform {

// Where steps go; null (the default, and in every run without /LOG) drops them. The sink must
// accept calls from any thread.
using StepLogSink = void (*)(const std::wstring& line);

inline std::atomic<StepLogSink>& stepLogSink()
{
    static std::atomic<StepLogSink> sink{nullptr};
    return sink;
}

inline bool stepLogEnabled() { return stepLogSink().load() != nullptr; }

inline void logStep(const std::wstring& line)
{
    if (StepLogSink sink = stepLogSink().load())
        sink(line);
}

}  // namespace platform
