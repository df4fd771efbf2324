// Authenticode signatures through osslsigncode: SHA-256, and an RFC 3161 time stamp when asked.
#pragma once

#include "Project.h"

#include <filesystem>
#include <string>
#include <vector>

// Signs `in` into `out` (a new file). `signingTime` (seconds since 1970) is the signature's time
// when no time-stamp address is given, so that the same input signs to the same bytes. False with
// what osslsigncode said, or why it could not run (not installed, the password variable unset).
bool signExecutable(const SigningSettings& settings, int64_t signingTime, const std::filesystem::path& in,
                    const std::filesystem::path& out, std::string* error);

// Runs a program found on PATH with `arguments`; its exit status, or -1 when it cannot start.
// Its output goes to `output` (a file), which is read back into `said`.
int runProgram(const std::vector<std::string>& arguments, std::string* said);
