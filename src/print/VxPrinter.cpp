#include "print/VxPrinter.h"

#include <commdlg.h>
#include <winspool.h>

#include <fstream>
#include <vector>

TVxPrinter& Printer()
{
    static TVxPrinter printer;
    return printer;
}

bool TVxPrinter::HasPrinters() const
{
    if (!FPageFile.empty())
        return true;
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed == 0)
        return false;
    std::vector<BYTE> buffer(needed);
    return EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, buffer.data(), needed, &needed, &count) &&
           count > 0;
}

TVxMemoryDCHandle TVxPrinter::CreatePrinterDC()
{
    PRINTDLGW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hDevMode = FDevMode.Get();
    dialog.hDevNames = FDevNames.Get();
    dialog.Flags = PD_RETURNDC | (FDevNames ? 0 : PD_RETURNDEFAULT);
    if (!FDevNames) {
        dialog.hDevMode = nullptr;
        dialog.hDevNames = nullptr;
    }
    // With settings chosen before, the DC is made from them without showing anything.
    if (FDevNames) {
        auto* names = static_cast<DEVNAMES*>(GlobalLock(FDevNames.Get()));
        auto* mode = FDevMode ? static_cast<DEVMODEW*>(GlobalLock(FDevMode.Get())) : nullptr;
        const auto* base = reinterpret_cast<const wchar_t*>(names);
        HDC dc = CreateDCW(base + names->wDriverOffset, base + names->wDeviceOffset, nullptr, mode);
        if (mode)
            GlobalUnlock(FDevMode.Get());
        GlobalUnlock(FDevNames.Get());
        return TVxMemoryDCHandle(dc);
    }
    if (!PrintDlgW(&dialog))
        return TVxMemoryDCHandle();
    FDevMode.Reset(dialog.hDevMode);
    FDevNames.Reset(dialog.hDevNames);
    return TVxMemoryDCHandle(dialog.hDC);
}

std::optional<TVxPageGeometry> TVxPrinter::Geometry()
{
    if (!FPageFile.empty())
        return FPageFileGeometry;
    TVxMemoryDCHandle dc = CreatePrinterDC();
    if (!dc)
        return std::nullopt;
    TVxPageGeometry page;
    page.DpiX = GetDeviceCaps(dc.Get(), LOGPIXELSX);
    page.DpiY = GetDeviceCaps(dc.Get(), LOGPIXELSY);
    page.PhysicalWidth = GetDeviceCaps(dc.Get(), PHYSICALWIDTH);
    page.PhysicalHeight = GetDeviceCaps(dc.Get(), PHYSICALHEIGHT);
    page.OffsetX = GetDeviceCaps(dc.Get(), PHYSICALOFFSETX);
    page.OffsetY = GetDeviceCaps(dc.Get(), PHYSICALOFFSETY);
    page.PageWidth = GetDeviceCaps(dc.Get(), HORZRES);
    page.PageHeight = GetDeviceCaps(dc.Get(), VERTRES);
    if (page.DpiX <= 0 || page.DpiY <= 0 || page.PhysicalWidth <= 0 || page.PhysicalHeight <= 0)
        return std::nullopt;
    return page;
}

bool TVxPrinter::SetupDialog(HWND owner)
{
    if (!FPageFile.empty())
        return true;
    PRINTDLGW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hDevMode = FDevMode.Release();
    dialog.hDevNames = FDevNames.Release();
    dialog.Flags = PD_PRINTSETUP;
    const bool ok = PrintDlgW(&dialog) != FALSE;
    // The dialog may have replaced the handles; it frees the old ones itself.
    FDevMode.Reset(dialog.hDevMode);
    FDevNames.Reset(dialog.hDevNames);
    return ok;
}

bool TVxPrinter::PrintPage(const std::wstring& title, const RECT& deviceRect, const TDrawPage& draw)
{
    if (!FPageFile.empty())
        return PrintToPageFile(deviceRect, draw);
    TVxMemoryDCHandle dc = CreatePrinterDC();
    if (!dc)
        return false;
    DOCINFOW document{};
    document.cbSize = sizeof document;
    document.lpszDocName = title.c_str();
    if (StartDocW(dc.Get(), &document) <= 0)
        return false;
    bool printed = StartPage(dc.Get()) > 0;
    printed = printed && draw(dc.Get(), deviceRect);
    printed = EndPage(dc.Get()) > 0 && printed;
    if (!printed) {
        AbortDoc(dc.Get());
        return false;
    }
    return EndDoc(dc.Get()) > 0;
}

void TVxPrinter::UsePageFile(const std::filesystem::path& file, const TVxPageGeometry& page)
{
    FPageFile = file;
    FPageFileGeometry = page;
}

bool TVxPrinter::PrintToPageFile(const RECT& deviceRect, const TDrawPage& draw) const
{
    const TVxPageGeometry& page = FPageFileGeometry;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), page.PageWidth, -page.PageHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    TVxBitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    TVxMemoryDCHandle dc(CreateCompatibleDC(nullptr));
    if (!bitmap || !dc)
        return false;
    bool drawn = false;
    {
        TVxSelectObject select(dc.Get(), bitmap.Get());
        RECT all{0, 0, page.PageWidth, page.PageHeight};
        FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        drawn = draw(dc.Get(), deviceRect);
    }
    GdiFlush();
    return drawn && SaveBitmapFile(bitmap.Get(), FPageFile);
}

bool SaveBitmapFile(HBITMAP bitmap, const std::filesystem::path& file)
{
    DIBSECTION section{};
    if (GetObjectW(bitmap, sizeof section, &section) != sizeof section || section.dsBm.bmBitsPixel != 24)
        return false;
    const LONG width = section.dsBm.bmWidth;
    const LONG height = section.dsBm.bmHeight;
    const DWORD stride = static_cast<DWORD>(section.dsBm.bmWidthBytes);
    const DWORD size = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + size;
    BITMAPINFOHEADER info{sizeof info, width, -height, 1, 24, BI_RGB, size, 0, 0, 0, 0};
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(static_cast<const char*>(section.dsBm.bmBits), size);
    return static_cast<bool>(out);
}
