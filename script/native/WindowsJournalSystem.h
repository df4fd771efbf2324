// The install journal on a real machine: its file beside the uninstaller, and the system calls
// that undoing it needs.
#pragma once

#include <JournalReplay.h>

#include <windows.h>

#include <string>
#include <vector>

// The journal's file name inside the install folder.
constexpr wchar_t kJournalFileName[] = L"unins000.dat";

class WindowsJournalSystem : public JournalSystem {
public:
    std::optional<FileFacts> fileFacts(const std::string& path) override;
    bool exists(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    bool deleteAtReboot(const std::string& path) override;
    bool moveReplacing(const std::string& from, const std::string& to) override;
    bool removeEmptyFolder(const std::string& path) override;
    bool setValue(const std::string& root, const std::string& key, const std::string& name,
                  const std::optional<RegistryData>& data) override;
    bool deleteEmptyKey(const std::string& root, const std::string& key) override;
    void unregisterServer(const std::string& path) override;
};

// The predefined root for a short name ("HKCU", "HKLM", "HKCR", "HKU"), and back; null or empty
// for anything else.
HKEY journalRootKey(const std::string& name);
std::string journalRootName(HKEY root);

// A value as it is stored now; nothing when it is missing.
std::optional<RegistryData> readRegistryValue(HKEY root, const std::wstring& key, const std::wstring& name);

// Writes the journal of `folder` (which ends with "\") so that a crash leaves either the old file
// or the new one whole: a new copy, flushed, then moved over the old one.
bool saveJournal(const std::wstring& folder, const std::vector<JournalRecord>& records);

// Reads the journal of `folder`. False with `error` set when it is missing or damaged.
bool loadJournal(const std::wstring& folder, std::vector<JournalRecord>* records, std::string* error);

// Runs the system's regsvr32 by its full path, silently, and waits for it.
void runRegsvr32(const std::wstring& arguments);
