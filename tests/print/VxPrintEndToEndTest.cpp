// The print dialog of the real program, printing into a page file (an A4 page at
// 100 dots per inch whose printer reaches to 4 mm left, 6 mm right, 5 mm top and bottom):
// no printer can be had under Wine here, and a page file lets the test look at where the
// picture landed.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/VxProgramDriver.h"
#include "app/VxTestProbe.h"
#include "print/VxGraphicsPrintForm.h"

namespace {

namespace fs = std::filesystem;
using TForm = TVxGraphicsPrintForm;

class TProgram : public vxtest::TProgramDriver {
public:
    TProgram() : vxtest::TProgramDriver(L"Vx", "Print", 3000) {}
    using vxtest::TProgramDriver::Windows;

    bool Command(const std::wstring& text) { return Send(prbCommand, text.c_str(), text.size() * sizeof(wchar_t)); }

    HWND WaitForWindow(const std::wstring& caption, const std::wstring& needle = L"", int timeoutMs = 15000) const
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        do {
            const auto found = Windows([&](HWND window, const std::wstring& name) {
                return IsWindowVisible(window) && name == L"#32770" && Text(window) == caption &&
                       (needle.empty() || Text(GetDlgItem(window, 0xFFFF)).find(needle) != std::wstring::npos);
            });
            if (!found.empty())
                return found.front();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } while (std::chrono::steady_clock::now() < end);
        return nullptr;
    }

    static std::wstring Text(HWND window)
    {
        wchar_t text[512] = {};
        GetWindowTextW(window, text, 512);
        return text;
    }
};

// A 600 x 400 picture at 60 dots per inch (10 x 6.667 in), dark everywhere so the printed
// page shows its bounds on white.
void WritePicture(const fs::path& path)
{
    const int width = 600;
    const int height = 400;
    const int stride = width * 3;
    std::vector<char> pixels(static_cast<std::size_t>(stride * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            char* p = &pixels[static_cast<std::size_t>(y * stride + x * 3)];
            p[0] = static_cast<char>(100 + x % 100);
            p[1] = static_cast<char>(40 + y % 60);
            p[2] = 30;
        }
    BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    const LONG perMetre = static_cast<LONG>(std::lround(60 / 0.0254));
    BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, static_cast<DWORD>(pixels.size()), perMetre, perMetre, 0, 0};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

struct TBounds {
    int Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;
};

// The bounds of everything not white on a top-down 24-bit page file.
bool PrintedBounds(const fs::path& path, TBounds& bounds, int& pageWidth, int& pageHeight)
{
    const std::string bytes = vxtest::ReadAll(path);
    if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))
        return false;
    BITMAPINFOHEADER info;
    std::memcpy(&info, bytes.data() + sizeof(BITMAPFILEHEADER), sizeof info);
    pageWidth = info.biWidth;
    pageHeight = -info.biHeight;
    const int stride = (pageWidth * 3 + 3) & ~3;
    const char* pixels = bytes.data() + sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + static_cast<std::size_t>(stride * pageHeight))
        return false;
    for (int y = 0; y < pageHeight; ++y)
        for (int x = 0; x < pageWidth; ++x) {
            const auto* p = reinterpret_cast<const unsigned char*>(pixels + y * stride + x * 3);
            if (p[0] == 255 && p[1] == 255 && p[2] == 255)
                continue;
            bounds.Left = std::min(bounds.Left, x);
            bounds.Top = std::min(bounds.Top, y);
            bounds.Right = std::max(bounds.Right, x + 1);
            bounds.Bottom = std::max(bounds.Bottom, y + 1);
        }
    return bounds.Right > 0;
}

std::wstring ItemText(HWND dialog, int id)
{
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, id, text, 64);
    return text;
}

double ItemNumber(HWND dialog, int id)
{
    std::wstring text = ItemText(dialog, id);
    for (wchar_t& c : text)
        if (c == L',')
            c = L'.';
    return std::wcstod(text.c_str(), nullptr);
}

// The unit list's choice in HiMetric per unit.
double HiMetricPerUnit(HWND dialog, int comboId)
{
    switch (SendDlgItemMessageW(dialog, comboId, CB_GETCURSEL, 0, 0)) {
    case 0: return 100.0;
    case 1: return 1000.0;
    case 2: return 2540.0;
    default: return 2540.0 / 72.0;
    }
}

void TypeInto(HWND dialog, int id, const std::wstring& keys)
{
    HWND edit = GetDlgItem(dialog, id);
    for (wchar_t key : keys)
        SendMessageW(edit, WM_CHAR, key, 0);
}

TEST(VxPrintEndToEndTest, DialogNumbersAreWhereThePageHasThePicture)
{
    TProgram program;
    const fs::path picture = program.Folder() / L"photo.bmp";
    const fs::path page = program.Folder() / L"page.bmp";
    WritePicture(picture);
    ASSERT_TRUE(program.Start(picture.wstring()));
    ASSERT_TRUE(program.Command(L"pagefile:" + page.wstring()));
    program.Command(L"run:PRINT");  // modal: the send returns when it times out
    const HWND dialog = program.WaitForWindow(L"Print");
    ASSERT_NE(dialog, nullptr) << "no print dialog";

    // 10 x 6.667 in at 100 %, centred on the paper.
    const double widthUnit = HiMetricPerUnit(dialog, TForm::idWidthUnitsComboBox);
    EXPECT_NEAR(ItemNumber(dialog, TForm::idWidthEdit) * widthUnit, 25400, 3);  // the edits show three decimals
    EXPECT_NEAR(ItemNumber(dialog, TForm::idHeightEdit) * HiMetricPerUnit(dialog, TForm::idHeightUnitsComboBox), 16933, 3);
    EXPECT_EQ(ItemText(dialog, TForm::idScaleEdit), L"100%");
    EXPECT_EQ(IsDlgButtonChecked(dialog, TForm::idCenterImageCheckBox), BST_CHECKED);

    // "-" in the middle of the left edit is refused once the left edit can be typed in.
    SendDlgItemMessageW(dialog, TForm::idCenterImageCheckBox, BM_CLICK, 0, 0);
    SetDlgItemTextW(dialog, TForm::idLeftEdit, L"12");
    SendDlgItemMessageW(dialog, TForm::idLeftEdit, EM_SETSEL, 1, 1);
    TypeInto(dialog, TForm::idLeftEdit, L"-");
    EXPECT_EQ(ItemText(dialog, TForm::idLeftEdit), L"12");
    SendDlgItemMessageW(dialog, TForm::idCenterImageCheckBox, BM_CLICK, 0, 0);

    // 50 % halves the picture and keeps it centred.
    SetDlgItemTextW(dialog, TForm::idScaleEdit, L"");
    TypeInto(dialog, TForm::idScaleEdit, L"50%");
    EXPECT_NEAR(ItemNumber(dialog, TForm::idWidthEdit) * widthUnit, 12700, 3);
    const double leftUnit = HiMetricPerUnit(dialog, TForm::idLeftUnitsComboBox);
    const double paperWidth = std::lround(827 * 2540.0 / 100);
    EXPECT_NEAR(ItemNumber(dialog, TForm::idLeftEdit) * leftUnit, (paperWidth - 12700) / 2, 3);

    // Back to 100 %: wider than the page, so Print asks; No fits it to the printable area.
    SetDlgItemTextW(dialog, TForm::idScaleEdit, L"");
    TypeInto(dialog, TForm::idScaleEdit, L"100%");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    const HWND question = program.WaitForWindow(L"Print", L"printable");
    ASSERT_NE(question, nullptr) << "no question about the picture outside the printable area";
    PostMessageW(question, WM_COMMAND, IDNO, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(IsWindow(dialog)) << "the dialog closed after No";
    const double fittedWidth = ItemNumber(dialog, TForm::idWidthEdit) * widthUnit;
    // Between equal 6 mm margins.
    EXPECT_NEAR(fittedWidth, paperWidth - 2 * 600, 30);

    // Now it fits: Print prints at once, into the page file.
    const double left = ItemNumber(dialog, TForm::idLeftEdit) * leftUnit;
    const double top = ItemNumber(dialog, TForm::idTopEdit) * HiMetricPerUnit(dialog, TForm::idTopUnitsComboBox);
    const double height = ItemNumber(dialog, TForm::idHeightEdit) * HiMetricPerUnit(dialog, TForm::idHeightUnitsComboBox);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (IsWindow(dialog) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_FALSE(IsWindow(dialog)) << "the dialog did not close after printing";

    TBounds bounds;
    int pageWidth = 0;
    int pageHeight = 0;
    ASSERT_TRUE(PrintedBounds(page, bounds, pageWidth, pageHeight)) << "nothing printed into the page file";
    EXPECT_EQ(pageWidth, 827 - 16 - 24);
    EXPECT_EQ(pageHeight, 1169 - 40);
    // The dialog's numbers in device pixels from the printable corner (4 mm, 5 mm).
    const auto device = [](double hiMetric, int offset) { return std::lround(hiMetric * 100 / 2540) - offset; };
    EXPECT_NEAR(bounds.Left, device(left, 16), 1);
    EXPECT_NEAR(bounds.Top, device(top, 20), 1);
    EXPECT_NEAR(bounds.Right, device(left + fittedWidth, 16), 1);
    EXPECT_NEAR(bounds.Bottom, device(top + height, 20), 1);
    // Equal margins left and right on the paper (6 mm = 24 pixels), within a pixel.
    EXPECT_NEAR(bounds.Left + 16, 827 - (bounds.Right + 16), 2);
    program.Stop();
}

}  // namespace

namespace {

// No printer exists under Wine here: the command offers the add-printer wizard instead.
TEST(VxPrintEndToEndTest, WithoutAPrinterTheWizardIsOffered)
{
    TProgram program;
    const fs::path picture = program.Folder() / L"photo.bmp";
    WritePicture(picture);
    ASSERT_TRUE(program.Start(picture.wstring()));
    program.Command(L"run:PRINT");
    const HWND question = program.WaitForWindow(L"Velloria", L"printer");
    ASSERT_NE(question, nullptr) << "no question about adding a printer";
    const std::wstring text = TProgram::Text(GetDlgItem(question, 0xFFFF));
    EXPECT_NE(text.find(L"No printer is installed."), std::wstring::npos);
    EXPECT_NE(text.find(L"Do you want to add a printer now?"), std::wstring::npos);
    PostMessageW(question, WM_COMMAND, IDNO, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(program.WaitForWindow(L"Print", L"", 500) == nullptr) << "a print dialog opened without a printer";
    EXPECT_EQ(program.Stop(), 0u);
}

}  // namespace
