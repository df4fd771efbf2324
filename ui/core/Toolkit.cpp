// Toolkit start-up and shut-down, global handlers, and deferred calls through the dispatcher window.
#include "Toolkit.h"

#include "Control.h"
#include "GatheredDelegates.h"
#include "HeldControl.h"
#include "PanelElements.h"

#include <platform/CallbackBoundary.h>
#include <platform/CriticalSection.h>
#include <platform/SystemApis.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

AlphaBlendProc Toolkit::AlphaBlend = nullptr;

namespace {

constexpr UINT kDeferredCall = WM_USER + 1;
constexpr wchar_t kDispatcherClass[] = L"Dispatcher_Quorra512";

std::atomic<Toolkit*> current{nullptr};
std::vector<Toolkit::PartsBuilder>& partsBuilders()
{
    static std::vector<Toolkit::PartsBuilder> builders;
    return builders;
}

// Guards the toolkit pointer while a deferred call is posted and while shutdown lets it go.
// Made on first use, so a post from any thread before start finds it ready.
platform::ProcessCriticalSection& toolkitLock()
{
    static platform::ProcessCriticalSection lock;
    return lock;
}

struct LockGuard : std::lock_guard<platform::ProcessCriticalSection> {
    LockGuard() : lock_guard(toolkitLock()) {}
};

struct DeferredCall {
    void* target;
    DeferredFunction function;
    void* a;
    void* b;
};

struct DeferredEvent {
    ControlEvent event;
    HeldControl control;   // another control may live at the address later
};

LRESULT CALLBACK dispatcherProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message != kDeferredCall)
        return DefWindowProcW(window, message, wparam, lparam);
    auto* call = reinterpret_cast<DeferredCall*>(wparam);
    if (!call)
        return 0;
    platform::callbackBoundary(L"Toolkit: a deferred call", [call] { call->function(call->target, call->a, call->b); });
    delete call;
    return 0;
}

HWND createDispatcherWindow()
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = dispatcherProc;
    windowClass.lpszClassName = kDispatcherClass;
    // a second start finds the class registered already, which is fine
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    // Message-only: no broadcast reaches it, so no other program can post it a kDeferredCall
    // whose parameter this process would take for a pointer.
    return CreateWindowExW(0, kDispatcherClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

void runDeferredEvent(void* target, void* a, void* b)
{
    auto* deferred = static_cast<DeferredEvent*>(b);
    if (Control* control = deferred->control.get()) {
        deferred->event.handled = 0;
        control->dispatch(deferred->event);
    }
    delete deferred;
}

} // namespace

bool Toolkit::start()
{
    toolkitLock();
    if (current.load())
        return false;
    // Without it every deferred call (a Click, among others) would be lost without a word.
    HWND dispatcher = createDispatcherWindow();
    if (!dispatcher) {
        OutputDebugStringW(L"Toolkit: the dispatcher window could not be created\n");
        return false;
    }

    Toolkit* toolkit = new Toolkit();
    toolkit->dispatcherWindow = dispatcher;
    AlphaBlend = reinterpret_cast<AlphaBlendProc>(reinterpret_cast<void*>(platform::systemApis().alphaBlend));

    // the core's own panels; the other layers bring the rest: tables, their elements and styles,
    // the (empty) style registry and the frame package
    registerPanelElements(toolkit->elementFactory);
    for (PartsBuilder builder : partsBuilders())
        builder(*toolkit);

    LockGuard guard;
    current.store(toolkit);
    return true;
}

void Toolkit::shutdown()
{
    Toolkit* toolkit = current.load();
    if (!toolkit)
        return;

    toolkit->framePackage.reset();
    if (toolkit->styleRegistry) {
        toolkit->styleRegistry->clear();
        toolkit->styleRegistry.reset();
    }

    HWND dispatcher = toolkit->dispatcherWindow;
    {
        LockGuard guard;
        toolkit->globalHandlers.clear();   // released, not disarmed
        toolkit->elementFactory.clear();
        toolkit->setterTable.clear();
        AlphaBlend = nullptr;
        delete toolkit;
        current.store(nullptr);
    }

    // Calls posted before this point still run; their controls are detached by now, so the
    // events among them go nowhere. Nothing new can be posted any more.
    if (dispatcher && IsWindow(dispatcher)) {
        MSG message;
        while (PeekMessageW(&message, dispatcher, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        DestroyWindow(dispatcher);
    }
}

Toolkit* Toolkit::instance()
{
    return current.load();
}

void Toolkit::addPartsBuilder(PartsBuilder builder)
{
    auto& builders = partsBuilders();
    if (builder && std::find(builders.begin(), builders.end(), builder) == builders.end())
        builders.push_back(builder);
}

void Toolkit::removePartsBuilder(PartsBuilder builder)
{
    auto& builders = partsBuilders();
    builders.erase(std::remove(builders.begin(), builders.end(), builder), builders.end());
}

bool Toolkit::addGlobalHandler(int32_t code, void* target, HandlerFunction function)
{
    Toolkit* toolkit = instance();
    if (!toolkit)
        return false;
    Delegate delegate = Delegate::create(target, function);
    if (!delegate)
        return false;
    toolkit->globalHandlers[code].push_back(std::move(delegate));
    return true;
}

bool Toolkit::removeGlobalHandler(int32_t code, void* target, HandlerFunction function)
{
    Toolkit* toolkit = instance();
    return toolkit && removeFirstHandler(toolkit->globalHandlers, code, target, function);
}

void Toolkit::broadcast(ControlEvent& event)
{
    Toolkit* toolkit = instance();
    if (!toolkit)
        return;
    auto entry = toolkit->globalHandlers.find(event.code);
    if (entry == toolkit->globalHandlers.end())
        return;
    GatheredDelegates gathered;
    for (const Delegate& delegate : entry->second)
        gathered.push(delegate);
    gathered.callAll(nullptr, event, event.direction == Preview);
}

bool postDeferred(void* target, DeferredFunction function, void* a, void* b)
{
    if (!function)
        return false;
    LockGuard guard;
    Toolkit* toolkit = Toolkit::instance();
    if (!toolkit || !toolkit->dispatcherWindow)
        return false;
    auto* call = new DeferredCall{target, function, a, b};
    if (!PostMessageW(toolkit->dispatcherWindow, kDeferredCall, reinterpret_cast<WPARAM>(call), 0)) {
        delete call;
        return false;
    }
    return true;
}

bool postEvent(Control* control, const ControlEvent& event)
{
    if (!control)
        return false;
    auto* deferred = new DeferredEvent{event, HeldControl(control)};
    deferred->event.handled = 0;
    if (!postDeferred(control, runDeferredEvent, control, deferred)) {
        delete deferred;
        return false;
    }
    return true;
}
