// The control in a container of our own: the calls a container makes, in their order, events
// from real user input, re-entrant handlers, the keyboard, and drawing.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control/com/event_ids.h"
#include "tests/windows/com_support.h"
#include "tests/windows/hosted_control.h"
#include "demo/screenshot.h"
#include "tests/windows/user_input.h"

namespace selvane::testing {

using namespace screenshots;
namespace {

constexpr DISPID kPathId = 0x68030009;
constexpr DISPID kFileTypeId = 0x68030001;
constexpr DISPID kBackColorId = 0x6803000A;
constexpr DISPID kLabel1BoldId = 0x68030006;
constexpr DISPID kGetPathId = 0x60030013;
constexpr DISPID kPathOnlyId = 0x60030015;
constexpr DISPID kRefreshFilesId = 0x60030018;
constexpr DISPID kClick = com::kClickEvent;
constexpr DISPID kDblClick = com::kDblClickEvent;

// Writes a 24-bit bitmap file of what the DC's bitmap holds, for a person to look at.
void SaveDrawing(HDC dc, HBITMAP bitmap, int width, int height, const std::wstring& name) {
    const std::wstring folder = ArtifactsFolder();
    if (folder.empty()) return;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const int row = (width * 3 + 3) & ~3;
    std::vector<BYTE> pixels(static_cast<std::size_t>(row * height));
    ::GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    const win32::UniqueStream out(_wfopen(WindowsPathOf(folder + L"/" + name + L".bmp").c_str(), L"wb"));
    if (!out) return;
    std::fwrite(&file, sizeof(file), 1, out.get());
    std::fwrite(&header, sizeof(header), 1, out.get());
    std::fwrite(pixels.data(), 1, pixels.size(), out.get());
}

TEST_F(HostedControl, ActivationPlacesTheWindowInTheContainerAndDeactivationTakesItBack) {
    DWORD status = 0;
    EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 131473u);
    HWND none = nullptr;
    EXPECT_EQ(As<IOleWindow>(control)->GetWindow(&none), E_FAIL) << "no window before activation";

    Activate(OLEIVERB_INPLACEACTIVATE);
    EXPECT_EQ(site->calls, (std::vector<std::string>{"CanInPlaceActivate", "OnInPlaceActivate", "GetWindowContext"}));
    EXPECT_EQ(::GetParent(surface), frame);
    EXPECT_TRUE(::IsWindowVisible(surface));
    RECT place{};
    ::GetWindowRect(surface, &place);
    ::MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, 10);
    EXPECT_EQ(place.right - place.left, 480);
    EXPECT_EQ(place.bottom - place.top, 360);

    // A new size lays the children out again.
    HWND list = ChildOf(surface, L"ListBox");
    RECT before{};
    ::GetWindowRect(list, &before);
    RECT bigger{0, 0, 720, 540};
    ASSERT_EQ(As<IOleInPlaceObject>(control)->SetObjectRects(&bigger, &bigger), S_OK);
    RECT after{};
    ::GetWindowRect(list, &after);
    EXPECT_GT(after.right - after.left, before.right - before.left);

    site->calls.clear();
    ASSERT_EQ(ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site.get(), 0, frame, &bigger), S_OK);
    EXPECT_EQ(site->calls, std::vector<std::string>{"OnUIActivate"});
    ASSERT_EQ(ole->DoVerb(OLEIVERB_HIDE, nullptr, site.get(), 0, frame, &bigger), S_OK);
    EXPECT_FALSE(::IsWindowVisible(surface));
    ASSERT_EQ(ole->DoVerb(OLEIVERB_SHOW, nullptr, site.get(), 0, frame, &bigger), S_OK);
    EXPECT_TRUE(::IsWindowVisible(surface));

    site->calls.clear();
    ASSERT_EQ(As<IOleInPlaceObject>(control)->InPlaceDeactivate(), S_OK);
    EXPECT_EQ(site->calls, (std::vector<std::string>{"OnUIDeactivate", "OnInPlaceDeactivate"}));
    EXPECT_NE(::GetParent(surface), frame);
    EXPECT_FALSE(::IsWindowVisible(surface));
    EXPECT_EQ(As<IOleWindow>(control)->GetWindow(&none), E_FAIL);
}

TEST_F(HostedControl, DispatchByNameReachesEveryMemberAndFailuresCarryTheirDescription) {
    ComPtr<IDispatch> dispatch = As<IDispatch>(control);
    LPOLESTR name[] = {const_cast<LPOLESTR>(L"FileType")};
    DISPID id = 0;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, kFileTypeId);

    DISPPARAMS none{};
    win32::Variant result;
    EXCEPINFO exception{};
    EXPECT_EQ(dispatch->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.put(), &exception,
                               nullptr),
              DISP_E_MEMBERNOTFOUND)
        << "the control has no default member";

    // An unknown system colour: run-time error 380 with its description, by both roads.
    VARIANT colour;
    colour.vt = VT_I4;
    colour.lVal = static_cast<LONG>(0x80000099);
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS arguments{&colour, &put, 1, 1};
    EXPECT_EQ(dispatch->Invoke(0x6803000A, IID_NULL, 0, DISPATCH_PROPERTYPUT, &arguments, nullptr, &exception, nullptr),
              DISP_E_EXCEPTION);
    const ExceptionStrings raised(exception);
    EXPECT_EQ(exception.scode, CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(raised.description.str(), L"Invalid property value");

    EXPECT_EQ(selvane->put_BackColor(0x80000099), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(As<ISupportErrorInfo>(control)->InterfaceSupportsErrorInfo(IID__Selvane), S_OK);
    EXPECT_EQ(LastErrorDescription(), L"Invalid property value");

    // A system colour set by a script as a negative Long reads back with the same bits.
    colour.lVal = static_cast<LONG>(0x80000005);
    ASSERT_EQ(dispatch->Invoke(0x6803000A, IID_NULL, 0, DISPATCH_PROPERTYPUT, &arguments, nullptr, nullptr, nullptr),
              S_OK);
    OLE_COLOR back = 0;
    selvane->get_BackColor(&back);
    EXPECT_EQ(back, 0x80000005u);
    ASSERT_EQ(dispatch->Invoke(0x6803000A, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.put(), nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result->vt, VT_I4);
    EXPECT_EQ(static_cast<DWORD>(result->lVal), 0x80000005u);

    GUID events{};
    EXPECT_EQ(As<IProvideClassInfo2>(control)->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
    EXPECT_TRUE(::IsEqualGUID(events, DIID___Selvane));
    ComPtr<IUnknown> safety;
    const GUID kObjectSafety = {0xCB5BDC81, 0x93C1, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};
    EXPECT_EQ(control->QueryInterface(kObjectSafety, reinterpret_cast<void**>(safety.put())), E_NOINTERFACE)
        << "the control reads the file system: it claims no safety for scripting";
}

TEST_F(HostedControl, AValueOfTheWrongTypeFailsAsTheControlsRunTimeErrorWithItsDescription) {
    // A script's value for a put or an argument: text, Null, or a number that no 32 bits hold.
    struct Case {
        const char* what;
        DISPID id;
        WORD flags;
        VARTYPE type;
        double number;
        const wchar_t* text;
        bool by_reference;  // as a script passes its variables
        int error;          // the run-time error, 0 for none
        const wchar_t* description;
    };
    const Case cases[] = {
        {"BackColor = \"red\"", kBackColorId, DISPATCH_PROPERTYPUT, VT_BSTR, 0, L"red", false, 13, L"Type mismatch"},
        {"BackColor = 2^32", kBackColorId, DISPATCH_PROPERTYPUT, VT_R8, 4294967296.0, nullptr, false, 6, L"Overflow"},
        {"Label1Bold = \"yes\"", kLabel1BoldId, DISPATCH_PROPERTYPUT, VT_BSTR, 0, L"yes", true, 13, L"Type mismatch"},
        {"Label1Bold = Null", kLabel1BoldId, DISPATCH_PROPERTYPUT, VT_NULL, 0, nullptr, false, 13, L"Type mismatch"},
        {"Path = Null", kPathId, DISPATCH_PROPERTYPUT, VT_NULL, 0, nullptr, false, 94, L"Invalid use of Null"},
        {"Path = Null, by reference", kPathId, DISPATCH_PROPERTYPUT, VT_NULL, 0, nullptr, true, 94,
         L"Invalid use of Null"},
        {"Path = 2^32", kPathId, DISPATCH_PROPERTYPUT, VT_R8, 4294967296.0, nullptr, false, 0, nullptr},
        {"PathOnly(Null)", kPathOnlyId, DISPATCH_METHOD | DISPATCH_PROPERTYGET, VT_NULL, 0, nullptr, false, 94,
         L"Invalid use of Null"},
    };
    const auto dispatch = As<IDispatch>(control);
    for (const Case& row : cases) {
        win32::Variant value;
        value->vt = row.type;
        if (row.type == VT_BSTR) value->bstrVal = ::SysAllocString(row.text);
        if (row.type == VT_R8) value->dblVal = row.number;
        VARIANT argument;
        argument.vt = row.by_reference ? VT_BYREF | VT_VARIANT : row.type;
        if (row.by_reference) argument.pvarVal = value.get();
        else argument = *value.get();
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{&argument, &put, 1, row.flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
        win32::Variant result;
        EXCEPINFO exception{};
        UINT bad_argument = 99;
        const HRESULT hr =
            dispatch->Invoke(row.id, IID_NULL, 0, row.flags, &params, result.put(), &exception, &bad_argument);
        const ExceptionStrings raised(exception);
        if (row.error == 0) {
            EXPECT_EQ(hr, S_OK) << row.what;
            continue;
        }
        EXPECT_EQ(hr, DISP_E_EXCEPTION) << row.what;
        EXPECT_EQ(exception.scode, MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, row.error)) << row.what;
        EXPECT_EQ(exception.wCode, 0) << row.what;
        EXPECT_EQ(raised.description.str(), row.description) << row.what;
        EXPECT_EQ(raised.source.str(), L"Selvane_OCX.Selvane") << row.what;
        EXPECT_EQ(bad_argument, 0u) << row.what << ": the argument is named";
    }
}

TEST_F(HostedControl, ArgumentsBeyondAMembersParametersAreRefused) {
    struct Case {
        const char* what;
        DISPID id;
        WORD flags;
        UINT arguments;
    };
    const WORD call = DISPATCH_METHOD | DISPATCH_PROPERTYGET;  // as scripts call methods
    const Case cases[] = {
        {"RefreshFiles 1", kRefreshFilesId, DISPATCH_METHOD, 1},
        {"GetPath(1)", kGetPathId, call, 1},
        {"BackColor(1)", kBackColorId, DISPATCH_PROPERTYGET, 1},
        {"PathOnly(1, 1)", kPathOnlyId, call, 2},
    };
    const auto dispatch = As<IDispatch>(control);
    for (const Case& row : cases) {
        VARIANT arguments[2];
        for (VARIANT& argument : arguments) {
            argument.vt = VT_I4;
            argument.lVal = 1;
        }
        DISPPARAMS params{arguments, nullptr, row.arguments, 0};
        win32::Variant result;
        EXPECT_EQ(dispatch->Invoke(row.id, IID_NULL, 0, row.flags, &params, result.put(), nullptr, nullptr),
                  DISP_E_BADPARAMCOUNT)
            << row.what;
        EXPECT_EQ(result->vt, VT_EMPTY) << row.what;
    }
}

TEST_F(HostedControl, UserInputRaisesEventsToEverySinkAndChangesNotifyTheContainer) {
    Activate();
    auto first = Make<EventSink>();
    auto second = Make<EventSink>();
    auto notify = Make<NotifySink>();
    ASSERT_NE(Connect(control, DIID___Selvane, first.get()), 0u);
    ASSERT_NE(Connect(control, DIID___Selvane, second.get()), 0u);
    ASSERT_NE(Connect(control, IID_IPropertyNotifySink, notify.get()), 0u);
    EXPECT_EQ(Connect(control, IID_IDispatch, first.get()), 0u) << "no such connection point";

    EXPECT_EQ(As<IPersistStreamInit>(control)->IsDirty(), S_FALSE);
    SetPath(L"D:\\docs");
    EXPECT_EQ(notify->changes, std::vector<DISPID>{kPathId});
    EXPECT_EQ(As<IPersistStreamInit>(control)->IsDirty(), S_OK);

    HWND list = ChildOf(surface, L"ListBox");
    const int a_txt = IndexOf(ListItems(list), L"a.txt");
    ASSERT_GE(a_txt, 0);
    SendClickItem(list, a_txt);
    Pump();
    EXPECT_EQ(first->events, std::vector<DISPID>{kClick});
    EXPECT_EQ(second->events, std::vector<DISPID>{kClick});
    EXPECT_EQ(GetPath(), L"D:\\docs\\a.txt");
    SendDoubleClickItem(list, a_txt);
    Pump();
    EXPECT_EQ(first->events.back(), kDblClick);

    // The user types a pattern: the list follows it.
    PostText(ChildOf(surface, L"Edit"), L"*.log");
    Pump();
    EXPECT_EQ(ListItems(list), std::vector<std::wstring>{L"c.log"});
    ASSERT_EQ(As<IOleControl>(control)->FreezeEvents(TRUE), S_OK);
    first->events.clear();
    SendClickItem(list, 0);
    Pump();
    EXPECT_TRUE(first->events.empty()) << "frozen events are not raised";
    As<IOleControl>(control)->FreezeEvents(FALSE);
}

// The identity of an interface pointer, for comparing two of one object.
IUnknown* Identity(IUnknown* object) {
    ComPtr<IUnknown> unknown;
    object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.put()));
    return unknown.get();
}

TEST_F(HostedControl, TheEnumeratorsWalkSkipAndCloneSnapshotsOfThePointsAndConnections) {
    const auto container = As<IConnectionPointContainer>(control);
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(points.put()), S_OK);
    IConnectionPoint* found[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(3, found, nullptr), E_POINTER) << "more than one needs the count back";
    EXPECT_EQ(points->Next(3, found, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    IID iids[2] = {};
    for (ULONG i = 0; i < fetched; ++i) {
        found[i]->GetConnectionInterface(&iids[i]);
        found[i]->Release();
    }
    EXPECT_TRUE(::IsEqualIID(iids[0], DIID___Selvane));
    EXPECT_TRUE(::IsEqualIID(iids[1], IID_IPropertyNotifySink));
    ASSERT_EQ(points->Reset(), S_OK);
    EXPECT_EQ(points->Skip(1), S_OK);
    ComPtr<IEnumConnectionPoints> copy;
    ASSERT_EQ(points->Clone(copy.put()), S_OK);
    EXPECT_EQ(points->Skip(2), S_FALSE) << "one was left";
    IConnectionPoint* next = nullptr;
    ASSERT_EQ(copy->Next(1, &next, nullptr), S_OK) << "the clone goes on from where it was made";
    IID copied{};
    next->GetConnectionInterface(&copied);
    next->Release();
    EXPECT_TRUE(::IsEqualIID(copied, IID_IPropertyNotifySink));

    auto first = Make<EventSink>();
    auto second = Make<EventSink>();
    const DWORD first_cookie = Connect(control, DIID___Selvane, first.get());
    const DWORD second_cookie = Connect(control, DIID___Selvane, second.get());
    ComPtr<IConnectionPoint> events;
    ASSERT_EQ(container->FindConnectionPoint(DIID___Selvane, events.put()), S_OK);
    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(events->EnumConnections(connections.put()), S_OK);
    ASSERT_EQ(events->Unadvise(first_cookie), S_OK);
    CONNECTDATA data[2] = {};
    ASSERT_EQ(connections->Next(2, data, &fetched), S_OK) << "a snapshot: the sink that left is still in it";
    EXPECT_EQ(data[0].dwCookie, first_cookie);
    EXPECT_EQ(Identity(data[0].pUnk), Identity(first.get()));
    EXPECT_EQ(data[1].dwCookie, second_cookie);
    EXPECT_EQ(Identity(data[1].pUnk), Identity(second.get()));
    for (CONNECTDATA& item : data) item.pUnk->Release();
    EXPECT_EQ(connections->Skip(1), S_FALSE);
    connections.reset();
    first->AddRef();
    EXPECT_EQ(first->Release(), 1u) << "neither the point nor the enumerator holds the sink that left";
}

TEST_F(HostedControl, ASixteenBitColourHasTheBitsOfItsThirtyTwoBitValue) {
    // What a script puts for a small literal: VT_I2. -1 is the colour &HFFFFFFFF, which no
    // colour is, not 65535.
    const DISPID back_color = 0x6803000A;
    const auto dispatch = As<IDispatch>(control);
    auto put = [&](SHORT value) {
        VARIANT argument;
        argument.vt = VT_I2;
        argument.iVal = value;
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&argument, &named, 1, 1};
        return dispatch->Invoke(back_color, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
    };
    win32::Variant answer;
    auto get = [&] {
        DISPPARAMS none{};
        dispatch->Invoke(back_color, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, answer.put(), nullptr, nullptr);
        return answer.get();
    };
    ASSERT_EQ(put(0x1234), S_OK);
    const VARIANT* value = get();
    EXPECT_EQ(value->vt, VT_I4);
    EXPECT_EQ(value->lVal, 0x1234);
    EXPECT_EQ(put(-1), DISP_E_EXCEPTION);
    EXPECT_EQ(get()->lVal, 0x1234) << "the refused colour left the old one";
}

TEST_F(HostedControl, VerbsOfItsOwnItHasNoneAndItsTypeIsTheRegisteredName) {
    RECT place{10, 10, 490, 370};
    EXPECT_EQ(ole->DoVerb(-42, nullptr, site.get(), 0, frame, &place), E_NOTIMPL) << "an unknown negative verb";
    EXPECT_EQ(ole->DoVerb(7, nullptr, site.get(), 0, frame, &place), OLEOBJ_S_INVALIDVERB)
        << "an unknown positive verb acts as the primary one";
    ASSERT_EQ(As<IOleWindow>(control)->GetWindow(&surface), S_OK);
    EXPECT_TRUE(::IsWindowVisible(surface));
    EXPECT_EQ(::GetParent(surface), frame);

    ComPtr<IEnumOLEVERB> verbs;
    EXPECT_EQ(ole->EnumVerbs(verbs.put()), OLEOBJ_E_NOVERBS);
    for (DWORD form : {USERCLASSTYPE_FULL, USERCLASSTYPE_SHORT}) {
        win32::TaskMemory<OLECHAR> name;
        ASSERT_EQ(ole->GetUserType(form, name.put()), S_OK) << form;
        EXPECT_EQ(std::wstring(name.get() ? name.get() : L""), L"Selvane Control") << form;
    }
}

TEST_F(HostedControl, HandlersMayCallBackDisconnectOrReleaseTheControl) {
    Activate();
    SetPath(L"D:\\docs");
    HWND list = ChildOf(surface, L"ListBox");
    auto sink = Make<EventSink>();
    const DWORD cookie = Connect(control, DIID___Selvane, sink.get());
    std::wstring seen;
    sink->on_event = [&](DISPID) {
        seen = GetPath();
        SetPath(L"D:\\");  // the list the user clicked in is filled anew
        ComPtr<IConnectionPoint> point;
        As<IConnectionPointContainer>(control)->FindConnectionPoint(DIID___Selvane, point.put());
        point->Unadvise(cookie);
    };
    SendClickItem(list, IndexOf(ListItems(list), L"B.txt"));
    Pump();
    EXPECT_EQ(seen, L"D:\\docs\\B.txt");
    EXPECT_EQ(GetPath(), L"D:\\");
    SendClickItem(list, 0);
    Pump();
    EXPECT_EQ(sink->events.size(), 1u) << "disconnected from inside its own handler";

    // The container lets the control go from inside a double click: it goes once the click is done.
    auto releasing = Make<EventSink>();
    Connect(control, DIID___Selvane, releasing.get());
    releasing->on_event = [&](DISPID id) {
        if (id != kDblClick) return;
        selvane.reset();
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
        ole.reset();
        EXPECT_EQ(ReleaseLast(control), 0u);
        EXPECT_TRUE(::IsWindow(surface)) << "the control goes only once its double click is done";
    };
    SendDoubleClickItem(list, 0);
    Pump();
    EXPECT_FALSE(control);
    EXPECT_FALSE(::IsWindow(surface)) << "the control's windows went with it";
}

TEST_F(HostedControl, TheKeyboardMovesBetweenChildrenAndAltAPressesAll) {
    Activate();
    selvane->put_FileType(Bstr(L"*.log").get());

    CONTROLINFO info{};
    info.cb = sizeof(info);
    ASSERT_EQ(As<IOleControl>(control)->GetControlInfo(&info), S_OK);
    ASSERT_EQ(info.cAccel, 1);
    ACCEL accelerator{};
    ASSERT_EQ(::CopyAcceleratorTableW(info.hAccel, &accelerator, 1), 1);
    EXPECT_EQ(accelerator.key, 'A');
    EXPECT_EQ(accelerator.fVirt & (FALT | FVIRTKEY), FALT | FVIRTKEY);

    MSG alt_a{frame, WM_SYSKEYDOWN, 'A', 0x20000001, 0, {0, 0}};
    EXPECT_EQ(As<IOleControl>(control)->OnMnemonic(&alt_a), S_OK);
    Bstr now;
    selvane->get_FileType(now.put());
    EXPECT_EQ(now.str(), L"*.*");

    HWND drive = ChildOf(surface, L"ComboBox");
    HWND dir = ChildOf(surface, L"ListBox", true);
    PostKey(drive, VK_TAB);
    Pump();
    EXPECT_EQ(::GetFocus(), dir);
    PostKey(dir, VK_TAB);
    Pump();
    EXPECT_EQ(::GetFocus(), ChildOf(surface, L"Edit"));
    ::SetKeyboardState(std::vector<BYTE>(256, 0).data());
    BYTE keys[256] = {};
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    PostKey(::GetFocus(), VK_TAB);
    Pump();
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(::GetFocus(), dir) << "Shift+Tab goes back";
}

TEST_F(HostedControl, TheControlDrawsItselfBeforeItIsActive) {
    SIZEL extent{12700, 9525};  // 480 x 360 pixels at 96 dots per inch
    ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    SetPath(L"D:\\docs");
    const win32::WindowDC screen(frame);
    const win32::UniqueMemoryDC memory(::CreateCompatibleDC(screen.get()));
    const win32::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), 480, 360));
    int white = 0;
    int face = 0;
    {
        // Selected only while drawn and read: GetDIBits below wants the bitmap in no DC.
        const win32::SelectedObject selected(memory.get(), bitmap.get());
        RECT all{0, 0, 480, 360};
        ::FillRect(memory.get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        RECTL bounds{0, 0, 480, 360};
        ASSERT_EQ(As<IViewObject2>(control)->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, memory.get(),
                                                  &bounds, nullptr, nullptr, 0),
                  S_OK);
        // The button-face background and the lists' white both show.
        const COLORREF button_face = ::GetSysColor(COLOR_BTNFACE);
        for (int y = 0; y < 360; y += 4) {
            for (int x = 0; x < 480; x += 4) {
                const COLORREF pixel = ::GetPixel(memory.get(), x, y);
                white += pixel == RGB(255, 255, 255);
                face += pixel == button_face;
            }
        }
    }
    EXPECT_GT(white, 1000);
    EXPECT_GT(face, 1000);
    SaveDrawing(screen.get(), bitmap.get(), 480, 360, L"control-drawn-inactive");
}

// Wine 8 cannot switch the high-contrast mode (SPI_SETHIGHCONTRAST fails with
// ERROR_INVALID_SPI_VALUE and SPI_GETHIGHCONTRAST always says off), so the mode's colours are
// checked natively (DrawnColor). What both share shows here: the colours are looked up at each
// drawing, so a system colour set as the labels' and the background's follows a change of the
// system's colours at once, and the properties still return what was set.
TEST_F(HostedControl, SystemColoursSetAsTheLabelsAndBackgroundsFollowTheSystemAtOnce) {
    Activate(OLEIVERB_INPLACEACTIVATE);
    SetPath(L"D:\\docs");
    constexpr OLE_COLOR kButtonText = 0x80000012;
    ASSERT_EQ(selvane->put_Label1Color(kButtonText), S_OK);
    const int roles[] = {COLOR_BTNFACE, COLOR_BTNTEXT};
    const COLORREF dark[] = {RGB(0, 0, 0), RGB(255, 255, 0)};
    // The prefix keeps its colours, however the test ends.
    struct Restore {
        const int* roles;
        COLORREF saved[2];
        ~Restore() { ::SetSysColors(2, roles, saved); }
    } restore{roles, {::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_BTNTEXT)}};
    ASSERT_TRUE(::SetSysColors(2, roles, dark));
    Pump();

    // The file count label, the one with text until a file is clicked: its text in yellow, the
    // face around it black.
    HWND label = nullptr;
    for (HWND child = ::GetWindow(surface, GW_CHILD); child && !label; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == L"Static" && !TextOf(child).empty()) label = child;
    }
    ASSERT_NE(label, nullptr);
    RECT client{};
    ::GetClientRect(label, &client);
    int text = 0;
    int face = 0;
    const win32::WindowDC dc(label);
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            const COLORREF pixel = ::GetPixel(dc.get(), x, y);
            text += pixel == dark[1];
            face += pixel == dark[0];
        }
    }
    EXPECT_GT(text, 10) << "the label's text in the new button text colour";
    EXPECT_GT(face, client.right * client.bottom / 2) << "on the new button face";
    OLE_COLOR label_color = 0;
    OLE_COLOR back_color = 0;
    ASSERT_EQ(selvane->get_Label1Color(&label_color), S_OK);
    ASSERT_EQ(selvane->get_BackColor(&back_color), S_OK);
    EXPECT_EQ(label_color, kButtonText);
    EXPECT_EQ(back_color, 0x8000000Fu);
}

// A container may ask for the picture at any place and size, as a form designer's thumbnail or
// a print preview does: the control fills exactly the bounds, stretched, and nothing else.
TEST_F(HostedControl, TheControlDrawsIntoOtherBoundsAndOnlyThere) {
    SIZEL extent{12700, 9525};  // 480 x 360 pixels
    ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    SetPath(L"D:\\docs");
    const win32::WindowDC screen(frame);
    const win32::UniqueMemoryDC memory(::CreateCompatibleDC(screen.get()));
    const win32::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), 600, 400));
    const win32::SelectedObject selected(memory.get(), bitmap.get());
    RECT all{0, 0, 600, 400};
    ::FillRect(memory.get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    const auto view = As<IViewObject2>(control);

    RECTL half{100, 50, 340, 230};  // half the size, away from the origin
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, memory.get(), &half, nullptr, nullptr, 0),
              S_OK);
    int inside_drawn = 0;
    int inside = 0;
    int outside_drawn = 0;
    for (int y = 0; y < 400; y += 2) {
        for (int x = 0; x < 600; x += 2) {
            const bool in = x >= half.left && x < half.right && y >= half.top && y < half.bottom;
            const bool drawn = ::GetPixel(memory.get(), x, y) != RGB(0, 0, 0);
            inside += in;
            inside_drawn += in && drawn;
            outside_drawn += !in && drawn;
        }
    }
    EXPECT_EQ(outside_drawn, 0) << "nothing drawn outside the bounds";
    EXPECT_GT(inside_drawn, inside * 9 / 10) << "the bounds are filled";

    // Other aspects and missing bounds are refused.
    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, memory.get(), &half, nullptr, nullptr, 0),
              DV_E_DVASPECT);
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, memory.get(), nullptr, nullptr, nullptr, 0),
              E_INVALIDARG);
}

TEST_F(HostedControl, QuickActivationConnectsTheContainersSinks) {
    auto events = Make<EventSink>();
    auto notify = Make<NotifySink>();
    QACONTAINER container{};
    container.cbSize = sizeof(container);
    container.pClientSite = site.get();
    container.pUnkEventSink = events.get();
    container.pPropertyNotifySink = notify.get();
    QACONTROL result{};
    result.cbSize = sizeof(result);
    ASSERT_EQ(As<IQuickActivate>(control)->QuickActivate(&container, &result), S_OK);
    EXPECT_NE(result.dwEventCookie, 0u);
    EXPECT_NE(result.dwPropNotifyCookie, 0u);
    EXPECT_EQ(result.dwMiscStatus, 131473u);
    SetPath(L"D:\\docs");
    EXPECT_EQ(notify->changes, std::vector<DISPID>{kPathId});
}

}  // namespace
}  // namespace selvane::testing

namespace selvane::testing {
namespace {

// A container that destroys its window without deactivating the control first takes the
// control's windows with it: the control answers its callers and goes without a crash.
TEST_F(HostedControl, AContainerWindowDestroyedUnderTheControlLeavesItAnswering) {
    Activate();
    SetPath(L"D:\\docs");
    ::DestroyWindow(frame);
    frame = nullptr;
    Pump();
    EXPECT_FALSE(::IsWindow(surface));
    Bstr path;
    selvane->put_Path(Bstr(L"D:\\").get());
    EXPECT_EQ(selvane->get_Path(path.put()), S_OK);
    VARIANT_BOOL exists = VARIANT_FALSE;
    EXPECT_EQ(selvane->FileExists(Bstr(L"D:\\nine.txt").get(), &exists), S_OK);
    EXPECT_EQ(exists, VARIANT_TRUE);
    EXPECT_EQ(As<IOleInPlaceObject>(control)->InPlaceDeactivate(), S_OK);
}

}  // namespace
}  // namespace selvane::testing
