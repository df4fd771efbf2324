// Undoing journal records newest first, with the rules that keep the user's own things.
#include "JournalReplay.h"

namespace {

using Kind = JournalRecord::Kind;

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool endsWithIgnoringCase(const std::string& text, const std::string& tail)
{
    if (text.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if (lowerAscii(text[text.size() - tail.size() + i]) != lowerAscii(tail[i]))
            return false;
    return true;
}

bool sameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && endsWithIgnoringCase(a, b);
}

} // namespace

bool pathInside(const std::string& path, const std::string& folder)
{
    if (folder.empty() || !isSeparator(folder.back()) || path.size() <= folder.size())
        return false;
    for (size_t i = 0; i < folder.size(); ++i) {
        char a = path[i], b = folder[i];
        if (isSeparator(a) && isSeparator(b))
            continue;
        if (lowerAscii(a) != lowerAscii(b))
            return false;
    }
    // no part may step out again or stand for the folder itself
    size_t start = folder.size();
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !isSeparator(path[end]))
            ++end;
        std::string part = path.substr(start, end - start);
        if (part == "." || part == ".." || (part.empty() && end < path.size()))
            return false;
        start = end + 1;
    }
    return true;
}

JournalReplay::JournalReplay(const std::vector<JournalRecord>& records, Mode mode, std::string installFolder,
                             JournalSystem& system)
    : records_(records), mode_(mode), folder_(std::move(installFolder)), system_(system)
{
    last_ = records.size();
    first_ = mode == Mode::rollback ? lastSessionStart(records) : 0;
    if (first_ > last_)
        first_ = last_;
}

void JournalReplay::defer(const std::string& path)
{
    deferred_.push_back(path);
}

void JournalReplay::restrictTo(std::vector<std::string> allowed)
{
    allowed_ = std::move(allowed);
}

bool JournalReplay::allowed(const std::string& name) const
{
    if (allowed_.empty())
        return true;
    for (const std::string& entry : allowed_) {
        if (sameText(name, entry))
            return true;
        if (!entry.empty() && entry.back() == '\\') {
            if (sameText(name, entry.substr(0, entry.size() - 1)) ||
                (name.size() > entry.size() && sameText(name.substr(0, entry.size()), entry)))
                return true;
        }
    }
    return false;
}

void JournalReplay::finishDeferred()
{
    bool scheduled = false;
    for (const std::string& path : deferredFiles_) {
        if (system_.exists(path) && !system_.deleteFile(path) && system_.deleteAtReboot(path))
            scheduled = restartNeeded_ = true;
    }
    for (const std::string& folder : leftFolders_) {
        if (system_.exists(folder) && !system_.removeEmptyFolder(folder) && scheduled)
            system_.deleteAtReboot(folder);
    }
    deferredFiles_.clear();
    leftFolders_.clear();
}

bool JournalReplay::next(std::string* what)
{
    if (done_ == steps())
        return false;
    const JournalRecord& record = records_[last_ - 1 - done_];
    ++done_;
    if (what)
        *what = record.path;
    undo(record);
    return true;
}

void JournalReplay::run()
{
    while (next()) {
    }
}

std::vector<JournalRecord> JournalReplay::remaining() const
{
    if (mode_ == Mode::uninstall)
        return {};
    return std::vector<JournalRecord>(records_.begin(), records_.begin() + first_);
}

void JournalReplay::undo(const JournalRecord& record)
{
    switch (record.kind) {
    case Kind::session:
        break;
    case Kind::file:
        undoFile(record);
        break;
    case Kind::folder:
        undoFolder(record);
        break;
    case Kind::key:
        if (!allowed(record.root + "\\" + record.path)) {
            ++refused_;
            break;
        }
        system_.deleteEmptyKey(record.root, record.path);
        break;
    case Kind::value:
        if (!allowed(record.root + "\\" + record.path + "\\" + record.name)) {
            ++refused_;
            break;
        }
        if (record.hadPrevious)
            system_.setValue(record.root, record.path, record.name, RegistryData{record.previousType, record.previousData});
        else
            system_.setValue(record.root, record.path, record.name, std::nullopt);
        break;
    case Kind::shortcut:
        // the only file outside the install folder: nothing but a shortcut may be named here
        if (!endsWithIgnoringCase(record.path, ".lnk") || !allowed(record.path)) {
            ++refused_;
            break;
        }
        if (system_.exists(record.path) && !system_.deleteFile(record.path) && system_.deleteAtReboot(record.path))
            restartNeeded_ = true;
        break;
    case Kind::server:
        if (!pathInside(record.path, folder_)) {
            ++refused_;
            break;
        }
        if (system_.exists(record.path))
            system_.unregisterServer(record.path);
        break;
    }
}

void JournalReplay::undoFile(const JournalRecord& record)
{
    if (!pathInside(record.path, folder_) || (!record.kept.empty() && !pathInside(record.kept, folder_))) {
        ++refused_;
        return;
    }
    for (const std::string& deferred : deferred_) {
        if (sameText(deferred, record.path)) {
            deferredFiles_.push_back(record.path);
            return;
        }
    }
    if (mode_ == Mode::rollback && !record.kept.empty() && system_.exists(record.kept)) {
        // the replaced file comes back whole; the new one goes with the move
        if (system_.moveReplacing(record.kept, record.path))
            return;
    }
    if (mode_ == Mode::uninstall && !record.kept.empty() && system_.exists(record.kept)) {
        // a copy an interrupted install never let go of
        if (!system_.deleteFile(record.kept) && system_.deleteAtReboot(record.kept))
            restartNeeded_ = true;
    }
    if (!system_.exists(record.path))
        return;
    if (mode_ == Mode::uninstall && record.userData && record.size >= 0) {
        std::optional<FileFacts> facts = system_.fileFacts(record.path);
        if (!facts || facts->size != record.size || facts->check != record.check)
            return;   // the user's own settings: changed since the install, so kept
    }
    if (!system_.deleteFile(record.path) && system_.deleteAtReboot(record.path))
        restartNeeded_ = true;
}

void JournalReplay::undoFolder(const JournalRecord& record)
{
    std::string path = record.path;
    if (path.empty() || !isSeparator(path.back()))
        path += '\\';
    bool isInstallFolder = path.size() == folder_.size() && pathInside(path + "x", folder_);
    if (!isInstallFolder && !pathInside(path, folder_)) {
        ++refused_;
        return;
    }
    if (!system_.exists(record.path) || system_.removeEmptyFolder(record.path))
        return;
    leftFolders_.push_back(record.path);
    // Emptied only once the files scheduled inside it go at the next boot: the folder is scheduled
    // after them, and the boot leaves it when anything else is still inside.
    if (restartNeeded_)
        system_.deleteAtReboot(record.path);
}
