#include "cleaners/ie/PStorage.h"

#include <algorithm>
#include <mutex>

namespace klarvex {

namespace {

using CreateInstanceFn = HRESULT(WINAPI*)(IPStore**, PST_PROVIDERID*, void*, DWORD);

// pstorec.dll and its export, loaded when first needed and freed at the
// end of the process.
struct Library {
    Module module;
    CreateInstanceFn create = nullptr;

    Library() : module(LoadLibraryW(L"pstorec.dll")) {
        if (!module) return;
        create = reinterpret_cast<CreateInstanceFn>(
            reinterpret_cast<void*>(GetProcAddress(module.Get(), "PStoreCreateInstance")));
        if (!create) module.Reset();
    }
};

const Library& TheLibrary() {
    static const Library library;
    return library;
}

std::mutex factoryMutex;
TPStorage::ProviderFactory& Factory() {
    static TPStorage::ProviderFactory factory;
    return factory;
}

constexpr DWORD kBatch = 16;

// Every GUID an enumerator delivers, kBatch at a time.
TIDList Drain(IEnumPStoreTypes* enumerator) {
    TIDList ids;
    if (!enumerator) return ids;
    GUID batch[kBatch];
    for (;;) {
        DWORD fetched = 0;
        const HRESULT result = enumerator->Next(kBatch, batch, &fetched);
        if (FAILED(result) || fetched == 0) break;
        ids.insert(ids.end(), batch, batch + std::min(fetched, kBatch));
    }
    return ids;
}

}  // namespace

void TPStorage::SetProviderFactory(ProviderFactory factory) {
    std::lock_guard lock(factoryMutex);
    Factory() = std::move(factory);
}

bool TPStorage::IsAvailable() {
    {
        std::lock_guard lock(factoryMutex);
        if (Factory()) return true;
    }
    return TheLibrary().create != nullptr;
}

bool TPStorage::Connect(PST_PROVIDERID* providerId) {
    Disconnect();
    ProviderFactory factory;
    {
        std::lock_guard lock(factoryMutex);
        factory = Factory();
    }
    IPStore* provider = nullptr;
    HRESULT result = E_FAIL;
    if (factory) result = factory(&provider, providerId);
    else if (TheLibrary().create) result = TheLibrary().create(&provider, providerId, nullptr, 0);
    else return false;
    if (result != S_OK) {
        if (provider) provider->Release();
        return false;
    }
    provider_.Reset(provider);
    return Connected();
}

void TPStorage::Disconnect() { provider_.Reset(); }

TIDList TPStorage::ListTypes() {
    if (!provider_) return {};
    ComPtr<IEnumPStoreTypes> enumerator;
    if (FAILED(provider_.Get()->EnumTypes(kKey, 0, enumerator.Put()))) return {};
    return Drain(enumerator.Get());
}

TIDList TPStorage::ListSubtypes(const GUID& type) {
    if (!provider_) return {};
    ComPtr<IEnumPStoreTypes> enumerator;
    if (FAILED(provider_.Get()->EnumSubtypes(kKey, &type, 0, enumerator.Put()))) return {};
    return Drain(enumerator.Get());
}

TItemList TPStorage::ListItems(const GUID& type, const GUID& subtype) {
    TItemList items;
    if (!provider_) return items;
    ComPtr<IEnumPStoreItems> enumerator;
    if (FAILED(provider_.Get()->EnumItems(kKey, &type, &subtype, 0, enumerator.Put())) || !enumerator) return items;
    LPWSTR batch[kBatch];
    for (;;) {
        DWORD fetched = 0;
        std::fill(std::begin(batch), std::end(batch), nullptr);
        const HRESULT result = enumerator.Get()->Next(kBatch, batch, &fetched);
        if (FAILED(result)) break;
        for (DWORD i = 0; i < std::min(fetched, kBatch); ++i) {
            if (batch[i]) items.Add(batch[i]);
            CoTaskMemFree(batch[i]);
        }
        if (fetched == 0) break;
    }
    return items;
}

std::wstring TPStorage::TypeDisplayName(const GUID& type) {
    if (!provider_) return {};
    PST_TYPEINFO* info = nullptr;
    if (FAILED(provider_.Get()->GetTypeInfo(kKey, &type, &info, 0)) || !info) return {};
    std::wstring name = info->szDisplayName ? info->szDisplayName : L"";
    CoTaskMemFree(info);
    return name;
}

bool TPStorage::RemoveItem(const GUID& type, const GUID& subtype, const std::wstring& name) {
    if (!provider_) return false;
    PST_PROMPTINFO prompt{};
    prompt.cbSize = sizeof(prompt);
    prompt.dwPromptFlags = 4;
    prompt.hwndApp = nullptr;
    prompt.szPrompt = L"";
    return provider_.Get()->DeleteItem(kKey, &type, &subtype, name.c_str(), &prompt, 0) == S_OK;
}

}  // namespace klarvex
