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

// Called once when an error becomes pending, so that modal loops can end themselves. One listener
// at a time (the modal loop that runs), null to clear; returns the previous one.
using ScriptFailureListener = void (*)(void* context);
ScriptFailureListener setScriptFailureListener(ScriptFailureListener listener, void* context, void** previousContext);
