// The publisher's project file: a Lua table read in a sandbox, checked key by key.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

struct SigningSettings {
    std::filesystem::path pkcs12;      // a PKCS#12 file, its password in the environment variable below
    std::string passwordVariable;
    std::filesystem::path certificate, key;   // or a certificate and a key file
    std::string timestamp;             // an RFC 3161 time-stamp address, or empty
    bool enabled() const { return !pkcs12.empty() || !certificate.empty(); }
};

struct Project {
    std::filesystem::path file;        // the project file itself; relative paths start at its folder
    // what the installer shows and writes
    std::string name;                  // the uninstall entry's DisplayName and the shortcut's name
    std::string programName;           // how messages name the program
    std::string title;                 // the window title
    std::string executable;            // the program in the payload that is launched and linked to
    std::string version, publisher, publisherAddress, licenceAddress;
    std::string installFolder;         // the folder under Program Files, also the registry key names
    // what goes in
    std::filesystem::path payload, output;
    std::filesystem::path templates, markup, skin;   // empty: the shipped ones
    std::filesystem::path stub, uninstaller;         // empty: the shipped ones
    std::filesystem::path cache;                     // empty: the user's cache folder
    int level = 7;                     // LZMA level of the payload
    uint32_t solidMiB = 0;             // 0: every file packed on its own
    bool checkValues = true;
    SigningSettings sign;
};

// Runs the project file with only the string, table and math libraries and os.getenv, and reads
// the table it returns. False with a message naming the file and the key that is wrong: an
// unknown key, a value of the wrong type, a required key missing, an unusable install folder name.
// `overrides` (key -> value, from the command line) replace the file's values before any check.
bool loadProject(const std::filesystem::path& file, const std::map<std::string, std::string>& overrides, Project* out,
                 std::string* error);
