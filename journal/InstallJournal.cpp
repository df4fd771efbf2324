// The install journal's text form: escaping, the per-line check value, and the strict reader.
#include "InstallJournal.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kMagic[] = "OrvoJournal";
constexpr char kVersion[] = "1";
constexpr char kEnd[] = "end";
// Every record line has the same fields after its number, whatever its kind, so the reader has
// one shape to check.
constexpr size_t kRecordFields = 15;

const char* const kKindNames[] = {"session", "folder", "file", "key", "value", "shortcut", "server"};

// The CRC-32 tables for eight bytes at a time: table k gives a byte's contribution k bytes further
// on. The worker checks every byte it installs, so the plain byte-at-a-time loop would cost it a
// noticeable share of an install.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;
CrcTables makeCrcTables()
{
    CrcTables tables{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n)
        for (size_t k = 1; k < 8; ++k)
            tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFF];
    return tables;
}

// Tabs and line breaks would split a field or a line; the backslash escapes them and itself.
std::string escape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

bool unescape(const std::string& text, std::string* out)
{
    out->clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            *out += text[i];
            continue;
        }
        if (++i == text.size())
            return false;
        switch (text[i]) {
        case '\\': *out += '\\'; break;
        case 't': *out += '\t'; break;
        case 'n': *out += '\n'; break;
        case 'r': *out += '\r'; break;
        default: return false;
        }
    }
    return true;
}

std::string hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

bool unhex(const std::string& text, std::string* out)
{
    if (text.size() % 2)
        return false;
    out->clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        char pair[3] = {text[i], text[i + 1], 0};
        char* end = nullptr;
        unsigned long b = std::strtoul(pair, &end, 16);
        if (end != pair + 2)
            return false;
        *out += char(b);
    }
    return true;
}

std::string crcText(const std::string& line)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", journalCrc32(line.data(), line.size()));
    return text;
}

// A whole unsigned or signed decimal number, nothing else.
bool parseNumber(const std::string& text, long long low, long long high, long long* out)
{
    if (text.empty() || text.size() > 20)
        return false;
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 10);
    if (*end || value < low || value > high)
        return false;
    *out = value;
    return true;
}

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

std::string recordLine(size_t number, const JournalRecord& r)
{
    char check[9];
    std::snprintf(check, sizeof check, "%08x", r.check);
    std::string fields[kRecordFields] = {
        std::to_string(number), kKindNames[int(r.kind)], escape(r.path), std::to_string(r.size), check,
        r.userData ? "u" : "", escape(r.kept), escape(r.root), escape(r.name), std::to_string(r.type),
        hex(r.data), r.hadPrevious ? "1" : "0", std::to_string(r.previousType), hex(r.previousData), ""};
    std::string line;
    for (size_t i = 0; i + 1 < kRecordFields; ++i)
        line += fields[i] + '\t';
    return line;
}

std::string recordError(size_t number, const char* why)
{
    return "record " + std::to_string(number) + ": " + why;
}

bool readRecord(const std::vector<std::string>& f, size_t number, JournalRecord* r, std::string* error)
{
    long long value = 0;
    if (!parseNumber(f[0], 1, 1LL << 40, &value) || size_t(value) != number) {
        *error = recordError(number, "out of order or missing");
        return false;
    }
    bool known = false;
    for (size_t k = 0; k < sizeof kKindNames / sizeof *kKindNames; ++k) {
        if (f[1] == kKindNames[k]) {
            r->kind = JournalRecord::Kind(k);
            known = true;
        }
    }
    long long size = 0, type = 0, previousType = 0, check = 0;
    char* end = nullptr;
    check = std::strtoll(f[4].c_str(), &end, 16);
    if (!known || !unescape(f[2], &r->path) || !parseNumber(f[3], -1, 1LL << 50, &size) || f[4].size() != 8 ||
        *end || !(f[5].empty() || f[5] == "u") || !unescape(f[6], &r->kept) || !unescape(f[7], &r->root) ||
        !unescape(f[8], &r->name) || !parseNumber(f[9], 0, 0xFFFFFFFFLL, &type) || !unhex(f[10], &r->data) ||
        !(f[11] == "0" || f[11] == "1") || !parseNumber(f[12], 0, 0xFFFFFFFFLL, &previousType) ||
        !unhex(f[13], &r->previousData)) {
        *error = recordError(number, "has a field it cannot have");
        return false;
    }
    r->size = size;
    r->check = uint32_t(check);
    r->userData = f[5] == "u";
    r->type = uint32_t(type);
    r->hadPrevious = f[11] == "1";
    r->previousType = uint32_t(previousType);
    return true;
}

} // namespace

bool JournalRecord::operator==(const JournalRecord& o) const
{
    return kind == o.kind && path == o.path && size == o.size && check == o.check && userData == o.userData &&
           kept == o.kept && root == o.root && name == o.name && type == o.type && data == o.data &&
           hadPrevious == o.hadPrevious && previousType == o.previousType && previousData == o.previousData;
}

uint32_t journalCrc32(const void* data, size_t size, uint32_t crc)
{
    static const CrcTables tables = makeCrcTables();
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    crc = ~crc;
    for (; size >= 8; size -= 8, bytes += 8) {
        uint32_t low = crc ^ (uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                              uint32_t(bytes[3]) << 24);
        crc = tables[7][low & 0xFF] ^ tables[6][(low >> 8) & 0xFF] ^ tables[5][(low >> 16) & 0xFF] ^
              tables[4][low >> 24] ^ tables[3][bytes[4]] ^ tables[2][bytes[5]] ^ tables[1][bytes[6]] ^
              tables[0][bytes[7]];
    }
    for (; size > 0; --size, ++bytes)
        crc = tables[0][(crc ^ *bytes) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::string formatJournal(const std::vector<JournalRecord>& records)
{
    std::string text;
    auto addLine = [&text](const std::string& line) { text += line + crcText(line) + '\n'; };
    addLine(std::string(kMagic) + '\t' + kVersion + '\t');
    for (size_t i = 0; i < records.size(); ++i)
        addLine(recordLine(i + 1, records[i]));
    addLine(std::string(kEnd) + '\t' + std::to_string(records.size()) + '\t');
    return text;
}

JournalParse parseJournal(const std::string& text)
{
    JournalParse result;
    // checked lines, the check value taken off
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t newline = text.find('\n', start);
        if (newline == std::string::npos) {
            result.error = "the last line is cut off";
            return result;
        }
        std::string line = text.substr(start, newline - start);
        start = newline + 1;
        size_t tab = line.rfind('\t');
        if (tab == std::string::npos || line.substr(tab + 1) != crcText(line.substr(0, tab + 1))) {
            result.error = "line " + std::to_string(lines.size() + 1) + " does not match its check value";
            return result;
        }
        line.resize(tab);
        lines.push_back(line);
    }
    if (lines.size() < 2 || lines.front() != std::string(kMagic) + '\t' + kVersion) {
        result.error = "not an install journal of this version";
        return result;
    }
    std::vector<std::string> endFields = splitTabs(lines.back());
    long long count = 0;
    if (endFields.size() != 2 || endFields[0] != kEnd || !parseNumber(endFields[1], 0, 1LL << 40, &count) ||
        size_t(count) != lines.size() - 2) {
        result.error = "the end line is missing or counts other records";
        return result;
    }
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        std::vector<std::string> fields = splitTabs(lines[i]);
        JournalRecord record;
        if (fields.size() != kRecordFields - 1) {
            result.error = recordError(i, "has the wrong number of fields");
            result.records.clear();
            return result;
        }
        if (!readRecord(fields, i, &record, &result.error)) {
            result.records.clear();
            return result;
        }
        result.records.push_back(std::move(record));
    }
    return result;
}

size_t lastSessionStart(const std::vector<JournalRecord>& records)
{
    for (size_t i = records.size(); i-- > 0;)
        if (records[i].kind == JournalRecord::Kind::session)
            return i;
    return records.size();
}
