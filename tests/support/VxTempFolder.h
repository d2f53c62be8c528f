#pragma once
// A folder of its own under the system's temporary folder, removed with everything in it
// (read-only files included) when the object goes.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class TTempFolder {
public:
    // prefix starts the folder's name, so that a folder left behind by a crashed run says
    // which tests made it.
    explicit TTempFolder(const std::string& prefix = "vx-test");
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    // Writes a file into the folder (name relative to it, or a full path) and returns its path.
    std::filesystem::path File(const std::filesystem::path& name, const std::string& contents = "x") const;
    std::filesystem::path Write(const std::filesystem::path& name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::filesystem::path FPath;
};
