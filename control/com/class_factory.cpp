// IClassFactory: makes Selvane controls; aggregation is refused.
#include "control/com/class_factory.h"

#include "control/com/module.h"
#include "control/com/selvane_control.h"

namespace selvane::com {
namespace {

class ClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!::IsEqualIID(iid, IID_IUnknown) && !::IsEqualIID(iid, IID_IClassFactory)) {
            return UnknownIdentifier(u"class factory's QueryInterface: unknown interface", iid);
        }
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // The factory is static: its references only keep the library loaded.
    STDMETHODIMP_(ULONG) AddRef() noexcept override {
        LockModule();
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() noexcept override {
        UnlockModule();
        return 1;
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) noexcept override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return CreateSelvaneControl(iid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) noexcept override {
        if (lock) {
            LockModule();
        } else {
            UnlockModule();
        }
        return S_OK;
    }
};

}  // namespace

IClassFactory& SelvaneClassFactory() {
    static ClassFactory factory;
    return factory;
}

}  // namespace selvane::com
