#pragma once

#include <windows.h>

#include <shtypes.h>

#include <utility>

namespace klarvex {

// One move-only owner per kind of Win32 handle. Each kind knows its own
// invalid value and how it is closed; copying is forbidden so a handle is
// closed exactly once, on every path out of the scope that opened it.
template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() noexcept = default;
    explicit UniqueResource(Type value) noexcept : value_(value) {}
    ~UniqueResource() { Reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Type Get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }

    // For functions that return the handle through an out parameter.
    Type* Put() noexcept {
        Reset();
        return &value_;
    }
    Type Release() noexcept { return std::exchange(value_, Traits::Invalid()); }
    void Reset(Type value = Traits::Invalid()) noexcept {
        if (value_ != Traits::Invalid()) Traits::Close(value_);
        value_ = value;
    }

private:
    Type value_ = Traits::Invalid();
};

struct HandleTraits {  // threads, events, processes: NULL when absent
    using Type = HANDLE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile: INVALID_HANDLE_VALUE when absent
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { FindClose(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { RegCloseKey(h); }
};
struct ModuleTraits {
    using Type = HMODULE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { FreeLibrary(h); }
};

struct ItemIdListTraits {  // shell item identifier lists (PIDLs)
    using Type = LPITEMIDLIST;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type p) noexcept { CoTaskMemFree(p); }
};
struct SidTraits {  // SIDs made by AllocateAndInitializeSid
    using Type = PSID;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type p) noexcept { FreeSid(p); }
};

using UniqueHandle = UniqueResource<HandleTraits>;
using FileHandle = UniqueResource<FileHandleTraits>;
using FindHandle = UniqueResource<FindHandleTraits>;
using RegKey = UniqueResource<RegKeyTraits>;
using Module = UniqueResource<ModuleTraits>;
using ItemIdList = UniqueResource<ItemIdListTraits>;
using Sid = UniqueResource<SidTraits>;

}  // namespace klarvex

// --- GDI objects, device contexts, image lists and menus of the windows

#include <commctrl.h>

namespace klarvex {

template <typename GdiHandle>
struct GdiObjectTraits {  // fonts, brushes, pens, bitmaps
    using Type = GdiHandle;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { DeleteObject(h); }
};
struct MemoryDcTraits {  // CreateCompatibleDC
    using Type = HDC;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { DeleteDC(h); }
};
struct ImageListTraits {
    using Type = HIMAGELIST;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ImageList_Destroy(h); }
};
struct MenuTraits {  // LoadMenu, CreateMenu: menus no window owns
    using Type = HMENU;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { DestroyMenu(h); }
};

using Font = UniqueResource<GdiObjectTraits<HFONT>>;
using Brush = UniqueResource<GdiObjectTraits<HBRUSH>>;
using Pen = UniqueResource<GdiObjectTraits<HPEN>>;
using Bitmap = UniqueResource<GdiObjectTraits<HBITMAP>>;
using MemoryDc = UniqueResource<MemoryDcTraits>;
using ImageList = UniqueResource<ImageListTraits>;
using Menu = UniqueResource<MenuTraits>;

// GetDC of a window (or of the screen, for nullptr), released with it.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context for the scope; the one it
// replaced goes back in when the scope ends.
class DcSelection {
public:
    DcSelection(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
    ~DcSelection() {
        if (old_) SelectObject(dc_, old_);
    }
    DcSelection(const DcSelection&) = delete;
    DcSelection& operator=(const DcSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace klarvex

// --- COM interface references

#include <unknwn.h>

namespace klarvex {

template <typename Interface>
struct ComTraits {  // a reference held on a COM object
    using Type = Interface*;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type p) noexcept { p->Release(); }
};
template <typename Interface>
using ComPtr = UniqueResource<ComTraits<Interface>>;

}  // namespace klarvex
