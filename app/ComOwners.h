// COM references, SAFEARRAYs, VARIANTs and the per-thread COM initialisation in owners,
// so every path out of a COM conversation releases what it made.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>

#include "app/Platform.h"
#include "ui/UniqueHandle.h"

namespace lark {

// One reference to a COM interface, released through its own Release.
template <class Interface>
struct ComTraits {
    using Handle = Interface*;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { h->Release(); }
};
template <class Interface>
using ComPtr = dui::UniqueHandle<ComTraits<Interface>>;

struct SafeArrayTraits {
    using Handle = SAFEARRAY*;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { SafeArrayDestroy(h); }
};
using SafeArrayPtr = dui::UniqueHandle<SafeArrayTraits>;

// A VARIANT that owns what it holds (a BSTR, an array, a reference) and clears it at the end.
class Variant {
public:
    Variant() noexcept { VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            VariantClear(&value_);
            value_ = other.value_;
            VariantInit(&other.value_);
        }
        return *this;
    }
    ~Variant() { VariantClear(&value_); }

    static Variant text(const std::wstring& text);
    static Variant integer(long number);
    static Variant boolean(bool flag);
    // A one-dimensional array of bytes (VT_ARRAY | VT_UI1).
    static Variant bytes(const Bytes& bytes);

    const VARIANT& get() const noexcept { return value_; }
    // Clears the current value and exposes the slot for an out-parameter.
    VARIANT* put() noexcept {
        VariantClear(&value_);
        return &value_;
    }

    // The held text (VT_BSTR), else empty.
    std::wstring asText() const;
    // The held number converted to a 32-bit integer, else 0.
    long asInteger() const;
    // The held byte array (VT_ARRAY | VT_UI1), else empty bytes.
    Bytes asBytes() const;

private:
    VARIANT value_;
};

// COM initialised for the calling thread for the owner's lifetime (apartment-threaded).
class ComApartment {
public:
    ComApartment() noexcept : result_(CoInitialize(nullptr)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

private:
    HRESULT result_;
};

}  // namespace lark
