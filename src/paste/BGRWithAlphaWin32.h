#pragma once
// The colour pictures of matte objects decoded by GDI+.
//
//   SetObjectPictureDecoder(DecodeObjectPicture);   // once, at start-up
#include <filesystem>

#include "imaging/VxLTBitmap.h"

// False when GDI+ cannot open or convert the file (the object then keeps black colours).
bool DecodeObjectPicture(const std::filesystem::path& file, TVxLTBitmap& picture);
