#include "editor/VxGraphicsFormats.h"

bool ReplaceFileWith(const std::filesystem::path& source, const std::filesystem::path& target)
{
    std::error_code error;
    std::filesystem::rename(source, target, error);
    return !error;
}
