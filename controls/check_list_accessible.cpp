#include "controls/check_list_accessible.h"

#include <oleacc.h>
#include <new>

#include "app/system_library.h"

namespace {

// oleacc and oleaut32 are loaded when a screen reader first asks, not at every start.
struct AccessibilityLibrary {
    HRESULT(WINAPI* createStandard)(HWND, LONG, REFIID, void**);
    LRESULT(WINAPI* resultFromObject)(REFIID, WPARAM, IUnknown*);
    BSTR(WINAPI* allocString)(const OLECHAR*);
};

AccessibilityLibrary g_library;   // filled once every function is found

bool LoadAccessibility()
{
    if (g_library.allocString)
        return true;
    AccessibilityLibrary found;
    HMODULE oleacc = LoadSystemLibrary("oleacc.dll");
    found.createStandard = SystemLibraryFunction<decltype(found.createStandard)>(oleacc, "CreateStdAccessibleObject");
    found.resultFromObject = SystemLibraryFunction<decltype(found.resultFromObject)>(oleacc, "LresultFromObject");
    found.allocString =
        SystemLibraryFunction<decltype(found.allocString)>(LoadSystemLibrary("oleaut32.dll"), "SysAllocString");
    if (!found.createStandard || !found.resultFromObject || !found.allocString)
        return false;
    g_library = found;
    return true;
}

// What a child id names besides an item's index: the list itself, or nothing.
constexpr int Self = -1;
constexpr int NoItem = -2;

HRESULT Empty(VARIANT* result)
{
    result->vt = VT_EMPTY;
    return S_FALSE;
}

HRESULT Number(VARIANT* result, LONG value)
{
    result->vt = VT_I4;
    result->lVal = value;
    return S_OK;
}

// One per WM_GETOBJECT: the list (CHILDID_SELF) from the standard object, items 1 to n here, as check boxes.
struct CheckListAccessible final : IAccessible {
    LONG references;
    HWND list;
    IAccessible* standard;

    CheckListAccessible(HWND listBox, IAccessible* standardObject)
        : references(1), list(listBox), standard(standardObject) {}

    int ItemOf(const VARIANT& child) const
    {
        if (child.vt != VT_I4)
            return NoItem;
        if (child.lVal == CHILDID_SELF)
            return Self;
        return child.lVal <= SendMessageA(list, LB_GETCOUNT, 0, 0) && child.lVal > 0 ? child.lVal - 1 : NoItem;
    }

    // A list that is gone, which a screen reader may still hold the object of, has none: its 0 would read as
    // the first item.
    int Selection() const { return IsWindow(list) ? static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)) : -1; }

    // What an item has none of; E_INVALIDARG for a child that is no item.
    HRESULT Nothing(const VARIANT& child, BSTR* text) const
    {
        *text = nullptr;
        return ItemOf(child) == NoItem ? E_INVALIDARG : S_FALSE;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (id != __uuidof(IUnknown) && id != __uuidof(IDispatch) && id != __uuidof(IAccessible)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references);
        if (left == 0) {
            standard->Release();
            this->~CheckListAccessible();
            HeapFree(GetProcessHeap(), 0, this);
        }
        return left;
    }

    // IDispatch: screen readers call the methods themselves.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override { return *info = nullptr, E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible: the list itself from the standard object; items are simple elements.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override
    {
        const LRESULT items = SendMessageA(list, LB_GETCOUNT, 0, 0);
        *count = items > 0 ? static_cast<LONG>(items) : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        *object = nullptr;
        return ItemOf(child) >= 0 ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        const int item = ItemOf(child);
        if (item == Self)
            return standard->get_accName(child, name);
        *name = nullptr;
        char text[MAX_PATH];
        WCHAR wide[MAX_PATH];
        if (item < 0 || SendMessageA(list, LB_GETTEXTLEN, item, 0) >= MAX_PATH ||
            SendMessageA(list, LB_GETTEXT, item, reinterpret_cast<LPARAM>(text)) < 0 ||
            !MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH))
            return item < 0 ? E_INVALIDARG : S_FALSE;
        *name = g_library.allocString(wide);
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return ItemOf(child) == Self ? standard->get_accValue(child, value) : Nothing(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override
    {
        return ItemOf(child) == Self ? standard->get_accDescription(child, text) : Nothing(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        const int item = ItemOf(child);
        if (item == Self)
            return standard->get_accRole(child, role);
        return item < 0 ? (Empty(role), E_INVALIDARG) : Number(role, ROLE_SYSTEM_CHECKBUTTON);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        const int item = ItemOf(child);
        if (item == Self)
            return standard->get_accState(child, state);
        if (item < 0)
            return Empty(state), E_INVALIDARG;
        LONG flags = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
        if (SendMessageA(list, LB_GETITEMDATA, item, 0) != 0)
            flags |= STATE_SYSTEM_CHECKED;
        if (item == Selection())
            flags |= STATE_SYSTEM_SELECTED | (GetFocus() == list ? STATE_SYSTEM_FOCUSED : 0);
        return Number(state, flags);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return ItemOf(child) == Self ? standard->get_accHelp(child, help) : Nothing(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override
    {
        if (ItemOf(child) == Self)
            return standard->get_accHelpTopic(file, child, topic);
        *topic = 0;
        return Nothing(child, file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override
    {
        return ItemOf(child) == Self ? standard->get_accKeyboardShortcut(child, keys) : Nothing(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override
    {
        if (GetFocus() != list)
            return Empty(child);
        return Number(child, Selection() + 1);   // CHILDID_SELF without a selection
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* child) override
    {
        const int selection = Selection();
        return selection < 0 ? Empty(child) : Number(child, selection + 1);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        const int item = ItemOf(child);
        if (item < 0)
            return item == Self ? standard->get_accDefaultAction(child, action) : Nothing(child, action);
        // As a check box names it: what the action would do.
        *action = g_library.allocString(SendMessageA(list, LB_GETITEMDATA, item, 0) ? L"Uncheck" : L"Check");
        return *action ? S_OK : E_OUTOFMEMORY;
    }
    // The platform's object selects and navigates the items by the same child ids.
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override
    {
        return standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override
    {
        const int item = ItemOf(child);
        if (item == Self)
            return standard->accLocation(left, top, width, height, child);
        *left = *top = *width = *height = 0;   // as the standard objects answer for no item
        RECT rect;
        if (item < 0 || SendMessageA(list, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
            return E_INVALIDARG;
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        *left = rect.left;
        *top = rect.top;
        *width = rect.right - rect.left;
        *height = rect.bottom - rect.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override
    {
        return standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override
    {
        POINT point = {x, y};
        RECT client;
        GetClientRect(list, &client);
        if (!ScreenToClient(list, &point) || !PtInRect(&client, point))
            return standard->accHitTest(x, y, child);
        // Off the items the answer's high word is set.
        const LRESULT item = SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
        return Number(child, HIWORD(item) ? CHILDID_SELF : LOWORD(item) + 1);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        const int item = ItemOf(child);
        if (item < 0)
            return item == Self ? standard->accDoDefaultAction(child) : E_INVALIDARG;
        // Posted: the parent may answer the toggle with a message box, which must not hold the caller.
        return PostMessageA(list, WM_CHECKLIST_DEFAULT_ACTION, item, 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }
};

} // namespace

LRESULT AnswerCheckListObject(HWND listBox, WPARAM wParam)
{
    if (!LoadAccessibility())
        return 0;
    void* standard = nullptr;
    // __uuidof: the IID_IAccessible of MinGW-w64's static libraries is not the interface's.
    if (FAILED(g_library.createStandard(listBox, OBJID_CLIENT, __uuidof(IAccessible), &standard)))
        return 0;
    void* memory = HeapAlloc(GetProcessHeap(), 0, sizeof(CheckListAccessible));
    if (!memory) {
        static_cast<IAccessible*>(standard)->Release();
        return 0;
    }
    auto* object = new (memory) CheckListAccessible(listBox, static_cast<IAccessible*>(standard));
    // The platform keeps its own reference for the caller; ours ends here.
    const LRESULT result = g_library.resultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();
    return result;
}
