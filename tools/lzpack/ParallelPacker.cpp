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
    PackedUnit unit;
    size_t failed = 0;   // the input that failed
    std::string error;
};

bool packOne(const ParallelPacker::Reader& read, const PackSettings& settings, const std::vector<PlanInput>& inputs,
             const PackUnit& unit, PackedUnit* out, size_t* failed, std::string* error)
{
    std::vector<std::u16string> names;
    std::vector<std::vector<uint8_t>> data(unit.members.size());
    for (size_t i = 0; i < unit.members.size(); ++i) {
        *failed = unit.members[i];
        names.push_back(inputs[unit.members[i]].name);
        if (!read(unit.members[i], &data[i], error))
            return false;
    }
    *failed = unit.members.front();
    return packUnit(settings, names, data, out, error);
}

// `pack` on one unit, whatever it throws (out of memory) reported as the unit's failure, never
// past the thread.
bool packGuarded(const ParallelPacker::UnitPacker& pack, const PackUnit& unit, PackedUnit* out, size_t* failed,
                 std::string* error)
{
    *failed = unit.members.front();
    try {
        return pack(unit, out, failed, error);
    } catch (const std::exception& e) {
        *error = e.what();
        return false;
    }
}

} // namespace

bool ParallelPacker::run(PackageWriter& writer, const PackSettings& settings, const std::vector<PlanInput>& inputs,
                         const Reader& read, unsigned jobs, size_t* failed, std::string* error)
{
    auto pack = [&](const PackUnit& unit, PackedUnit* out, size_t* failedInput, std::string* why) {
        return packOne(read, settings, inputs, unit, out, failedInput, why);
    };
    return run(writer, inputs, planUnits(inputs, settings), pack, jobs, failed, error);
}

bool ParallelPacker::run(PackageWriter& writer, const std::vector<PlanInput>& inputs, const std::vector<PackUnit>& units,
                         const UnitPacker& pack, unsigned jobs, size_t* failed, std::string* error)
{
    jobs = unsigned(std::min<size_t>(jobs, units.size()));
    if (jobs <= 1) {
        for (const PackUnit& unit : units) {
            PackedUnit packed;
            if (!packGuarded(pack, unit, &packed, failed, error) || !writer.append(std::move(packed), error))
                return false;
        }
        return true;
    }

    // schedule: largest first, so that no thread is left with a large one at the end; the writer
    // still takes them in plan order
    std::vector<uint64_t> bytes(units.size(), 0);
    for (size_t u = 0; u < units.size(); ++u)
        for (size_t member : units[u].members)
            bytes[u] += inputs[member].size;
    std::vector<size_t> schedule(units.size());
    std::iota(schedule.begin(), schedule.end(), size_t(0));
    std::stable_sort(schedule.begin(), schedule.end(), [&bytes](size_t a, size_t b) { return bytes[a] > bytes[b]; });

    std::vector<Result> results(units.size());
    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<size_t> next{0};
    std::atomic<size_t> firstFailure{units.size()};   // units after it need not be packed
    std::atomic<bool> stop{false};

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
                result.ok = packGuarded(pack, units[index], &result.unit, &result.failed, &result.error);
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
        return run(writer, inputs, units, pack, 1, failed, error);

    for (size_t u = 0; u < units.size(); ++u) {
        Result result;
        {
            std::unique_lock<std::mutex> lock(mutex);
            finished.wait(lock, [&] { return results[u].done; });
            result = std::move(results[u]);
        }
        if (!result.ok || !writer.append(std::move(result.unit), &result.error)) {
            *failed = result.ok ? units[u].members.front() : result.failed;
            *error = result.error;
            return false;
        }
    }
    return true;
}
