// One uninstaller run as its UI script sees it: the install folder, the switches, the exit code.
#pragma once

#include <string>

struct lua_State;

class UninstallerRun {
public:
    UninstallerRun(std::wstring folder, const std::wstring& commandLine);

    // Reads the switches and opens the log. When the run must not go on (refused switches: 87,
    // or /? after showing the usage: 0) tells with what code it ends.
    bool ends(int* code) const
    {
        if (refusal_ == 0)
            return false;
        *code = refusal_ < 0 ? 0 : refusal_;
        return true;
    }
    // What the script set with setExitCode; a script that ended before it (an error) failed.
    int exitCode() const { return exitCode_; }

    // uninstallFolder(), isSilent(), isNoRestart(), writeLog(text), setExitCode(code).
    void registerFunctions(lua_State* L);

private:
    static int uninstallFolder(lua_State* L);
    static int isSilent(lua_State* L);
    static int isNoRestart(lua_State* L);
    static int writeLog(lua_State* L);
    static int setExitCode(lua_State* L);
    static UninstallerRun* self(lua_State* L);

    std::wstring folder_;
    bool silent_ = false;
    bool noRestart_ = false;
    int refusal_ = 0;
    int exitCode_;
};
