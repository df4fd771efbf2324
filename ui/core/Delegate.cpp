// Reference counting and calling of delegates.
#include "Delegate.h"

#include <utility>

Delegate Delegate::create(void* target, HandlerFunction function)
{
    return Delegate(DelegatePool::acquire(target, function));
}

Delegate::Delegate(const Delegate& other) : cell_(other.cell_)
{
    if (cell_)
        DelegatePool::addReference(cell_);
}

Delegate::Delegate(Delegate&& other) noexcept : cell_(std::exchange(other.cell_, nullptr)) {}

Delegate& Delegate::operator=(Delegate other) noexcept
{
    std::swap(cell_, other.cell_);
    return *this;
}

Delegate::~Delegate()
{
    if (cell_)
        DelegatePool::dropReference(cell_);
}

HandlerFunction Delegate::function() const
{
    return cell_ ? cell_->function.load(std::memory_order_relaxed) : nullptr;
}

bool Delegate::matches(void* target, HandlerFunction function) const
{
    return cell_ && cell_->target == target && this->function() == function;
}

void Delegate::disarm()
{
    if (cell_)
        cell_->function.store(nullptr, std::memory_order_relaxed);
}

void Delegate::operator()(Control* control, ControlEvent* event) const
{
    HandlerFunction call = function();
    if (call)
        call(cell_->target, control, event);
}

bool removeFirstHandler(HandlerMap& handlers, int32_t code, void* target, HandlerFunction function)
{
    auto entry = handlers.find(code);
    if (entry == handlers.end())
        return false;
    std::vector<Delegate>& list = entry->second;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->matches(target, function)) {
            it->disarm();
            list.erase(it);
            return true;
        }
    }
    return false;
}
