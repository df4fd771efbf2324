// The progress bar and the plain progress lines.
#include "Progress.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

std::string megabytes(uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", double(bytes) / 1e6);
    return text;
}

bool Progress::terminal()
{
    return isatty(fileno(stdout));
}

Progress::Progress(const PackCounters& counters, size_t files, uint64_t bytes, bool quiet)
    : counters_(counters), files_(files), bytes_(bytes), terminal_(terminal()), start_(std::chrono::steady_clock::now())
{
    if (quiet)
        return;
    thread_ = std::thread([this] {
        auto period = std::chrono::milliseconds(terminal_ ? 200 : 5000);
        std::unique_lock<std::mutex> lock(mutex_);
        while (!wake_.wait_for(lock, period, [this] { return stopping_; }))
            show(false);
    });
}

void Progress::stop()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    show(true);
}

void Progress::show(bool last)
{
    uint64_t in = counters_.bytesIn, out = counters_.bytesOut;
    size_t files = counters_.files;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    double done = bytes_ ? double(in) / double(bytes_) : 1.0;
    std::string left = "--";
    if (in > 0 && done < 1.0) {
        char text[32];
        std::snprintf(text, sizeof text, "%.0fs", seconds / done - seconds);
        left = text;
    }
    char ratio[16] = "--";
    if (in)
        std::snprintf(ratio, sizeof ratio, "%.1f%%", 100.0 * double(out) / double(in));
    if (terminal_) {
        constexpr int kWidth = 30;
        int filled = int(done * kWidth);
        std::string bar(size_t(filled), '#');
        bar.resize(kWidth, '.');
        std::printf("\r[%s] %zu/%zu files  %s/%s MB  ratio %s  left %s   %s", bar.c_str(), files, files_,
                    megabytes(in).c_str(), megabytes(bytes_).c_str(), ratio, left.c_str(), last ? "\n" : "");
    } else if (!last) {
        std::printf("packing: %zu/%zu files, %s/%s MB, ratio %s, left %s\n", files, files_, megabytes(in).c_str(),
                    megabytes(bytes_).c_str(), ratio, left.c_str());
    }
    std::fflush(stdout);
}
