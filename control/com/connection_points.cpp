// IConnectionPoint, IEnumConnections and IEnumConnectionPoints.
#include "control/com/connection_points.h"

#include <olectl.h>

#include "control/com/module.h"

namespace selvane::com {
namespace {

// A snapshot enumerator over copies of Items; Copy adds the reference an item hands out.
template <class Enum, class Item, const IID& kIid>
class Enumerator final : public Enum {
public:
    explicit Enumerator(std::vector<Item> items, std::size_t position = 0)
        : items_(std::move(items)), position_(position) {
        for (Item& item : items_) AddItemRef(item);
        LockModule();
    }
    ~Enumerator() {
        for (Item& item : items_) ReleaseItem(item);
        UnlockModule();
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!::IsEqualIID(iid, IID_IUnknown) && !::IsEqualIID(iid, kIid)) {
            return UnknownIdentifier(u"enumerator's QueryInterface: unknown interface", iid);
        }
        *object = static_cast<Enum*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() noexcept override {
        const LONG refs = ::InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }

    STDMETHODIMP Next(ULONG count, Item* items, ULONG* fetched) noexcept override {
        if (!items || (count > 1 && !fetched)) return E_POINTER;
        ULONG done = 0;
        for (; done < count && position_ < items_.size(); ++done, ++position_) {
            items[done] = items_[position_];
            AddItemRef(items[done]);
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) noexcept override {
        const std::size_t left = items_.size() - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() noexcept override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Enum** clone) noexcept override {
        if (!clone) return E_POINTER;
        *clone = nullptr;
        try {
            *clone = new Enumerator(items_, position_);
            return S_OK;
        } catch (...) {
            return Traced(CaughtFailure(), u"cloning an enumerator");
        }
    }

private:
    static void AddItemRef(CONNECTDATA& item) { item.pUnk->AddRef(); }
    static void ReleaseItem(CONNECTDATA& item) { item.pUnk->Release(); }
    static void AddItemRef(IConnectionPoint* item) { item->AddRef(); }
    static void ReleaseItem(IConnectionPoint* item) { item->Release(); }

    LONG refs_ = 1;
    std::vector<Item> items_;
    std::size_t position_;
};

using ConnectionEnumerator = Enumerator<IEnumConnections, CONNECTDATA, IID_IEnumConnections>;
using PointEnumerator = Enumerator<IEnumConnectionPoints, IConnectionPoint*, IID_IEnumConnectionPoints>;

}  // namespace

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!::IsEqualIID(iid, IID_IUnknown) && !::IsEqualIID(iid, IID_IConnectionPoint)) {
        return UnknownIdentifier(u"connection point's QueryInterface: unknown interface", iid);
    }
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) noexcept {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) noexcept {
    if (!container) return E_POINTER;
    *container = &owner_;
    owner_.AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) noexcept {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    ComPtr<IUnknown> queried;
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(queried.put()))) &&
        (kind_ != Kind::kDispinterface ||
         FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(queried.put()))))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    try {
        connections_.push_back(Connection{next_cookie_, queried});
    } catch (...) {
        return Traced(CaughtFailure(), u"connecting a sink");
    }
    *cookie = next_cookie_++;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) noexcept {
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (it->cookie == cookie) {
            // The sink's release may call back into the control: let it go after the list is whole.
            ComPtr<IUnknown> leaving = std::move(it->sink);
            connections_.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) noexcept {
    if (!connections) return E_POINTER;
    *connections = nullptr;
    try {
        std::vector<CONNECTDATA> data;
        for (const Connection& connection : connections_) data.push_back(CONNECTDATA{connection.sink.get(), connection.cookie});
        *connections = new ConnectionEnumerator(std::move(data));
        return S_OK;
    } catch (...) {
        return Traced(CaughtFailure(), u"enumerating connections");
    }
}

HRESULT EnumerateConnectionPoints(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    try {
        *result = new PointEnumerator(points);
        return S_OK;
    } catch (...) {
        return Traced(CaughtFailure(), u"enumerating connection points");
    }
}

}  // namespace selvane::com
