#pragma once
// The program's printer: the user's default printer with the settings the printer
// dialog chose, its page in device pixels (TVxPageGeometry, which the HiMetric mapping
// of the print dialog is made from) and one-page jobs.
//
//   if (Printer().HasPrinters()) { TVxPageGeometry page = Printer().Geometry(); ... }
//   Printer().PrintPage(L"photo.jpg", deviceRect, draw);
//
// Tests and screenshots replace the printer by a page file: a BMP of the printable area
// at the page's resolution, written when the job ends.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/VxHandles.h"
#include "print/VxPrintLayout.h"

class TVxPrinter {
public:
    using TDrawPage = std::function<bool(HDC dc, const RECT& deviceRect)>;

    // At least one printer is installed (or a page file stands in for one).
    bool HasPrinters() const;
    // The current printer's page; nothing when it cannot be reached.
    std::optional<TVxPageGeometry> Geometry();
    // The platform's printer-setup dialog; true on OK.
    bool SetupDialog(HWND owner);
    // One job of one page titled title: draw paints into deviceRect of the printer's context.
    bool PrintPage(const std::wstring& title, const RECT& deviceRect, const TDrawPage& draw);

    // Every job from now on goes into file, on a page of the given geometry.
    void UsePageFile(const std::filesystem::path& file, const TVxPageGeometry& page);

private:
    TVxMemoryDCHandle CreatePrinterDC();
    bool PrintToPageFile(const RECT& deviceRect, const TDrawPage& draw) const;

    TVxGlobalHandle FDevMode;
    TVxGlobalHandle FDevNames;
    std::filesystem::path FPageFile;
    TVxPageGeometry FPageFileGeometry;
};

TVxPrinter& Printer();

// Writes a top-down 24-bit DIB section as a BMP file.
bool SaveBitmapFile(HBITMAP bitmap, const std::filesystem::path& file);
