#include "app/ComOwners.h"

#include <cstring>

namespace lark {

Variant Variant::text(const std::wstring& text) {
    Variant v;
    v.value_.vt = VT_BSTR;
    v.value_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!v.value_.bstrVal) v.value_.vt = VT_EMPTY;
    return v;
}

Variant Variant::integer(long number) {
    Variant v;
    v.value_.vt = VT_I4;
    v.value_.lVal = number;
    return v;
}

Variant Variant::boolean(bool flag) {
    Variant v;
    v.value_.vt = VT_BOOL;
    v.value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Variant::bytes(const Bytes& bytes) {
    Variant v;
    SafeArrayPtr array(SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size())));
    if (!array) return v;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array.get(), &data))) return v;
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array.get());
    v.value_.vt = VT_ARRAY | VT_UI1;
    v.value_.parray = array.release();
    return v;
}

std::wstring Variant::asText() const {
    if (value_.vt != VT_BSTR || !value_.bstrVal) return {};
    return std::wstring(value_.bstrVal, SysStringLen(value_.bstrVal));
}

long Variant::asInteger() const {
    VARIANT converted;
    VariantInit(&converted);
    long number = 0;
    if (SUCCEEDED(VariantChangeType(&converted, const_cast<VARIANT*>(&value_), 0, VT_I4)))
        number = converted.lVal;
    VariantClear(&converted);
    return number;
}

Bytes Variant::asBytes() const {
    if (value_.vt != (VT_ARRAY | VT_UI1) || !value_.parray) return {};
    SAFEARRAY* array = value_.parray;  // not owned: the variant keeps it
    LONG lower = 0;
    LONG upper = -1;
    if (SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
        FAILED(SafeArrayGetUBound(array, 1, &upper)) || upper < lower)
        return {};
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return {};
    const auto* first = static_cast<const std::uint8_t*>(data);
    Bytes bytes(first, first + (upper - lower + 1));
    SafeArrayUnaccessData(array);
    return bytes;
}

}  // namespace lark
