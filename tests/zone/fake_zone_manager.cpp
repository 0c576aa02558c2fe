#include "zone/fake_zone_manager.h"

#include <cstdio>

namespace {

FakeZoneState* g_state;


// Records the call; true when the test made it fail, or it does not name zone 3.
bool Fails(const char* name, DWORD zone = 3, DWORD action = 0)
{
    char call[32];
    std::snprintf(call, sizeof call, action ? "%s %lX" : "%s", name, action);
    g_state->calls.push_back(call);
    return g_state->fail.count(call) || zone != 3;
}

HRESULT STDMETHODCALLTYPE QueryInterface(void* self, REFIID, void** object)
{
    *object = self;
    return S_OK;
}

// Only the managers are released by the product, once each; COM's own
// references to the factory are not counted.
ULONG STDMETHODCALLTYPE AddRef(void*)
{
    return 2;
}

ULONG STDMETHODCALLTYPE Release(void*)
{
    g_state->calls.push_back("Release");
    return 1;
}

HRESULT STDMETHODCALLTYPE GetZoneAttributes(void*, DWORD zone, ZONEATTRIBUTES* attributes)
{
    if (Fails("GetAttributes", zone) || attributes->cbSize != sizeof *attributes)
        return E_FAIL;
    attributes->dwTemplateCurrentLevel = g_state->currentLevel;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SetZoneAttributes(void*, DWORD zone, ZONEATTRIBUTES* attributes)
{
    if (Fails("SetAttributes", zone))
        return E_FAIL;
    g_state->currentLevel = attributes->dwTemplateCurrentLevel;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GetZoneActionPolicy(void*, DWORD zone, DWORD action, DWORD* policy, DWORD size, URLZONEREG)
{
    if (Fails("Get", zone, action) || size != sizeof *policy)
        return E_FAIL;
    *policy = g_state->policies.count(action) ? g_state->policies[action] : URLPOLICY_QUERY;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SetZoneActionPolicy(void*, DWORD zone, DWORD action, DWORD* policy, DWORD size,
                                              URLZONEREG scope)
{
    if (Fails("Set", zone, action) || size != sizeof *policy || scope != URLZONEREG_HKCU)
        return E_FAIL;
    g_state->policies[action] = *policy;
    return S_OK;
}

// Every method the product does not use: the run ends at once, never returning
// through a slot whose arguments it does not know.
void STDMETHODCALLTYPE Unexpected()
{
    std::printf("the product called a zone manager method it does not use\n");
    ExitProcess(3);
}

template <typename Method>
void* Slot(Method method)
{
    return reinterpret_cast<void*>(method);
}

// A COM object is a pointer to its table of methods.
void* const g_managerMethods[] = {
    Slot(QueryInterface), Slot(AddRef), Slot(Release), Slot(GetZoneAttributes), Slot(SetZoneAttributes),
    Slot(Unexpected), Slot(Unexpected), Slot(GetZoneActionPolicy), Slot(SetZoneActionPolicy), Slot(Unexpected),
    Slot(Unexpected), Slot(Unexpected), Slot(Unexpected), Slot(Unexpected), Slot(Unexpected)};
void* const* g_manager = g_managerMethods;

HRESULT STDMETHODCALLTYPE CreateInstance(void*, IUnknown*, REFIID, void** object)
{
    *object = Fails("Create") ? nullptr : &g_manager;
    return *object ? S_OK : REGDB_E_CLASSNOTREG;
}

void* const g_factoryMethods[] = {Slot(QueryInterface), Slot(AddRef), Slot(AddRef), Slot(CreateInstance),
                                  Slot(Unexpected)};
void* const* g_factory = g_factoryMethods;

} // namespace

FakeZoneManagerRegistration::FakeZoneManagerRegistration()
{
    g_state = &state;
    CoRegisterClassObject(CLSID_InternetZoneManager, reinterpret_cast<IUnknown*>(&g_factory), CLSCTX_INPROC_SERVER,
                          REGCLS_MULTIPLEUSE, &cookie);
}

FakeZoneManagerRegistration::~FakeZoneManagerRegistration()
{
    CoRevokeClassObject(cookie);
}
