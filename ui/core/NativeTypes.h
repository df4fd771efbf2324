// Opaque Win32 handle types, so that toolkit headers need not include <windows.h>.
#pragma once

// The same incomplete types <windows.h> declares its strict handles with, so values convert freely.
struct HDC__;
struct HWND__;
struct HINSTANCE__;

using DeviceContext = HDC__*;
using WindowHandle = HWND__*;
using ModuleHandle = HINSTANCE__*;
