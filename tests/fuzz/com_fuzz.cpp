// selvane-com-fuzz: the registered selvane.ocx as containers and scripts reach it, fed random
// cases under Wine. Run it as `selvane-com-fuzz --target dispatch|persistence [--seed S]
// [--cases N] [--seconds T]`, or replay one case with `--case K`.
//
// dispatch     a control from the registry, sited and activated in a frame window, with an
//              event sink (and sometimes a property-change sink) whose handlers call back into
//              it or let it go; then about a hundred IDispatch calls of every member and of ids
//              that are none, with any flags, argument counts and VARIANT types, and text at and
//              beyond the system's limits; name lookups; early-bound calls with null
//              out-pointers; resizes; mouse and keys on its children. About boxes are closed
//              by a timer. The control must answer each call and go at its last release.
// persistence  one load of damaged settings into a new control, sited or not: a stream (some
//              that fail or read short), a storage (some without the stream, some that can't
//              open it) or a property bag that gives values of any type or fails. Afterwards the
//              control must still answer, save a record it can read, and go at its last release.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "control/settings_record.h"
#include "tests/common/property_names.h"
#include "tests/fuzz/campaign.h"
#include "tests/fuzz/record_damage.h"
#include "tests/fuzz/worker_win32.h"
#include "tests/windows/com_support.h"
#include "tests/windows/user_input.h"

namespace selvane::fuzz {
namespace {

using testing::As;
using testing::BytesOf;
using testing::ComPtr;
using testing::Make;
using testing::TestObject;

// ---- values ----------------------------------------------------------------------------------

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// Real places of the tests' prefix (scripts/wine-prefix.sh) next to the campaign's odd text.
std::u16string RandomText(Random& random) {
    static const std::vector<std::u16string> places = {
        u"D:\\docs", u"D:\\", u"E:\\", u"N:\\pub", u"N:\\", u"C:\\", u"D:\\docs\\a.txt", u"D:\\nine.txt",
        u"\\\\fakesrv\\share", u"\\\\fakesrv\\share\\pub", u"D:\\deep", u"E:\\caf\u00e9.txt",
        u"D:\\docs\\letters\\old", u"Z:\\nowhere", u"*.txt", u"*.log", u"*.*", u"D:\\docs\\*.txt", u"docs", u".."};
    return random.OneIn(3) ? random.Pick(places) : RandomPathText(random);
}

win32::Bstr NewBstr(const std::u16string& text) {
    return win32::Bstr::Adopt(
        ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size())));
}

// Now and then none at all, which a caller may pass for an empty string.
win32::Bstr RandomBstr(Random& random) { return random.OneIn(8) ? win32::Bstr() : NewBstr(RandomText(random)); }

std::int32_t RandomColor(Random& random) {
    static const std::vector<std::uint32_t> colors = {0,          0xFFFFFF,   0x8000000F, 0x80000018, 0x80000019,
                                                      0x800000FF, 0xFFFFFFFF, 0x01000000, 0x7FFFFFFF, 0x00336699};
    return static_cast<std::int32_t>(random.OneIn(2) ? random.Pick(colors) : random.Next());
}

VARIANT_BOOL RandomTruth(Random& random) {
    static const std::vector<VARIANT_BOOL> truths = {VARIANT_TRUE, VARIANT_FALSE, 1, 2, -2, 0x7FFF, -0x8000};
    return random.Pick(truths);
}

double RandomDouble(Random& random) {
    static const std::vector<double> doubles = {0.0,   -0.0,         0.5,           -1.5,         1e300,
                                                -1e300, 2147483647.5, -2147483648.5, 4294967295.0, 1e-310,
                                                NAN,   INFINITY,     -INFINITY,     65535.0,      -32768.5};
    if (random.OneIn(2)) return random.Pick(doubles);
    std::uint64_t bits = random.Next();
    double value = 0;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

// A value without objects or references: what a value object gives back as its value.
void PlainVariant(Random& random, VARIANT& value) {
    ::VariantInit(&value);
    switch (random.Below(9)) {
    case 0: break;
    case 1: value.vt = VT_NULL; break;
    case 2: value.vt = VT_I4; value.lVal = RandomColor(random); break;
    case 3: value.vt = VT_R8; value.dblVal = RandomDouble(random); break;
    case 4: value.vt = VT_BOOL; value.boolVal = RandomTruth(random); break;
    case 5: value.vt = VT_ERROR; value.scode = DISP_E_PARAMNOTFOUND; break;
    case 6: value.vt = VT_DATE; value.date = RandomDouble(random); break;
    case 7: value.vt = VT_I2; value.iVal = static_cast<SHORT>(random.Next()); break;
    default: value.vt = VT_BSTR; value.bstrVal = RandomBstr(random).release(); break;
    }
}

// An object whose default value (DISPID_VALUE) is a plain value, or a failure: what a conversion
// of an object to a number or a string meets.
class ValueObject final : public TestObject<IDispatch> {
public:
    explicit ValueObject(Random& random) : failure_(random.OneIn(4) ? E_FAIL : S_OK) {
        PlainVariant(random, *value_.get());
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
        if (FAILED(failure_)) return failure_;
        if (!result) return S_OK;
        ::VariantInit(result);
        return ::VariantCopy(result, value_.get());
    }

private:
    HRESULT failure_;
    win32::Variant value_;
};

// Everything a value refers to by reference is kept here until the value is done with. A deque,
// so that what is referred to stays where it is.
using Referred = std::deque<win32::Variant>;

// One call's arguments, side by side as DISPPARAMS takes them, and what they refer to; all
// cleared when the call is done.
struct Arguments {
    Arguments() = default;
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;
    ~Arguments() {
        for (VARIANT& value : values) ::VariantClear(&value);
    }
    std::vector<VARIANT> values;
    Referred referred;
};

void RandomVariant(Random& random, VARIANT& value, Referred& referred, bool by_reference = true);

SAFEARRAY* RandomArray(Random& random) {
    static const std::vector<VARTYPE> elements = {VT_I4, VT_BSTR, VT_VARIANT, VT_UI1, VT_R8};
    const VARTYPE element = random.Pick(elements);
    const LONG count = static_cast<LONG>(random.Below(5));
    SAFEARRAY* array = ::SafeArrayCreateVector(element, static_cast<LONG>(random.Below(3)) - 1, static_cast<ULONG>(count));
    if (!array) return nullptr;
    LONG lower = 0;
    ::SafeArrayGetLBound(array, 1, &lower);
    for (LONG i = lower; i < lower + count; ++i) {
        win32::Variant item;
        PlainVariant(random, *item.get());
        if (element == VT_VARIANT) {
            ::SafeArrayPutElement(array, &i, item.get());
        } else if (SUCCEEDED(::VariantChangeType(item.get(), item.get(), 0, element))) {
            ::SafeArrayPutElement(array, &i, element == VT_BSTR ? static_cast<void*>(item->bstrVal) : &item->lVal);
        }
    }
    return array;
}

void RandomVariant(Random& random, VARIANT& value, Referred& referred, bool by_reference) {
    ::VariantInit(&value);
    switch (random.Below(by_reference ? 21 : 20)) {
    case 0: break;
    case 1: value.vt = VT_NULL; break;
    case 2: value.vt = VT_I2; value.iVal = static_cast<SHORT>(random.OneIn(2) ? random.Below(3) - 1 : random.Next());
        break;
    case 3: value.vt = VT_I4; value.lVal = RandomColor(random); break;
    case 4: value.vt = VT_UI4; value.ulVal = static_cast<ULONG>(RandomColor(random)); break;
    case 5: value.vt = VT_R4; value.fltVal = static_cast<float>(RandomDouble(random)); break;
    case 6: value.vt = VT_R8; value.dblVal = RandomDouble(random); break;
    case 7: value.vt = VT_BOOL; value.boolVal = RandomTruth(random); break;
    case 8:
    case 9:
    case 10: value.vt = VT_BSTR; value.bstrVal = RandomBstr(random).release(); break;
    case 11: value.vt = VT_DISPATCH; value.pdispVal = random.OneIn(2) ? nullptr : Make<ValueObject>(random).detach();
        break;
    case 12: value.vt = VT_UNKNOWN; value.punkVal = random.OneIn(2) ? nullptr : Make<ValueObject>(random).detach();
        break;
    case 13: {
        static const std::vector<SCODE> codes = {DISP_E_PARAMNOTFOUND, E_FAIL, S_OK, E_OUTOFMEMORY,
                                                 DISP_E_TYPEMISMATCH};
        value.vt = VT_ERROR;
        value.scode = random.OneIn(2) ? random.Pick(codes) : static_cast<SCODE>(random.Next());
        break;
    }
    case 14: value.vt = VT_DATE; value.date = RandomDouble(random); break;
    case 15: value.vt = VT_CY; value.cyVal.int64 = static_cast<LONGLONG>(random.Next()); break;
    case 16: value.vt = VT_UI1; value.bVal = static_cast<BYTE>(random.Next()); break;
    case 17: value.vt = VT_I8; value.llVal = static_cast<LONGLONG>(random.Next()); break;
    case 18: {
        DECIMAL decimal{};
        decimal.scale = static_cast<BYTE>(random.Below(30));  // above 28 is invalid
        decimal.sign = random.OneIn(2) ? DECIMAL_NEG : 0;
        decimal.Hi32 = static_cast<ULONG>(random.Next());
        decimal.Lo64 = random.Next();
        value.decVal = decimal;
        value.vt = VT_DECIMAL;
        break;
    }
    case 19:
        if (SAFEARRAY* array = RandomArray(random)) {
            ::SafeArrayGetVartype(array, &value.vt);
            value.vt |= VT_ARRAY;
            value.parray = array;
        }
        break;
    default: {  // by reference to a value of its own, or to a VARIANT
        VARIANT& target = *referred.emplace_back().get();
        RandomVariant(random, target, referred, false);
        if (target.vt == VT_DECIMAL || random.OneIn(4)) {
            value.vt = VT_BYREF | VT_VARIANT;
            value.pvarVal = &target;
        } else {
            value.vt = VT_BYREF | target.vt;
            value.byref = &target.lVal;  // the union's start, whatever the type
        }
        break;
    }
    }
}

// ---- the control's members -------------------------------------------------------------------

enum class Shape { kMethod, kProperty };
enum class Kind { kNone, kText, kColor, kTruth, kNumber, kArray };

struct Member {
    const wchar_t* name;
    DISPID id;
    Shape shape;
    Kind argument;  // a method's one argument, or a property's value
    Kind result;
};

// _Selvane and _Selvane2 as selvane.idl declares them.
const std::vector<Member> kMembers = {
    {L"GetPath", 0x60030013, Shape::kMethod, Kind::kNone, Kind::kText},
    {L"FileSelected", 0x60030014, Shape::kMethod, Kind::kNone, Kind::kTruth},
    {L"PathOnly", 0x60030015, Shape::kMethod, Kind::kText, Kind::kText},
    {L"FileExists", 0x60030016, Shape::kMethod, Kind::kText, Kind::kTruth},
    {L"DirExists", 0x60030017, Shape::kMethod, Kind::kText, Kind::kTruth},
    {L"RefreshFiles", 0x60030018, Shape::kMethod, Kind::kNone, Kind::kNone},
    {L"BackColor", 0x6803000A, Shape::kProperty, Kind::kColor, Kind::kColor},
    {L"Path", 0x68030009, Shape::kProperty, Kind::kText, Kind::kText},
    {L"Label1Color", 0x68030008, Shape::kProperty, Kind::kColor, Kind::kColor},
    {L"Label2Color", 0x68030007, Shape::kProperty, Kind::kColor, Kind::kColor},
    {L"Label1Bold", 0x68030006, Shape::kProperty, Kind::kTruth, Kind::kTruth},
    {L"Label2Bold", 0x68030005, Shape::kProperty, Kind::kTruth, Kind::kTruth},
    {L"DirOnly", 0x68030004, Shape::kProperty, Kind::kTruth, Kind::kTruth},
    {L"Server", 0x68030003, Shape::kProperty, Kind::kTruth, Kind::kTruth},
    {L"Tips", 0x68030002, Shape::kProperty, Kind::kTruth, Kind::kTruth},
    {L"FileType", 0x68030001, Shape::kProperty, Kind::kText, Kind::kText},
    {L"ShowHidden", 0x68030000, Shape::kProperty, Kind::kTruth, Kind::kTruth},
    {L"AboutBox", 0x6003001D, Shape::kMethod, Kind::kNone, Kind::kNone},
    {L"Refresh", 0x6003001E, Shape::kMethod, Kind::kNone, Kind::kNone},
    {L"MultiSelect", 0x68040000, Shape::kProperty, Kind::kNumber, Kind::kNumber},
    {L"SortOrder", 0x68040001, Shape::kProperty, Kind::kNumber, Kind::kNumber},
    {L"SelectedCount", 0x68040002, Shape::kProperty, Kind::kNumber, Kind::kNumber},
    {L"SelectedFiles", 0x68040003, Shape::kProperty, Kind::kArray, Kind::kArray},
};
constexpr DISPID kAboutBox = 0x6003001D;

// The About dialog is modal and costs a timer tick to close: it comes up a quarter as often.
const Member& RandomMember(Random& random) {
    const Member* member = &random.Pick(kMembers);
    if (member->id == kAboutBox && !random.OneIn(4)) member = &random.Pick(kMembers);
    return *member;
}

void TypedVariant(Random& random, Kind kind, VARIANT& value) {
    ::VariantInit(&value);
    switch (kind) {
    case Kind::kText: value.vt = VT_BSTR; value.bstrVal = RandomBstr(random).release(); break;
    case Kind::kColor: value.vt = random.OneIn(4) ? VT_UI4 : VT_I4; value.lVal = RandomColor(random); break;
    case Kind::kTruth: value.vt = VT_BOOL; value.boolVal = RandomTruth(random); break;
    case Kind::kNumber: value.vt = VT_I4; value.lVal = static_cast<LONG>(random.Below(5)) - 1; break;
    case Kind::kArray:
    case Kind::kNone: break;
    }
}

// Calls a member that gives a string back. With S_OK the string must be there: an empty one is
// an empty BSTR, not none.
template <class Call>
void CheckText(const char* member, Call&& call) {
    win32::Bstr text;
    const HRESULT hr = call(text.put());
    if (hr == S_OK && !text.get()) Broken(std::string(member) + " returned S_OK and no string");
}

// ---- dispatch --------------------------------------------------------------------------------

HWND MakeFrame() {
    return ::CreateWindowExW(0, L"STATIC", L"container", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 900, 700,
                             nullptr, nullptr, nullptr, nullptr);
}

// Closes the About dialog (and any message box of the control) that this thread shows, from
// the modal loop that shows it: the loop dispatches the thread's timer messages.
BOOL CALLBACK CloseAboutWindow(HWND window, LPARAM) {
    wchar_t title[32] = {};
    ::GetWindowTextW(window, title, 32);
    if (std::wcscmp(title, L"Selvane OCX") == 0) ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void CALLBACK CloseAboutBoxes(HWND, UINT, UINT_PTR, DWORD) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &CloseAboutWindow, 0);
}

class ChangeSink final : public TestObject<IPropertyNotifySink> {
public:
    std::function<void()> on_changed;
    HRESULT edit_answer = S_OK;
    STDMETHODIMP OnChanged(DISPID) override {
        if (on_changed) on_changed();
        return S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID) override { return edit_answer; }
};

// The container's side of one hosted control. Every interface pointer of the control is held
// here and nowhere else, so that a handler letting the control go leaves no reference behind.
struct Container {
    Random& random;
    volatile std::uint64_t& units;
    win32::UniqueWindow frame;
    HWND surface = nullptr;
    ComPtr<IUnknown> control;
    ComPtr<IDispatch> dispatch;
    ComPtr<_Selvane> selvane;
    ComPtr<IOleObject> ole;
    ComPtr<IOleInPlaceObject> in_place;
    ComPtr<IOleInPlaceActiveObject> active;
    ComPtr<testing::TestSite> site;
    ComPtr<testing::EventSink> events;
    ComPtr<ChangeSink> changes;
    DWORD events_cookie = 0;
    DWORD changes_cookie = 0;
    int handling = 0;  // inside a handler, or letting go: handlers do nothing

    Container(Random& random_, volatile std::uint64_t& units_) : random(random_), units(units_) {}

    void Count() { units = units + 1; }

    void Disconnect(REFIID iid, DWORD& cookie) {
        if (!cookie) return;
        ComPtr<IConnectionPointContainer> points = As<IConnectionPointContainer>(control);
        ComPtr<IConnectionPoint> point;
        if (points && SUCCEEDED(points->FindConnectionPoint(iid, point.put()))) point->Unadvise(cookie);
        cookie = 0;
    }

    // As a container ends with a control: disconnected (unless a handler lets it go), closed,
    // unsited and released, after which nothing may hold it.
    void LetGo(bool disconnect) {
        if (!control) return;
        ++handling;
        if (disconnect) {
            Disconnect(DIID___Selvane, events_cookie);
            Disconnect(IID_IPropertyNotifySink, changes_cookie);
        }
        dispatch.reset();
        selvane.reset();
        in_place.reset();
        active.reset();
        if (ole) {
            ole->Close(OLECLOSE_NOSAVE);
            ole->SetClientSite(nullptr);
            ole.reset();
        }
        const ULONG left = testing::ReleaseLast(control);
        if (left != 0) Broken("references left over: " + std::to_string(left));
        --handling;
    }

    // What a handler does while the control raises an event or tells of a change.
    void React(std::uint64_t odds) {
        if (handling > 0 || !control || !random.OneIn(odds)) return;
        ++handling;
        switch (random.Below(10)) {
        case 0:
        case 1:
            selvane->put_Path(NewBstr(random.OneIn(2) ? u"D:\\docs" : RandomText(random)).get());
            Count();
            break;
        case 2: selvane->RefreshFiles(); Count(); break;
        case 3:
            selvane->put_FileType(RandomBstr(random).get());
            Count();
            break;
        case 4: {
            CheckText("GetPath in a handler", [&](BSTR* path) { return selvane->GetPath(path); });
            Count();
            break;
        }
        case 5:
            --handling;
            LetGo(false);
            return;
        default:
            break;
        }
        --handling;
    }

    // Whatever is queued, the keyboard offered to the active control first as a container does.
    // Bounded, so that a window that keeps posting can't hold the case.
    void Pump() {
        MSG message;
        for (int n = 0; n < 2000 && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++n) {
            if (active && active->TranslateAccelerator(&message) == S_OK) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
};

void SetUp(Container& c) {
    c.frame.reset(MakeFrame());
    if (!c.frame) Broken("no frame window");
    c.control = testing::CreateSelvane();
    if (!c.control) Broken("selvane.ocx can't be created from the registry: is it registered?");
    c.dispatch = As<IDispatch>(c.control);
    c.selvane = As<_Selvane>(c.control);
    c.ole = As<IOleObject>(c.control);
    c.in_place = As<IOleInPlaceObject>(c.control);
    c.active = As<IOleInPlaceActiveObject>(c.control);
    if (!c.dispatch || !c.selvane || !c.ole || !c.in_place || !c.active) {
        Broken("an interface of the control is missing");
    }
    RECT place{10, 10, 490, 370};
    c.site = Make<testing::TestSite>(c.frame.get(), place);
    c.ole->SetClientSite(c.site.get());
    // A script host calls members without starting the control; most containers start it.
    if (!c.random.OneIn(4)) As<IPersistStreamInit>(c.control)->InitNew();
    const LONG verb = c.random.OneIn(2) ? OLEIVERB_INPLACEACTIVATE : OLEIVERB_UIACTIVATE;
    c.ole->DoVerb(verb, nullptr, c.site.get(), 0, c.frame.get(), &place);
    As<IOleWindow>(c.control)->GetWindow(&c.surface);

    // Half the cases start in a folder with files to click.
    if (c.random.OneIn(2)) c.selvane->put_Path(NewBstr(u"D:\\docs").get());

    c.events = Make<testing::EventSink>();
    c.events->on_event = [&c](DISPID) { c.React(2); };
    c.events_cookie = testing::Connect(c.control, DIID___Selvane, c.events.get());
    if (c.random.OneIn(2)) {
        c.changes = Make<ChangeSink>();
        c.changes->on_changed = [&c] { c.React(8); };
        c.changes->edit_answer = c.random.OneIn(4) ? S_FALSE : S_OK;
        c.changes_cookie = testing::Connect(c.control, IID_IPropertyNotifySink, c.changes.get());
    }
}

void InvokeOnce(Container& c) {
    Random& random = c.random;
    // Ids of no member, the events' among them, and those of the inherited IUnknown and IDispatch
    // methods, which a caller must not reach through Invoke.
    static const std::vector<DISPID> kOtherIds = {
        DISPID_VALUE, DISPID_UNKNOWN, DISPID_PROPERTYPUT, DISPID_NEWENUM, DISPID_EVALUATE, 1, 2, 0x60030019,
        0x6803000B, 0x7FFFFFFF, static_cast<DISPID>(0x80000000), 0x60000000, 0x60000001, 0x60000002, 0x60010000,
        0x60010001, 0x60010002, 0x60010003};
    static const std::vector<WORD> kFlags = {
        DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF,
        DISPATCH_METHOD | DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF,
        DISPATCH_METHOD | DISPATCH_PROPERTYPUT, 0};
    static const std::vector<LCID> kLocales = {0, LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT, 0x409, 0x407, 0x411};

    Arguments arguments;
    DISPID put_name = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    DISPID id = 0;
    WORD flags = 0;
    const Member* member = nullptr;
    if (random.OneIn(2)) {  // a call a script might make
        member = &RandomMember(random);
        id = member->id;
        if (member->shape == Shape::kMethod) {
            flags = random.OneIn(3) ? DISPATCH_METHOD | DISPATCH_PROPERTYGET : DISPATCH_METHOD;
            if (member->argument != Kind::kNone) {
                TypedVariant(random, member->argument, arguments.values.emplace_back());
            }
        } else if (random.OneIn(2)) {
            flags = DISPATCH_PROPERTYGET;
        } else {
            flags = DISPATCH_PROPERTYPUT;
            TypedVariant(random, member->argument, arguments.values.emplace_back());
            params.cNamedArgs = 1;
        }
    } else {  // anything at all
        if (random.OneIn(5)) {
            id = random.OneIn(3) ? static_cast<DISPID>(random.Next()) : random.Pick(kOtherIds);
        } else {
            member = &RandomMember(random);
            id = member->id;
        }
        flags = random.OneIn(10) ? static_cast<WORD>(random.Next()) : random.Pick(kFlags);
        arguments.values.resize(static_cast<std::size_t>(random.Below(4)));
        for (VARIANT& argument : arguments.values) RandomVariant(random, argument, arguments.referred);
        if (!arguments.values.empty() && random.OneIn(2)) {
            params.cNamedArgs = 1;
            if (random.OneIn(4)) put_name = random.OneIn(2) ? 0 : static_cast<DISPID>(random.Below(4));
        }
    }
    params.cArgs = static_cast<UINT>(arguments.values.size());
    params.rgvarg = arguments.values.empty() ? nullptr : arguments.values.data();
    params.rgdispidNamedArgs = params.cNamedArgs ? &put_name : nullptr;

    win32::Variant result;
    EXCEPINFO exception{};
    UINT argument_error = 0;
    const IID& iid = random.OneIn(30) ? IID_IDispatch : IID_NULL;
    DISPPARAMS* given = random.OneIn(50) ? nullptr : &params;
    const bool want_result = !random.OneIn(4);
    const HRESULT hr = c.dispatch->Invoke(id, iid, random.Pick(kLocales), flags, given,
                                          want_result ? result.get() : nullptr,
                                          random.OneIn(4) ? nullptr : &exception,
                                          random.OneIn(4) ? nullptr : &argument_error);
    c.Count();
    if (hr == S_OK && member && member->result == Kind::kText && result->vt == VT_BSTR && !result->bstrVal) {
        Broken("a string member returned S_OK and no string through Invoke");
    }
    const testing::ExceptionStrings raised(exception);
}

void LookUpNames(Container& c) {
    Random& random = c.random;
    const std::size_t count = static_cast<std::size_t>(random.Below(5));
    std::vector<std::wstring> texts(count ? count : 1);
    const Member& member = random.Pick(kMembers);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i == 0 && !random.OneIn(4)) {
            texts[i] = member.name;
            // Names are matched without regard to case.
            for (wchar_t& unit : texts[i]) {
                if (random.OneIn(3)) {
                    unit = static_cast<wchar_t>(random.OneIn(2) ? std::towupper(unit) : std::towlower(unit));
                }
            }
        } else {
            const std::u16string text = random.OneIn(3) ? u"str" : RandomPathText(random);
            texts[i].assign(text.begin(), text.end());
            texts[i].resize(std::wcslen(texts[i].c_str()));  // up to its first NUL, as a caller sees it
        }
    }
    std::vector<LPOLESTR> names;
    for (std::wstring& text : texts) names.push_back(text.data());
    std::vector<DISPID> ids(texts.size(), 12345);
    const bool right_interface = !random.OneIn(20);
    const HRESULT hr = c.dispatch->GetIDsOfNames(right_interface ? IID_NULL : IID_IDispatch, names.data(),
                                                 static_cast<UINT>(count), LOCALE_USER_DEFAULT, ids.data());
    c.Count();
    if (right_interface && count == 1 && _wcsicmp(texts[0].c_str(), member.name) == 0 &&
        (hr != S_OK || ids[0] != member.id)) {
        Broken("GetIDsOfNames of a member gave " + Hex(hr) + " and id " + std::to_string(ids[0]));
    }
}

void CallEarlyBound(Container& c) {
    Random& random = c.random;
    _Selvane& s = *c.selvane.get();
    const win32::Bstr owned_argument = RandomBstr(random);
    BSTR argument = owned_argument.get();
    VARIANT_BOOL truth = 0;
    HRESULT hr = S_OK;
    const char* what = nullptr;
    switch (random.Below(22)) {
    // Out-pointers left null: E_POINTER and nothing else.
    case 0: what = "GetPath"; hr = s.GetPath(nullptr); break;
    case 1: what = "FileSelected"; hr = s.FileSelected(nullptr); break;
    case 2: what = "PathOnly"; hr = s.PathOnly(argument, nullptr); break;
    case 3: what = "FileExists"; hr = s.FileExists(argument, nullptr); break;
    case 4: what = "DirExists"; hr = s.DirExists(argument, nullptr); break;
    case 5: what = "get_BackColor"; hr = s.get_BackColor(nullptr); break;
    case 6: what = "get_Path"; hr = s.get_Path(nullptr); break;
    case 7: {
        const bool first = random.OneIn(2);
        what = first ? "get_Label1Color" : "get_Label2Color";
        hr = first ? s.get_Label1Color(nullptr) : s.get_Label2Color(nullptr);
        break;
    }
    case 8: {
        const bool first = random.OneIn(2);
        what = first ? "get_Label1Bold" : "get_Label2Bold";
        hr = first ? s.get_Label1Bold(nullptr) : s.get_Label2Bold(nullptr);
        break;
    }
    case 9: what = "get_DirOnly"; hr = s.get_DirOnly(nullptr); break;
    case 10: what = "get_Server"; hr = s.get_Server(nullptr); break;
    case 11: what = "get_Tips"; hr = s.get_Tips(nullptr); break;
    case 12: what = "get_FileType"; hr = s.get_FileType(nullptr); break;
    case 13: what = "get_ShowHidden"; hr = s.get_ShowHidden(nullptr); break;
    case 14: what = "GetTypeInfoCount"; hr = s.GetTypeInfoCount(nullptr); break;
    case 15: what = "GetTypeInfo"; hr = s.GetTypeInfo(0, LOCALE_USER_DEFAULT, nullptr); break;
    // Strings given back.
    case 16: CheckText("GetPath", [&](BSTR* text) { return s.GetPath(text); }); break;
    case 17: CheckText("get_Path", [&](BSTR* text) { return s.get_Path(text); }); break;
    case 18: CheckText("get_FileType", [&](BSTR* text) { return s.get_FileType(text); }); break;
    case 19: CheckText("PathOnly", [&](BSTR* text) { return s.PathOnly(argument, text); }); break;
    case 20: random.OneIn(2) ? s.FileExists(argument, &truth) : s.DirExists(argument, &truth); break;
    default: random.OneIn(2) ? s.put_Path(argument) : s.put_FileType(argument); break;
    }
    c.Count();
    if (what && hr != E_POINTER) Broken(std::string(what) + " with a null out-pointer gave " + Hex(hr));
}

void Resize(Container& c) {
    Random& random = c.random;
    static const std::vector<LONG> kCoordinates = {0, 1, 10, 480, 900, -10, -100000, 100000, 0x3FFFFFFF, -0x40000000};
    RECT place{};
    RECT clip{};
    for (LONG* side : {&place.left, &place.top, &place.right, &place.bottom, &clip.left, &clip.top, &clip.right,
                       &clip.bottom}) {
        *side = random.OneIn(2) ? random.Pick(kCoordinates) : static_cast<LONG>(random.Below(1000));
    }
    if (random.OneIn(3)) {
        SIZEL size{static_cast<LONG>(random.Next()), static_cast<LONG>(random.Below(20000))};
        c.ole->SetExtent(DVASPECT_CONTENT, &size);
    } else {
        c.in_place->SetObjectRects(random.OneIn(20) ? nullptr : &place, random.OneIn(2) ? &place : &clip);
    }
    c.Pump();
}

BOOL CALLBACK AddWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// What a user does to the control's children, as window messages. Keys that open a context menu
// (Shift+F10, the Apps key) and right clicks are left out: the menu's own loop would wait for a
// real mouse.
void UseChildren(Container& c) {
    Random& random = c.random;
    std::vector<HWND> children;
    if (c.surface) ::EnumChildWindows(c.surface, &AddWindow, reinterpret_cast<LPARAM>(&children));
    if (children.empty()) return;
    HWND child = random.Pick(children);
    RECT client{};
    ::GetClientRect(child, &client);
    const LPARAM at = MAKELPARAM(random.Below(static_cast<std::uint64_t>(client.right) + 1),
                                 random.Below(static_cast<std::uint64_t>(client.bottom) + 1));
    static const std::vector<UINT> kKeys = {VK_RETURN, VK_TAB,  VK_UP,     VK_DOWN,   VK_LEFT,  VK_RIGHT,
                                            VK_HOME,   VK_END,  VK_PRIOR,  VK_NEXT,   VK_BACK,  VK_DELETE,
                                            VK_ESCAPE, VK_SPACE, VK_F4,    VK_F5,     'A',      '1'};
    switch (random.Below(7)) {
    case 0:
    case 1: {  // an entry of the file list (which raises the events) or of the directory list
        HWND list = testing::ChildOf(c.surface, L"ListBox", random.OneIn(4));
        const LRESULT count = list ? ::SendMessageW(list, LB_GETCOUNT, 0, 0) : 0;
        if (count > 0) {
            const int index = static_cast<int>(random.Below(static_cast<std::uint64_t>(count)));
            random.OneIn(3) ? testing::SendDoubleClickItem(list, index) : testing::SendClickItem(list, index);
        } else {
            ::PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, at);
            ::PostMessageW(child, WM_LBUTTONUP, 0, at);
        }
        break;
    }
    case 2:
        ::PostMessageW(child, WM_MOUSEMOVE, 0, at);
        ::PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageW(child, WM_LBUTTONUP, 0, at);
        ::PostMessageW(child, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        ::PostMessageW(child, WM_LBUTTONUP, 0, at);
        break;
    case 3:
    case 4:
        for (std::uint64_t n = 1 + random.Below(3); n > 0; --n) testing::PostKey(child, random.Pick(kKeys));
        break;
    case 5: {
        const std::u16string text = RandomText(random).substr(0, 12);
        ::SetFocus(child);
        for (char16_t unit : text) ::PostMessageW(child, WM_CHAR, unit, 1);
        if (random.OneIn(2)) ::PostMessageW(child, WM_CHAR, L'\r', 1);
        break;
    }
    default:
        testing::PostAltKey(child, random.OneIn(2) ? L'a' : static_cast<wchar_t>(L'a' + random.Below(26)));
        break;
    }
    c.Pump();
}

void DispatchCase(Random& random, std::uint64_t, volatile std::uint64_t& units) {
    Container c(random, units);
    SetUp(c);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &CloseAboutBoxes);
    c.Pump();
    for (int step = 0; step < 120 && c.control; ++step) {
        const std::uint64_t choice = random.Below(100);
        if (choice < 78) InvokeOnce(c);
        else if (choice < 84) LookUpNames(c);
        else if (choice < 92) CallEarlyBound(c);
        else if (choice < 93) Resize(c);
        else UseChildren(c);
    }
    c.LetGo(true);
    ::KillTimer(nullptr, timer);
    c.frame.reset();
    c.Pump();
}

// ---- persistence -----------------------------------------------------------------------------

const std::vector<std::u16string> kKeys = testing::AllPropertyNames();

ComPtr<IStream> NewStream() {
    ComPtr<IStream> stream;
    ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    return stream;
}

void ReleaseToZero(ComPtr<IUnknown>& control, const char* which) {
    const ULONG left = testing::ReleaseLast(control);
    if (left != 0) Broken(std::string("references left over on ") + which + ": " + std::to_string(left));
}

// What a control saves after random settings, long strings among them.
std::vector<std::uint8_t> SavedByAControl(Random& random) {
    ComPtr<IUnknown> control = testing::CreateSelvane();
    if (!control) Broken("selvane.ocx can't be created from the registry: is it registered?");
    std::vector<std::uint8_t> bytes;
    {
        ComPtr<_Selvane> s = As<_Selvane>(control);
        ComPtr<IPersistStreamInit> persist = As<IPersistStreamInit>(control);
        persist->InitNew();
        for (std::uint64_t n = random.Below(8); n > 0; --n) {
            const win32::Bstr text = RandomBstr(random);
            switch (random.Below(8)) {
            case 0: s->put_Path(text.get()); break;
            case 1: s->put_FileType(text.get()); break;
            case 2: s->put_BackColor(static_cast<OLE_COLOR>(RandomColor(random))); break;
            case 3: random.OneIn(2) ? s->put_Label1Color(static_cast<OLE_COLOR>(RandomColor(random)))
                                    : s->put_Label2Color(static_cast<OLE_COLOR>(RandomColor(random)));
                break;
            case 4: random.OneIn(2) ? s->put_Label1Bold(RandomTruth(random)) : s->put_Label2Bold(RandomTruth(random));
                break;
            case 5: random.OneIn(2) ? s->put_DirOnly(RandomTruth(random)) : s->put_Server(RandomTruth(random)); break;
            default: random.OneIn(2) ? s->put_Tips(RandomTruth(random)) : s->put_ShowHidden(RandomTruth(random)); break;
            }
        }
        ComPtr<IStream> stream = NewStream();
        persist->Save(stream.get(), TRUE);
        bytes = BytesOf(stream.get());
    }
    ReleaseToZero(control, "a control saving its settings");
    return bytes;
}

// A record no control writes: keys it doesn't know, its own keys spelt in capitals, values of the
// wrong type for their key.
std::vector<std::uint8_t> WrittenByHand(Random& random) {
    SettingsRecord record;
    for (std::uint64_t n = random.Below(16); n > 0; --n) {
        std::u16string key = random.OneIn(5) ? RandomPathText(random).substr(0, 70) : random.Pick(kKeys);
        if (random.OneIn(4)) {
            for (char16_t& unit : key) {
                if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
            }
        }
        try {
            switch (random.Below(3)) {
            case 0: record.WriteInt32(key, RandomColor(random), 0); break;
            case 1: record.WriteBool(key, static_cast<TruthValue>(random.Next()), kFalse); break;
            default: record.WriteString(key, RandomText(random), u""); break;
            }
        } catch (const RuntimeError&) {
            // A key the record can't hold is refused; the record stays as it was.
        }
    }
    return record.Encode();
}

std::vector<std::uint8_t> DamagedRecord(Random& random) {
    std::vector<std::uint8_t> bytes = random.OneIn(4) ? WrittenByHand(random) : SavedByAControl(random);
    if (!random.OneIn(8)) Damage(random, bytes);  // now and then a sound record, oddly filled
    if (random.OneIn(2)) MendChecksum(bytes);
    return bytes;
}

// A stream that may read short, say S_FALSE when it does, end early or fail after some bytes.
class ScriptedStream final : public TestObject<IStream> {
public:
    ScriptedStream(Random& random, std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
        static const std::vector<HRESULT> failures = {E_FAIL, STG_E_READFAULT, STG_E_ACCESSDENIED, E_OUTOFMEMORY,
                                                      E_PENDING, STG_E_REVERTED};
        if (random.OneIn(2)) fail_at_ = static_cast<std::size_t>(random.Below(bytes_.size() + 1));
        failure_ = random.Pick(failures);
        fail_whole_ = random.OneIn(2);
        if (random.OneIn(2)) chunk_ = static_cast<ULONG>(1 + random.Below(16));
        short_is_false_ = random.OneIn(2);
        if (random.OneIn(6)) end_at_ = static_cast<std::size_t>(random.Below(bytes_.size() + 1));
    }

    STDMETHODIMP Read(void* data, ULONG size, ULONG* read) override {
        if (read) *read = 0;
        if (!data) return STG_E_INVALIDPOINTER;
        if (position_ >= fail_at_ || (fail_whole_ && position_ + size > fail_at_)) return failure_;
        const std::size_t end = std::min(bytes_.size(), end_at_);
        std::size_t count = std::min<std::size_t>(size, position_ < end ? end - position_ : 0);
        if (chunk_) count = std::min<std::size_t>(count, chunk_);
        count = std::min(count, fail_at_ - position_);
        if (count) std::memcpy(data, bytes_.data() + position_, count);
        position_ += count;
        if (read) *read = static_cast<ULONG>(count);
        return count < size && short_is_false_ ? S_FALSE : S_OK;
    }
    STDMETHODIMP Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override {
        const std::size_t from = origin == STREAM_SEEK_SET ? 0 : origin == STREAM_SEEK_CUR ? position_ : bytes_.size();
        const LONGLONG base = static_cast<LONGLONG>(from);
        if (base + move.QuadPart < 0) return STG_E_INVALIDFUNCTION;
        position_ = static_cast<std::size_t>(base + move.QuadPart);
        if (position) position->QuadPart = position_;
        return S_OK;
    }
    STDMETHODIMP SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP Commit(DWORD) override { return S_OK; }
    STDMETHODIMP Revert() override { return S_OK; }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    STDMETHODIMP Stat(STATSTG* stat, DWORD) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = bytes_.size();
        return S_OK;
    }
    STDMETHODIMP Clone(IStream**) override { return E_NOTIMPL; }

private:
    void* Extra(REFIID iid) override {
        return ::IsEqualIID(iid, IID_ISequentialStream) ? static_cast<IStream*>(this) : nullptr;
    }

    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
    std::size_t fail_at_ = SIZE_MAX;
    std::size_t end_at_ = SIZE_MAX;
    HRESULT failure_ = E_FAIL;
    bool fail_whole_ = false;  // a read that would cross fail_at_ fails whole
    ULONG chunk_ = 0;           // the most one read gives; 0: no limit
    bool short_is_false_ = false;
};

// A storage whose OpenStream fails, or gives a scripted stream.
class ScriptedStorage final : public TestObject<IStorage> {
public:
    ScriptedStorage(Random& random, std::vector<std::uint8_t> bytes) {
        static const std::vector<HRESULT> failures = {STG_E_FILENOTFOUND, E_FAIL, STG_E_ACCESSDENIED, E_OUTOFMEMORY,
                                                      STG_E_INVALIDNAME, STG_E_SHAREVIOLATION, STG_E_REVERTED};
        if (random.OneIn(2)) {
            open_ = random.Pick(failures);
        } else {
            stream_ = Make<ScriptedStream>(random, std::move(bytes));
        }
    }

    STDMETHODIMP OpenStream(LPCOLESTR, void*, DWORD, DWORD, IStream** stream) override {
        if (!stream) return STG_E_INVALIDPOINTER;
        *stream = nullptr;
        if (FAILED(open_)) return open_;
        stream_.get()->AddRef();
        *stream = stream_.get();
        return S_OK;
    }
    STDMETHODIMP CreateStream(LPCOLESTR, DWORD, DWORD, DWORD, IStream**) override { return STG_E_ACCESSDENIED; }
    STDMETHODIMP CreateStorage(LPCOLESTR, DWORD, DWORD, DWORD, IStorage**) override { return STG_E_ACCESSDENIED; }
    STDMETHODIMP OpenStorage(LPCOLESTR, IStorage*, DWORD, SNB, DWORD, IStorage**) override {
        return STG_E_FILENOTFOUND;
    }
    STDMETHODIMP CopyTo(DWORD, const IID*, SNB, IStorage*) override { return E_NOTIMPL; }
    STDMETHODIMP MoveElementTo(LPCOLESTR, IStorage*, LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Commit(DWORD) override { return S_OK; }
    STDMETHODIMP Revert() override { return S_OK; }
    STDMETHODIMP EnumElements(DWORD, void*, DWORD, IEnumSTATSTG**) override { return E_NOTIMPL; }
    STDMETHODIMP DestroyElement(LPCOLESTR) override { return STG_E_ACCESSDENIED; }
    STDMETHODIMP RenameElement(LPCOLESTR, LPCOLESTR) override { return STG_E_ACCESSDENIED; }
    STDMETHODIMP SetElementTimes(LPCOLESTR, const FILETIME*, const FILETIME*, const FILETIME*) override {
        return STG_E_ACCESSDENIED;
    }
    STDMETHODIMP SetClass(REFCLSID) override { return STG_E_ACCESSDENIED; }
    STDMETHODIMP SetStateBits(DWORD, DWORD) override { return STG_E_ACCESSDENIED; }
    STDMETHODIMP Stat(STATSTG* stat, DWORD) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        stat->type = STGTY_STORAGE;
        return S_OK;
    }

private:
    HRESULT open_ = S_OK;
    ComPtr<ScriptedStream> stream_;
};

// A bag that gives, for each key, a value of the key's own type, one of any type, or a failure.
// What it gives by reference lives as long as the bag.
class ScriptedBag final : public TestObject<IPropertyBag> {
public:
    explicit ScriptedBag(Random& random) : random_(random) {}

    STDMETHODIMP Read(LPCOLESTR key, VARIANT* value, IErrorLog*) override {
        static const std::vector<HRESULT> failures = {E_FAIL, E_INVALIDARG, E_OUTOFMEMORY, CTL_E_PATHNOTFOUND,
                                                      DISP_E_TYPEMISMATCH, static_cast<HRESULT>(0x800A0005)};
        if (!value) return E_POINTER;
        if (random_.OneIn(4)) {
            // The caller's VARIANT is left as it came, or emptied.
            if (random_.OneIn(2)) ::VariantInit(value);
            return random_.OneIn(4) ? static_cast<HRESULT>(random_.Next() | 0x80000000) : random_.Pick(failures);
        }
        if (random_.OneIn(3)) {
            const std::wstring name = key ? key : L"";
            const Kind kind = name == L"Path" || name == L"FileType"              ? Kind::kText
                              : name.find(L"Color") != std::wstring::npos         ? Kind::kColor
                              : name == L"MultiSelect" || name == L"SortOrder" ? Kind::kNumber
                                                                                  : Kind::kTruth;
            TypedVariant(random_, kind, *value);
        } else {
            RandomVariant(random_, *value, referred_);
        }
        return S_OK;
    }
    STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

private:
    Random& random_;
    Referred referred_;
};

class CountingLog final : public TestObject<IErrorLog> {
public:
    int errors = 0;
    HRESULT answer = S_OK;
    STDMETHODIMP AddError(LPCOLESTR, EXCEPINFO*) override {
        ++errors;
        return answer;
    }
};

HRESULT LoadStream(Random& random, const ComPtr<IUnknown>& control) {
    ComPtr<IPersistStreamInit> persist = As<IPersistStreamInit>(control);
    std::vector<std::uint8_t> bytes = DamagedRecord(random);
    if (random.OneIn(3)) return persist->Load(Make<ScriptedStream>(random, std::move(bytes)).get());
    // The record at the stream's current place, with other things before and after it.
    ComPtr<IStream> stream = NewStream();
    std::vector<std::uint8_t> before(random.OneIn(3) ? static_cast<std::size_t>(random.Below(40)) : 0, 0xAB);
    std::vector<std::uint8_t> after(random.OneIn(3) ? static_cast<std::size_t>(random.Below(40)) : 0, 0xCD);
    ULONG written = 0;
    for (const auto* part : {&before, &bytes, &after}) {
        stream->Write(part->data(), static_cast<ULONG>(part->size()), &written);
    }
    LARGE_INTEGER start{};
    start.QuadPart = static_cast<LONGLONG>(before.size());
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return persist->Load(stream.get());
}

HRESULT LoadStorage(Random& random, const ComPtr<IUnknown>& control) {
    ComPtr<IPersistStorage> persist = As<IPersistStorage>(control);
    std::vector<std::uint8_t> bytes = DamagedRecord(random);
    if (random.OneIn(4)) return persist->Load(Make<ScriptedStorage>(random, std::move(bytes)).get());
    ComPtr<ILockBytes> memory;
    ComPtr<IStorage> storage;
    if (FAILED(::CreateILockBytesOnHGlobal(nullptr, TRUE, memory.put())) ||
        FAILED(::StgCreateDocfileOnILockBytes(memory.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                              storage.put()))) {
        Broken("no storage in memory to load from");
    }
    // Mostly the stream the control writes; sometimes spelt otherwise, or another one.
    static const std::vector<const wchar_t*> kNames = {L"Contents", L"Contents", L"Contents", L"Contents",
                                                       L"CONTENTS", L"Content",  L"\x0001" L"CompObj"};
    ComPtr<IStream> held;  // a stream still open when the control opens it
    switch (random.Below(8)) {
    case 0: break;  // no stream at all
    case 1: {       // a storage where the stream should be
        ComPtr<IStorage> inner;
        storage->CreateStorage(L"Contents", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, inner.put());
        break;
    }
    default: {
        ComPtr<IStream> stream;
        storage->CreateStream(random.Pick(kNames), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                              stream.put());
        ULONG written = 0;
        if (stream) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        if (random.OneIn(8)) held = stream;
        break;
    }
    }
    return persist->Load(storage.get());
}

HRESULT LoadBag(Random& random, const ComPtr<IUnknown>& control) {
    ComPtr<IPersistPropertyBag> persist = As<IPersistPropertyBag>(control);
    ComPtr<ScriptedBag> bag = Make<ScriptedBag>(random);
    ComPtr<CountingLog> log;
    if (!random.OneIn(3)) {
        log = Make<CountingLog>();
        log->answer = random.OneIn(4) ? E_FAIL : S_OK;
    }
    return persist->Load(bag.get(), log.get());
}

// Whatever the load did, the control answers, saves a record it can read back, and says how
// big that record is.
void CheckStillWorks(const ComPtr<IUnknown>& control) {
    ComPtr<_Selvane> s = As<_Selvane>(control);
    CheckText("get_Path after a load", [&](BSTR* text) { return s->get_Path(text); });
    CheckText("get_FileType after a load", [&](BSTR* text) { return s->get_FileType(text); });
    CheckText("GetPath after a load", [&](BSTR* text) { return s->GetPath(text); });
    s->RefreshFiles();

    ComPtr<IPersistStreamInit> persist = As<IPersistStreamInit>(control);
    ComPtr<IStream> stream = NewStream();
    if (persist->Save(stream.get(), TRUE) != S_OK) return;
    const std::vector<std::uint8_t> bytes = BytesOf(stream.get());
    try {
        SettingsRecord::Decode(bytes.data(), bytes.size());
    } catch (const SettingsFormatError& error) {
        Broken(std::string("the control saved a record it can't read: ") + error.what());
    }
    ULARGE_INTEGER size{};
    if (persist->GetSizeMax(&size) == S_OK && size.QuadPart != bytes.size()) {
        Broken("GetSizeMax gave " + std::to_string(size.QuadPart) + " bytes for a save of " +
               std::to_string(bytes.size()));
    }
}

void PersistenceCase(Random& random, std::uint64_t, volatile std::uint64_t& units) {
    ComPtr<IUnknown> control = testing::CreateSelvane();
    if (!control) Broken("selvane.ocx can't be created from the registry: is it registered?");
    // Some containers site a control before they load it, and show it after.
    win32::UniqueWindow frame;
    ComPtr<IOleObject> ole;
    ComPtr<testing::TestSite> site;
    RECT place{10, 10, 490, 370};
    if (random.OneIn(2)) {
        frame.reset(MakeFrame());
        ole = As<IOleObject>(control);
        site = Make<testing::TestSite>(frame.get(), place);
        ole->SetClientSite(site.get());
    }
    switch (random.Below(3)) {
    case 0: LoadStream(random, control); break;
    case 1: LoadStorage(random, control); break;
    default: LoadBag(random, control); break;
    }
    units = units + 1;
    if (ole && random.OneIn(2)) ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, frame.get(), &place);
    CheckStillWorks(control);
    if (ole) {
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
        ole.reset();
    }
    ReleaseToZero(control, "the loaded control");
    frame.reset();
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
}

}  // namespace
}  // namespace selvane::fuzz

int main(int argc, char** argv) {
    using namespace selvane::fuzz;
    // Lines end in LF alone, as CTest and the native campaigns print them.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // A drive without a medium gives an error code, not a message box; a crash ends the worker,
    // or the replay, with a line that names it.
    EndAtOnceOnCrash();
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    if (FAILED(::OleInitialize(nullptr))) {
        std::fprintf(stderr, "selvane-com-fuzz: OleInitialize failed\n");
        return 2;
    }
    const std::vector<Target> targets = {
        {"dispatch", "calls", DispatchCase},
        {"persistence", "loads", PersistenceCase},
    };
    Options options;
    const std::string error = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options);
    if (!error.empty()) {
        std::fprintf(stderr, "selvane-com-fuzz: %s\n", error.c_str());
        return 2;
    }
    ChildProcessWorker worker;
    const int result = RunCampaign(targets, options, argv[0], worker);
    ::OleUninitialize();
    return result;
}
