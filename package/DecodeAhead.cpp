// Decoders that run ahead of a package's reader within a memory budget.
#include "DecodeAhead.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The entries looked at for the next one to decode: far enough ahead for any budget, and a bound
// on the work a decoder does under the lock when a package holds many entries it cannot decode
// ahead (stored ones without check values).
constexpr size_t kWalkLimit = 4 * DecodeAhead::kMostAhead;
// idleAt_ of a decoder that is busy, and of one that has ended
constexpr uint64_t kBusy = UINT64_MAX;
constexpr uint64_t kGone = UINT64_MAX - 1;

// The package's lookup entries (one per name, the later of duplicates) in the package's order.
std::vector<size_t> lookupRecords(const Package& package)
{
    std::vector<size_t> positions;
    const std::vector<Package::Entry>& records = package.records();
    for (size_t position = 0; position < records.size(); ++position)
        if (package.find(records[position].name) == &records[position])
            positions.push_back(position);
    return positions;
}

std::vector<std::u16string> lookupNames(const Package& package)
{
    std::vector<std::u16string> names;
    for (size_t position : lookupRecords(package))
        names.push_back(package.records()[position].name);
    return names;
}

// Entries worth reading ahead: packed ones, and stored ones with a check value, whose SHA-256 then
// runs on a decoder rather than on the reader's thread. A stored entry without one is only a copy.
bool aheadWorthy(const Package::Entry& entry)
{
    return entry.unpackedSize != 0 || entry.checked;
}

} // namespace

DecodeAhead::DecodeAhead(const Package& package, unsigned decoders, size_t budget)
    : package_(package), budget_(budget), idOfRecord_(package.records().size(), EntryOrder::kNone),
      order_(lookupNames(package))
{
    for (size_t position : lookupRecords(package)) {
        idOfRecord_[position] = uint32_t(slots_.size());
        slots_.emplace_back();
        slots_.back().entry = &package.records()[position];
    }
    idleAt_.assign(decoders, kBusy);
    // Threads that cannot be started are done without: fewer decoders, or plain reads.
    try {
        for (unsigned i = 0; i < decoders; ++i)
            threads_.emplace_back([this, i] { decoderMain(i); });
    } catch (...) {
    }
}

DecodeAhead::~DecodeAhead()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    work_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
    for (Slot& slot : slots_)
        Package::freeEntry(slot.buffer);
}

uint8_t* DecodeAhead::readEntry(const std::u16string& name, uint64_t* size)
{
    const Package::Entry* entry = package_.find(name);
    if (!entry)
        return nullptr;
    if (threads_.empty())
        return package_.readRecord(*entry, size);

    uint32_t id = idOfRecord_[size_t(entry - package_.records().data())];
    std::unique_lock<std::mutex> lock(mutex_);
    order_.requested(id);
    changed();   // the prediction moved: decoders plan from here, also while this one is waited for
    Slot& slot = slots_[id];
    bool waited = false;
    while (slot.state == State::decoding) {
        waited = true;
        done_.wait(lock);
    }
    if (slot.state == State::ready) {
        uint8_t* buffer = slot.buffer;
        uint64_t length = slot.size;
        slot.buffer = nullptr;
        release(slot);
        ++(waited ? stats_.waited : stats_.ready);
        changed();
        if (size)
            *size = length;
        return buffer;
    }
    ++(aheadWorthy(*entry) ? stats_.onDemand : stats_.stored);
    lock.unlock();
    return package_.readRecord(*entry, size);
}

DecodeAhead::Stats DecodeAhead::stats() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return stats_;
}

void DecodeAhead::settle()
{
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] {
        for (size_t i = 0; i < threads_.size(); ++i)
            if (idleAt_[i] != generation_ && idleAt_[i] != kGone)
                return false;
        return true;
    });
}

void DecodeAhead::decoderMain(size_t index)
{
    try {
        runDecoder(index);
    } catch (...) {
        // Out of memory while planning: what this decoder would have done is left to the requests.
    }
    try {
        std::lock_guard<std::mutex> lock(mutex_);
        idleAt_[index] = kGone;
    } catch (...) {
    }
    done_.notify_all();
}

void DecodeAhead::runDecoder(size_t index)
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        uint32_t id = pickNext();
        if (id == EntryOrder::kNone) {
            idleAt_[index] = generation_;
            done_.notify_all();
            work_.wait(lock);
            continue;
        }
        idleAt_[index] = kBusy;
        Slot& slot = slots_[id];
        slot.state = State::decoding;
        held_ += slot.entry->size();
        ++heldCount_;
        stats_.peakBytes = std::max(stats_.peakBytes, held_);

        lock.unlock();
        uint64_t size = 0;
        uint8_t* buffer = nullptr;
        try {
            buffer = package_.readRecord(*slot.entry, &size, nullptr, &stop_);
        } catch (...) {
            buffer = nullptr;   // out of memory for a message: the request decodes it again
        }
        lock.lock();

        if (buffer) {
            slot.buffer = buffer;
            slot.size = size;
            slot.state = State::ready;
        } else {
            slot.aheadFailed = !stop_;
            release(slot);
            changed();
        }
        done_.notify_all();
    }
}

// The first entry of the prediction that still needs decoding, with room made for it; none when
// there is nothing to do or no room. Later entries never jump the queue, so the budget goes to
// the entries wanted soonest.
uint32_t DecodeAhead::pickNext()
{
    uint32_t found = EntryOrder::kNone;
    order_.walk(kWalkLimit, [&](uint32_t id) {
        const Slot& slot = slots_[id];
        if (slot.state != State::idle || slot.aheadFailed)
            return true;
        const Package::Entry& entry = *slot.entry;
        if (!entry.usable || !aheadWorthy(entry) || entry.size() > budget_)
            return true;   // a plain copy, unreadable or too large: read on request, as without decoders
        if (makeRoom(id, entry.size()))
            found = id;
        return false;
    });
    return found;
}

// Room for one more entry of `need` bytes, giving up ready entries that are expected later than
// `id`, the farthest first. Nothing is given up unless that makes enough room.
bool DecodeAhead::makeRoom(uint32_t id, uint64_t need)
{
    // two entries may always be held, so that a decoder can work while the next one waits to be
    // taken, even when together they are more than the budget
    auto roomFor = [&](uint64_t held, size_t count) {
        return (held + need <= budget_ || count < kAlwaysAhead) && count < kMostAhead;
    };
    if (roomFor(held_, heldCount_))
        return true;
    size_t limit = order_.distance(id);
    std::vector<std::pair<size_t, uint32_t>> later;   // (distance, id)
    uint64_t freeable = 0;
    for (uint32_t other = 0; other < slots_.size(); ++other) {
        if (slots_[other].state != State::ready || order_.wasRequested(other))
            continue;
        size_t distance = order_.distance(other);
        if (distance > limit) {
            later.emplace_back(distance, other);
            freeable += slots_[other].entry->size();
        }
    }
    if (!roomFor(held_ - freeable, heldCount_ - later.size()))
        return false;
    std::sort(later.rbegin(), later.rend());
    for (const auto& [distance, other] : later) {
        if (roomFor(held_, heldCount_))
            break;
        Slot& slot = slots_[other];
        Package::freeEntry(slot.buffer);
        slot.buffer = nullptr;
        release(slot);
        ++stats_.dropped;
    }
    return roomFor(held_, heldCount_);
}

// Returns a slot's bytes to the budget; its buffer has been handed over or freed.
void DecodeAhead::release(Slot& slot)
{
    slot.state = State::idle;
    slot.size = 0;
    held_ -= slot.entry->size();
    --heldCount_;
}

// Called with the lock held whenever decoders may find new work.
void DecodeAhead::changed()
{
    ++generation_;
    work_.notify_all();
}
