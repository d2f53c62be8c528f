#pragma once
// A file opened for reading and writing with one read/write mapping over all of it. Both
// deliverables carry this class; views it hands out belong to the caller, who unmaps
// each before the object goes.
//
//   TFileMapping mapping(path);
//   mapping.SetSize(36 + rows);
//   void* view = mapping.MapView(0, 0, FILE_MAP_WRITE);   // null on any failure
#include <windows.h>

#include <cstdint>
#include <string>

class TFileMapping {
public:
    explicit TFileMapping(const std::wstring& fileName);
    TFileMapping(const TFileMapping&) = delete;
    TFileMapping& operator=(const TFileMapping&) = delete;
    ~TFileMapping();

    std::uint32_t Size() const;
    // byteCount 0 maps from offset to the end of the file.
    void* MapView(std::uint32_t offset, std::uint32_t byteCount, DWORD access);
    void UnmapView(void* address);
    // Extends or truncates the file and maps it anew; false when the end of file could
    // not be set (the mapping is then re-created over the file as it is).
    bool SetSize(std::uint32_t byteCount);

private:
    void CreateMapping();
    void CloseMapping();

    HANDLE FFile = INVALID_HANDLE_VALUE;
    HANDLE FMapping = nullptr;
};
