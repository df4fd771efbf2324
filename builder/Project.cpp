// Reads the project file: a Lua chunk that returns a table, run where it can read nothing but the
// environment.
#include "Project.h"

#include "InstallableNames.h"

#include <platform/Utf.h>

#include <lua.hpp>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

// A project file runs no longer than this many Lua instructions: a loop that never ends is an error.
constexpr int kInstructionLimit = 50'000'000;

std::string show(const fs::path& path)
{
    auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

void stopRunaway(lua_State* L, lua_Debug*)
{
    luaL_error(L, "the project file runs too long");
}

// The string, table and math libraries, and os.getenv: a project may take its version from CI.
void openSandbox(lua_State* L)
{
    luaL_requiref(L, "_G", luaopen_base, 1);
    luaL_requiref(L, LUA_STRLIBNAME, luaopen_string, 1);
    luaL_requiref(L, LUA_TABLIBNAME, luaopen_table, 1);
    luaL_requiref(L, LUA_MATHLIBNAME, luaopen_math, 1);
    luaL_requiref(L, LUA_OSLIBNAME, luaopen_os, 0);
    lua_getfield(L, -1, "getenv");
    lua_newtable(L);
    lua_insert(L, -2);
    lua_setfield(L, -2, "getenv");
    lua_setglobal(L, "os");
    lua_settop(L, 0);
    for (const char* name : {"dofile", "loadfile", "load", "loadstring", "require", "module", "collectgarbage", "rawequal"}) {
        lua_pushnil(L);
        lua_setglobal(L, name);
    }
}

struct Reader {
    lua_State* L;
    std::string file;
    std::string error;
    std::string prefix;   // "sign." inside the signing table

    bool fail(const std::string& key, const std::string& why)
    {
        if (error.empty())
            error = file + ": " + (key.empty() ? "" : "key '" + prefix + key + "': ") + why;
        return false;
    }

    // Every key of the table at the top of the stack must be one of `known`.
    bool onlyKnown(const std::set<std::string>& known)
    {
        lua_pushnil(L);
        while (lua_next(L, -2)) {
            lua_pop(L, 1);
            if (lua_type(L, -1) != LUA_TSTRING) {
                lua_pop(L, 1);
                return fail("", "the table has a key that is not a name");
            }
            std::string key = lua_tostring(L, -1);
            if (!known.count(key)) {
                lua_pop(L, 1);
                std::string list;
                for (const std::string& k : known)
                    list += (list.empty() ? "" : ", ") + k;
                return fail(key, "unknown key (known: " + list + ")");
            }
        }
        return true;
    }

    bool text(const char* key, std::string* out, bool required)
    {
        lua_getfield(L, -1, key);
        int type = lua_type(L, -1);
        bool ok = true;
        if (type == LUA_TNIL) {
            ok = !required || fail(key, "missing; it is required");
        } else if (type != LUA_TSTRING) {
            ok = fail(key, std::string("a text is needed, not a ") + lua_typename(L, type));
        } else {
            size_t length = 0;
            const char* bytes = lua_tolstring(L, -1, &length);
            *out = std::string(bytes, length);
            if (out->find('\0') != std::string::npos)
                ok = fail(key, "holds a NUL character");
        }
        lua_pop(L, 1);
        return ok;
    }

    bool path(const char* key, const fs::path& base, fs::path* out, bool required)
    {
        std::string value;
        if (!text(key, &value, required))
            return false;
        if (!value.empty())
            *out = (base / fs::u8path(value)).lexically_normal();
        return true;
    }

    bool number(const char* key, long long low, long long high, long long* out)
    {
        lua_getfield(L, -1, key);
        int type = lua_type(L, -1);
        bool ok = true;
        if (type != LUA_TNIL) {
            lua_Number value = lua_tonumber(L, -1);
            if (type != LUA_TNUMBER || value != (long long)value || value < low || value > high)
                ok = fail(key, "a whole number from " + std::to_string(low) + " to " + std::to_string(high) + " is needed");
            else
                *out = (long long)value;
        }
        lua_pop(L, 1);
        return ok;
    }
};

} // namespace

bool loadProject(const fs::path& file, const std::map<std::string, std::string>& overrides, Project* out,
                 std::string* error)
{
    std::string name = show(file);
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        *error = name + ": cannot be read";
        return false;
    }
    std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    lua_State* L = luaL_newstate();
    if (!L) {
        *error = "out of memory";
        return false;
    }
    struct Close {
        lua_State* L;
        ~Close() { lua_close(L); }
    } close{L};
    openSandbox(L);
    lua_sethook(L, stopRunaway, LUA_MASKCOUNT, kInstructionLimit);
    // text only: precompiled chunks could break the interpreter's assumptions
    std::string chunk = "@" + name;
    if (luaL_loadbufferx(L, source.data(), source.size(), chunk.c_str(), "t") != LUA_OK ||
        lua_pcall(L, 0, 1, 0) != LUA_OK) {
        *error = lua_tostring(L, -1) ? lua_tostring(L, -1) : name + ": error";
        return false;
    }
    if (!lua_istable(L, -1)) {
        *error = name + ": the project file must return a table (return { name = ..., ... })";
        return false;
    }

    // the command line's values win over the file's: numbers and truth values as such, the rest as text
    for (const auto& [key, value] : overrides) {
        char* end = nullptr;
        double number = std::strtod(value.c_str(), &end);
        if (value == "true" || value == "false")
            lua_pushboolean(L, value == "true");
        else if (!value.empty() && *end == 0 && (key == "level" || key == "solid"))
            lua_pushnumber(L, number);
        else
            lua_pushlstring(L, value.data(), value.size());
        lua_setfield(L, -2, key.c_str());
    }

    Project p;
    p.file = file;
    fs::path base = file.parent_path();
    Reader r{L, name, {}, {}};
    bool ok = r.onlyKnown({"name", "program_name", "title", "executable", "version", "publisher", "publisher_url",
                           "licence_url", "install_folder", "payload", "output", "templates", "markup", "skin", "stub",
                           "uninstaller", "cache", "level", "solid", "check_values", "sign"}) &&
              r.text("name", &p.name, true) && r.text("version", &p.version, true) &&
              r.text("publisher", &p.publisher, true) && r.text("executable", &p.executable, true) &&
              r.text("program_name", &p.programName, false) && r.text("title", &p.title, false) &&
              r.text("publisher_url", &p.publisherAddress, false) && r.text("licence_url", &p.licenceAddress, false) &&
              r.text("install_folder", &p.installFolder, false) && r.path("payload", base, &p.payload, true) &&
              r.path("output", base, &p.output, false) && r.path("templates", base, &p.templates, false) &&
              r.path("markup", base, &p.markup, false) && r.path("skin", base, &p.skin, false) &&
              r.path("stub", base, &p.stub, false) && r.path("uninstaller", base, &p.uninstaller, false) &&
              r.path("cache", base, &p.cache, false);
    long long level = p.level, solid = p.solidMiB;
    ok = ok && r.number("level", 0, 9, &level) && r.number("solid", 0, 64, &solid);
    p.level = int(level);
    p.solidMiB = uint32_t(solid);
    if (ok) {
        lua_getfield(L, -1, "check_values");
        if (lua_isboolean(L, -1))
            p.checkValues = lua_toboolean(L, -1);
        else if (!lua_isnil(L, -1))
            ok = r.fail("check_values", "true or false is needed");
        lua_pop(L, 1);
    }
    if (ok) {
        lua_getfield(L, -1, "sign");
        if (lua_istable(L, -1)) {
            r.prefix = "sign.";
            ok = r.onlyKnown({"pkcs12", "password_env", "certificate", "key", "timestamp"}) &&
                 r.path("pkcs12", base, &p.sign.pkcs12, false) && r.text("password_env", &p.sign.passwordVariable, false) &&
                 r.path("certificate", base, &p.sign.certificate, false) && r.path("key", base, &p.sign.key, false) &&
                 r.text("timestamp", &p.sign.timestamp, false);
            if (ok && !p.sign.pkcs12.empty() && !p.sign.certificate.empty())
                ok = r.fail("pkcs12", "give a PKCS#12 file or a certificate and a key, not both");
            else if (ok && p.sign.pkcs12.empty() && p.sign.certificate.empty())
                ok = r.fail("", "names neither a PKCS#12 file (pkcs12) nor a certificate (certificate, key)");
            else if (ok && !p.sign.certificate.empty() && p.sign.key.empty())
                ok = r.fail("key", "missing; a certificate needs its key file");
            else if (ok && !p.sign.pkcs12.empty() && p.sign.passwordVariable.empty())
                ok = r.fail("password_env", "missing; name the environment variable that holds the password");
            r.prefix.clear();
        } else if (!lua_isnil(L, -1)) {
            ok = r.fail("sign", "a table is needed");
        }
        lua_pop(L, 1);
    }
    if (!ok) {
        *error = r.error;
        return false;
    }

    // defaults, then what the values must be
    if (p.programName.empty())
        p.programName = p.name;
    if (p.title.empty())
        p.title = p.name + " " + p.version + " 安装程序";
    const char* folderKey = p.installFolder.empty() ? "name" : "install_folder";
    if (p.installFolder.empty())
        p.installFolder = p.name;
    if (p.output.empty())
        p.output = base / "setup.exe";
    for (const auto& [key, value] : std::map<std::string, const std::string*>{
             {"name", &p.name}, {"version", &p.version}, {"publisher", &p.publisher}, {"executable", &p.executable}})
        if (value->empty())
            return (*error = name + ": key '" + key + "': must not be empty"), false;
    std::string why = nameProblem(utf8ToUtf16(p.installFolder));
    if (!why.empty()) {
        *error = name + ": key '" + folderKey + "': the install folder \"" + p.installFolder +
                 "\" cannot be made on Windows: " + why;
        return false;
    }
    std::error_code ec;
    if (!fs::is_directory(p.payload, ec)) {
        *error = name + ": key 'payload': " + show(p.payload) + " is not a folder";
        return false;
    }
    for (const auto& [key, folder] : std::map<std::string, const fs::path*>{
             {"templates", &p.templates}, {"markup", &p.markup}, {"skin", &p.skin}})
        if (!folder->empty() && !fs::is_directory(*folder, ec)) {
            *error = name + ": key '" + key + "': " + show(*folder) + " is not a folder";
            return false;
        }
    for (const auto& [key, path] : std::map<std::string, const fs::path*>{
             {"stub", &p.stub}, {"uninstaller", &p.uninstaller}, {"sign.pkcs12", &p.sign.pkcs12},
             {"sign.certificate", &p.sign.certificate}, {"sign.key", &p.sign.key}})
        if (!path->empty() && !fs::is_regular_file(*path, ec)) {
            *error = name + ": key '" + key + "': " + show(*path) + " is not a file";
            return false;
        }
    *out = std::move(p);
    return true;
}
