#pragma once
// The pictures of the folder of the last opened file, for previous and next.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The extension, upper-cased and with its dot, must be at least three characters long and
// occur anywhere in the list text, so ".JP" and ".TIF" both count.
bool IsFolderImageExtension(const std::wstring& extension);

struct TVxFolderImages {
    std::vector<std::filesystem::path> Paths;
    std::int32_t Index = -1;
};

// Lists the folder of fileName in the file system's order; Index is fileName's place
// (compared without case) or -1. A name without a folder part gives nothing.
bool ListFolderImages(const std::filesystem::path& fileName, TVxFolderImages& images);
