// Script errors raised where native frames stand between them and the script's protected run.
#pragma once

struct lua_State;

// Handlers, timer callbacks and message handlers are called from window procedures, hooks and
// modal loops. An error in one must end the UI script, but a longjmp through those C++ frames
// would skip their destructors and leave the loops broken. So every such call is protected here:
// the first error is kept as the state's pending error, the native loops are asked to unwind, and
// the error is raised again at the first script instruction that runs once control is back in
// script code (a count hook), from where it reaches the protected run of the script file.

// lua_pcall of the function and `nargs` arguments on the stack. On failure the error becomes
// pending (when none is yet), `nresults` nils are pushed in place of the results and false is
// returned. Never raises.
bool callScriptProtected(lua_State* L, int nargs, int nresults);

// Whether an error is pending in the state: native loops check it and end.
bool scriptFailurePending(lua_State* L);

// Hands the pending error's message out and forgets it, removing the hook; false without one.
// The message is pushed and lives until the caller restores its stack top. Called by the
// protected run of a script file once it has returned.
bool takePendingScriptError(lua_State* L, const char** message);

// While it lives, its listener is told once when an error becomes pending, so that the modal loop
// it belongs to can end itself. Scopes nest as their loops do (a message box over a dialog):
// every live scope is told, the innermost first, and each loop unwinds into the next. Scopes end
// in the reverse order of their start (they live on the stack of the loops); a listener only
// marks its loop as ending: it must not run script code or end a scope. UI thread only.
class ScriptFailureScope {
public:
    using Listener = void (*)(void* context);
    ScriptFailureScope(Listener listener, void* context);
    ~ScriptFailureScope();
    ScriptFailureScope(const ScriptFailureScope&) = delete;
    ScriptFailureScope& operator=(const ScriptFailureScope&) = delete;

private:
    friend bool callScriptProtected(lua_State* L, int nargs, int nresults);
    Listener listener_;
    void* context_;
    ScriptFailureScope* outer_;   // not owned
};

// A failure scope on the heap for a modal loop of the toolkit (ModalLoopGuard: a dialog, the combo
// box's drop-down), opened and closed through the script hooks.
void* openLoopFailureScope(void (*end)(void* context), void* context);
void closeLoopFailureScope(void* scope);
