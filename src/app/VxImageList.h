#pragma once
// The shared image lists of menus and toolbars.
#include <windows.h>
#include <commctrl.h>

#include "app/VxHandles.h"

// 24 x 24 images with a grey twin for disabled items.
class TVxImageList {
public:
    explicit TVxImageList(int size = 24);
    HIMAGELIST Handle() const { return FImages.Get(); }
    HIMAGELIST DisabledHandle() const { return FDisabled.Get(); }
    int Count() const { return ImageList_GetImageCount(FImages.Get()); }
    // Appends a strip of 32-bit images with alpha; the disabled twins are made from it.
    bool AddStrip(const wchar_t* resourceName);
    // Appends a bitmap resource whose top-left pixel is the transparent colour, and
    // resourceName + "Disabled" to the disabled list; -1 when the resource is missing.
    int AddImage(const wchar_t* resourceName);

private:
    int FSize;
    TVxImageListHandle FImages;
    TVxImageListHandle FDisabled;
};
