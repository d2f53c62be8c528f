#include "app/VxImageList.h"

#include <cstdint>
#include <string>

namespace {

// A grey, lighter copy of a 32-bit image with alpha, for disabled buttons.
void MakeDisabled(std::uint8_t* pixels, int count)
{
    for (int i = 0; i < count; ++i, pixels += 4) {
        const int grey = (pixels[0] * 29 + pixels[1] * 150 + pixels[2] * 77) >> 8;
        const int light = 128 + grey / 2;
        // Image lists take straight (not premultiplied) alpha; half of it fades the picture.
        pixels[0] = pixels[1] = pixels[2] = static_cast<std::uint8_t>(light);
        pixels[3] = static_cast<std::uint8_t>(pixels[3] / 2);
    }
}

TVxBitmapHandle LoadDib(const wchar_t* resourceName)
{
    return TVxBitmapHandle(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), resourceName, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

}  // namespace

TVxImageList::TVxImageList(int size)
    : FSize(size),
      FImages(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 0, 16)),
      FDisabled(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 0, 16))
{
}

bool TVxImageList::AddStrip(const wchar_t* resourceName)
{
    TVxBitmapHandle strip = LoadDib(resourceName);
    if (!strip)
        return false;
    DIBSECTION section{};
    if (GetObjectW(strip.Get(), sizeof section, &section) != sizeof section || section.dsBm.bmBitsPixel != 32)
        return false;
    ImageList_Add(FImages.Get(), strip.Get(), nullptr);
    const int pixelCount = section.dsBm.bmWidth * std::abs(section.dsBm.bmHeight);
    MakeDisabled(static_cast<std::uint8_t*>(section.dsBm.bmBits), pixelCount);
    ImageList_Add(FDisabled.Get(), strip.Get(), nullptr);
    return true;
}

int TVxImageList::AddImage(const wchar_t* resourceName)
{
    TVxBitmapHandle bitmap(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), resourceName, IMAGE_BITMAP, 0, 0, 0)));
    if (!bitmap)
        return -1;
    auto addMasked = [](HIMAGELIST list, HBITMAP image) {
        HDC dc = CreateCompatibleDC(nullptr);
        COLORREF key;
        {
            TVxSelectObject select(dc, image);
            key = GetPixel(dc, 0, 0);
        }
        DeleteDC(dc);
        return ImageList_AddMasked(list, image, key);
    };
    const int index = addMasked(FImages.Get(), bitmap.Get());
    if (index < 0)
        return -1;
    TVxBitmapHandle disabled(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), (std::wstring(resourceName) + L"Disabled").c_str(), IMAGE_BITMAP, 0, 0, 0)));
    // Keep both lists the same length so an index means the same picture in each.
    addMasked(FDisabled.Get(), disabled ? disabled.Get() : bitmap.Get());
    return index;
}
