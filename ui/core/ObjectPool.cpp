// Size-class pools: one free list per 16-byte cell size, filled a block at a time.
#include "ObjectPool.h"

#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// The header is as wide as the strictest alignment, so the object behind it stays aligned.
constexpr size_t kHeader = alignof(std::max_align_t);
constexpr size_t kGranule = 16;
constexpr size_t kClassCount = (ObjectPool::kLargestPooled + kHeader) / kGranule + 1;

struct FreeCell {
    FreeCell* next;
};

FreeCell* freeLists[kClassCount];
size_t blocks;

size_t roundUp(size_t size)
{
    return (size + kGranule - 1) / kGranule * kGranule;
}

void* take(size_t cellSize)
{
    size_t index = cellSize / kGranule;
    assert(index < kClassCount && "cell size outside the pooled classes");
    if (!freeLists[index]) {
        // refill: one block of cells chained into the free list, never returned
        auto* block = static_cast<unsigned char*>(std::malloc(cellSize * ObjectPool::kCellsPerBlock));
        if (!block)
            throw std::bad_alloc();
        ++blocks;
        for (size_t i = ObjectPool::kCellsPerBlock; i-- > 0;) {
            auto* cell = reinterpret_cast<FreeCell*>(block + i * cellSize);
            cell->next = freeLists[index];
            freeLists[index] = cell;
        }
    }
    FreeCell* cell = freeLists[index];
    freeLists[index] = cell->next;
    return cell;
}

void give(void* cell, size_t cellSize)
{
    auto* free = static_cast<FreeCell*>(cell);
    size_t index = cellSize / kGranule;
    free->next = freeLists[index];
    freeLists[index] = free;
}

} // namespace

void* ObjectPool::allocate(size_t size)
{
    unsigned char* cell;
    if (size > kLargestPooled) {
        cell = static_cast<unsigned char*>(std::malloc(size + kHeader));
        if (!cell)
            throw std::bad_alloc();
    } else {
        cell = static_cast<unsigned char*>(take(roundUp(size + kHeader)));
    }
    *reinterpret_cast<size_t*>(cell) = size;
    return cell + kHeader;
}

void ObjectPool::release(void* object)
{
    if (!object)
        return;
    unsigned char* cell = static_cast<unsigned char*>(object) - kHeader;
    size_t size = *reinterpret_cast<size_t*>(cell);
    if (size > kLargestPooled)
        std::free(cell);
    else
        give(cell, roundUp(size + kHeader));
}

void* ObjectPool::allocateCell(size_t size)
{
    if (size > kLargestPooled)
        return ::operator new(size);
    return take(roundUp(size < sizeof(FreeCell) ? sizeof(FreeCell) : size));
}

void ObjectPool::releaseCell(void* cell, size_t size)
{
    if (!cell)
        return;
    if (size > kLargestPooled)
        ::operator delete(cell);
    else
        give(cell, roundUp(size < sizeof(FreeCell) ? sizeof(FreeCell) : size));
}

size_t ObjectPool::blockCount()
{
    return blocks;
}
