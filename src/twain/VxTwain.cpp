#include "twain/VxTwain.h"

#include <cstring>

#include "i18n/VxCodePage.h"

namespace {

std::wstring FolderOf(UINT(WINAPI* query)(LPWSTR, UINT))
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = query(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// By full path only: the 2.x manager in the system folder, then the classic one in the
// system and Windows folders.
HMODULE LoadManager()
{
    const std::wstring system = FolderOf(&GetSystemDirectoryW);
    const std::wstring windows = FolderOf(&GetWindowsDirectoryW);
    for (const std::wstring& path : {system + L"\\TWAINDSM.DLL", system + L"\\twain_32.dll", windows + L"\\twain_32.dll"}) {
        if (path.size() < 3)
            continue;
        if (HMODULE library = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
            return library;
    }
    return nullptr;
}

void CopyName(char (&target)[34], const char* text)
{
    std::strncpy(target, text, sizeof target - 1);
}

}  // namespace

TVxTwain::TVxTwain()
{
    FLibrary = LoadManager();
    if (FLibrary)
        FEntry = reinterpret_cast<TDSMEntry>(reinterpret_cast<void*>(GetProcAddress(FLibrary, "DSM_Entry")));
    FApp.Version.MajorNum = 2;
    FApp.Version.Language = twain::TWLG_ENGLISH;
    FApp.Version.Country = twain::TWCY_USA;
    CopyName(FApp.Version.Info, "Velloria");
    FApp.ProtocolMajor = 2;
    FApp.ProtocolMinor = 3;
    FApp.SupportedGroups = twain::DG_CONTROL | twain::DG_IMAGE | twain::DF_APP2;
    CopyName(FApp.Manufacturer, "Orvik");
    CopyName(FApp.ProductFamily, "Velloria");
    CopyName(FApp.ProductName, "Velloria");
}

TVxTwain::~TVxTwain()
{
    CloseManager();
    if (FLibrary)
        FreeLibrary(FLibrary);
}

TW_UINT16 TVxTwain::Call(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 argument, TW_UINT16 message, void* data)
{
    return FEntry ? FEntry(&FApp, destination, group, argument, message, data) : twain::TWRC_FAILURE;
}

bool TVxTwain::OpenManager(HWND parent)
{
    if (FOpen)
        return true;
    FParent = parent;
    FOpen = Call(nullptr, twain::DG_CONTROL, twain::DAT_PARENT, twain::MSG_OPENDSM, &FParent) == twain::TWRC_SUCCESS;
    return FOpen;
}

void TVxTwain::CloseManager()
{
    if (FOpen)
        Call(nullptr, twain::DG_CONTROL, twain::DAT_PARENT, twain::MSG_CLOSEDSM, &FParent);
    FOpen = false;
}

std::vector<std::wstring> TVxTwain::SourceNames(HWND parent)
{
    std::vector<std::wstring> names;
    if (!OpenManager(parent))
        return names;
    TW_IDENTITY source{};
    for (TW_UINT16 message = twain::MSG_GETFIRST;
         Call(nullptr, twain::DG_CONTROL, twain::DAT_IDENTITY, message, &source) == twain::TWRC_SUCCESS;
         message = twain::MSG_GETNEXT) {
        names.push_back(Utf8ToWide(std::string(source.ProductName, strnlen(source.ProductName, sizeof source.ProductName))));
        if (names.size() >= 64)  // a manager that never ends its list
            break;
    }
    return names;
}

bool TVxTwain::SelectSource(HWND parent)
{
    if (!OpenManager(parent))
        return false;
    TW_IDENTITY chosen{};
    if (Call(nullptr, twain::DG_CONTROL, twain::DAT_IDENTITY, twain::MSG_USERSELECT, &chosen) != twain::TWRC_SUCCESS)
        return false;
    FSelected = chosen;
    return true;
}

bool TVxTwain::FindSource(const std::wstring& name, TW_IDENTITY& source)
{
    if (name.empty()) {
        source = FSelected;  // an empty identity makes the manager open its default
        return true;
    }
    TW_IDENTITY candidate{};
    for (TW_UINT16 message = twain::MSG_GETFIRST;
         Call(nullptr, twain::DG_CONTROL, twain::DAT_IDENTITY, message, &candidate) == twain::TWRC_SUCCESS;
         message = twain::MSG_GETNEXT) {
        if (Utf8ToWide(std::string(candidate.ProductName, strnlen(candidate.ProductName, sizeof candidate.ProductName))) == name) {
            source = candidate;
            return true;
        }
    }
    return false;
}

bool TVxTwain::Acquire(HWND parent, const std::wstring& sourceName, const std::filesystem::path& file)
{
    if (FBusy || !OpenManager(parent))
        return false;
    TW_IDENTITY source{};
    if (!FindSource(sourceName, source))
        return false;
    if (Call(nullptr, twain::DG_CONTROL, twain::DAT_IDENTITY, twain::MSG_OPENDS, &source) != twain::TWRC_SUCCESS)
        return false;
    FBusy = true;
    const bool acquired = TransferLoop(source, file);
    Call(&source, twain::DG_CONTROL, twain::DAT_IDENTITY, twain::MSG_CLOSEDS, &source);
    FBusy = false;
    return acquired;
}

// The source shows its own dialog; its events come through this loop until it says a
// picture is ready (then transferred into the file) or that it wants to close.
bool TVxTwain::TransferLoop(TW_IDENTITY& source, const std::filesystem::path& file)
{
    TW_SETUPFILEXFER setup{};
    const std::string name = file.string();
    if (name.size() >= sizeof setup.FileName)
        return false;
    std::strncpy(setup.FileName, name.c_str(), sizeof setup.FileName - 1);
    setup.Format = twain::TWFF_BMP;
    if (Call(&source, twain::DG_CONTROL, twain::DAT_SETUPFILEXFER, twain::MSG_SET, &setup) != twain::TWRC_SUCCESS)
        return false;
    TW_USERINTERFACE ui{TRUE, TRUE, FParent};
    if (Call(&source, twain::DG_CONTROL, twain::DAT_USERINTERFACE, twain::MSG_ENABLEDS, &ui) != twain::TWRC_SUCCESS)
        return false;
    bool acquired = false;
    bool done = false;
    MSG message;
    while (!done && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TW_EVENT event{&message, 0};
        if (Call(&source, twain::DG_CONTROL, twain::DAT_EVENT, twain::MSG_PROCESSEVENT, &event) != twain::TWRC_DSEVENT) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (event.TWMessage == twain::MSG_XFERREADY) {
            acquired = Call(&source, twain::DG_IMAGE, twain::DAT_IMAGEFILEXFER, twain::MSG_GET, nullptr) == twain::TWRC_XFERDONE;
            TW_PENDINGXFERS pending{};
            Call(&source, twain::DG_CONTROL, twain::DAT_PENDINGXFERS, twain::MSG_ENDXFER, &pending);
            if (pending.Count != 0)
                Call(&source, twain::DG_CONTROL, twain::DAT_PENDINGXFERS, twain::MSG_RESET, &pending);
            done = true;
        } else if (event.TWMessage == twain::MSG_CLOSEDSREQ || event.TWMessage == twain::MSG_CLOSEDSOK) {
            done = true;
        }
    }
    Call(&source, twain::DG_CONTROL, twain::DAT_USERINTERFACE, twain::MSG_DISABLEDS, &ui);
    return acquired;
}
