// What assistive technology reads of the main window. Tiv draws its timers
// itself, so the system's object for the client area finds only the controls:
// it is wrapped, with one child per timer shown (display/access.h) before the
// controls it gives. The time fields are standard edits with no label beside
// them: subclassed, they answer the request for their own object with the
// system's, wrapped, named as their tooltips name them.
// oleacc and oleaut32 load on the first request; without them, or when a call
// fails, the request gets the default answer, as before.
#define CINTERFACE
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include "app/state.h"
#include "app/window_win.h"
#include "display/access.h"
#include "resources/resource.h"

namespace app {

namespace {

// Here rather than from libuuid, which would link a table of every IID.
const IID kUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kEnumVariant = {0x00020404, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// A COM object: its first member points at the static table of the free
// functions below. Made for each request; the system's object answers all
// it does not.
struct Access {
    const IAccessibleVtbl* table;
    LONG references;
    IAccessible* standard;   // the system's object for the window's client area
    HWND window;
    bool timers;             // the main window's: the timers come first
};

Access* self(IAccessible* object) { return reinterpret_cast<Access*>(object); }
IAccessible* standardOf(IAccessible* object) { return self(object)->standard; }
uint32_t timersOf(IAccessible* object) { return self(object)->timers ? display::timerChildren() : 0; }

constexpr uint32_t kNoTimer = 4;

// The timer a child id names (0 first), or kNoTimer.
uint32_t timerOf(IAccessible* object, const VARIANT& child) {
    if (V_VT(&child) != VT_I4 || V_I4(&child) < 1 || static_cast<uint32_t>(V_I4(&child)) > timersOf(object))
        return kNoTimer;
    return static_cast<uint32_t>(V_I4(&child)) - 1;
}

// Tiv's texts are GBK whatever the system's code page.
HRESULT textAnswer(const char* gbk, BSTR* answer) {
    WCHAR wide[128];
    int n = MultiByteToWideChar(936, 0, gbk, -1, wide, 128);
    *answer = n > 1 ? SysAllocStringLen(wide, static_cast<UINT>(n - 1)) : nullptr;
    return *answer ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE queryInterface(IAccessible* object, REFIID id, void** answer) {
    if (!IsEqualIID(id, kUnknown) && !IsEqualIID(id, kDispatch) && !IsEqualIID(id, kAccessible)) {
        *answer = nullptr;
        return E_NOINTERFACE;
    }
    InterlockedIncrement(&self(object)->references);
    *answer = object;
    return S_OK;
}

ULONG STDMETHODCALLTYPE addRef(IAccessible* object) {
    return static_cast<ULONG>(InterlockedIncrement(&self(object)->references));
}

ULONG STDMETHODCALLTYPE release(IAccessible* object) {
    LONG left = InterlockedDecrement(&self(object)->references);
    if (left == 0) {
        IAccessible* standard = standardOf(object);
        standard->lpVtbl->Release(standard);
        LocalFree(self(object));
    }
    return static_cast<ULONG>(left);
}

// No type information: a late-bound caller would reach the system's object
// past the timers.
HRESULT STDMETHODCALLTYPE getTypeInfoCount(IAccessible*, UINT* count) {
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE getTypeInfo(IAccessible*, UINT, LCID, ITypeInfo** info) {
    *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE getIDsOfNames(IAccessible*, REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE invoke(IAccessible*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                 UINT*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE getParent(IAccessible* object, IDispatch** parent) {
    return standardOf(object)->lpVtbl->get_accParent(standardOf(object), parent);
}

HRESULT STDMETHODCALLTYPE getChildCount(IAccessible* object, LONG* count) {
    HRESULT result = standardOf(object)->lpVtbl->get_accChildCount(standardOf(object), count);
    if (SUCCEEDED(result)) *count += static_cast<LONG>(timersOf(object));
    return result;
}

// A control as the system's object lists it: its n-th child (1 first).
HRESULT standardChild(IAccessible* standard, LONG n, IDispatch** child) {
    IEnumVARIANT* list = nullptr;
    if (FAILED(standard->lpVtbl->QueryInterface(standard, kEnumVariant, reinterpret_cast<void**>(&list))))
        return E_INVALIDARG;
    VARIANT found;
    V_VT(&found) = VT_EMPTY;
    HRESULT result = E_INVALIDARG;
    if (SUCCEEDED(list->lpVtbl->Reset(list)) && list->lpVtbl->Skip(list, static_cast<ULONG>(n - 1)) == S_OK &&
        list->lpVtbl->Next(list, 1, &found, nullptr) == S_OK) {
        if (V_VT(&found) == VT_DISPATCH) {
            *child = V_DISPATCH(&found);
            result = *child ? S_OK : S_FALSE;
        } else if (V_VT(&found) == VT_I4) {
            result = standard->lpVtbl->get_accChild(standard, found, child);
        }
    }
    list->lpVtbl->Release(list);
    return result;
}

HRESULT STDMETHODCALLTYPE getChild(IAccessible* object, VARIANT id, IDispatch** child) {
    *child = nullptr;
    if (timerOf(object, id) != kNoTimer) return S_FALSE;
    // The controls follow the timers.
    if (V_VT(&id) == VT_I4 && V_I4(&id) > 0)
        return standardChild(standardOf(object), V_I4(&id) - static_cast<LONG>(timersOf(object)), child);
    return standardOf(object)->lpVtbl->get_accChild(standardOf(object), id, child);
}

// A time field's tooltip, which names it for a sighted user too.
HRESULT fieldName(HWND field, BSTR* name) {
    char tip[80] = "";
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = mainWindow;
    info.uId = reinterpret_cast<UINT_PTR>(field);
    info.lpszText = tip;
    SendMessageA(tooltip, TTM_GETTEXTA, sizeof tip, reinterpret_cast<LPARAM>(&info));
    return textAnswer(tip, name);
}

HRESULT STDMETHODCALLTYPE getName(IAccessible* object, VARIANT id, BSTR* name) {
    uint32_t timer = timerOf(object, id);
    if (timer != kNoTimer) return textAnswer(display::timerChild(timer).name, name);
    if (!self(object)->timers && V_VT(&id) == VT_I4 && V_I4(&id) == CHILDID_SELF &&
        fieldName(self(object)->window, name) == S_OK)
        return S_OK;
    return standardOf(object)->lpVtbl->get_accName(standardOf(object), id, name);
}

HRESULT STDMETHODCALLTYPE getValue(IAccessible* object, VARIANT id, BSTR* value) {
    uint32_t timer = timerOf(object, id);
    if (timer != kNoTimer) return textAnswer(display::timerChild(timer).value, value);
    return standardOf(object)->lpVtbl->get_accValue(standardOf(object), id, value);
}

HRESULT STDMETHODCALLTYPE getDescription(IAccessible* object, VARIANT id, BSTR* text) {
    return standardOf(object)->lpVtbl->get_accDescription(standardOf(object), id, text);
}

HRESULT STDMETHODCALLTYPE getRole(IAccessible* object, VARIANT id, VARIANT* role) {
    if (timerOf(object, id) == kNoTimer)
        return standardOf(object)->lpVtbl->get_accRole(standardOf(object), id, role);
    V_VT(role) = VT_I4;
    V_I4(role) = ROLE_SYSTEM_CLOCK;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE getState(IAccessible* object, VARIANT id, VARIANT* state) {
    uint32_t timer = timerOf(object, id);
    if (timer == kNoTimer)
        return standardOf(object)->lpVtbl->get_accState(standardOf(object), id, state);
    V_VT(state) = VT_I4;
    V_I4(state) = STATE_SYSTEM_READONLY | STATE_SYSTEM_SELECTABLE |
                  (display::timerChild(timer).selected ? STATE_SYSTEM_SELECTED : 0);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE getHelp(IAccessible* object, VARIANT id, BSTR* help) {
    return standardOf(object)->lpVtbl->get_accHelp(standardOf(object), id, help);
}

HRESULT STDMETHODCALLTYPE getHelpTopic(IAccessible* object, BSTR* file, VARIANT id, LONG* topic) {
    return standardOf(object)->lpVtbl->get_accHelpTopic(standardOf(object), file, id, topic);
}

HRESULT STDMETHODCALLTYPE getKeyboardShortcut(IAccessible* object, VARIANT id, BSTR* keys) {
    return standardOf(object)->lpVtbl->get_accKeyboardShortcut(standardOf(object), id, keys);
}

HRESULT STDMETHODCALLTYPE getFocus(IAccessible* object, VARIANT* focus) {
    return standardOf(object)->lpVtbl->get_accFocus(standardOf(object), focus);
}

HRESULT STDMETHODCALLTYPE getSelection(IAccessible* object, VARIANT* selection) {
    return standardOf(object)->lpVtbl->get_accSelection(standardOf(object), selection);
}

HRESULT STDMETHODCALLTYPE getDefaultAction(IAccessible* object, VARIANT id, BSTR* action) {
    return standardOf(object)->lpVtbl->get_accDefaultAction(standardOf(object), id, action);
}

HRESULT STDMETHODCALLTYPE select(IAccessible* object, LONG how, VARIANT id) {
    return standardOf(object)->lpVtbl->accSelect(standardOf(object), how, id);
}

// The client area's top-left corner on the screen, as the system's object places it.
HRESULT clientOrigin(IAccessible* object, LONG* x, LONG* y) {
    LONG w, h;
    VARIANT whole;
    V_VT(&whole) = VT_I4;
    V_I4(&whole) = CHILDID_SELF;
    return standardOf(object)->lpVtbl->accLocation(standardOf(object), x, y, &w, &h, whole);
}

HRESULT STDMETHODCALLTYPE location(IAccessible* object, LONG* x, LONG* y, LONG* w, LONG* h, VARIANT id) {
    uint32_t timer = timerOf(object, id);
    if (timer == kNoTimer)
        return standardOf(object)->lpVtbl->accLocation(standardOf(object), x, y, w, h, id);
    HRESULT result = clientOrigin(object, x, y);
    if (FAILED(result)) return result;
    display::Rect area = display::timerChild(timer).area;
    *x += area.left;
    *y += area.top;
    *w = area.right - area.left;
    *h = area.bottom - area.top;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE navigate(IAccessible* object, LONG direction, VARIANT from, VARIANT* to) {
    return standardOf(object)->lpVtbl->accNavigate(standardOf(object), direction, from, to);
}

// A point over a control is the system's object's to answer; one over the
// time display names the timer under it.
HRESULT STDMETHODCALLTYPE hitTest(IAccessible* object, LONG x, LONG y, VARIANT* found) {
    HRESULT result = standardOf(object)->lpVtbl->accHitTest(standardOf(object), x, y, found);
    if (result != S_OK || V_VT(found) != VT_I4 || V_I4(found) != CHILDID_SELF) return result;
    LONG left, top;
    if (FAILED(clientOrigin(object, &left, &top))) return result;
    for (uint32_t n = 0; n < timersOf(object); ++n) {
        display::Rect r = display::timerChild(n).area;
        if (x >= left + r.left && x < left + r.right && y >= top + r.top && y < top + r.bottom) {
            V_I4(found) = static_cast<LONG>(n) + 1;
            break;
        }
    }
    return result;
}

HRESULT STDMETHODCALLTYPE doDefaultAction(IAccessible* object, VARIANT id) {
    return standardOf(object)->lpVtbl->accDoDefaultAction(standardOf(object), id);
}

HRESULT STDMETHODCALLTYPE putName(IAccessible*, VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE putValue(IAccessible*, VARIANT, BSTR) { return E_NOTIMPL; }

const IAccessibleVtbl kTable = {
    queryInterface, addRef, release, getTypeInfoCount, getTypeInfo, getIDsOfNames, invoke,
    getParent, getChildCount, getChild, getName, getValue, getDescription, getRole, getState,
    getHelp, getHelpTopic, getKeyboardShortcut, getFocus, getSelection, getDefaultAction,
    select, location, navigate, hitTest, doDefaultAction, putName, putValue,
};

// Once, on the first request: whether the two DLLs are there. The object
// reaches a reader in another process through COM.
bool ready() {
    if (state.accessTried) return state.accessReady;
    state.accessTried = true;
    // A delay-loaded DLL that is missing would raise an exception at its first call.
    if (!LoadLibraryA("OLEACC.dll") || !LoadLibraryA("OLEAUT32.dll")) return false;
    startCom();
    state.accessReady = true;
    return true;
}

// The wrapped object for an OBJID_CLIENT request, or 0 for the default answer.
LRESULT answerFor(HWND window, bool timers, WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !ready()) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, kAccessible,
                                         reinterpret_cast<void**>(&standard))) ||
        !standard)
        return 0;
    auto* made = static_cast<Access*>(LocalAlloc(LPTR, sizeof(Access)));
    if (!made) {
        standard->lpVtbl->Release(standard);
        return 0;
    }
    *made = {&kTable, 1, standard, window, timers};
    IAccessible* object = reinterpret_cast<IAccessible*>(made);
    LRESULT answer = LresultFromObject(kAccessible, wParam, reinterpret_cast<IUnknown*>(object));
    object->lpVtbl->Release(object);
    return answer > 0 ? answer : 0;
}

LRESULT CALLBACK fieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETOBJECT)
        if (LRESULT answer = answerFor(field, false, wParam, lParam)) return answer;
    auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(field, GWLP_USERDATA));
    return CallWindowProcA(original, field, message, wParam, lParam);
}

}  // namespace

LRESULT answerObjectRequest(HWND window, WPARAM wParam, LPARAM lParam) {
    if (LRESULT answer = answerFor(window, true, wParam, lParam)) return answer;
    return DefWindowProcA(window, WM_GETOBJECT, wParam, lParam);
}

void nameTimeFields() {
    const int kFields[] = {IDC_DAYS, IDC_HOURS, IDC_MINUTES, IDC_SECONDS};
    for (int id : kFields) {
        HWND field = GetDlgItem(mainWindow, id);
        if (!field) continue;
        SetWindowLongPtrA(field, GWLP_USERDATA, GetWindowLongPtrA(field, GWLP_WNDPROC));
        SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(fieldProc));
    }
}

void tellAccess(DWORD event, uint32_t slot) {
    using Notify = void(WINAPI*)(DWORD, HWND, LONG, LONG);
    // Looked up rather than imported: a program importing a function the
    // system lacks does not start at all.
    auto notify = reinterpret_cast<Notify>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("USER32.dll"), "NotifyWinEvent")));
    if (!notify || !mainWindow) return;
    LONG child = slot < display::timerChildren() ? static_cast<LONG>(slot) + 1 : CHILDID_SELF;
    notify(event, mainWindow, OBJID_CLIENT, child);
}

}  // namespace app
