// Decoders that run ahead of a package's reader within a memory budget, a solid block at a time.
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
constexpr uint32_t kNoSlot = UINT32_MAX;
constexpr size_t kKeep = SIZE_MAX;   // a ready unit that must not give way

std::vector<std::u16string> lookupNames(const Package& package)
{
    std::vector<std::u16string> names;
    for (size_t position : package.lookupRecords())
        names.push_back(package.records()[position].name);
    return names;
}

// Entries worth reading ahead: packed ones, block members, and stored ones with a check value,
// whose SHA-256 then runs on a decoder rather than on the reader's thread. A stored entry without
// one is only a copy.
bool aheadWorthy(const Package::Entry& entry)
{
    return entry.unpackedSize != 0 || entry.checked;
}

} // namespace

DecodeAhead::DecodeAhead(const Package& package, unsigned decoders, size_t budget)
    : package_(package), budget_(budget), idOfRecord_(package.records().size(), EntryOrder::kNone),
      order_(lookupNames(package))
{
    std::vector<uint32_t> slotOfBlock(package.blocks().size(), kNoSlot);
    for (size_t position : package.lookupRecords()) {
        const Package::Entry& entry = package.records()[position];
        uint32_t id = uint32_t(members_.size());
        idOfRecord_[position] = id;
        uint32_t slot = entry.block == Package::kNoBlock ? kNoSlot : slotOfBlock[entry.block];
        if (slot == kNoSlot) {
            slot = uint32_t(slots_.size());
            slots_.emplace_back();
            membersOf_.emplace_back();
            if (entry.block == Package::kNoBlock) {
                slots_.back().entry = &entry;
                slots_.back().bytes = entry.size();
            } else {
                slotOfBlock[entry.block] = slot;
                slots_.back().block = entry.block;
                slots_.back().bytes = package.blocks()[entry.block].unpackedSize;
            }
        }
        membersOf_[slot].push_back(id);
        members_.push_back(Member{&entry, slot});
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
        std::lock_guard<platform::Mutex> lock(mutex_);
        stop_ = true;
    }
    work_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
    for (Member& member : members_)
        Package::freeEntry(member.buffer);
}

uint8_t* DecodeAhead::readEntry(const std::u16string& name, uint64_t* size)
{
    const Package::Entry* entry = package_.find(name);
    if (!entry)
        return nullptr;
    if (threads_.empty() && entry->block == Package::kNoBlock)
        return package_.readRecord(*entry, size);

    uint32_t id = idOfRecord_[size_t(entry - package_.records().data())];
    std::unique_lock<platform::Mutex> lock(mutex_);
    order_.requested(id);
    changed();   // the prediction moved: decoders plan from here, also while this one is waited for
    Slot& slot = slots_[members_[id].slot];
    if (!slot.entry)
        return readMember(id, *entry, size, lock);
    bool waited = false;
    while (slot.state == State::decoding) {
        waited = true;
        done_.wait(lock);
    }
    if (slot.state == State::ready) {
        ++(waited ? stats_.waited : stats_.ready);
        return takeMember(id, size);
    }
    ++(aheadWorthy(*entry) ? stats_.onDemand : stats_.stored);
    lock.unlock();
    return package_.readRecord(*entry, size);
}

// A member of a block: its buffer once the block is decoded, by whoever decodes it first; this
// request decodes it when nobody has.
uint8_t* DecodeAhead::readMember(uint32_t id, const Package::Entry& entry, uint64_t* size,
                                 std::unique_lock<platform::Mutex>& lock)
{
    Member& member = members_[id];
    Slot& slot = slots_[member.slot];
    if (member.handed) {
        // asked for again: its bytes are no longer kept
        ++stats_.onDemand;
        lock.unlock();
        return package_.readRecord(entry, size);
    }
    bool waited = false;
    bool decodedHere = false;
    for (;;) {
        while (slot.state == State::decoding) {
            waited = true;
            done_.wait(lock);
        }
        if (slot.state == State::ready) {
            if (!decodedHere)
                ++(waited ? stats_.waited : stats_.ready);
            return takeMember(id, size);
        }
        if (slot.broken || decodedHere)
            return nullptr;
        ++stats_.onDemand;
        decodedHere = true;
        // room as a decoder would make it, so that blocks decoded on request, their files not yet
        // all taken, give way too; the block is decoded here whether or not that made enough
        makeRoom(id, slot.bytes);
        if (!decode(member.slot, lock)) {
            slot.broken = !stop_;
            return nullptr;
        }
    }
}

// Hands over a decoded member's buffer and gives its bytes
// back to the budget; the unit is let go with its last member.
uint8_t* DecodeAhead::takeMember(uint32_t id, uint64_t* size)
{
    Member& member = members_[id];
    Slot& slot = slots_[member.slot];
    uint8_t* buffer = member.buffer;
    uint64_t length = member.size;
    member.buffer = nullptr;
    member.present = false;
    member.handed = true;
    uint64_t counted = std::min(slot.held, length);
    slot.held -= counted;
    held_ -= counted;
    if (--slot.pending == 0) {
        held_ -= slot.held;
        slot.held = 0;
        slot.state = State::idle;
        --heldCount_;
    }
    changed();
    if (buffer && size)
        *size = length;
    return buffer;
}

DecodeAhead::Stats DecodeAhead::stats() const
{
    std::lock_guard<platform::Mutex> lock(mutex_);
    return stats_;
}

void DecodeAhead::settle()
{
    std::unique_lock<platform::Mutex> lock(mutex_);
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
        std::lock_guard<platform::Mutex> lock(mutex_);
        idleAt_[index] = kGone;
    } catch (...) {
    }
    done_.notify_all();
}

void DecodeAhead::runDecoder(size_t index)
{
    std::unique_lock<platform::Mutex> lock(mutex_);
    while (!stop_) {
        uint32_t slot = pickNext();
        if (slot == kNoSlot) {
            idleAt_[index] = generation_;
            done_.notify_all();
            work_.wait(lock);
            continue;
        }
        idleAt_[index] = kBusy;
        if (!decode(slot, lock))
            slots_[slot].aheadFailed = !stop_;
        done_.notify_all();
    }
}

// Decodes one unit with the lock let go meanwhile: an entry into its buffer, a block into its
// members' buffers (those not handed over yet), checked. Called with the lock held and the
// unit idle; returns with the lock held, the unit ready, or idle again and false when it could not
// be decoded (damaged, out of memory, or stopped).
bool DecodeAhead::decode(uint32_t index, std::unique_lock<platform::Mutex>& lock)
{
    Slot& slot = slots_[index];
    std::vector<uint32_t> wanted;
    std::vector<std::pair<uint8_t*, uint64_t>> parts;
    try {
        for (uint32_t id : membersOf_[index])
            if (!members_[id].handed || slot.entry)
                wanted.push_back(id);
        parts.reserve(wanted.size());
    } catch (...) {
        return false;
    }
    if (wanted.empty())
        return false;
    slot.state = State::decoding;
    slot.held = slot.bytes;
    held_ += slot.bytes;
    ++heldCount_;
    stats_.peakBytes = std::max(stats_.peakBytes, held_);

    lock.unlock();
    bool ok = false;
    try {
        if (slot.entry) {
            uint64_t size = 0;
            uint8_t* buffer = package_.readRecord(*slot.entry, &size, nullptr, &stop_);
            ok = buffer != nullptr;
            if (ok)
                parts.emplace_back(buffer, size);
        } else {
            EntryBuffer block(package_.readBlock(slot.block, nullptr, &stop_));
            ok = block != nullptr;
            if (ok && wanted.size() == membersOf_[index].size()) {
                // every file of the block: handed out in place, the block held once
                for (uint32_t id : wanted)
                    parts.emplace_back(block.get() + members_[id].entry->dataOffset, members_[id].entry->unpackedSize);
                const Package::Block& b = package_.blocks()[slot.block];
                Package::shareBlock(block.release(), b.unpackedSize, uint32_t(wanted.size()));
            }
            for (size_t i = 0; ok && block && i < wanted.size(); ++i) {
                uint64_t size = 0;
                uint8_t* buffer = package_.copyMember(*members_[wanted[i]].entry, block.get(), &size);
                parts.emplace_back(buffer, size);
                ok = buffer != nullptr;
            }
        }
    } catch (...) {
        ok = false;   // out of memory for a message: the request decodes it again
    }
    lock.lock();
    done_.notify_all();   // requests waiting for this unit, whoever decoded it

    if (!slot.entry && ok)
        ++stats_.blockDecodes;
    if (!ok) {
        for (const auto& part : parts)
            Package::freeEntry(part.first);
        slot.state = State::idle;
        held_ -= slot.held;
        slot.held = 0;
        --heldCount_;
        changed();
        return false;
    }
    uint64_t kept = 0;
    for (size_t i = 0; i < wanted.size(); ++i) {
        Member& member = members_[wanted[i]];
        member.buffer = parts[i].first;
        member.size = parts[i].second;
        member.present = true;
        kept += parts[i].second;
    }
    held_ = held_ - slot.held + kept;
    slot.held = kept;
    slot.pending = uint32_t(wanted.size());
    slot.state = State::ready;
    return true;
}

// The first unit of the prediction that still needs decoding, with room made for it; none when
// there is nothing to do or no room. Later units never jump the queue, so the budget goes to the
// entries wanted soonest.
uint32_t DecodeAhead::pickNext()
{
    uint32_t found = kNoSlot;
    order_.walk(kWalkLimit, [&](uint32_t id) {
        uint32_t index = members_[id].slot;
        const Slot& slot = slots_[index];
        if (slot.state != State::idle || slot.aheadFailed || slot.broken || members_[id].handed)
            return true;
        if (slot.entry && (!slot.entry->usable || !aheadWorthy(*slot.entry)))
            return true;   // a plain copy or unreadable: read on request, as without decoders
        // A file larger than the budget is read on request, so that the reader, writing one, is
        // never waited on by decoders holding two more. A block is decoded ahead even then (see
        // makeRoom): a block is what the package's writer cut to a size worth holding.
        if (slot.entry && slot.bytes > budget_)
            return true;
        if (makeRoom(id, slot.bytes))
            found = index;
        return false;
    });
    return found;
}

// How far behind the last request the nearest entry a ready unit still holds stands; kKeep when
// one it holds was asked for already (its request is about to take it).
size_t DecodeAhead::distanceOf(uint32_t index) const
{
    size_t nearest = kKeep;
    for (uint32_t id : membersOf_[index]) {
        if (!members_[id].present)
            continue;
        if (order_.wasRequested(id))
            return kKeep;
        nearest = std::min(nearest, order_.distance(id));
    }
    return nearest;
}

// Room for one more unit of `need` bytes, giving up ready units that are expected later than `id`,
// the farthest first. Nothing is given up unless that makes enough room.
bool DecodeAhead::makeRoom(uint32_t id, uint64_t need)
{
    // Two units may always be held, so that a decoder can work while the next one waits to be
    // taken, even when together they are more than the budget; an empty one takes no room. A block
    // starts while what is held is within the budget, even if it then goes past: the reader
    // creating the many small files of the units before it is when a large block's decoding
    // hides best, and waiting for room would put it after them (so a block per decoder over).
    bool block = slots_[members_[id].slot].entry == nullptr;
    auto roomFor = [&](uint64_t held, size_t count) {
        return (held + need <= budget_ || (block && held <= budget_) || count < kAlwaysAhead || need == 0) &&
               count < kMostAhead;
    };
    if (roomFor(held_, heldCount_))
        return true;
    size_t limit = order_.distance(id);
    std::vector<std::pair<size_t, uint32_t>> later;   // (distance, slot)
    uint64_t freeable = 0;
    for (uint32_t other = 0; other < slots_.size(); ++other) {
        if (slots_[other].state != State::ready)
            continue;
        size_t distance = distanceOf(other);
        if (distance != kKeep && distance > limit) {
            later.emplace_back(distance, other);
            freeable += slots_[other].held;
        }
    }
    if (!roomFor(held_ - freeable, heldCount_ - later.size()))
        return false;
    std::sort(later.rbegin(), later.rend());
    for (const auto& [distance, other] : later) {
        if (roomFor(held_, heldCount_))
            break;
        dropSlot(slots_[other], other);
    }
    return roomFor(held_, heldCount_);
}

// Gives up a ready unit: its members not handed over are decoded again when asked for.
void DecodeAhead::dropSlot(Slot& slot, uint32_t index)
{
    for (uint32_t id : membersOf_[index]) {
        Member& member = members_[id];
        if (!member.present)
            continue;
        Package::freeEntry(member.buffer);
        member.buffer = nullptr;
        member.size = 0;
        member.present = false;
    }
    held_ -= slot.held;
    slot.held = 0;
    slot.pending = 0;
    slot.state = State::idle;
    --heldCount_;
    ++stats_.dropped;
}

// Called with the lock held whenever decoders may find new work.
void DecodeAhead::changed()
{
    ++generation_;
    work_.notify_all();
}
