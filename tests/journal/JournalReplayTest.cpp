// Undoing a journal against an in-memory machine: an uninstall after an upgrade, and the rollback
// of an upgrade that did not finish.
#include <JournalReplay.h>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using Kind = JournalRecord::Kind;
const std::string kFolder = "C:\\App\\";

// Files hold their text; folders are names; a locked file cannot be deleted or replaced.
struct FakeMachine : JournalSystem {
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    std::set<std::string> locked;
    std::vector<std::string> atReboot;
    std::map<std::string, RegistryData> values;   // "root\key\name"
    std::set<std::string> keys;                    // "root\key"
    std::vector<std::string> unregistered;

    static std::string folderOf(const std::string& path)
    {
        std::string trimmed = path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
        return trimmed.substr(0, trimmed.rfind('\\'));
    }
    bool hasChildren(const std::string& folder) const
    {
        std::string trimmed = folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder;
        for (const auto& file : files)
            if (folderOf(file.first) == trimmed)
                return true;
        for (const std::string& other : folders)
            if (folderOf(other) == trimmed)
                return true;
        return false;
    }
    std::optional<FileFacts> fileFacts(const std::string& path) override
    {
        auto it = files.find(path);
        if (it == files.end())
            return std::nullopt;
        return FileFacts{int64_t(it->second.size()), journalCrc32(it->second.data(), it->second.size())};
    }
    bool exists(const std::string& path) override
    {
        std::string trimmed = path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
        return files.count(path) || folders.count(trimmed);
    }
    bool deleteFile(const std::string& path) override
    {
        if (locked.count(path))
            return false;
        return files.erase(path) == 1;
    }
    bool deleteAtReboot(const std::string& path) override
    {
        atReboot.push_back(path);
        return true;
    }
    bool moveReplacing(const std::string& from, const std::string& to) override
    {
        if (locked.count(to) || !files.count(from))
            return false;
        files[to] = files[from];
        files.erase(from);
        return true;
    }
    bool removeEmptyFolder(const std::string& path) override
    {
        std::string trimmed = path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
        if (hasChildren(trimmed))
            return false;
        return folders.erase(trimmed) == 1;
    }
    bool setValue(const std::string& root, const std::string& key, const std::string& name,
                  const std::optional<RegistryData>& data) override
    {
        std::string at = root + "\\" + key + "\\" + name;
        if (data)
            values[at] = *data;
        else
            values.erase(at);
        return true;
    }
    bool deleteEmptyKey(const std::string& root, const std::string& key) override
    {
        std::string at = root + "\\" + key;
        for (const auto& value : values)
            if (value.first.rfind(at + "\\", 0) == 0 && value.first.find('\\', at.size() + 1) == std::string::npos)
                return false;
        for (const std::string& other : keys)
            if (other != at && other.rfind(at + "\\", 0) == 0)
                return false;
        return keys.erase(at) == 1;
    }
    void unregisterServer(const std::string& path) override { unregistered.push_back(path); }
};

// The journal a test install writes while it changes the fake machine the same way.
struct Installer {
    FakeMachine& machine;
    std::vector<JournalRecord> records;

    void session(const std::string& version)
    {
        JournalRecord r;
        r.kind = Kind::session;
        r.path = version;
        records.push_back(r);
    }
    void folder(const std::string& relative)
    {
        std::string path = kFolder + relative;
        std::string trimmed = path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
        if (machine.folders.insert(trimmed).second) {
            JournalRecord r;
            r.kind = Kind::folder;
            r.path = path;
            records.push_back(r);
        }
    }
    void file(const std::string& relative, const std::string& text, bool userData = false)
    {
        JournalRecord r;
        r.kind = Kind::file;
        r.path = kFolder + relative;
        r.userData = userData;
        if (machine.files.count(r.path)) {
            r.kept = r.path + ".~orvo" + std::to_string(records.size());
            machine.files[r.kept] = machine.files[r.path];
        }
        machine.files[r.path] = text;
        r.size = int64_t(text.size());
        r.check = journalCrc32(text.data(), text.size());
        records.push_back(r);
    }
    // The kept copies go once an install has finished.
    void finish()
    {
        for (size_t i = lastSessionStart(records); i < records.size(); ++i) {
            if (!records[i].kept.empty()) {
                machine.files.erase(records[i].kept);
                records[i].kept.clear();
            }
        }
    }
    void key(const std::string& root, const std::string& path)
    {
        if (machine.keys.insert(root + "\\" + path).second) {
            JournalRecord r;
            r.kind = Kind::key;
            r.root = root;
            r.path = path;
            records.push_back(r);
        }
    }
    void value(const std::string& root, const std::string& key, const std::string& name, const std::string& text)
    {
        JournalRecord r;
        r.kind = Kind::value;
        r.root = root;
        r.path = key;
        r.name = name;
        r.type = 1;
        r.data = text;
        std::string at = root + "\\" + key + "\\" + name;
        if (machine.values.count(at)) {
            r.hadPrevious = true;
            r.previousType = machine.values[at].type;
            r.previousData = machine.values[at].bytes;
        }
        machine.values[at] = RegistryData{1, text};
        records.push_back(r);
    }
    void server(const std::string& relative)
    {
        JournalRecord r;
        r.kind = Kind::server;
        r.path = kFolder + relative;
        records.push_back(r);
    }
    void foreign(Kind kind, const std::string& path)
    {
        JournalRecord r;
        r.kind = kind;
        r.path = path;
        records.push_back(r);
    }
};

// A machine with things of its own: a folder the install goes into already holds a file, and the
// registry already has a value the install overwrites.
FakeMachine startingMachine()
{
    FakeMachine machine;
    machine.folders = {"C:", "C:\\Windows"};
    machine.files["C:\\Windows\\system.ini"] = "system";
    machine.keys = {"HKCU\\Software"};
    machine.values["HKCU\\Software\\Run\\Other"] = RegistryData{1, "theirs"};
    return machine;
}

void firstInstall(Installer& install)
{
    install.session("1.0");
    install.folder("");
    install.folder("bin\\");
    install.file("bin\\app.exe", "app v1");
    install.file("bin\\filter.ax", "filter v1");
    install.server("bin\\filter.ax");
    install.file("settings.ini", "defaults", true);
    install.file("readme.txt", "read me v1");
    install.key("HKCU", "Software\\Orvo");
    install.value("HKCU", "Software\\Orvo", "Version", "1.0");
    install.value("HKCU", "Software\\Run", "Other", "ours");
    install.finish();
}

void upgrade(Installer& install)
{
    install.session("2.0");
    install.folder("bin\\");   // already there: not recorded again
    install.folder("plugins\\");
    install.file("bin\\app.exe", "app v2");
    install.file("plugins\\extra.dll", "extra");
    install.value("HKCU", "Software\\Orvo", "Version", "2.0");
}

TEST(JournalReplay, UninstallAfterAnUpgradeRemovesBothInstallsAndKeepsEverythingElse)
{
    FakeMachine machine = startingMachine();
    Installer install{machine, {}};
    machine.folders.insert("C:\\App");              // the folder held the user's things before
    machine.files["C:\\App\\notes.txt"] = "mine";
    firstInstall(install);
    upgrade(install);
    install.finish();
    // what the user did since: added a file into an install folder, changed two installed files
    machine.files["C:\\App\\bin\\user.dat"] = "added";
    machine.files["C:\\App\\settings.ini"] = "my settings";
    machine.files["C:\\App\\readme.txt"] = "scribbled";
    // a damaged or hostile record never reaches outside the install folder
    install.foreign(Kind::file, "C:\\Windows\\system.ini");
    install.foreign(Kind::file, "C:\\App\\..\\Windows\\system.ini");
    install.foreign(Kind::folder, "C:\\Windows\\");
    install.foreign(Kind::shortcut, "C:\\Windows\\system.ini");
    install.foreign(Kind::server, "C:\\Windows\\system.ini");

    JournalReplay replay(install.records, JournalReplay::Mode::uninstall, kFolder, machine);
    EXPECT_EQ(replay.steps(), install.records.size());
    replay.run();

    std::map<std::string, std::string> expectedFiles = {
        {"C:\\Windows\\system.ini", "system"},
        {"C:\\App\\notes.txt", "mine"},
        {"C:\\App\\bin\\user.dat", "added"},
        {"C:\\App\\settings.ini", "my settings"},   // user data the user changed stays
    };
    EXPECT_EQ(machine.files, expectedFiles);
    EXPECT_EQ(machine.folders, (std::set<std::string>{"C:", "C:\\Windows", "C:\\App", "C:\\App\\bin"}));
    std::map<std::string, RegistryData> values = machine.values;
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values["HKCU\\Software\\Run\\Other"].bytes, "theirs");
    EXPECT_EQ(machine.keys, std::set<std::string>{"HKCU\\Software"});
    EXPECT_EQ(machine.unregistered, std::vector<std::string>{"C:\\App\\bin\\filter.ax"});
    EXPECT_EQ(replay.refused(), 5u);
    EXPECT_FALSE(replay.restartNeeded());
    EXPECT_TRUE(machine.atReboot.empty());
    EXPECT_TRUE(replay.remaining().empty());
}

TEST(JournalReplay, UnchangedUserDataGoesAndFilesInUseWaitForTheBootWithTheirFolder)
{
    FakeMachine machine = startingMachine();
    Installer install{machine, {}};
    firstInstall(install);
    machine.locked.insert("C:\\App\\bin\\app.exe");

    JournalReplay replay(install.records, JournalReplay::Mode::uninstall, kFolder, machine);
    std::vector<std::string> touched;
    std::string what;
    while (replay.next(&what))
        touched.push_back(what);
    EXPECT_EQ(touched.size(), install.records.size());
    EXPECT_EQ(touched.front(), "Software\\Run");      // newest first
    EXPECT_EQ(touched.back(), "1.0");

    EXPECT_EQ(machine.files.count("C:\\App\\settings.ini"), 0u);
    EXPECT_TRUE(replay.restartNeeded());
    EXPECT_EQ(machine.atReboot, (std::vector<std::string>{"C:\\App\\bin\\app.exe", "C:\\App\\bin\\", "C:\\App\\"}));
}

TEST(JournalReplay, TheRunningUninstallerGoesLastWithTheFoldersItKept)
{
    FakeMachine machine = startingMachine();
    Installer install{machine, {}};
    firstInstall(install);
    install.file("bin\\unins000.exe", "uninstaller");
    machine.locked.insert("C:\\App\\bin\\unins000.exe");

    JournalReplay replay(install.records, JournalReplay::Mode::uninstall, kFolder, machine);
    replay.defer("c:\\app\\BIN\\unins000.exe");
    replay.run();
    EXPECT_FALSE(replay.restartNeeded());
    EXPECT_TRUE(machine.atReboot.empty());
    EXPECT_EQ(machine.files.count("C:\\App\\bin\\unins000.exe"), 1u);
    EXPECT_EQ(machine.folders.count("C:\\App\\bin"), 1u);

    machine.locked.clear();   // the program has ended
    replay.finishDeferred();
    EXPECT_EQ(machine.files.size(), 1u);
    EXPECT_EQ(machine.folders, (std::set<std::string>{"C:", "C:\\Windows"}));
    EXPECT_FALSE(replay.restartNeeded());
}

TEST(JournalReplay, RollbackOfAnUpgradeBringsBackTheEarlierInstallExactly)
{
    FakeMachine machine = startingMachine();
    Installer install{machine, {}};
    firstInstall(install);
    const FakeMachine before = machine;
    const std::vector<JournalRecord> firstRecords = install.records;
    upgrade(install);
    // the last file cannot be written: its old copy was moved aside, the new one never came
    install.file("readme.txt", "read me v2");
    machine.files.erase("C:\\App\\readme.txt");
    install.records.back().size = -1;

    JournalReplay replay(install.records, JournalReplay::Mode::rollback, kFolder, machine);
    EXPECT_EQ(replay.steps(), install.records.size() - firstRecords.size());
    replay.run();

    EXPECT_EQ(machine.files, before.files);
    EXPECT_EQ(machine.folders, before.folders);
    EXPECT_EQ(machine.keys, before.keys);
    ASSERT_EQ(machine.values.size(), before.values.size());
    for (const auto& value : before.values)
        EXPECT_EQ(machine.values[value.first].bytes, value.second.bytes) << value.first;
    EXPECT_EQ(replay.remaining(), firstRecords);
    EXPECT_FALSE(replay.restartNeeded());
}

TEST(JournalReplay, RollbackOfAFreshInstallLeavesNothing)
{
    FakeMachine machine = startingMachine();
    const FakeMachine before = machine;
    Installer install{machine, {}};
    firstInstall(install);
    JournalReplay replay(install.records, JournalReplay::Mode::rollback, kFolder, machine);
    replay.run();
    EXPECT_EQ(machine.files, before.files);
    EXPECT_EQ(machine.folders, before.folders);
    EXPECT_EQ(machine.keys, before.keys);
    EXPECT_EQ(machine.values.size(), before.values.size());
    EXPECT_TRUE(replay.remaining().empty());
}

TEST(JournalReplay, AnUninstallTouchesOnlyTheKeysAndShortcutItNames)
{
    FakeMachine machine = startingMachine();
    machine.files["C:\\Desktop\\Other.lnk"] = "theirs";
    machine.files["C:\\Desktop\\Orvo.lnk"] = "ours";
    Installer install{machine, {}};
    firstInstall(install);
    install.foreign(Kind::shortcut, "C:\\Desktop\\Other.lnk");
    install.foreign(Kind::shortcut, "C:\\Desktop\\Orvo.lnk");
    JournalReplay replay(install.records, JournalReplay::Mode::uninstall, kFolder, machine);
    // Software\Run is not named: its value stays as the install left it
    replay.restrictTo({"hkcu\\software\\orvo\\", "C:\\Desktop\\Orvo.lnk"});
    replay.run();
    EXPECT_EQ(machine.keys, std::set<std::string>{"HKCU\\Software"});
    ASSERT_EQ(machine.values.size(), 1u);
    EXPECT_EQ(machine.values["HKCU\\Software\\Run\\Other"].bytes, "ours");
    EXPECT_EQ(machine.files.count("C:\\Desktop\\Other.lnk"), 1u);
    EXPECT_EQ(machine.files.count("C:\\Desktop\\Orvo.lnk"), 0u);
    EXPECT_EQ(replay.refused(), 2u);
}

TEST(JournalReplay, PathInsideTheInstallFolder)
{
    struct Case {
        const char* path;
        bool inside;
    } cases[] = {
        {"C:\\App\\a.txt", true},
        {"c:\\app\\Sub\\a.txt", true},
        {"C:/App/a.txt", true},
        {"C:\\App\\", false},
        {"C:\\App", false},
        {"C:\\Apple\\a.txt", false},
        {"C:\\App\\..\\Windows\\a.txt", false},
        {"C:\\App\\sub\\.\\a.txt", false},
        {"C:\\App\\\\a.txt", false},
        {"D:\\App\\a.txt", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pathInside(c.path, kFolder), c.inside) << c.path;
    EXPECT_FALSE(pathInside("C:\\App\\a.txt", "C:\\App"));
}

} // namespace
