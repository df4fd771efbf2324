// Fills the script templates; the same rules as tools/payload/payload.py for the step list.
#include "Scripts.h"

#include "InstallableNames.h"

#include <PackageWriter.h>
#include <PackedScript.h>
#include <platform/Utf.h>

#include <algorithm>
#include <cstdio>

namespace {

// Long brackets of a level the text cannot close: neither a "]]" inside nor a last "]" that the
// closing bracket would complete may end the string early.
std::string longBracket(const std::string& text)
{
    size_t level = 0;
    while (true) {
        std::string close = "]" + std::string(level, '=') + "]";
        if ((text + close).find(close) == text.size())
            break;
        ++level;
    }
    std::string lead = !text.empty() && (text[0] == '\r' || text[0] == '\n') ? "\n" : "";
    return "[" + std::string(level, '=') + "[" + lead + text + "]" + std::string(level, '=') + "]";
}

} // namespace

std::string luaQuoted(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 32 || c == 127) {
            // three digits, so that a digit after the escape cannot join it
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\%03d", int(c));
            out += escape;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

bool fillProductBlock(const std::string& script, const Project& p, std::string* out, std::string* error)
{
    size_t begin = script.find("--@PROJECT\n"), end = script.find("--@END\n");
    if (begin == std::string::npos || end == std::string::npos || end < begin) {
        *error = "has no \"--@PROJECT\" ... \"--@END\" block for the product's values";
        return false;
    }
    std::string block = "--@PROJECT\n";
    for (const auto& [name, value] : std::vector<std::pair<const char*, const std::string*>>{
             {"PRODUCT_NAME", &p.name}, {"PROGRAM_NAME", &p.programName}, {"WINDOW_TITLE", &p.title},
             {"PROGRAM_EXE", &p.executable}, {"VERSION", &p.version}, {"PUBLISHER", &p.publisher},
             {"PUBLISHER_ADDRESS", &p.publisherAddress}, {"LICENCE_ADDRESS", &p.licenceAddress},
             {"INSTALL_FOLDER", &p.installFolder}})
        block += std::string("local ") + name + " = " + luaQuoted(*value) + "\n";
    *out = script.substr(0, begin) + block + script.substr(end);
    return true;
}

std::vector<WorkerStep> workerSteps(const std::vector<std::u16string>& folders,
                                    const std::vector<std::u16string>& filesInPackageOrder,
                                    const std::u16string& uninstaller)
{
    auto windowsPath = [](const std::u16string& name) {
        std::string path = utf16ToUtf8(name);
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    };
    // compared as UTF-8 of the folded text: the order of code points, as the build's script sorts
    std::vector<std::pair<std::string, std::string>> keyed;
    for (const std::u16string& folder : folders) {
        std::string path = windowsPath(folder);
        keyed.push_back({utf16ToUtf8(foldCase(utf8ToUtf16(path))), path});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<WorkerStep> steps;
    for (const auto& folder : keyed)
        steps.push_back({WorkerStep::folder, folder.second});
    for (const std::u16string& file : filesInPackageOrder)
        steps.push_back({WorkerStep::file, windowsPath(file)});
    if (!uninstaller.empty())
        steps.push_back({WorkerStep::uninstaller, windowsPath(uninstaller)});
    return steps;
}

bool fillWorkerSteps(const std::string& script, const std::vector<WorkerStep>& steps, std::string* out,
                     std::string* error)
{
    const std::string marker = "--@OPERATIONS@";
    size_t at = script.find(marker);
    if (at == std::string::npos) {
        *error = "has no --@OPERATIONS@ line";
        return false;
    }
    std::string rows;
    for (size_t i = 0; i < steps.size(); ++i)
        rows += (i ? "\n" : "") + std::string("    {") + std::to_string(int(steps[i].kind)) + ", " + longBracket(steps[i].path) + "},";
    *out = script.substr(0, at) + rows + script.substr(at + marker.size());
    return true;
}

bool storedScript(const std::vector<uint8_t>& text, std::vector<uint8_t>* out, std::string* error)
{
    // scripts are small and read once: packed as tightly as LZMA goes
    if (text.size() > packedscript::kMaxUnpacked) {
        *error = "a script larger than " + std::to_string(packedscript::kMaxUnpacked >> 20) + " MiB";
        return false;
    }
    std::vector<uint8_t> lzma;
    if (!PackageWriter::encode(9, text.data(), text.size(), &lzma, error))
        return false;
    std::vector<uint8_t> packed = packedscript::wrap(text.size(), lzma);
    *out = !packed.empty() && packed.size() < text.size() ? std::move(packed) : text;
    return true;
}
