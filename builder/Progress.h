// What a person sees while the tool packs: a bar redrawn in place on a terminal, plain lines
// otherwise.
#pragma once

#include "PayloadPacker.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class Progress {
public:
    // Shows how far `counters` have come toward `files` and `bytes`, every 0.2 s on a terminal,
    // every 5 s otherwise, until stop(). Nothing when `quiet`.
    Progress(const PackCounters& counters, size_t files, uint64_t bytes, bool quiet);
    ~Progress() { stop(); }
    void stop();

    static bool terminal();

private:
    void show(bool last);

    const PackCounters& counters_;   // not owned
    size_t files_;
    uint64_t bytes_;
    bool terminal_;
    std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

// "12.3" from a byte count, in MB (10^6 bytes).
std::string megabytes(uint64_t bytes);
