// The install journal: what every install into a folder made and changed, in order, as text
// with a check value on every line, so that the uninstaller and a rollback can undo exactly that.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Paths, registry keys and names are UTF-8 here; the Windows side converts at its edge.
struct JournalRecord {
    enum class Kind {
        session,   // an install began: `path` holds its version text
        folder,    // a folder the install created
        file,      // a file the install wrote
        key,       // a registry key the install created (`root`, `path`)
        value,     // a registry value the install set, with the value it replaced
        shortcut,  // a shortcut file outside the install folder
        server,    // a COM server registered with regsvr32
    };
    Kind kind = Kind::folder;
    std::string path;              // folder, file, shortcut, server, key sub-path, session version
    // file: what was written (size -1 while the write is still under way) and where the replaced
    // file is kept until the install finishes (empty: nothing was replaced, or it was let go)
    int64_t size = -1;
    uint32_t check = 0;
    bool userData = false;         // a changed copy belongs to the user and stays at uninstall
    std::string kept;
    // key and value: the root's short name ("HKCU", "HKLM", "HKCR", "HKU")
    std::string root;
    std::string name;              // value name ("" is the default value)
    // value: the type and bytes written; the replaced value when there was one
    uint32_t type = 0;
    std::string data;
    bool hadPrevious = false;
    uint32_t previousType = 0;
    std::string previousData;

    bool operator==(const JournalRecord& other) const;
};

// CRC-32 (the IEEE polynomial), continued from `crc` for data in pieces.
uint32_t journalCrc32(const void* data, size_t size, uint32_t crc = 0);

// The journal's text: a header line, one line per record, an end line with the record count.
// Every line ends with the CRC-32 of what stands before it on the line, so one changed byte,
// a lost line or a cut-off end is found.
std::string formatJournal(const std::vector<JournalRecord>& records);

struct JournalParse {
    std::vector<JournalRecord> records;
    std::string error;   // why the text was refused; empty when it was read whole
    bool ok() const { return error.empty(); }
};
JournalParse parseJournal(const std::string& text);

// The index of the last session record, or records.size() when there is none.
size_t lastSessionStart(const std::vector<JournalRecord>& records);
