// orvo-inspect: reads another program's window through MSAA, as a screen reader does.
//
//   orvo-inspect TITLE [--wait MS] [--do NAME | --events MS [--until TEXT]]
//
// Without options it prints the tree below the window's client object, one object a line,
// indented two spaces a level:
//   role "name" [states] (left,top,width,height) value="..."
// (screen coordinates; the value only where the object has one).
// --do NAME runs the default action of the first visible object named NAME.
// --events MS listens to the window's events for up to MS milliseconds: first a line "listening"
// once the hook is in place, then one line an event, its kind before the object it names as that
// object reads when its turn comes ("value progress bar ... value="37%""); a repeat of an event
// still waiting is dropped. It stops early when the window goes away or a line contains TEXT.
// --wait MS waits that long for the window to appear.
// Output is UTF-8. Exit codes: 0 done, 1 bad arguments, 2 no such window or no accessible object,
// 3 no object of that name, 4 the action failed, 5 TEXT never came.
#include <platform/Com.h>

#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cwchar>
#include <deque>
#include <string>
#include <vector>

namespace {

void write(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

std::wstring roleText(LONG role)
{
    switch (role) {
    case ROLE_SYSTEM_CLIENT: return L"client";
    case ROLE_SYSTEM_WINDOW: return L"window";
    case ROLE_SYSTEM_PUSHBUTTON: return L"push button";
    case ROLE_SYSTEM_CHECKBUTTON: return L"check box";
    case ROLE_SYSTEM_RADIOBUTTON: return L"radio button";
    case ROLE_SYSTEM_STATICTEXT: return L"static text";
    case ROLE_SYSTEM_TEXT: return L"editable text";
    case ROLE_SYSTEM_PROGRESSBAR: return L"progress bar";
    case ROLE_SYSTEM_LINK: return L"link";
    case ROLE_SYSTEM_PROPERTYPAGE: return L"page";
    case ROLE_SYSTEM_GROUPING: return L"grouping";
    case ROLE_SYSTEM_SLIDER: return L"slider";
    case ROLE_SYSTEM_LIST: return L"list";
    case ROLE_SYSTEM_LISTITEM: return L"list item";
    case ROLE_SYSTEM_COMBOBOX: return L"combo box";
    case ROLE_SYSTEM_PAGETABLIST: return L"page tab list";
    case ROLE_SYSTEM_PAGETAB: return L"page tab";
    case ROLE_SYSTEM_SCROLLBAR: return L"scroll bar";
    case ROLE_SYSTEM_GRAPHIC: return L"graphic";
    default: return L"role " + std::to_wstring(role);
    }
}

std::wstring stateText(LONG state)
{
    static const struct {
        LONG bit;
        const wchar_t* name;
    } kStates[] = {
        {STATE_SYSTEM_FOCUSED, L"focused"},     {STATE_SYSTEM_FOCUSABLE, L"focusable"},
        {STATE_SYSTEM_CHECKED, L"checked"},     {STATE_SYSTEM_PRESSED, L"pressed"},
        {STATE_SYSTEM_SELECTED, L"selected"},   {STATE_SYSTEM_UNAVAILABLE, L"unavailable"},
        {STATE_SYSTEM_INVISIBLE, L"invisible"}, {STATE_SYSTEM_READONLY, L"readonly"},
        {STATE_SYSTEM_LINKED, L"linked"},       {STATE_SYSTEM_HOTTRACKED, L"hottracked"},
    };
    std::wstring text;
    for (const auto& entry : kStates) {
        if (state & entry.bit)
            text += (text.empty() ? L"" : L",") + std::wstring(entry.name);
    }
    return text;
}

// One object as the walk meets it: an object of its own, or a simple element of its parent.
struct Node {
    platform::ComPtr<IAccessible> object;
    LONG child = CHILDID_SELF;
};

VARIANT childVariant(LONG child)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = child;
    return v;
}

std::wstring textOf(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), const Node& node, bool* has = nullptr)
{
    platform::Bstr text;
    HRESULT hr = (node.object.get()->*get)(childVariant(node.child), text.out());
    if (has)
        *has = hr == S_OK && text;
    return text ? std::wstring(text.get(), SysStringLen(text.get())) : std::wstring();
}

LONG numberOf(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), const Node& node)
{
    platform::VariantScope value;
    if (FAILED((node.object.get()->*get)(childVariant(node.child), &value)) || value.get().vt != VT_I4)
        return 0;
    return value.get().lVal;
}

std::vector<Node> childrenOf(const Node& node)
{
    std::vector<Node> out;
    if (node.child != CHILDID_SELF)
        return out;   // a simple element has no children
    long count = 0;
    if (FAILED(node.object->get_accChildCount(&count)) || count <= 0)
        return out;
    std::vector<VARIANT> found(static_cast<size_t>(count));
    long got = 0;
    if (FAILED(AccessibleChildren(node.object.get(), 0, count, found.data(), &got)))
        return out;
    for (long i = 0; i < got; ++i) {
        VARIANT& v = found[size_t(i)];
        if (v.vt == VT_DISPATCH && v.pdispVal) {
            platform::ComPtr<IDispatch> dispatch(v.pdispVal);
            v.vt = VT_EMPTY;
            if (auto object = dispatch.query<IAccessible>(__uuidof(IAccessible)))
                out.push_back({object, CHILDID_SELF});
        } else if (v.vt == VT_I4) {
            out.push_back({node.object, v.lVal});
        }
        VariantClear(&v);
    }
    return out;
}

std::wstring describe(const Node& node)
{
    std::wstring line = roleText(numberOf(&IAccessible::get_accRole, node));
    line += L" \"" + textOf(&IAccessible::get_accName, node) + L"\"";
    line += L" [" + stateText(numberOf(&IAccessible::get_accState, node)) + L"]";
    long x = 0, y = 0, w = 0, h = 0;
    node.object->accLocation(&x, &y, &w, &h, childVariant(node.child));
    line += L" (" + std::to_wstring(x) + L"," + std::to_wstring(y) + L"," + std::to_wstring(w) + L"," +
            std::to_wstring(h) + L")";
    bool hasValue = false;
    std::wstring value = textOf(&IAccessible::get_accValue, node, &hasValue);
    if (hasValue)
        line += L" value=\"" + value + L"\"";
    return line;
}

void print(const Node& node, int depth)
{
    write(std::wstring(size_t(depth) * 2, L' ') + describe(node) + L"\n");
    for (const Node& child : childrenOf(node))
        print(child, depth + 1);
}

bool find(const Node& node, const std::wstring& name, Node& out)
{
    if (!(numberOf(&IAccessible::get_accState, node) & STATE_SYSTEM_INVISIBLE) &&
        textOf(&IAccessible::get_accName, node) == name) {
        out = node;
        return true;
    }
    for (const Node& child : childrenOf(node)) {
        if (find(child, name, out))
            return true;
    }
    return false;
}

// --- listening to window events ---

// One event as the hook saw it; read back later, from the main loop.
struct Event {
    DWORD kind;
    LONG child;
};

struct Listener {
    HWND window = nullptr;
    std::deque<Event> pending;
};
Listener* listener = nullptr;   // the one listener of this run; hook callbacks reach it here

const wchar_t* eventText(DWORD event)
{
    switch (event) {
    case EVENT_OBJECT_FOCUS: return L"focus";
    case EVENT_OBJECT_STATECHANGE: return L"state";
    case EVENT_OBJECT_VALUECHANGE: return L"value";
    case EVENT_OBJECT_NAMECHANGE: return L"name";
    case EVENT_OBJECT_SHOW: return L"show";
    case EVENT_OBJECT_HIDE: return L"hide";
    case EVENT_OBJECT_REORDER: return L"reorder";
    default: return nullptr;
    }
}

// Only queues: reading the object back is a call into the other process, and while it waits COM
// dispatches further events to this callback. Read from inside, they would interleave out of order.
// An event equal to one still waiting adds nothing (the object is read as it is when its turn
// comes), so a burst of progress steps does not leave the reader seconds behind.
void CALLBACK onEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (!listener || window != listener->window || object != OBJID_CLIENT || !eventText(event))
        return;
    for (const Event& waiting : listener->pending) {
        if (waiting.kind == event && waiting.child == child)
            return;
    }
    listener->pending.push_back({event, child});
}

// The event's line: its kind and the object it names as that object reads now.
std::wstring readBack(HWND window, const Event& event)
{
    std::wstring line = eventText(event.kind);
    Node node;
    platform::VariantScope found;
    if (SUCCEEDED(AccessibleObjectFromEvent(window, DWORD(OBJID_CLIENT), DWORD(event.child), node.object.out(),
                                            &found)) &&
        node.object) {
        node.child = found.get().vt == VT_I4 ? found.get().lVal : CHILDID_SELF;
        return line + L" " + describe(node);
    }
    return line + L" (gone) child " + std::to_wstring(event.child);
}

int listen(HWND window, DWORD milliseconds, const std::wstring& until)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    Listener state;
    state.window = window;
    listener = &state;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_VALUECHANGE, nullptr, onEvent, process, 0,
                                         WINEVENT_OUTOFCONTEXT);
    if (!hook) {
        listener = nullptr;
        write(L"cannot listen to the window's events\n");
        return 2;
    }
    // a driver waits for this line before it acts, so that no event of its action is missed
    write(L"listening\n");
    bool met = false;
    DWORD start = GetTickCount();
    while (!met && IsWindow(window)) {
        DWORD spent = GetTickCount() - start;
        if (spent >= milliseconds)
            break;
        if (state.pending.empty())
            MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(milliseconds - spent, 100), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        while (!met && !state.pending.empty()) {
            Event event = state.pending.front();
            state.pending.pop_front();
            std::wstring line = readBack(window, event);
            write(line + L"\n");
            met = !until.empty() && line.find(until) != std::wstring::npos;
        }
    }
    UnhookWinEvent(hook);
    listener = nullptr;
    return met || until.empty() ? 0 : 5;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring title;
    std::wstring target;
    bool act = false;
    DWORD wait = 0;
    DWORD listenFor = 0;
    std::wstring until;
    for (int i = 1; i < argc; ++i) {
        if (!wcscmp(argv[i], L"--do") && i + 1 < argc) {
            act = true;
            target = argv[++i];
        } else if (!wcscmp(argv[i], L"--events") && i + 1 < argc) {
            listenFor = DWORD(wcstoul(argv[++i], nullptr, 10));
        } else if (!wcscmp(argv[i], L"--until") && i + 1 < argc) {
            until = argv[++i];
        } else if (!wcscmp(argv[i], L"--wait") && i + 1 < argc) {
            wait = DWORD(wcstoul(argv[++i], nullptr, 10));
        } else if (title.empty()) {
            title = argv[i];
        } else {
            title.clear();
            break;
        }
    }
    if (title.empty() || (act && listenFor) || (!until.empty() && !listenFor)) {
        write(L"usage: orvo-inspect TITLE [--wait MS] [--do NAME | --events MS [--until TEXT]]\n");
        return 1;
    }
    platform::ComScope com;
    HWND window = nullptr;
    DWORD start = GetTickCount();
    while (!(window = FindWindowW(nullptr, title.c_str())) && GetTickCount() - start < wait)
        Sleep(50);
    Node client;
    if (!window || FAILED(AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                                                     client.object.outVoid())) ||
        !client.object) {
        write(L"no accessible window titled \"" + title + L"\"\n");
        return 2;
    }
    if (listenFor)
        return listen(window, listenFor, until);
    if (!act) {
        print(client, 0);
        return 0;
    }
    Node found;
    if (!find(client, target, found)) {
        write(L"nothing named \"" + target + L"\"\n");
        return 3;
    }
    HRESULT hr = found.object->accDoDefaultAction(childVariant(found.child));
    if (FAILED(hr)) {
        wchar_t code[16];
        swprintf(code, 16, L"%08lx", (unsigned long)hr);
        write(L"the default action of \"" + target + L"\" failed: " + code + L"\n");
        return 4;
    }
    return 0;
}
