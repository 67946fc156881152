#include "control/com/property_bag.h"

#include "control/com/com_base.h"
#include "win32/win32_base.h"

namespace selvane::com {
namespace {

using win32::Variant;

[[noreturn]] void RaiseBagFailure(HRESULT hr) {
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) Raise(HRESULT_CODE(hr));
    Raise(hr == E_OUTOFMEMORY ? errc::kOutOfMemory : errc::kIllegalFunctionCall);
}

}  // namespace

bool ComPropertyBag::Read(const std::u16string& key, VARTYPE type, VARIANT& value) {
    const std::wstring name = win32::Wide(key);
    value.vt = type;  // the type the control would like; a bag may give another
    const HRESULT hr = bag_.Read(name.c_str(), &value, log_);
    if (FAILED(hr)) {
        ::VariantClear(&value);
        return false;
    }
    // Colours above 0x7FFFFFFF (the system colours) arrive as unsigned from some containers.
    if (type == VT_I4 && value.vt == VT_UI4) {
        value.vt = VT_I4;
        return true;
    }
    const HRESULT changed = ::VariantChangeType(&value, &value, 0, type);
    if (FAILED(changed)) Raise(ConversionError(changed));
    return true;
}

std::int32_t ComPropertyBag::ReadInt32(const std::u16string& key, std::int32_t default_value) {
    Variant value;
    return Read(key, VT_I4, *value.get()) ? value->lVal : default_value;
}

TruthValue ComPropertyBag::ReadBool(const std::u16string& key, TruthValue default_value) {
    Variant value;
    return Read(key, VT_BOOL, *value.get()) ? value->boolVal : default_value;
}

std::u16string ComPropertyBag::ReadString(const std::u16string& key, const std::u16string& default_value) {
    Variant value;
    return Read(key, VT_BSTR, *value.get()) ? FromBstr(value->bstrVal) : default_value;
}

void ComPropertyBag::Write(const std::u16string& key, VARIANT& value) {
    const std::wstring name = win32::Wide(key);
    const HRESULT hr = bag_.Write(name.c_str(), &value);
    if (FAILED(hr)) RaiseBagFailure(hr);
}

void ComPropertyBag::WriteInt32(const std::u16string& key, std::int32_t value, std::int32_t) {
    Variant variant;
    variant->vt = VT_I4;
    variant->lVal = value;
    Write(key, *variant.get());
}

void ComPropertyBag::WriteBool(const std::u16string& key, TruthValue value, TruthValue) {
    Variant variant;
    variant->vt = VT_BOOL;
    variant->boolVal = IsTrue(value) ? VARIANT_TRUE : VARIANT_FALSE;
    Write(key, *variant.get());
}

void ComPropertyBag::WriteString(const std::u16string& key, const std::u16string& value, const std::u16string&) {
    Variant variant;
    variant->vt = VT_BSTR;
    variant->bstrVal = ToBstr(value);
    Write(key, *variant.get());
}

}  // namespace selvane::com
