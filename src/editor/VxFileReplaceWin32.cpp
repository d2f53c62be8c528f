#include <windows.h>

#include "editor/VxGraphicsFormats.h"

namespace {

TVxSaveError SaveErrorOf(DWORD code)
{
    switch (code) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return TVxSaveError::InUse;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return TVxSaveError::DiskFull;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return TVxSaveError::AccessDenied;
    default: return TVxSaveError::Other;
    }
}

} // namespace

TVxSaveError ReplaceFileWith(const std::filesystem::path& source, const std::filesystem::path& target)
{
    // Fails on a read-only or locked target, which then keeps its contents.
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return TVxSaveError::None;
    return SaveErrorOf(GetLastError());
}

void ClearSystemSaveError() { SetLastError(ERROR_SUCCESS); }

TVxSaveError SystemSaveError() { return SaveErrorOf(GetLastError()); }
