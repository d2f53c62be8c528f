#include "separation/CollectionFolder.h"

#include <cstdlib>
#include <system_error>

namespace {

std::filesystem::path DataHome()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return xdg;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local" / "share";
    return std::filesystem::temp_directory_path();
}

std::filesystem::path ProgramBaseName()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || self.stem().empty())
        return "Velloria";
    return self.stem();
}

} // namespace

std::filesystem::path CollectionFolder()
{
    return DataHome() / ProgramBaseName() / "";
}
