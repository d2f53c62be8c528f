#include "paste/BGRWithAlphaWin32.h"

#include <memory>

#include "imaging/VxGdiplus.h"

bool DecodeObjectPicture(const std::filesystem::path& file, TVxLTBitmap& picture)
{
    const std::unique_ptr<TGPBitmap> bitmap = TGPBitmap::FromFile(file.wstring());
    return bitmap && DecodeToBitmap(*bitmap, picture);
}
