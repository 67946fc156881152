// IConnectionPoint and the enumerators of connection points and connections.
#pragma once

#include <ocidl.h>

#include <vector>

#include "control/com/com_base.h"

namespace selvane::com {

// One outgoing interface's connections. It lives inside the control and shares its lifetime:
// its references are the control's. The point of a dispinterface also takes a sink that answers
// only IDispatch, as script engines' generic sinks do: the events reach it by dispid alike.
class ConnectionPoint final : public IConnectionPoint {
public:
    enum class Kind { kInterface, kDispinterface };
    ConnectionPoint(IConnectionPointContainer& owner, REFIID iid, Kind kind = Kind::kInterface)
        : owner_(owner), iid_(iid), kind_(kind) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return owner_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() noexcept override { return owner_.Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) noexcept override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) noexcept override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) noexcept override;
    STDMETHODIMP Unadvise(DWORD cookie) noexcept override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) noexcept override;

    // The sinks connected now, each queried for the outgoing interface. A copy, so that a sink
    // may connect or disconnect while the others are being called.
    template <class Sink>
    std::vector<ComPtr<Sink>> Sinks() const {
        std::vector<ComPtr<Sink>> sinks;
        for (const Connection& connection : connections_) {
            sinks.push_back(ComPtr<Sink>(static_cast<Sink*>(connection.sink.get())));
        }
        return sinks;
    }
    // Lets every sink go, as the control closes.
    void Clear() {
        std::vector<Connection> leaving;
        leaving.swap(connections_);
    }

private:
    struct Connection {
        DWORD cookie;
        ComPtr<IUnknown> sink;  // queried for iid_ (or IDispatch) when it connected
    };

    IConnectionPointContainer& owner_;
    IID iid_;
    Kind kind_;
    std::vector<Connection> connections_;
    DWORD next_cookie_ = 1;
};

// An enumerator of the given connection points, holding a reference to each.
HRESULT EnumerateConnectionPoints(const std::vector<IConnectionPoint*>& points, IEnumConnectionPoints** result);

}  // namespace selvane::com
