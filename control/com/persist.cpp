// IPersistStreamInit, IPersistPropertyBag and IPersistStorage. All three carry the same
// settings: the property bag as its keys, a stream or storage as one settings record
// (docs/settings-stream.md).
#include <vector>

#include "control/com/property_bag.h"
#include "control/com/selvane_control.h"
#include "control/settings_record.h"

namespace selvane::com {
namespace {

constexpr wchar_t kStorageStream[] = L"Contents";

HRESULT HResultOf(const SettingsFormatError& error) {
    switch (error.kind()) {
    case SettingsFormatError::Kind::kTruncated:
        return HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);
    case SettingsFormatError::Kind::kNewerVersion:
        return HRESULT_FROM_WIN32(ERROR_REVISION_MISMATCH);
    case SettingsFormatError::Kind::kCorrupt:
        break;
    }
    return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
}

// Reads up to size bytes, fewer only where the stream ends.
HRESULT ReadFully(IStream& stream, std::uint8_t* data, ULONG size, ULONG* got) {
    *got = 0;
    while (*got < size) {
        ULONG read = 0;
        const HRESULT hr = stream.Read(data + *got, size - *got, &read);
        if (FAILED(hr)) return hr;
        if (read == 0) break;
        *got += read;
    }
    return S_OK;
}

}  // namespace

STDMETHODIMP SelvaneControl::GetClassID(CLSID* clsid) noexcept {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Selvane;
    return S_OK;
}

STDMETHODIMP SelvaneControl::IsDirty() noexcept { return dirty_ ? S_OK : S_FALSE; }

void SelvaneControl::SetDirty(bool dirty) { dirty_ = dirty; }

HRESULT SelvaneControl::StartNew() {
    if (started_) return CO_E_ALREADYINITIALIZED;
    Call call(*this);
    logic_.InitProperties();
    started_ = true;
    dirty_ = false;
    return S_OK;
}

// A setting that can't be applied is skipped and goes to the container's error log; the
// others still load.
HRESULT SelvaneControl::LoadFrom(host::PropertyBag& bag, IErrorLog* log) {
    if (started_) return CO_E_ALREADYINITIALIZED;
    Call call(*this);
    load_log_ = log;
    const HRESULT hr = Guard(IID_IPersistPropertyBag, [&] { logic_.ReadProperties(bag); });
    load_log_ = nullptr;
    RETURN_IF_FAILED(hr);
    started_ = true;
    dirty_ = false;
    return S_OK;
}

// The record is read and checked whole before anything is applied: a damaged one changes
// nothing, and the control can still be loaded or started anew.
HRESULT SelvaneControl::LoadRecord(IStream* stream) {
    if (!stream) return E_POINTER;
    if (started_) return CO_E_ALREADYINITIALIZED;
    try {
        std::vector<std::uint8_t> bytes(SettingsRecord::kHeaderSize);
        ULONG got = 0;
        RETURN_IF_FAILED(ReadFully(*stream, bytes.data(), static_cast<ULONG>(bytes.size()), &got));
        const std::size_t total = SettingsRecord::EncodedSize(bytes.data(), got);
        bytes.resize(total);
        ULONG rest = 0;
        RETURN_IF_FAILED(ReadFully(*stream, bytes.data() + got, static_cast<ULONG>(total - got), &rest));
        SettingsRecord record = SettingsRecord::Decode(bytes.data(), got + rest);
        return LoadFrom(record, nullptr);
    } catch (const SettingsFormatError& error) {
        return ReportError(HResultOf(error), u"The saved settings can't be read: " +
                                                 std::u16string(error.what(), error.what() + strlen(error.what())),
                           IID_IPersistStreamInit);
    } catch (const std::bad_alloc&) {
        return Traced(E_OUTOFMEMORY, u"reading saved settings");
    }
}

STDMETHODIMP SelvaneControl::InitNew() noexcept { return StartNew(); }

STDMETHODIMP SelvaneControl::Load(LPSTREAM stream) noexcept { return LoadRecord(stream); }

STDMETHODIMP SelvaneControl::Save(LPSTREAM stream, BOOL clear_dirty) noexcept {
    if (!stream) return E_POINTER;
    Call call(*this);
    std::vector<std::uint8_t> bytes;
    RETURN_IF_FAILED(Guard(IID_IPersistStreamInit, [&] {
        SettingsRecord record;
        logic_.WriteProperties(record);
        bytes = record.Encode();
    }));
    ULONG written = 0;
    RETURN_IF_FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
    if (written != bytes.size()) return STG_E_MEDIUMFULL;
    if (clear_dirty) dirty_ = false;
    return S_OK;
}

STDMETHODIMP SelvaneControl::GetSizeMax(ULARGE_INTEGER* size) noexcept {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    Call call(*this);
    return Guard(IID_IPersistStreamInit, [&] {
        SettingsRecord record;
        logic_.WriteProperties(record);
        size->QuadPart = record.Encode().size();
    });
}

STDMETHODIMP SelvaneControl::Load(IPropertyBag* bag, IErrorLog* log) noexcept {
    if (!bag) return E_POINTER;
    ComPropertyBag store(*bag, log);
    return LoadFrom(store, log);
}

// Every key is written, defaults included, so the bag always holds the full set.
STDMETHODIMP SelvaneControl::Save(IPropertyBag* bag, BOOL clear_dirty, BOOL) noexcept {
    if (!bag) return E_POINTER;
    Call call(*this);
    ComPropertyBag store(*bag, nullptr);
    RETURN_IF_FAILED(Guard(IID_IPersistPropertyBag, [&] { logic_.WriteProperties(store); }));
    if (clear_dirty) dirty_ = false;
    return S_OK;
}

STDMETHODIMP SelvaneControl::InitNew(IStorage* storage) noexcept {
    if (!storage) return E_POINTER;
    return StartNew();
}

STDMETHODIMP SelvaneControl::Load(IStorage* storage) noexcept {
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    RETURN_IF_FAILED(
        storage->OpenStream(kStorageStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put()));
    return LoadRecord(stream.get());
}

STDMETHODIMP SelvaneControl::Save(IStorage* storage, BOOL) noexcept {
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    RETURN_IF_FAILED(storage->CreateStream(kStorageStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                           stream.put()));
    // The dirty flag clears when the container confirms with SaveCompleted.
    return Save(stream.get(), FALSE);
}

STDMETHODIMP SelvaneControl::SaveCompleted(IStorage*) noexcept {
    dirty_ = false;
    return S_OK;
}

STDMETHODIMP SelvaneControl::HandsOffStorage() noexcept { return S_OK; }

}  // namespace selvane::com
