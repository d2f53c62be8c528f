#include "support/VxTempFolder.h"

#include <atomic>
#include <fstream>
#include <random>

TTempFolder::TTempFolder(const std::string& prefix)
{
    // Test programs run side by side: a random part keeps their folders apart, the
    // counter the folders of one program.
    static std::atomic<int> counter{0};
    const unsigned salt = std::random_device{}();
    FPath = std::filesystem::temp_directory_path() /
            (prefix + "-" + std::to_string(salt) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(FPath);
    std::filesystem::create_directories(FPath);
}

TTempFolder::~TTempFolder()
{
    // Tests make files read-only on purpose; Windows refuses to delete those.
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(FPath, error))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(FPath, error);
}

std::filesystem::path TTempFolder::File(const std::filesystem::path& name, const std::string& contents) const
{
    const std::filesystem::path path = FPath / name;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

std::filesystem::path TTempFolder::Write(const std::filesystem::path& name, const std::vector<std::uint8_t>& bytes) const
{
    const std::filesystem::path path = FPath / name;
    std::ofstream stream(path, std::ios::binary);
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}
