// Packing jobs on worker threads, handed to the writer one by one in the package's order.
#include "ParallelPacker.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <thread>

namespace {

struct Result {
    bool done = false;
    bool ok = false;
    PackageWriter::Packed entry;
    std::string error;
};

bool packOne(const ParallelPacker::Reader& read, size_t index, int level, PackageWriter::Packed* out,
             std::string* error)
{
    try {
        std::vector<uint8_t> data;
        return read(index, &data, error) && PackageWriter::pack(level, std::move(data), out, error);
    } catch (const std::exception& e) {
        *error = e.what();   // out of memory: reported as the file's failure, never past the thread
        return false;
    }
}

bool runInOrder(PackageWriter& writer, const std::vector<ParallelPacker::Input>& inputs,
                const ParallelPacker::Reader& read, size_t* failed, std::string* error)
{
    for (size_t i = 0; i < inputs.size(); ++i) {
        PackageWriter::Packed entry;
        if (!packOne(read, i, writer.level(), &entry, error) || !writer.append(inputs[i].name, std::move(entry), error)) {
            *failed = i;
            return false;
        }
    }
    return true;
}

} // namespace

bool ParallelPacker::run(PackageWriter& writer, const std::vector<Input>& inputs, const Reader& read, unsigned jobs,
                         size_t* failed, std::string* error)
{
    jobs = unsigned(std::min<size_t>(jobs, inputs.size()));
    if (jobs <= 1)
        return runInOrder(writer, inputs, read, failed, error);

    // schedule: largest first; the writer still takes them in the given order
    std::vector<size_t> schedule(inputs.size());
    std::iota(schedule.begin(), schedule.end(), size_t(0));
    std::stable_sort(schedule.begin(), schedule.end(),
                     [&inputs](size_t a, size_t b) { return inputs[a].sizeHint > inputs[b].sizeHint; });

    std::vector<Result> results(inputs.size());
    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<size_t> next{0};
    std::atomic<size_t> firstFailure{inputs.size()};   // inputs after it need not be packed
    std::atomic<bool> stop{false};
    int level = writer.level();

    auto job = [&] {
        for (;;) {
            size_t taken = next.fetch_add(1);
            if (taken >= schedule.size())
                return;
            size_t index = schedule[taken];
            Result result;
            if (stop || index > firstFailure) {
                result.error = "not packed";
            } else {
                result.ok = packOne(read, index, level, &result.entry, &result.error);
                if (!result.ok) {
                    size_t seen = firstFailure;
                    while (index < seen && !firstFailure.compare_exchange_weak(seen, index)) {
                    }
                }
            }
            result.done = true;
            {
                std::lock_guard<std::mutex> lock(mutex);
                results[index] = std::move(result);
            }
            finished.notify_all();
        }
    };

    std::vector<std::thread> threads;
    // Joined on every way out, also when appending throws: a thread left running would end the program.
    struct Joiner {
        std::vector<std::thread>& threads;
        std::atomic<bool>& stop;
        ~Joiner()
        {
            stop = true;
            for (std::thread& thread : threads)
                thread.join();
        }
    } joiner{threads, stop};
    try {
        for (unsigned i = 0; i < jobs; ++i)
            threads.emplace_back(job);
    } catch (...) {
        // fewer threads than asked for: those that started do all the work
    }
    if (threads.empty())
        return runInOrder(writer, inputs, read, failed, error);

    bool ok = true;
    for (size_t i = 0; i < inputs.size() && ok; ++i) {
        Result result;
        {
            std::unique_lock<std::mutex> lock(mutex);
            finished.wait(lock, [&] { return results[i].done; });
            result = std::move(results[i]);
        }
        if (!result.ok || !writer.append(inputs[i].name, std::move(result.entry), &result.error)) {
            *failed = i;
            *error = result.error;
            ok = false;
        }
    }
    return ok;
}
