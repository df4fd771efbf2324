// Whole-file reads and writes through the standard library, with wide paths on Windows.
#include "FileIo.h"

#include <atomic>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <process.h>
#include <sys/stat.h>
#define getpid _getpid
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

std::string show(const fs::path& path)
{
    auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

bool readFile(const fs::path& path, std::vector<uint8_t>* out, std::string* error)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        *error = "cannot open " + show(path);
        return false;
    }
    std::streamoff size = in.tellg();
    out->assign(size > 0 ? size_t(size) : 0, 0);
    in.seekg(0);
    if (size > 0)
        in.read(reinterpret_cast<char*>(out->data()), size);
    if (!in || in.gcount() != size) {
        *error = "cannot read " + show(path);
        return false;
    }
    return true;
}

bool readText(const fs::path& path, std::string* out, std::string* error)
{
    std::vector<uint8_t> bytes;
    if (!readFile(path, &bytes, error))
        return false;
    out->assign(bytes.begin(), bytes.end());
    return true;
}

fs::path temporaryBeside(const fs::path& path)
{
    static std::atomic<unsigned> serial{0};
    fs::path out = path;
    out += ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
    return out;
}

bool writeFileAtomically(const fs::path& path, const std::vector<uint8_t>& data, std::string* error)
{
    fs::path temporary = temporaryBeside(path);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (out)
            out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
        if (out)
            out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            *error = "cannot write " + show(path);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) {
        fs::remove(temporary, ec);
        *error = "cannot write " + show(path) + ": " + ec.message();
        return false;
    }
    return true;
}

int64_t modifiedTime(const fs::path& path)
{
    // stat, not last_write_time: file_clock's epoch has no portable conversion in C++17
#ifdef _WIN32
    struct _stat64 info;
    return _wstat64(path.c_str(), &info) == 0 ? int64_t(info.st_mtime) : 0;
#else
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? int64_t(info.st_mtime) : 0;
#endif
}
