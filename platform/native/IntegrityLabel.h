// Lowering a kernel object's integrity label so that low-integrity processes can open it too.
#pragma once

#include <windows.h>

// Applies the low mandatory label (no write-up) to `object`. The outcome is not reported: an
// object that keeps its label only stays closed to low-integrity processes.
void setLowIntegrityLabel(HANDLE object);
