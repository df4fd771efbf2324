// The rules for names a Windows installation can create.
#include "InstallableNames.h"

#include <platform/Utf.h>

#include <map>

namespace {

// Windows' limit for a path without the long-path prefix, its terminator included.
constexpr size_t kMaxPath = 260;
constexpr size_t kMaxComponent = 255;

bool isDeviceName(const std::u16string& name)
{
    // the part before the first dot decides: "con.txt" is the console as much as "con"
    std::u16string base = foldCase(name.substr(0, name.find(u'.')));
    while (!base.empty() && base.back() == u' ')
        base.pop_back();
    static const char16_t* const kDevices[] = {u"con", u"prn", u"aux", u"nul", u"conin$", u"conout$"};
    for (const char16_t* device : kDevices)
        if (base == device)
            return true;
    if (base.size() == 4 && (base.compare(0, 3, u"com") == 0 || base.compare(0, 3, u"lpt") == 0))
        return (base[3] >= u'0' && base[3] <= u'9') || base[3] == u'\u00B9' || base[3] == u'\u00B2' || base[3] == u'\u00B3';
    return false;
}

} // namespace

std::u16string foldCase(const std::u16string& name)
{
    std::u16string out = name;
    for (char16_t& c : out) {
        if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x410 && c <= 0x42F))
            c = char16_t(c + 0x20);
        else if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2)
            c = char16_t(c + 0x20);
        else if (c >= 0x400 && c <= 0x40F)
            c = char16_t(c + 0x50);
    }
    return out;
}

std::string nameProblem(const std::u16string& name)
{
    if (name.empty())
        return "an empty name";
    if (name == u"." || name == u"..")
        return "a name Windows keeps for folders themselves";
    if (name.size() > kMaxComponent)
        return "longer than " + std::to_string(kMaxComponent) + " characters";
    for (char16_t c : name)
        if (c < 32 || std::u16string(u"<>:\"/\\|?*").find(c) != std::u16string::npos)
            return "a character Windows refuses in names (" + (c < 32 ? "code " + std::to_string(int(c)) : utf16ToUtf8(std::u16string(1, c))) + ")";
    if (name.back() == u'.' || name.back() == u' ')
        return "ends in a dot or a space, which Windows drops";
    if (name.back() == u']')
        return "ends in \"]\"";
    if (isDeviceName(name))
        return "a device name of Windows";
    return {};
}

std::vector<std::string> treeProblems(const std::vector<std::u16string>& paths, size_t installRootLength)
{
    std::vector<std::string> problems;
    std::map<std::u16string, std::u16string> seen;   // folded path -> the path as given
    for (const std::u16string& path : paths) {
        std::string shown = utf16ToUtf8(path);
        size_t start = 0;
        std::u16string prefix;
        while (start <= path.size()) {
            size_t slash = path.find(u'/', start);
            if (slash == std::u16string::npos)
                slash = path.size();
            std::u16string part = path.substr(start, slash - start);
            std::string why = nameProblem(part);
            if (!why.empty()) {
                problems.push_back(shown + ": \"" + utf16ToUtf8(part) + "\" " + why);
                break;
            }
            prefix += (prefix.empty() ? u"" : u"/") + part;
            auto [at, added] = seen.emplace(foldCase(prefix), prefix);
            if (!added && at->second != prefix) {
                problems.push_back(shown + ": \"" + utf16ToUtf8(prefix) + "\" and \"" + utf16ToUtf8(at->second) +
                                   "\" differ only in letter case, which Windows does not tell apart");
                break;
            }
            start = slash + 1;
        }
        if (installRootLength + path.size() + 1 > kMaxPath)
            problems.push_back(shown + ": too long once installed (" + std::to_string(installRootLength + path.size()) +
                               " characters, at most " + std::to_string(kMaxPath - 1) + ")");
    }
    return problems;
}
