// Whole-file reads and writes for the publisher's tool; a written file appears whole or not at all.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

bool readFile(const std::filesystem::path& path, std::vector<uint8_t>* out, std::string* error);
bool readText(const std::filesystem::path& path, std::string* out, std::string* error);

// Writes to a temporary file beside `path` and renames it over `path` once complete; on failure
// nothing is left behind.
bool writeFileAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& data, std::string* error);

// A name beside `path` for a temporary file of this process ("NAME.tmp-PID-N").
std::filesystem::path temporaryBeside(const std::filesystem::path& path);

// The path in UTF-8, for messages.
std::string show(const std::filesystem::path& path);

// Seconds since 1970 of the file's last change, 0 when unknown.
int64_t modifiedTime(const std::filesystem::path& path);
