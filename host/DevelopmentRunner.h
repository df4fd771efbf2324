// The development runner: the installer's sequence over a folder instead of the resources.
#pragma once

// Runs the installer sequence with the named files ("UI.lua", "frame.lz", ...) read from the
// folder given as the one argument. argv[0] is the program. Returns 0 after a run (script errors
// included, which show the usual "错误" box) and 2 for bad usage, reported on stderr and in a box.
int runDevelopmentRunner(int argc, wchar_t** argv);
