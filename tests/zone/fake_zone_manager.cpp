#include "zone/fake_zone_manager.h"

#include <cstdio>

namespace {

std::string Call(const char* name, DWORD zone, DWORD action = 0)
{
    char text[96];
    if (action)
        std::snprintf(text, sizeof text, "%s %lu %lX", name, zone, action);
    else
        std::snprintf(text, sizeof text, "%s %lu", name, zone);
    return text;
}

class FakeZoneManager final : public IInternetZoneManager {
public:
    explicit FakeZoneManager(FakeZoneState& state) : state_(state) { ++state_.liveObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IInternetZoneManager)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        if (--refs_)
            return refs_;
        state_.calls.push_back("Release");
        --state_.liveObjects;
        delete this;
        return 0;
    }

    HRESULT STDMETHODCALLTYPE GetZoneAttributes(DWORD zone, ZONEATTRIBUTES* attributes) override
    {
        state_.calls.push_back(Call("GetZoneAttributes", zone));
        if (state_.failGetAttributes || attributes->cbSize != sizeof *attributes)
            return E_FAIL;
        attributes->dwTemplateCurrentLevel = state_.currentLevel;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetZoneAttributes(DWORD zone, ZONEATTRIBUTES* attributes) override
    {
        state_.calls.push_back(Call("SetZoneAttributes", zone));
        if (state_.failSetAttributes)
            return E_FAIL;
        state_.currentLevel = attributes->dwTemplateCurrentLevel;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetZoneActionPolicy(DWORD zone, DWORD action, BYTE* policy, DWORD size,
                                                  URLZONEREG reg) override
    {
        state_.calls.push_back(Call("GetZoneActionPolicy", zone, action));
        if (state_.failGetPolicy.count(action) || size != sizeof(DWORD) || reg != URLZONEREG_HKCU)
            return E_FAIL;
        const DWORD value = state_.policies.count(action) ? state_.policies[action] : 1;
        memcpy(policy, &value, sizeof value);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetZoneActionPolicy(DWORD zone, DWORD action, BYTE* policy, DWORD size,
                                                  URLZONEREG reg) override
    {
        state_.calls.push_back(Call("SetZoneActionPolicy", zone, action));
        if (state_.setPolicyNotImplemented)
            return E_NOTIMPL;
        if (state_.failSetPolicy.count(action) || size != sizeof(DWORD) || reg != URLZONEREG_HKCU)
            return E_FAIL;
        memcpy(&state_.policies[action], policy, sizeof(DWORD));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetZoneCustomPolicy(DWORD, REFGUID, BYTE**, DWORD*, URLZONEREG) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE SetZoneCustomPolicy(DWORD, REFGUID, BYTE*, DWORD, URLZONEREG) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE PromptAction(DWORD, HWND, LPCWSTR, LPCWSTR, DWORD) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE LogAction(DWORD, LPCWSTR, LPCWSTR, DWORD) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE CreateZoneEnumerator(DWORD*, DWORD*, DWORD) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE GetZoneAt(DWORD, DWORD, DWORD*) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE DestroyZoneEnumerator(DWORD) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE CopyTemplatePoliciesToZone(DWORD, DWORD, DWORD) override { return Unexpected(); }

private:
    HRESULT Unexpected()
    {
        state_.calls.push_back("unexpected call");
        return E_NOTIMPL;
    }

    FakeZoneState& state_;
    ULONG refs_ = 1;
};

class FakeFactory final : public IClassFactory {
public:
    explicit FakeFactory(FakeZoneState& state) : state_(state) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IClassFactory)) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        state_.calls.push_back("Create");
        if (state_.failCreate)
            return REGDB_E_CLASSNOTREG;
        FakeZoneManager* manager = new FakeZoneManager(state_);
        const HRESULT result = manager->QueryInterface(iid, object);
        manager->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    FakeZoneState& state_;
};

} // namespace

FakeZoneManagerRegistration::FakeZoneManagerRegistration() : factory_(new FakeFactory(state))
{
    CoRegisterClassObject(CLSID_InternetZoneManager, factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

FakeZoneManagerRegistration::~FakeZoneManagerRegistration()
{
    CoRevokeClassObject(cookie_);
    delete static_cast<FakeFactory*>(factory_);
}
