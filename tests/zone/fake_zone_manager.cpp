#include "zone/fake_zone_manager.h"

#include <cstdio>
#include <cstring>

namespace {

FakeZoneState* g_state;

// A COM object is a pointer to its table of methods; one object stands for the
// class factory and every manager it hands out.
struct FakeObject {
    void* const* methods;
};

std::string WithAction(const char* call, DWORD action)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s %lX", call, action);
    return text;
}

HRESULT STDMETHODCALLTYPE QueryInterface(FakeObject* self, REFIID iid, void** object)
{
    const bool known = iid == IID_IUnknown || iid == IID_IClassFactory || iid == IID_IInternetZoneManager;
    *object = known ? self : nullptr;
    return known ? S_OK : E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE AddRef(FakeObject*)
{
    return 2;
}

// Only the managers are released by the product, once each.
ULONG STDMETHODCALLTYPE Release(FakeObject*)
{
    g_state->calls.push_back("Release");
    return 1;
}

HRESULT STDMETHODCALLTYPE GetZoneAttributes(FakeObject*, DWORD zone, ZONEATTRIBUTES* attributes)
{
    g_state->calls.push_back("GetAttributes");
    if (g_state->failGetAttributes || zone != 3 || attributes->cbSize != sizeof *attributes)
        return E_FAIL;
    attributes->dwTemplateCurrentLevel = g_state->currentLevel;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SetZoneAttributes(FakeObject*, DWORD zone, ZONEATTRIBUTES* attributes)
{
    g_state->calls.push_back("SetAttributes");
    if (g_state->failSetAttributes || zone != 3)
        return E_FAIL;
    g_state->currentLevel = attributes->dwTemplateCurrentLevel;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GetZoneActionPolicy(FakeObject*, DWORD zone, DWORD action, BYTE* policy, DWORD size,
                                              URLZONEREG scope)
{
    g_state->calls.push_back(WithAction("Get", action));
    if (g_state->failGetPolicy.count(action) || zone != 3 || size != sizeof(DWORD) || scope != URLZONEREG_HKCU)
        return E_FAIL;
    const DWORD value = g_state->policies.count(action) ? g_state->policies[action] : URLPOLICY_QUERY;
    std::memcpy(policy, &value, sizeof value);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SetZoneActionPolicy(FakeObject*, DWORD zone, DWORD action, BYTE* policy, DWORD size,
                                              URLZONEREG scope)
{
    g_state->calls.push_back(WithAction("Set", action));
    if (g_state->failSetPolicy.count(action) || zone != 3 || size != sizeof(DWORD) || scope != URLZONEREG_HKCU)
        return E_FAIL;
    std::memcpy(&g_state->policies[action], policy, sizeof(DWORD));
    return S_OK;
}

// Every method the product must not call: the run ends at once, without returning
// through a table slot whose arguments it does not know.
void STDMETHODCALLTYPE Unexpected()
{
    std::printf("the product called a zone manager method it does not use\n");
    std::fflush(stdout);
    ExitProcess(3);
}

HRESULT STDMETHODCALLTYPE CreateInstance(FakeObject*, IUnknown* outer, REFIID iid, void** object);

struct MethodTable {
    void* slots[15];   // IInternetZoneManager: IUnknown's three, then twelve of its own
    MethodTable()
    {
        for (void*& slot : slots)
            slot = reinterpret_cast<void*>(Unexpected);
        slots[0] = reinterpret_cast<void*>(QueryInterface);
        slots[1] = reinterpret_cast<void*>(AddRef);
        slots[2] = reinterpret_cast<void*>(Release);
    }
};

MethodTable g_factoryMethods, g_managerMethods;
FakeObject g_factory{g_factoryMethods.slots};
FakeObject g_manager{g_managerMethods.slots};

HRESULT STDMETHODCALLTYPE CreateInstance(FakeObject*, IUnknown* outer, REFIID iid, void** object)
{
    *object = nullptr;
    g_state->calls.push_back("Create");
    if (outer || g_state->failCreate)
        return REGDB_E_CLASSNOTREG;
    return QueryInterface(&g_manager, iid, object);
}

} // namespace

FakeZoneManagerRegistration::FakeZoneManagerRegistration()
{
    g_state = &state;
    // The factory's Release counts nothing: COM releases it, not the product.
    g_factoryMethods.slots[2] = reinterpret_cast<void*>(AddRef);
    g_factoryMethods.slots[3] = reinterpret_cast<void*>(CreateInstance);
    g_managerMethods.slots[3] = reinterpret_cast<void*>(GetZoneAttributes);
    g_managerMethods.slots[4] = reinterpret_cast<void*>(SetZoneAttributes);
    g_managerMethods.slots[7] = reinterpret_cast<void*>(GetZoneActionPolicy);
    g_managerMethods.slots[8] = reinterpret_cast<void*>(SetZoneActionPolicy);
    CoRegisterClassObject(CLSID_InternetZoneManager, reinterpret_cast<IUnknown*>(&g_factory), CLSCTX_INPROC_SERVER,
                          REGCLS_MULTIPLEUSE, &cookie);
}

FakeZoneManagerRegistration::~FakeZoneManagerRegistration()
{
    CoRevokeClassObject(cookie);
    g_state = nullptr;
}
