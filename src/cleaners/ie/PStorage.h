#pragma once

// Internet Explorer's autocomplete entries in the Windows Protected Storage
// service, reached through pstorec.dll (loaded at run time, once per
// process). Every call of the service is checked before what it hands back
// is used: where the service is only a stub (Wine) it fails and leaves its
// out-parameters empty.

#include <windows.h>

#include <pstore.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Handles.h"

namespace klarvex {

// Types or subtypes, in the order the service delivered them.
using TIDList = std::vector<GUID>;

// Item names in the order the service delivered them. Names are listed cut
// to 255 characters; the whole name is kept for removal, so a long name is
// still removed.
class TItemList {
public:
    static constexpr size_t kMaxShownLength = 255;
    size_t Count() const noexcept { return names_.size(); }
    std::wstring At(size_t index) const { return names_.at(index).substr(0, kMaxShownLength); }
    const std::wstring& WholeName(size_t index) const { return names_.at(index); }
    void Add(std::wstring name) { names_.push_back(std::move(name)); }

private:
    std::vector<std::wstring> names_;
};

class TPStorage {
public:
    // What creates a provider: PStoreCreateInstance of pstorec.dll unless a
    // test has set its own. Returns an HRESULT and the provider.
    using ProviderFactory = std::function<HRESULT(IPStore** provider, PST_PROVIDERID* providerId)>;
    // Replaces the factory for this process (nullptr puts the library's
    // back); for the tests.
    static void SetProviderFactory(ProviderFactory factory);

    TPStorage() = default;
    ~TPStorage() { Disconnect(); }
    TPStorage(const TPStorage&) = delete;
    TPStorage& operator=(const TPStorage&) = delete;

    // The library and its export were found (or a factory is set).
    static bool IsAvailable();
    // Creates a provider (the default one for no id); a provider held
    // already is released first.
    bool Connect(PST_PROVIDERID* providerId = nullptr);
    void Disconnect();
    bool Connected() const noexcept { return static_cast<bool>(provider_); }

    TIDList ListTypes();
    TIDList ListSubtypes(const GUID& type);
    TItemList ListItems(const GUID& type, const GUID& subtype);
    // The type's display name, or "".
    std::wstring TypeDisplayName(const GUID& type);
    // True when the service removed the item.
    bool RemoveItem(const GUID& type, const GUID& subtype, const std::wstring& name);

private:
    static constexpr PST_KEY kKey = PST_KEY_CURRENT_USER;
    ComPtr<IPStore> provider_;
};

}  // namespace klarvex
