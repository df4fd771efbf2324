// The delegate cells, chained into a free list on first use and guarded by a tiny spin lock.
#include "DelegatePool.h"

#include <cassert>
#include <windows.h>

namespace {

DelegatePool::Cell cells[DelegatePool::kCapacity];
DelegatePool::Cell* freeList;
bool chained;
size_t live;
// The references are atomic; the free list is shared too, so taking and returning cells is
// serialised. Contention is nil (handlers are a UI-thread affair), so spinning is enough.
std::atomic_flag listLock = ATOMIC_FLAG_INIT;

struct ListGuard {
    ListGuard()
    {
        while (listLock.test_and_set(std::memory_order_acquire))
            Sleep(0);
    }
    ~ListGuard() { listLock.clear(std::memory_order_release); }
};

} // namespace

DelegatePool::Cell* DelegatePool::acquire(void* target, HandlerFunction function)
{
    ListGuard guard;
    if (!chained) {
        for (size_t i = kCapacity; i-- > 0;) {
            cells[i].nextFree = freeList;
            freeList = &cells[i];
        }
        chained = true;
    }
    Cell* cell = freeList;
    if (!cell) {
        OutputDebugStringW(L"DelegatePool: every delegate cell is in use; handler not registered\n");
        return nullptr;
    }
    freeList = cell->nextFree;
    cell->nextFree = nullptr;
    cell->target = target;
    cell->function.store(function, std::memory_order_relaxed);
    cell->references.store(1, std::memory_order_relaxed);
    ++live;
    return cell;
}

void DelegatePool::addReference(Cell* cell)
{
    cell->references.fetch_add(1, std::memory_order_relaxed);
}

void DelegatePool::dropReference(Cell* cell)
{
    int32_t before = cell->references.fetch_sub(1, std::memory_order_acq_rel);
    assert(before > 0 && "delegate reference dropped twice");
    if (before != 1)
        return;
    ListGuard guard;
    cell->target = nullptr;
    cell->function.store(nullptr, std::memory_order_relaxed);
    cell->nextFree = freeList;
    freeList = cell;
    --live;
}

size_t DelegatePool::liveCount()
{
    ListGuard guard;
    return live;
}
