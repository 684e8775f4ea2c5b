#pragma once

// Stand-ins for what Wine only stubs: the system's URL history object and
// a protected storage provider, as COM objects of the tests' own.

#include <windows.h>

#include <urlhist.h>

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cleaners/ie/PStorage.h"

namespace klarvex::testing {

// --- a URL history object of the test's own

constexpr CLSID kUrlHistoryClass = {0x3c374a40, 0xbae4, 0x11cf, {0xbf, 0x7d, 0x00, 0xaa, 0x00, 0x69, 0x46, 0xee}};

// COM objects of the tests live on the stack: reference counts are kept
// only so that the code under test may call AddRef and Release.
template <typename Interface>
class StackObject : public Interface {
public:
    HRESULT WINAPI QueryInterface(REFIID, void** out) override {
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG WINAPI AddRef() override { return ++references; }
    ULONG WINAPI Release() override { return --references; }
    std::atomic<ULONG> references{0};
};

class FakeUrlEnumerator : public StackObject<IEnumSTATURL> {
public:
    explicit FakeUrlEnumerator(const std::deque<std::wstring>& urls) : urls_(urls) {}
    HRESULT WINAPI Next(ULONG count, STATURL* entries, ULONG* fetched) override {
        *fetched = 0;
        if (count == 0 || next_ >= urls_.size()) return S_FALSE;
        const std::wstring& url = urls_[next_++];
        entries[0].pwcsUrl = static_cast<LPWSTR>(CoTaskMemAlloc((url.size() + 1) * sizeof(wchar_t)));
        wcscpy(entries[0].pwcsUrl, url.c_str());
        *fetched = 1;
        return S_OK;
    }
    HRESULT WINAPI Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT WINAPI Reset() override { return E_NOTIMPL; }
    HRESULT WINAPI Clone(IEnumSTATURL**) override { return E_NOTIMPL; }
    HRESULT WINAPI SetFilter(LPCOLESTR, DWORD) override { return E_NOTIMPL; }

private:
    std::deque<std::wstring> urls_;  // a copy: deleting must not upset the walk
    size_t next_ = 0;
};

class FakeUrlHistory : public StackObject<IUrlHistoryStg2> {
public:
    std::deque<std::wstring> urls;
    std::wstring refuseAfter;  // DeleteUrl answers S_FALSE for this one
    std::wstring refused;      // DeleteUrl fails for this one and keeps it
    std::unique_ptr<FakeUrlEnumerator> enumerator;

    HRESULT WINAPI EnumUrls(IEnumSTATURL** out) override {
        enumerator = std::make_unique<FakeUrlEnumerator>(urls);
        enumerator->AddRef();
        *out = enumerator.get();
        return S_OK;
    }
    HRESULT WINAPI DeleteUrl(LPCOLESTR url, DWORD) override {
        if (url == refused) return E_ACCESSDENIED;
        std::erase(urls, url);
        return url == refuseAfter ? S_FALSE : S_OK;
    }
    HRESULT WINAPI AddUrl(LPCOLESTR, LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
    HRESULT WINAPI BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT WINAPI AddUrlAndNotify(LPCOLESTR, LPCOLESTR, DWORD, WINBOOL, IOleCommandTarget*, IUnknown*) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearHistory() override { return E_NOTIMPL; }
};

class FakeClassFactory : public StackObject<IClassFactory> {
public:
    explicit FakeClassFactory(IUnknown& object) : object_(object) {}
    HRESULT WINAPI CreateInstance(IUnknown*, REFIID, void** out) override {
        object_.AddRef();
        *out = &object_;
        return S_OK;
    }
    HRESULT WINAPI LockServer(BOOL) override { return S_OK; }

private:
    IUnknown& object_;
};

// --- a protected storage provider of the test's own

GUID Guid(uint32_t n) { return GUID{n, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}}; }

template <typename Enum, typename Element, typename Out = Element>
class FakeEnumerator : public StackObject<Enum> {
public:
    explicit FakeEnumerator(std::vector<Element> all) : all_(std::move(all)) {}
    HRESULT WINAPI Next(DWORD count, Out* out, DWORD* fetched) override {
        *fetched = 0;
        for (; *fetched < count && next_ < all_.size(); ++*fetched) out[*fetched] = Copy(all_[next_++]);
        ++calls;
        return *fetched == count ? S_OK : S_FALSE;
    }
    HRESULT WINAPI Skip(DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI Reset() override { return E_NOTIMPL; }
    HRESULT WINAPI Clone(Enum**) override { return E_NOTIMPL; }
    int calls = 0;

private:
    static GUID Copy(const GUID& g) { return g; }
    static LPWSTR Copy(const std::wstring& s) {
        auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((s.size() + 1) * sizeof(wchar_t)));
        wcscpy(copy, s.c_str());
        return copy;
    }
    std::vector<Element> all_;
    size_t next_ = 0;
};

class FakeProvider : public StackObject<IPStore> {
public:
    std::vector<GUID> types;
    std::map<uint32_t, std::wstring> typeNames;           // by GUID's first field
    std::map<uint32_t, std::vector<GUID>> subtypes;       // by type
    std::map<uint32_t, std::vector<std::wstring>> items;  // by subtype
    std::vector<std::pair<uint32_t, std::wstring>> removed;

    template <typename E>
    HRESULT Hand(std::shared_ptr<E> enumerator, auto** out) {
        enumerator->AddRef();
        *out = enumerator.get();
        owned_.push_back(std::move(enumerator));
        return S_OK;
    }
    HRESULT WINAPI EnumTypes(PST_KEY, DWORD, IEnumPStoreTypes** out) override {
        return Hand(std::make_shared<FakeEnumerator<IEnumPStoreTypes, GUID>>(types), out);
    }
    HRESULT WINAPI EnumSubtypes(PST_KEY, const GUID* type, DWORD, IEnumPStoreTypes** out) override {
        return Hand(std::make_shared<FakeEnumerator<IEnumPStoreTypes, GUID>>(subtypes[type->Data1]), out);
    }
    HRESULT WINAPI EnumItems(PST_KEY, const GUID*, const GUID* subtype, DWORD, IEnumPStoreItems** out) override {
        using Items = FakeEnumerator<IEnumPStoreItems, std::wstring, LPWSTR>;
        return Hand(std::make_shared<Items>(items[subtype->Data1]), out);
    }
    HRESULT WINAPI GetTypeInfo(PST_KEY, const GUID* type, PPST_TYPEINFO* info, DWORD) override {
        const std::wstring& name = typeNames[type->Data1];
        auto* record = static_cast<PST_TYPEINFO*>(CoTaskMemAlloc(sizeof(PST_TYPEINFO) + (name.size() + 1) * 2));
        record->cbSize = sizeof(PST_TYPEINFO);
        record->szDisplayName = reinterpret_cast<LPWSTR>(record + 1);
        wcscpy(record->szDisplayName, name.c_str());
        *info = record;
        return S_OK;
    }
    HRESULT WINAPI DeleteItem(PST_KEY, const GUID*, const GUID* subtype, LPCWSTR name, PPST_PROMPTINFO prompt,
                              DWORD) override {
        if (!prompt || prompt->cbSize != sizeof(PST_PROMPTINFO) || prompt->dwPromptFlags != 4) return E_INVALIDARG;
        removed.emplace_back(subtype->Data1, name);
        return S_OK;
    }
    HRESULT WINAPI GetInfo(PPST_PROVIDERINFO*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetProvParam(DWORD, DWORD*, BYTE**, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI SetProvParam(DWORD, DWORD, BYTE*, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI CreateType(PST_KEY, const GUID*, PPST_TYPEINFO, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI DeleteType(PST_KEY, const GUID*, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI CreateSubtype(PST_KEY, const GUID*, const GUID*, PPST_TYPEINFO, PPST_ACCESSRULESET, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI GetSubtypeInfo(PST_KEY, const GUID*, const GUID*, PPST_TYPEINFO*, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI DeleteSubtype(PST_KEY, const GUID*, const GUID*, DWORD) override { return E_NOTIMPL; }
    HRESULT WINAPI ReadAccessRuleset(PST_KEY, const GUID*, const GUID*, PPST_ACCESSRULESET*, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI WriteAccessRuleset(PST_KEY, const GUID*, const GUID*, PPST_ACCESSRULESET, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ReadItem(PST_KEY, const GUID*, const GUID*, LPCWSTR, DWORD*, BYTE**, PPST_PROMPTINFO,
                            DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI WriteItem(PST_KEY, const GUID*, const GUID*, LPCWSTR, DWORD, BYTE*, PPST_PROMPTINFO, DWORD,
                             DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI OpenItem(PST_KEY, const GUID*, const GUID*, LPCWSTR, PST_ACCESSMODE, PPST_PROMPTINFO,
                            DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT WINAPI CloseItem(PST_KEY, const GUID*, const GUID*, LPCWSTR, DWORD) override { return E_NOTIMPL; }

private:
    std::vector<std::shared_ptr<void>> owned_;
};

// The factory hands out the test's provider while the object lives.
class ProviderScope {
public:
    explicit ProviderScope(FakeProvider* provider) {
        TPStorage::SetProviderFactory([provider, this](IPStore** out, PST_PROVIDERID*) {
            ++created;
            if (!provider) return E_FAIL;
            provider->AddRef();
            *out = provider;
            return S_OK;
        });
    }
    ~ProviderScope() { TPStorage::SetProviderFactory(nullptr); }
    int created = 0;
};

}  // namespace klarvex::testing
