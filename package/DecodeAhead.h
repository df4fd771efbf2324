// Decodes a package's entries on other threads before the reader asks for them.
#pragma once

#include "EntryOrder.h"
#include "Package.h"

#include <platform/Sync.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

// While the reader writes one entry, decoders already decode the entries it is expected to ask for
// next (EntryOrder). A request for an entry that is ready hands its buffer over; one being decoded
// is waited for; any other is decoded at once on the caller's thread, exactly as Package::readEntry
// does. Results and failures are those of Package::readEntry: an entry whose decode ahead failed is
// decoded again on request, so a damaged entry fails there and only there.
//
// The files of a solid block are decoded together, once: whoever decodes the block (a decoder,
// or the request of a member when no decoder has) checks it against its digest, hashing it once
// before any member is handed out (Package::readBlock), and splits it into their buffers; any
// other request for a member waits for that. The members' buffers are handed over one by one;
// the block's room in the budget goes as they do. A member asked for again after it was handed
// over is read as Package::readEntry reads it. A block that cannot be decoded on request fails
// its members, and only them.
//
// Memory stays bounded: decoded bytes not yet handed over (being decoded or ready) never exceed
// the budget or two units (an entry or a block), whichever is larger, plus a block per decoder (a
// block starts while what is held is within the budget, so that a large one is decoded while the
// reader creates the small files before it) and a block per request decoding one; at most
// kMostAhead units are held. LZMA entries and blocks are decoded ahead, and
// so are stored entries with a check value (their SHA-256 is the work; stored ones without are a
// plain copy); an entry larger than the budget is read on request, a block decoded ahead. When room is short, ready units
// expected later than the next one to decode give way. A block whose every file is still wanted
// (the usual case) hands them out in place (Package::shareBlock): its bytes are held once, until
// the last of its files is let go. Otherwise the wanted files are copied out of it, its bytes held
// twice for a moment.
//
// Destruction stops the decoders within about a megabyte of output each, joins them and frees
// every buffer not handed over. The Package must outlive this object.
class DecodeAhead {
public:
    static constexpr size_t kDefaultBudget = size_t(64) << 20;
    static constexpr size_t kAlwaysAhead = 2;
    static constexpr size_t kMostAhead = 256;

    // Starts `decoders` threads; with 0 (or when no thread can be started) every read is a plain
    // Package::readEntry on the caller's thread, but for the files of a block: the first request
    // decodes the block for them all.
    DecodeAhead(const Package& package, unsigned decoders, size_t budget = kDefaultBudget);
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // Package::readEntry's contract: a new buffer released with Package::freeEntry, or null; `size`
    // written only when a buffer is returned. Any thread may call it.
    uint8_t* readEntry(const std::u16string& name, uint64_t* size);

    unsigned decoders() const { return unsigned(threads_.size()); }

    // How requests were served, for tests and benchmarks.
    struct Stats {
        size_t ready = 0;      // handed over already decoded
        size_t waited = 0;     // being decoded when asked for: waited for
        size_t onDemand = 0;   // decoded on the caller's thread
        size_t stored = 0;     // stored as is without a check value: copied on the caller's thread
        size_t dropped = 0;    // decoded ahead, then given up for the budget
        size_t blockDecodes = 0;   // solid blocks decoded, ahead or on request
        uint64_t peakBytes = 0;   // most decoded bytes held at once
    };
    Stats stats() const;

    // Blocks until every decoder has found nothing more to do within the budget, for tests and
    // benchmarks that need a settled state.
    void settle();

private:
    enum class State : uint8_t { idle, decoding, ready };
    // What is decoded in one go: an entry with data of its own, or a solid block.
    struct Slot {
        const Package::Entry* entry = nullptr;   // the entry with data of its own; null for a block
        uint32_t block = Package::kNoBlock;
        uint64_t bytes = 0;          // what decoding it takes in the budget
        State state = State::idle;
        bool aheadFailed = false;    // its decode ahead failed once: left to the request
        bool broken = false;         // a block that failed on request: its members fail at once
        uint64_t held = 0;           // bytes of it counted in held_
        uint32_t pending = 0;        // members holding a buffer not yet handed over
    };
    // One lookup entry (by entry id, the package's order) and its buffer once its unit is decoded.
    struct Member {
        const Package::Entry* entry = nullptr;
        uint32_t slot = 0;
        uint8_t* buffer = nullptr;
        uint64_t size = 0;
        bool present = false;   // decoded: `buffer` holds its bytes
        bool handed = false;    // a block member handed over (or failed) since its block was decoded
    };

    void decoderMain(size_t index);
    void runDecoder(size_t index);
    uint32_t pickNext();
    bool makeRoom(uint32_t id, uint64_t need);
    size_t distanceOf(uint32_t slot) const;
    bool decode(uint32_t slot, std::unique_lock<platform::Mutex>& lock);
    uint8_t* takeMember(uint32_t id, uint64_t* size);
    uint8_t* readMember(uint32_t id, const Package::Entry& entry, uint64_t* size, std::unique_lock<platform::Mutex>& lock);
    void dropSlot(Slot& slot, uint32_t index);
    void changed();

    const Package& package_;
    const size_t budget_;
    std::vector<Slot> slots_;                 // in the package's order
    std::vector<std::vector<uint32_t>> membersOf_;   // slot -> its entry ids
    std::vector<Member> members_;             // by entry id
    std::vector<uint32_t> idOfRecord_;        // record position -> entry id
    EntryOrder order_;

    mutable platform::Mutex mutex_;
    platform::ConditionVariable work_;    // decoders: something to do may have appeared
    platform::ConditionVariable done_;    // requests and settle: a decode ended or a decoder went idle
    std::atomic<bool> stop_{false};
    uint64_t held_ = 0;               // bytes of slots decoding or ready
    size_t heldCount_ = 0;
    uint64_t generation_ = 0;         // counts changes that may give decoders work
    std::vector<uint64_t> idleAt_;    // per decoder: the generation it last found nothing at
    Stats stats_;
    std::vector<std::thread> threads_;
};
