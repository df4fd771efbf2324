// Undoing a journal, newest record first: the uninstall (everything the journal lists) and the
// rollback of an install that did not finish (its own session only), against a narrow system
// interface so the rules are tested without Windows.
#pragma once

#include "InstallJournal.h"

#include <optional>
#include <string>
#include <vector>

struct FileFacts {
    int64_t size = 0;
    uint32_t check = 0;
};

struct RegistryData {
    uint32_t type = 0;
    std::string bytes;
};

// What undoing needs from the machine. Every call reports failure rather than throwing.
class JournalSystem {
public:
    virtual ~JournalSystem() = default;
    // The size and CRC-32 of a file; nothing when it is missing or cannot be read.
    virtual std::optional<FileFacts> fileFacts(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual bool deleteFile(const std::string& path) = 0;
    // Deletes a file or an empty folder at the next boot.
    virtual bool deleteAtReboot(const std::string& path) = 0;
    virtual bool moveReplacing(const std::string& from, const std::string& to) = 0;
    // Removes a folder only when it is empty; never anything below it.
    virtual bool removeEmptyFolder(const std::string& path) = 0;
    // Sets a value, or deletes it when `data` is nothing.
    virtual bool setValue(const std::string& root, const std::string& key, const std::string& name,
                          const std::optional<RegistryData>& data) = 0;
    // Deletes a key only when it holds no value and no sub-key.
    virtual bool deleteEmptyKey(const std::string& root, const std::string& key) = 0;
    virtual void unregisterServer(const std::string& path) = 0;
};

// True when `path` lies strictly inside `folder` (which ends with a separator), compared without
// regard to ASCII letter case, and no part of it is "." or "..".
bool pathInside(const std::string& path, const std::string& folder);

// Walks records backwards, one step per call, so a caller can show progress between steps.
class JournalReplay {
public:
    enum class Mode {
        uninstall,  // every record; files and folders only inside the install folder
        rollback,   // the last session's records; replaced files come back from their kept copies
    };
    JournalReplay(const std::vector<JournalRecord>& records, Mode mode, std::string installFolder,
                  JournalSystem& system);

    // A file the replay must not touch yet (the uninstaller's own program, which runs while the
    // replay does): its record is skipped and the file goes in finishDeferred().
    void defer(const std::string& path);

    // Registry keys and values, and the shortcut, the replay may touch: a name that equals an
    // entry, or lies below an entry ending with "\" ("HKCU\Software\Orvo\"). Values are named
    // root\key\value. Without a call everything is allowed (the rollback of our own session); the
    // uninstaller names its own, so a journal planted in a folder users can write never reaches
    // another program's settings.
    void restrictTo(std::vector<std::string> allowed);

    size_t steps() const { return last_ - first_; }
    // Undoes the next record; false when none is left. `what` receives the path it touched.
    bool next(std::string* what = nullptr);
    // Every remaining step at once.
    void run();

    // Once whatever held the deferred files has let go: deletes them, then the folders of the
    // journal that their presence kept from being removed.
    void finishDeferred();

    // Files (and folders) that could only be scheduled for deletion at the next boot.
    bool restartNeeded() const { return restartNeeded_; }
    // Records refused because they name something outside the install folder.
    size_t refused() const { return refused_; }
    // The records that are left once the replay is done: none for an uninstall, those before the
    // last session for a rollback.
    std::vector<JournalRecord> remaining() const;

private:
    void undo(const JournalRecord& record);
    void undoFile(const JournalRecord& record);
    void undoFolder(const JournalRecord& record);

    const std::vector<JournalRecord>& records_;   // not owned
    Mode mode_;
    std::string folder_;
    JournalSystem& system_;                       // not owned
    size_t first_ = 0, last_ = 0;                 // records [first_, last_) are undone, newest first
    size_t done_ = 0;
    bool allowed(const std::string& name) const;

    std::vector<std::string> allowed_;           // empty: no restriction
    std::vector<std::string> deferred_;          // paths given to defer()
    std::vector<std::string> deferredFiles_;     // deferred paths whose records were met
    std::vector<std::string> leftFolders_;       // folders that were not empty, innermost first
    bool restartNeeded_ = false;
    size_t refused_ = 0;
};
