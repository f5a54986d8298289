// Every Win32, GDI and GDI+ handle the program holds lives in one of these owners, so no path
// can leak one, and the live counts let tests prove that repeated work frees what it makes.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <objidl.h>

#include <atomic>
#include <cstddef>
#include <utility>

namespace dui {

// One live counter per kind of handle; read by tests and benchmarks, never by program logic.
struct LiveCount {
    std::atomic<long> value{0};
};

// A non-copyable, movable owner of one handle. Traits give the handle type, the empty value,
// how to close it and the counter to keep.
template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept : handle_(h) { countUp(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) { countUp(); }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::empty(); }

    // Takes ownership of h after closing the current handle.
    void reset(Handle h = Traits::empty()) noexcept {
        if (handle_ != Traits::empty()) {
            Traits::close(handle_);
            --liveCount().value;
        }
        handle_ = h;
        countUp();
    }

    // Gives up ownership without closing.
    Handle release() noexcept {
        Handle h = handle_;
        if (h != Traits::empty()) --liveCount().value;
        handle_ = Traits::empty();
        return h;
    }

    // For out-parameters of the flat GDI+ API: closes the current handle and exposes the slot.
    // The owner counts what was written on its next reset, release or destruction.
    class OutSlot {
    public:
        explicit OutSlot(UniqueHandle& owner) noexcept : owner_(owner) {}
        ~OutSlot() { owner_.countUp(); }
        operator Handle*() noexcept { return &owner_.handle_; }
        OutSlot(const OutSlot&) = delete;
        OutSlot& operator=(const OutSlot&) = delete;

    private:
        UniqueHandle& owner_;
    };
    OutSlot put() noexcept {
        reset();
        return OutSlot(*this);
    }

    static long live() noexcept { return liveCount().value.load(); }

private:
    static LiveCount& liveCount() noexcept {
        static LiveCount count;
        return count;
    }
    // Every non-empty handle held has been counted exactly once.
    void countUp() noexcept {
        if (handle_ != Traits::empty()) ++liveCount().value;
    }

    Handle handle_ = Traits::empty();
};

// Traits for the plain Win32 kinds. Each closes with the call the platform documents for it.
template <class H, BOOL(WINAPI* Close)(H)>
struct WinTraits {
    using Handle = H;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { Close(h); }
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { RegCloseKey(h); }
};

template <class H>
struct GdiTypedTraits {
    using Handle = H;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { DeleteObject(h); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using MemoryDc = UniqueHandle<WinTraits<HDC, DeleteDC>>;
using BitmapHandle = UniqueHandle<GdiTypedTraits<HBITMAP>>;
using FontHandle = UniqueHandle<GdiTypedTraits<HFONT>>;
using BrushHandle = UniqueHandle<GdiTypedTraits<HBRUSH>>;
using RegionHandle = UniqueHandle<GdiTypedTraits<HRGN>>;
using IconHandle = UniqueHandle<WinTraits<HICON, DestroyIcon>>;
using MenuHandle = UniqueHandle<WinTraits<HMENU, DestroyMenu>>;
using WindowHandle = UniqueHandle<WinTraits<HWND, DestroyWindow>>;
using CursorHandle = UniqueHandle<WinTraits<HCURSOR, DestroyCursor>>;

struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { GlobalFree(h); }
};
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;

// A COM stream (IStream), released through its own Release.
struct StreamTraits {
    using Handle = IStream*;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { h->Release(); }
};
using StreamPtr = UniqueHandle<StreamTraits>;

// A DC borrowed from a window (or the screen when the window is null), released on scope exit.
class ScreenDc {
public:
    explicit ScreenDc(HWND window = nullptr) noexcept : window_(window), dc_(GetDC(window)) {}
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Restores the object previously selected into a DC when it goes out of scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (previous_) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace dui
