#include <cerrno>

#include "editor/VxGraphicsFormats.h"

namespace {

TVxSaveError SaveErrorOf(int code)
{
    switch (code) {
    case EBUSY:
    case ETXTBSY: return TVxSaveError::InUse;
    case ENOSPC:
    case EDQUOT: return TVxSaveError::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS: return TVxSaveError::AccessDenied;
    default: return TVxSaveError::Other;
    }
}

} // namespace

TVxSaveError ReplaceFileWith(const std::filesystem::path& source, const std::filesystem::path& target)
{
    std::error_code error;
    std::filesystem::rename(source, target, error);
    return error ? SaveErrorOf(error.value()) : TVxSaveError::None;
}

void ClearSystemSaveError() { errno = 0; }

TVxSaveError SystemSaveError() { return SaveErrorOf(errno); }
