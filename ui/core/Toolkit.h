// The process-wide toolkit: shared tables, global handlers and the dispatcher of deferred calls.
#pragma once

#include "AttributeSetter.h"
#include "ControlEvent.h"
#include "Delegate.h"
#include "ElementFactory.h"
#include "FramePackage.h"
#include "NativeTypes.h"
#include "StyleLookup.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class Control;

// The same layout as the platform's BLENDFUNCTION, so the loaded AlphaBlend can be called
// without <windows.h> in this header.
struct BlendFunction {
    uint8_t op;
    uint8_t flags;
    uint8_t constantAlpha;
    uint8_t alphaFormat;
};
using AlphaBlendProc = int(__stdcall*)(DeviceContext destination, int x, int y, int width, int height,
                                       DeviceContext source, int sourceX, int sourceY, int sourceWidth,
                                       int sourceHeight, BlendFunction blend);

// Everything here is UI-thread only, except postDeferred, which any thread may call.
class Toolkit {
public:
    // Creates the toolkit, takes AlphaBlend from the platform's lookups, builds the tables and the
    // dispatcher window. Called at start-up before any window or style exists. False, changing
    // nothing, when already started or when the dispatcher window cannot be made (deferred calls
    // could never run).
    static bool start();
    // Releases everything, runs the deferred calls still queued, and destroys the dispatcher.
    // Called after the last window is gone.
    static void shutdown();
    // Null before start and after shutdown.
    static Toolkit* instance();

    // The other layers fill the setter table, the element factory, the style registry and the
    // frame package through these during start, in the order they were added, so that the core
    // needs none of their types. Adding one twice adds it once.
    using PartsBuilder = void (*)(Toolkit& toolkit);
    static void addPartsBuilder(PartsBuilder builder);
    static void removePartsBuilder(PartsBuilder builder);

    // Both do nothing without a toolkit; add also fails when no delegate cell is free. Remove
    // drops the first registration of the pair and tells whether there was one.
    static bool addGlobalHandler(int32_t code, void* target, HandlerFunction function);
    static bool removeGlobalHandler(int32_t code, void* target, HandlerFunction function);
    // Delivers to the global handlers of the event's code, with a null control.
    static void broadcast(ControlEvent& event);

    // Set by start from the platform's run-time lookup; null when it is not available.
    static AlphaBlendProc AlphaBlend;

    std::map<std::wstring, std::unique_ptr<duiField::ISetter>> setterTable;
    std::unique_ptr<StyleLookup> styleRegistry;
    std::unique_ptr<FramePackage> framePackage;
    ElementFactory elementFactory;
    WindowHandle dispatcherWindow = nullptr;
    HandlerMap globalHandlers;

private:
    Toolkit() = default;
};

// Runs function(target, a, b) on the UI thread after the current message has been handled, in
// posting order. False, posting nothing, when there is no toolkit. Safe against a racing shutdown:
// the call is either queued before the toolkit goes (and runs in its final pump) or dropped.
using DeferredFunction = void (*)(void* target, void* a, void* b);
bool postDeferred(void* target, DeferredFunction function, void* a, void* b);

// Queues a copy of the event (handled 0) for later dispatch to the control. When it runs, a
// control that has been detached or destroyed meanwhile receives nothing. UI thread only: it
// reads the control, which only the UI thread may touch.
bool postEvent(Control* control, const ControlEvent& event);
