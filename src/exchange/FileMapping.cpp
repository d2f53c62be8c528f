#include "exchange/FileMapping.h"

TFileMapping::TFileMapping(const std::wstring& fileName)
{
    FFile = CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    CreateMapping();
}

TFileMapping::~TFileMapping()
{
    CloseMapping();
    if (FFile != INVALID_HANDLE_VALUE)
        CloseHandle(FFile);
}

void TFileMapping::CreateMapping()
{
    // An empty file has nothing to map; the view request then fails cleanly.
    if (FFile != INVALID_HANDLE_VALUE)
        FMapping = CreateFileMappingW(FFile, nullptr, PAGE_READWRITE, 0, 0, nullptr);
}

void TFileMapping::CloseMapping()
{
    if (FMapping)
        CloseHandle(FMapping);
    FMapping = nullptr;
}

std::uint32_t TFileMapping::Size() const
{
    return FFile == INVALID_HANDLE_VALUE ? 0 : GetFileSize(FFile, nullptr);
}

void* TFileMapping::MapView(std::uint32_t offset, std::uint32_t byteCount, DWORD access)
{
    return FMapping ? MapViewOfFile(FMapping, access, 0, offset, byteCount) : nullptr;
}

void TFileMapping::UnmapView(void* address)
{
    if (address)
        UnmapViewOfFile(address);
}

bool TFileMapping::SetSize(std::uint32_t byteCount)
{
    CloseMapping();
    bool done = false;
    if (FFile != INVALID_HANDLE_VALUE) {
        LARGE_INTEGER to{};
        to.QuadPart = byteCount;
        done = SetFilePointerEx(FFile, to, nullptr, FILE_BEGIN) && SetEndOfFile(FFile);
    }
    // A failure is the caller's to report (the editor names the file and the reason); the
    // platform's error code is kept for it.
    const DWORD error = done ? ERROR_SUCCESS : GetLastError();
    CreateMapping();
    if (!done)
        SetLastError(error);
    return done;
}
