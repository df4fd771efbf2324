// ScriptHooks: the one record of upward calls in force.
#include "ScriptHooks.h"

namespace {

const ScriptHooks* installed = nullptr;   // not owned

} // namespace

const ScriptHooks* scriptHooks()
{
    return installed;
}

void setScriptHooks(const ScriptHooks* hooks)
{
    installed = hooks;
}
