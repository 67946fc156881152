// Saving and loading through the container's three roads (property bag, stream, storage), the
// dirty flag, and saved settings that are damaged or stale.
#include <windows.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/property_names.h"
#include "tests/windows/com_support.h"

namespace selvane::testing {
namespace {

const std::vector<std::wstring> kKeys = [] {
    std::vector<std::wstring> keys;
    for (const std::u16string& name : AllPropertyNames()) keys.emplace_back(name.begin(), name.end());
    return keys;
}();


// A control as a container makes one and hands it its settings.
struct Control {
    Control() : object(CreateSelvane()), selvane(As<_Selvane2>(object)) {}
    ~Control() {
        selvane.reset();
        if (object) {
            EXPECT_EQ(ReleaseLast(object), 0u);
        }
    }
    ComPtr<IUnknown> object;
    ComPtr<_Selvane2> selvane;

    // Every setting away from its default.
    void Customise() {
        selvane->put_BackColor(0x00336699);
        selvane->put_Label1Color(0x000000FF);
        selvane->put_Label2Color(0x80000012);
        selvane->put_Label1Bold(VARIANT_TRUE);
        selvane->put_Label2Bold(VARIANT_TRUE);
        selvane->put_Path(Bstr(L"D:\\docs").get());
        selvane->put_DirOnly(VARIANT_TRUE);
        selvane->put_Server(VARIANT_TRUE);
        selvane->put_Tips(VARIANT_FALSE);
        selvane->put_FileType(Bstr(L"*.txt").get());
        selvane->put_ShowHidden(VARIANT_TRUE);
        selvane->put_MultiSelect(2);
        selvane->put_SortOrder(1);
    }

    // The settings as one line, to compare two controls.
    std::wstring Settings() {
        OLE_COLOR back = 0, label1 = 0, label2 = 0;
        VARIANT_BOOL bold1 = 0, bold2 = 0, dir_only = 0, server = 0, tips = 0, hidden = 0;
        LONG multi = -1, order = -1;
        selvane->get_MultiSelect(&multi);
        selvane->get_SortOrder(&order);
        Bstr path, pattern;
        selvane->get_BackColor(&back);
        selvane->get_Label1Color(&label1);
        selvane->get_Label2Color(&label2);
        selvane->get_Label1Bold(&bold1);
        selvane->get_Label2Bold(&bold2);
        selvane->get_Path(path.put());
        selvane->get_DirOnly(&dir_only);
        selvane->get_Server(&server);
        selvane->get_Tips(&tips);
        selvane->get_FileType(pattern.put());
        selvane->get_ShowHidden(&hidden);
        return std::to_wstring(back) + L" " + std::to_wstring(label1) + L" " + std::to_wstring(label2) + L" " +
               std::to_wstring(bold1) + std::to_wstring(bold2) + L" " + path.str() + L" " + std::to_wstring(dir_only) +
               std::to_wstring(server) + std::to_wstring(tips) + L" " + pattern.str() + L" " + std::to_wstring(hidden) +
               L" " + std::to_wstring(multi) + std::to_wstring(order);
    }
};

ComPtr<IStream> NewStream() {
    ComPtr<IStream> stream;
    ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    return stream;
}

TEST(Persistence, ThePropertyBagHoldsEveryKeyAndLoadsThemBack) {
    Control saved;
    ASSERT_EQ(As<IPersistPropertyBag>(saved.object)->InitNew(), S_OK);
    saved.Customise();
    auto bag = Make<RecordingBag>();
    ASSERT_EQ(As<IPersistPropertyBag>(saved.object)->Save(bag.get(), TRUE, TRUE), S_OK);
    EXPECT_EQ(bag->writes, kKeys);
    EXPECT_EQ(bag->Find(L"BackColor")->vt, VT_I4);
    EXPECT_EQ(bag->Find(L"Label1Bold")->vt, VT_BOOL);
    EXPECT_EQ(bag->Find(L"Path")->vt, VT_BSTR);
    EXPECT_STREQ(bag->Find(L"Path")->bstrVal, L"D:\\docs");

    Control loaded;
    ASSERT_EQ(As<IPersistPropertyBag>(loaded.object)->Load(bag.get(), bag.get()), S_OK);
    EXPECT_EQ(bag->reads, kKeys);
    EXPECT_TRUE(bag->errors.empty());
    EXPECT_EQ(loaded.Settings(), saved.Settings());
    EXPECT_EQ(As<IPersistPropertyBag>(loaded.object)->Load(bag.get(), nullptr), CO_E_ALREADYINITIALIZED);
}

TEST(Persistence, StaleOrUnreadableValuesAreLoggedAndSkippedWhileTheOthersLoad) {
    auto bag = Make<RecordingBag>();
    bag->PutText(L"Path", L"D:\\no such folder");
    bag->PutText(L"ShowHidden", L"banana");
    bag->PutText(L"FileType", L"*.log");
    VARIANT value;
    value.vt = VT_UI4;  // as some containers store a system colour
    value.ulVal = 0x80000005;
    bag->Put(L"BackColor", value);

    Control control;
    ASSERT_EQ(As<IPersistPropertyBag>(control.object)->Load(bag.get(), bag.get()), S_OK);
    ASSERT_EQ(bag->errors.size(), 2u);
    EXPECT_EQ(bag->errors[0].first, L"Path");
    EXPECT_EQ(bag->errors[0].second, CTL_E_PATHNOTFOUND);
    EXPECT_EQ(bag->errors[1].first, L"ShowHidden");
    EXPECT_EQ(bag->errors[1].second, static_cast<HRESULT>(0x800A000D) /* type mismatch */);
    Bstr pattern;
    control.selvane->get_FileType(pattern.put());
    EXPECT_EQ(pattern.str(), L"*.log") << "the keys after a bad one still load";
    OLE_COLOR back = 0;
    control.selvane->get_BackColor(&back);
    EXPECT_EQ(back, 0x80000005u);
}

TEST(Persistence, StreamAndStorageCarryTheSameSettings) {
    Control saved;
    ASSERT_EQ(As<IPersistStreamInit>(saved.object)->InitNew(), S_OK);
    saved.Customise();
    ComPtr<IStream> stream = NewStream();
    ULARGE_INTEGER size{};
    ASSERT_EQ(As<IPersistStreamInit>(saved.object)->GetSizeMax(&size), S_OK);
    ASSERT_EQ(As<IPersistStreamInit>(saved.object)->Save(stream.get(), TRUE), S_OK);
    EXPECT_EQ(BytesOf(stream.get()).size(), size.QuadPart);
    {
        Control loaded;
        ASSERT_EQ(As<IPersistStreamInit>(loaded.object)->Load(StreamOf(BytesOf(stream.get())).get()), S_OK);
        EXPECT_EQ(loaded.Settings(), saved.Settings());
    }

    ComPtr<ILockBytes> bytes;
    ASSERT_EQ(::CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()), S_OK);
    ComPtr<IStorage> storage;
    ASSERT_EQ(::StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                             storage.put()),
              S_OK);
    auto persist = As<IPersistStorage>(saved.object);
    saved.selvane->put_Server(VARIANT_FALSE);
    ASSERT_EQ(persist->Save(storage.get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK) << "clean only once the container confirms";
    ASSERT_EQ(persist->SaveCompleted(nullptr), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    Control loaded;
    ASSERT_EQ(As<IPersistStorage>(loaded.object)->Load(storage.get()), S_OK);
    EXPECT_EQ(loaded.Settings(), saved.Settings());
}

TEST(Persistence, ADamagedStreamFailsTheLoadAndLeavesTheControlUsable) {
    Control saved;
    As<IPersistStreamInit>(saved.object)->InitNew();
    saved.Customise();
    ComPtr<IStream> stream = NewStream();
    As<IPersistStreamInit>(saved.object)->Save(stream.get(), TRUE);
    const std::vector<BYTE> good = BytesOf(stream.get());

    std::vector<BYTE> truncated(good.begin(), good.end() - 3);
    std::vector<BYTE> corrupt = good;
    corrupt[good.size() / 2] ^= 0x20;
    std::vector<BYTE> newer = good;
    newer[4] = 9;  // the major version
    const std::pair<std::vector<BYTE>, HRESULT> kDamaged[] = {
        {truncated, HRESULT_FROM_WIN32(ERROR_HANDLE_EOF)},
        {std::vector<BYTE>(good.begin(), good.begin() + 5), HRESULT_FROM_WIN32(ERROR_HANDLE_EOF)},
        {std::vector<BYTE>(), HRESULT_FROM_WIN32(ERROR_HANDLE_EOF)},
        {corrupt, HRESULT_FROM_WIN32(ERROR_INVALID_DATA)},
        {std::vector<BYTE>(64, 0x41), HRESULT_FROM_WIN32(ERROR_INVALID_DATA)},
        {newer, HRESULT_FROM_WIN32(ERROR_REVISION_MISMATCH)},
    };
    for (const auto& [bytes, expected] : kDamaged) {
        Control control;
        EXPECT_EQ(As<IPersistStreamInit>(control.object)->Load(StreamOf(bytes).get()), expected) << bytes.size();
        EXPECT_FALSE(LastErrorDescription().empty());
        EXPECT_EQ(As<IPersistStreamInit>(control.object)->Load(StreamOf(good).get()), S_OK)
            << "the control can still be loaded";
        EXPECT_EQ(control.Settings(), saved.Settings());
    }
    // Nothing of a damaged record is applied: the control goes on as a new one.
    Control damaged;
    EXPECT_TRUE(FAILED(As<IPersistStreamInit>(damaged.object)->Load(StreamOf(corrupt).get())));
    Control fresh;
    EXPECT_EQ(damaged.Settings(), fresh.Settings());
}

TEST(Persistence, ChangesMakeTheControlDirtyUntilItIsSaved) {
    Control scripted;
    VARIANT_BOOL shows_tips = 0;
    scripted.selvane->get_Tips(&shows_tips);
    EXPECT_EQ(shows_tips, VARIANT_TRUE) << "a host that never starts the control gets a new instance";
    EXPECT_EQ(As<IPersistStreamInit>(scripted.object)->InitNew(), CO_E_ALREADYINITIALIZED);

    Control control;
    auto persist = As<IPersistStreamInit>(control.object);
    ASSERT_EQ(persist->InitNew(), S_OK);
    EXPECT_EQ(persist->InitNew(), CO_E_ALREADYINITIALIZED);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    control.selvane->put_Server(VARIANT_TRUE);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    ComPtr<IStream> stream = NewStream();
    ASSERT_EQ(persist->Save(stream.get(), FALSE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK) << "a save that keeps the flag";
    ASSERT_EQ(persist->Save(stream.get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    VARIANT_BOOL tips = 0;
    control.selvane->get_Tips(&tips);
    EXPECT_EQ(tips, VARIANT_TRUE) << "a new instance shows tool tips";
}

}  // namespace
}  // namespace selvane::testing
