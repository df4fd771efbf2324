// The one way the system shows a message box, so that tests can answer boxes without a person.
#pragma once

#include <windows.h>

using MessageBoxHandler = int (*)(HWND owner, const wchar_t* text, const wchar_t* title, UINT style);

// Shows a box through the current handler (MessageBoxW unless a test replaced it); returns the
// button id as MessageBoxW does. A null title (handed on to the handler as null) asks for the
// platform's default caption.
int showMessageBox(HWND owner, const wchar_t* text, const wchar_t* title, UINT style);

// Replaces the handler; null restores MessageBoxW. Returns the previous handler.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);
