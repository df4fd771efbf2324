// Names a Windows installation can create: the payload's files and folders and the install folder.
#pragma once

#include <string>
#include <vector>

// Why one file or folder name cannot be made on Windows (a device name such as CON or COM1 with
// or without an extension, a trailing dot or space, a character Windows refuses, a final "]" that
// the scripts' quoting cannot carry, longer than 255 units), or empty when it can.
std::string nameProblem(const std::u16string& name);

// The name folded for comparisons that ignore letter case, as Windows' file systems do.
std::u16string foldCase(const std::u16string& name);

// Checks every relative path ("/" between levels) of a tree: each level's name, the whole length
// once under `installRoot` ("C:\Program Files\Folder\"), and names that differ only in case.
// Returns one line per problem, each naming the path.
std::vector<std::string> treeProblems(const std::vector<std::u16string>& paths, size_t installRootLength);
