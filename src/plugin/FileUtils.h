#pragma once
// Files of the plug-in's round trip: a temporary file that cannot outlive the filter
// call, and the exchange file written from and read back into the host's buffers.
#include <windows.h>

#include <cstdint>
#include <string>

#include "exchange/VxExchange.h"

// A new, empty file with a unique name in the user's temporary folder (prefix: its
// first three letters are kept), deleted when the object goes, whatever happened between.
class TTempFile {
public:
    explicit TTempFile(const wchar_t* prefix);
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    ~TTempFile();

    // Empty when the file could not be made.
    const std::wstring& Path() const { return FPath; }
    explicit operator bool() const { return !FPath.empty(); }

private:
    std::wstring FPath;
};

// Sizes the file to hold the host's rows and writes header and rows; false when the
// rectangle makes no file (size beyond 4 GB, empty) or the file cannot be mapped.
bool WriteExchangeFile(const std::wstring& path, const TExchangeHostImage& host, const std::uint8_t* input);

// Copies the result in the file into the host's output buffer, only when the whole
// file has been checked against the host's rectangle; otherwise the buffer is untouched.
// A file that cannot be mapped (gone, emptied) counts as no exchange file.
TExchangeReadBack ReadExchangeFile(const std::wstring& path, const TExchangeHostImage& host, std::uint8_t* output);
