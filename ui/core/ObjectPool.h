// Size-class pools for toolkit objects and property nodes: cheap to create and destroy in bulk.
#pragma once

#include <cstddef>

// Cells come from blocks of 100 taken from the heap on demand and never given back; a freed cell
// is reused at once by the next request of its size. UI thread only: there is no lock.
class ObjectPool {
public:
    static constexpr size_t kLargestPooled = 1024;   // larger objects go to the heap directly
    static constexpr size_t kCellsPerBlock = 100;

    // For operator new/delete of toolkit objects: the cell starts with a small header holding the
    // object's size, so release needs no size.
    static void* allocate(size_t size);
    static void release(void* object);

    // For nodes of a known type: no header, the caller passes the same size back.
    static void* allocateCell(size_t size);
    static void releaseCell(void* cell, size_t size);

    // Heap blocks taken so far, for the benchmark's report.
    static size_t blockCount();
};
