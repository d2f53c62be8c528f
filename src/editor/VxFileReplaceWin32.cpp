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

// Replacing a file another program holds open is refused as "access denied"; asking for
// the right to delete it tells that case (a sharing violation) from a real lack of rights.
bool HeldOpenElsewhere(const std::filesystem::path& target)
{
    const HANDLE probe = CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

} // namespace

TVxSaveError ReplaceFileWith(const std::filesystem::path& source, const std::filesystem::path& target)
{
    // Fails on a read-only or locked target, which then keeps its contents.
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return TVxSaveError::None;
    const TVxSaveError error = SaveErrorOf(GetLastError());
    if (error == TVxSaveError::AccessDenied && HeldOpenElsewhere(target))
        return TVxSaveError::InUse;
    return error;
}

void ClearSystemSaveError() { SetLastError(ERROR_SUCCESS); }

TVxSaveError SystemSaveError() { return SaveErrorOf(GetLastError()); }
