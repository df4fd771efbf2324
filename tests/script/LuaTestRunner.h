// Runs a .lua test script from tests/script/lua through the real UI script state, with a small
// test-only global table `T` for checks, helper processes and values handed in and out.
#pragma once

#include "TestSupport.h"

#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct LuaTestResult {
    std::vector<std::string> failures;           // from T.check / T.eq, in order
    std::vector<MessageBoxCapture::Box> boxes;   // every box shown, script errors included
    std::map<std::string, std::string> recorded; // T.record(name, value)
    bool ran = false;                            // the script reached its end
};

// Script-visible: T.dir (a fresh folder, trailing backslash), T.helper (the helper program),
// every entry of `values` as T[name], and the functions
//   T.check(cond, what)  T.eq(actual, expected, what)  T.record(name, value)
//   T.spawn(exe, args) -> pid       T.exitCode(pid, ms) -> code or nil while it runs
//   T.setReadOnly(path)             T.isReadOnly(path) -> boolean
LuaTestResult runLuaTest(const std::wstring& script, const TempDir& dir,
                         const std::map<std::string, std::string>& values = {});

// The helper program's full path and the lua folder's, as Windows paths.
std::wstring helperProgram();
std::wstring windowsPathOf(const char* unixPath);

// Fails the current test with every failure and unexpected box of `result`.
void expectClean(const LuaTestResult& result);

} // namespace testing_support
