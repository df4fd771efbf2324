// The process-wide pool of line records: re-wrapping takes and returns records by the thousand.
#pragma once

#include "LineRecord.h"

#include <cstddef>

// Records come from slabs of kRecordsPerSlab taken from the heap on demand and never given back;
// a returned record is reused by the next request. UI thread only: there is no lock.
namespace linePool {

constexpr size_t kRecordsPerSlab = 1000;

// A record with every field zeroed.
LineRecord* acquire();
// Gives one record back.
void release(LineRecord* record);
// Gives back `first` and every record after it along `next`, up to but excluding `stop`.
void releaseChain(LineRecord* first, LineRecord* stop = nullptr);

// Records taken from the heap so far, and those now waiting in the pool.
size_t recordCount();
size_t freeCount();

} // namespace linePool
