// The installer's two scripts from their templates: the product's values into the UI scripts, the
// step list into the worker script.
#pragma once

#include "Project.h"

#include <cstdint>
#include <string>
#include <vector>

// A Lua string literal holding `text` exactly.
std::string luaQuoted(const std::string& text);

// `script` with the lines between "--@PROJECT" and "--@END" replaced by the project's values as
// Lua locals (PRODUCT_NAME, PROGRAM_NAME, WINDOW_TITLE, PROGRAM_EXE, VERSION, PUBLISHER,
// PUBLISHER_ADDRESS, LICENCE_ADDRESS, INSTALL_FOLDER). False when the template has no such block.
bool fillProductBlock(const std::string& script, const Project& project, std::string* out, std::string* error);

// One step of the worker, "\" between levels: a folder to make, a file to extract, or the
// uninstaller to write from the installer's own stub.
struct WorkerStep {
    enum Kind { folder = 0, file = 1, uninstaller = 2 };
    Kind kind;
    std::string path;   // UTF-8
};

// The steps in install order: every folder first, case-insensitive alphabetical so that each stands
// before the folders it holds, then the files as given: in the package's order, so that the worker
// asks for the files of each solid block together and the block is decoded once. Names use "/" or
// "\" between levels; the steps "\". `uninstaller`, when not empty, is written last: by then the
// decoders are done and their memory is free.
std::vector<WorkerStep> workerSteps(const std::vector<std::u16string>& folders,
                                    const std::vector<std::u16string>& filesInPackageOrder,
                                    const std::u16string& uninstaller = {});

// `script` with its "--@OPERATIONS@" line replaced by the rows `{kind, [[path]]},`.
bool fillWorkerSteps(const std::string& script, const std::vector<WorkerStep>& steps, std::string* out,
                     std::string* error);

// A script as it goes into the installer: LZMA-packed behind its marker (package/PackedScript.h),
// which the installer's file system unpacks when the script is read, or the text as it stands when
// packing would not make it smaller. False with a message when the encoder fails.
bool storedScript(const std::vector<uint8_t>& text, std::vector<uint8_t>* out, std::string* error);
