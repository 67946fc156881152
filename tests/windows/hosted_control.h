// A control as a container hosts it: created from the registry, sited in a frame window of its
// own and started anew; on teardown closed, unsited and released to its last reference.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/windows/com_support.h"

namespace selvane::testing {

inline HWND MakeFrame() {
    return ::CreateWindowExW(0, L"STATIC", L"container", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 900, 700,
                             nullptr, nullptr, nullptr, nullptr);
}

class HostedControl : public ::testing::Test {
protected:
    void SetUp() override {
        frame = MakeFrame();
        ASSERT_NE(frame, nullptr);
        control = CreateSelvane();
        ASSERT_TRUE(control) << "selvane.ocx can't be created from the registry";
        selvane = As<_Selvane>(control);
        ole = As<IOleObject>(control);
        site = Make<TestSite>(frame, RECT{10, 10, 10 + 480, 10 + 360});
        ASSERT_EQ(ole->SetClientSite(site.get()), S_OK);
        ASSERT_EQ(As<IPersistStreamInit>(control)->InitNew(), S_OK);
    }

    void TearDown() override {
        selvane.reset();
        if (ole) {
            ole->Close(OLECLOSE_NOSAVE);
            ole->SetClientSite(nullptr);
            ole.reset();
        }
        if (control) {
            EXPECT_EQ(ReleaseLast(control), 0u) << "references left over";
        }
        site.reset();
        ::DestroyWindow(frame);
    }

    void Activate(LONG verb = OLEIVERB_UIACTIVATE) {
        RECT place{10, 10, 490, 370};
        ASSERT_EQ(ole->DoVerb(verb, nullptr, site.get(), 0, frame, &place), S_OK);
        ASSERT_EQ(As<IOleWindow>(control)->GetWindow(&surface), S_OK);
        Pump();
    }

    void Pump() { PumpThrough(As<IOleInPlaceActiveObject>(control).get()); }

    void SetPath(const wchar_t* path) { EXPECT_EQ(selvane->put_Path(Bstr(path).get()), S_OK); }

    std::wstring GetPath() {
        Bstr path;
        return SUCCEEDED(selvane->GetPath(path.put())) ? path.str() : L"<failed>";
    }

    HWND frame = nullptr;
    HWND surface = nullptr;
    ComPtr<IUnknown> control;
    ComPtr<_Selvane> selvane;
    ComPtr<IOleObject> ole;
    ComPtr<TestSite> site;
};

}  // namespace selvane::testing
