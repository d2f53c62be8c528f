#include <windows.h>

#include "editor/VxGraphicsFormats.h"

bool ReplaceFileWith(const std::filesystem::path& source, const std::filesystem::path& target)
{
    // Fails on a read-only or locked target, which then keeps its contents.
    return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
