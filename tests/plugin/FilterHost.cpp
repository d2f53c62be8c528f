#include "plugin/FilterHost.h"

#include <cstdio>
#include <cstring>

namespace vxhost {

namespace {

// The host whose filter call is running: the interface's callbacks carry no context.
TFilterHost* CurrentHost = nullptr;

std::int32_t ReadInt32(const std::uint8_t* at)
{
    std::int32_t value;
    std::memcpy(&value, at, 4);
    return value;
}

bool Empty(const THostRect& r) { return r.Top >= r.Bottom || r.Left >= r.Right; }

unsigned char __cdecl NeverAbort() { return 0; }

// For tests/plugin/screenshot.sh: VELLORIA_TEST_BOX_MARK names a file that gets each box's
// caption when it appears, and the box stays VELLORIA_TEST_BOX_HOLD_MS milliseconds
// before its button is pressed, so that a picture of it can be taken.
void HoldForScreenshot(const TSeenBox& box)
{
    wchar_t mark[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"VELLORIA_TEST_BOX_MARK", mark, MAX_PATH) == 0)
        return;
    if (FILE* file = _wfopen(mark, L"a")) {
        fwprintf(file, L"%ls\n", box.Caption.c_str());
        fclose(file);
    }
    wchar_t hold[16] = {};
    if (GetEnvironmentVariableW(L"VELLORIA_TEST_BOX_HOLD_MS", hold, 16) > 0)
        Sleep(static_cast<DWORD>(_wtoi(hold)));
}
void __cdecl NoProgress(std::int32_t, std::int32_t) {}

} // namespace

THostImage::THostImage(std::int32_t width, std::int32_t height, std::int32_t planes, std::int32_t padding,
                       std::uint32_t seed)
    : Width(width), Height(height), Planes(planes), RowBytes(width * planes + padding),
      Bytes(std::size_t(RowBytes) * std::size_t(height))
{
    std::uint32_t state = seed * 2654435761u + 1;
    for (std::uint8_t& byte : Bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
}

const TPiPLProperty* TPiPL::Find(std::uint32_t key) const
{
    for (const TPiPLProperty& property : Properties)
        if (property.Key == key)
            return &property;
    return nullptr;
}

std::optional<TPiPL> ParsePiPL(const std::uint8_t* bytes, std::size_t size)
{
    if (size < 10)
        return std::nullopt;
    TPiPL list;
    std::memcpy(&list.Reserved, bytes, 2);
    list.Version = ReadInt32(bytes + 2);
    const std::int32_t count = ReadInt32(bytes + 6);
    std::size_t at = 10;
    for (std::int32_t i = 0; i < count; ++i) {
        if (size - at < 16)
            return std::nullopt;
        TPiPLProperty property;
        property.Vendor = static_cast<std::uint32_t>(ReadInt32(bytes + at));
        property.Key = static_cast<std::uint32_t>(ReadInt32(bytes + at + 4));
        property.Id = ReadInt32(bytes + at + 8);
        property.Length = ReadInt32(bytes + at + 12);
        const std::size_t padded = (std::size_t(property.Length) + 3) & ~std::size_t{3};
        if (property.Length < 0 || size - at - 16 < padded)
            return std::nullopt;
        property.Data.assign(bytes + at + 16, bytes + at + 16 + property.Length);
        list.Properties.push_back(std::move(property));
        at += 16 + padded;
    }
    list.EndsExactly = at == size;
    return list;
}

TFilterHost::TFilterHost(const std::filesystem::path& plugin) : FModule(LoadLibraryW(plugin.c_str())) {}

TFilterHost::~TFilterHost()
{
    if (FModule)
        FreeLibrary(FModule);
}

std::optional<TPiPL> TFilterHost::PropertyList() const
{
    if (!FModule)
        return std::nullopt;
    HRSRC resource = FindResourceW(FModule, MAKEINTRESOURCEW(16000), L"PIPL");
    HGLOBAL loaded = resource ? LoadResource(FModule, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return std::nullopt;
    return ParsePiPL(static_cast<const std::uint8_t*>(bytes), SizeofResource(FModule, resource));
}

THostEntryPoint TFilterHost::EntryPoint() const
{
    const std::optional<TPiPL> list = PropertyList();
    const TPiPLProperty* entry = list ? list->Find(sizeof(void*) == 8 ? FourCC("8664") : FourCC("wx86")) : nullptr;
    if (!entry || entry->Data.empty())
        return nullptr;
    const std::string name(reinterpret_cast<const char*>(entry->Data.data()),
                           strnlen(reinterpret_cast<const char*>(entry->Data.data()), entry->Data.size()));
    return reinterpret_cast<THostEntryPoint>(reinterpret_cast<void*>(GetProcAddress(FModule, name.c_str())));
}

std::int16_t TFilterHost::Call(std::int16_t selector, void* record)
{
    const THostEntryPoint entry = EntryPoint();
    if (!entry)
        return 1;
    std::int16_t result = 12345;
    CurrentHost = this;
    entry(selector, record, &FData, &result);
    CurrentHost = nullptr;
    return result;
}

std::int16_t TFilterHost::About(HWND owner)
{
    THostAboutRecord about{};
    FPlatform.Window = reinterpret_cast<std::intptr_t>(owner);
    about.PlatformData = &FPlatform;
    return Call(hsAbout, &about);
}

std::int16_t TFilterHost::RunFilter(THostImage& image, std::int32_t left, std::int32_t top, std::int32_t right,
                                    std::int32_t bottom, HWND owner, THostRefusal refusal, std::int16_t imageMode)
{
    FImage = &image;
    FRefusal = refusal;
    FAdvanceCalls = FContinueCalls = 0;
    FFinishCalled = false;
    FRecord = THostFilterRecord{};
    FPlatform.Window = reinterpret_cast<std::intptr_t>(owner);
    THostFilterRecord& r = FRecord;
    r.AbortProc = NeverAbort;
    r.ProgressProc = NoProgress;
    r.ImageSize = {static_cast<std::int16_t>(image.Height), static_cast<std::int16_t>(image.Width)};
    r.WholeSize = r.ImageSize;
    r.Planes = static_cast<std::int16_t>(image.Planes);
    r.FilterRect = {static_cast<std::int16_t>(top), static_cast<std::int16_t>(left), static_cast<std::int16_t>(bottom),
                    static_cast<std::int16_t>(right)};
    r.MaxSpace = 1 << 30;
    r.MaxSpace64 = std::int64_t{1} << 34;
    r.AutoMask = 1;
    r.HostSig = FourCC("VxTH");
    r.ImageMode = imageMode;
    r.ImageHRes = r.ImageVRes = 72 << 16;
    r.PlatformData = &FPlatform;
    r.FilterCase = 1;
    r.AdvanceState = &TFilterHost::AdvanceState;
    r.InputRate = 1 << 16;
    r.Depth = 8;

    std::int16_t result = Call(hsParameters, &r);
    if (result == hrNoError)
        result = Call(hsPrepare, &r);
    if (result != hrNoError)
        return result;
    result = Call(hsStart, &r);
    FRequestsCleared = Empty(r.InRect) && Empty(r.OutRect) && Empty(r.MaskRect);
    if (result != hrNoError)
        return result;
    while (!(Empty(r.InRect) && Empty(r.OutRect) && Empty(r.MaskRect)) && FContinueCalls < 1000) {
        ++FContinueCalls;
        result = Call(hsContinue, &r);
        if (result != hrNoError)
            return result;
    }
    FFinishCalled = true;
    return Call(hsFinish, &r);
}

std::int16_t __cdecl TFilterHost::AdvanceState()
{
    return CurrentHost ? CurrentHost->Advance() : std::int16_t{-1};
}

// Hands out pointers into the picture for the rectangles the filter set; a rectangle
// outside the picture or planes it does not have are refused, as a host would.
std::int16_t TFilterHost::Advance()
{
    ++FAdvanceCalls;
    THostFilterRecord& r = FRecord;
    auto place = [&](const THostRect& rect, std::int16_t lo, std::int16_t hi, void*& data, std::int32_t& rowBytes) {
        data = nullptr;
        if (Empty(rect))
            return true;
        if (rect.Left < 0 || rect.Top < 0 || rect.Right > FImage->Width || rect.Bottom > FImage->Height || lo < 0
            || hi >= FImage->Planes || lo > hi)
            return false;
        data = FImage->At(rect.Left, rect.Top) + lo;
        rowBytes = FImage->RowBytes;
        return true;
    };
    if (!Empty(r.InRect) && FRefusal == THostRefusal::Input)
        return -30100;
    if (!Empty(r.OutRect) && FRefusal == THostRefusal::Output)
        return -30100;
    if (!place(r.InRect, r.InLoPlane, r.InHiPlane, r.InData, r.InRowBytes)
        || !place(r.OutRect, r.OutLoPlane, r.OutHiPlane, r.OutData, r.OutRowBytes))
        return -30100;
    if (r.InData && FRefusal == THostRefusal::HugeRows)
        r.InRowBytes = 0x7FFFFFF0;
    return hrNoError;
}

TBoxWatcher::TBoxWatcher() : FThread([this] { Run(); }) {}

TBoxWatcher::~TBoxWatcher()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStop = true;
    }
    FThread.join();
}

std::vector<TSeenBox> TBoxWatcher::Boxes() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FBoxes;
}

void TBoxWatcher::Run()
{
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(FLock);
            if (FStop)
                return;
        }
        EnumWindows(&TBoxWatcher::Visit, reinterpret_cast<LPARAM>(this));
        Sleep(30);
    }
}

BOOL CALLBACK TBoxWatcher::Visit(HWND window, LPARAM self)
{
    auto& watcher = *reinterpret_cast<TBoxWatcher*>(self);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (process != GetCurrentProcessId() || std::wstring(className) != L"#32770" || !IsWindowVisible(window))
        return TRUE;
    std::lock_guard<std::mutex> lock(watcher.FLock);
    for (HWND pressed : watcher.FPressed)
        if (pressed == window)
            return TRUE;
    TSeenBox box;
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    box.Caption = text;
    // A message box's text is the static control with id 0xFFFF.
    text[0] = 0;
    GetDlgItemTextW(window, 0xFFFF, text, 1024);
    box.Text = text;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t childClass[32] = {};
        GetClassNameW(child, childClass, 32);
        if (_wcsicmp(childClass, L"Button") == 0 && IsWindowVisible(child))
            box.Buttons.push_back(GetDlgCtrlID(child));
    }
    watcher.FBoxes.push_back(box);
    watcher.FPressed.push_back(window);
    HoldForScreenshot(box);
    const int button = box.Buttons.empty() ? IDOK : box.Buttons.front();
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return TRUE;
}

} // namespace vxhost
