// A stand-in for the platform browser, registered in-process under the browser's class id, that records what its container does.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <exdisp.h>

#include <string>
#include <vector>

// What the stand-ins saw and hold, shared by every instance. A test resets it, registers the
// class, and reads it afterwards.
struct FakeBrowserLog {
    std::vector<std::string> calls;   // "SetClientSite", "DoVerb -4", "Navigate2 about:x", ...
    std::string failAt;               // the step that fails: "DoVerb", "IWebBrowser2", "GetWindow",
                                      // "FindConnectionPoint", "Advise"; empty for none
    bool siteFirst = true;            // asks for its client site before activation
    int liveObjects = 0;              // stand-in objects not yet deleted
    int containerReferences = 0;      // references the stand-ins hold on the container
    RECT placedRect{};                // the last SetObjectRects
    HWND parent = nullptr;            // DoVerb's parent window

    bool saw(const std::string& call) const;
    // The index of the first call that starts with `prefix`; -1 when there is none.
    int indexOf(const std::string& prefix) const;
};

namespace fakeBrowser {

// The log of the running test; reset by registerClass.
FakeBrowserLog& log();
// Registers the stand-in's class object for CLSID_WebBrowser (in-process); false on failure.
// revokeClass takes it back. COM must be initialised.
bool registerClass();
void revokeClass();

// The n-th stand-in created since registerClass (0-based), or null. Not owned.
class Browser;
Browser* instance(size_t n);
// The browser's windows: its in-place window and the page window inside it (two levels down).
HWND browserWindow(Browser* browser);
HWND innerWindow(Browser* browser);
// Fires an event to the connected sink; the sink's answer, or E_FAIL without one.
HRESULT fire(Browser* browser, DISPID id, DISPPARAMS* params);

// The stand-in's active object: the keyboard messages offered to it, as "message:wparam".
std::vector<std::string>& offeredKeys();
// The key (WM_KEYDOWN wparam) that the active object consumes, and the one at which it sends
// WM_KEYDOWN 'X' to the page window from inside its translation.
extern WPARAM consumedKey;
extern WPARAM reenteringKey;
// What the page windows' own procedures received, as "window-kind:message"; each kind answers
// WM_APP with its own number (1 for the first browser's page, 2 for the second's).
std::vector<std::string>& pageMessages();

} // namespace fakeBrowser
