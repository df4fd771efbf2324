// The id map every host window keeps for its tree.
#include "ControlHost.h"

#include "Control.h"

Control* ControlHost::findById(int32_t id) const
{
    auto it = idMap.find(id);
    if (it == idMap.end() || !Control::isAttached(it->second) || it->second->window() != this)
        return nullptr;
    return it->second;
}

void ControlHost::forgetId(const Control* control)
{
    for (auto it = idMap.begin(); it != idMap.end();) {
        if (it->second == control)
            it = idMap.erase(it);
        else
            ++it;
    }
}
