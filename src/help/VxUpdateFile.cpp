#include "help/VxUpdateFile.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

#include "help/VxVersion.h"
#include "i18n/VxLanguageFile.h"

std::vector<std::string> UpdateSectionNames(const TVxUpdateProduct& product)
{
    const std::string& name = product.Product;
    return {name + "-" + product.Language + "-" + product.Edition, name + "-" + product.Edition,
            name + "-" + product.Language, name};
}

std::string FindOfferedVersion(std::string_view fileBytes, const std::vector<std::string>& sectionNames)
{
    fileBytes = fileBytes.substr(0, std::min(fileBytes.size(), VxMaxUpdateFileSize));
    // Versions are ASCII, so no code page matters; only a byte-order mark would hide the
    // first section's name.
    if (fileBytes.starts_with("\xEF\xBB\xBF"))
        fileBytes.remove_prefix(3);
    std::vector<std::string> lines = SplitLines(std::string(fileBytes));
    const TVxLanguageFile file = TVxLanguageFile::FromLines(std::move(lines));
    for (const std::string& section : sectionNames) {
        std::optional<std::string> version = file.ReadValue(section, "Version");
        if (version && !version->empty())
            return *version;
    }
    return {};
}

namespace {

bool PlausibleVersion(std::string_view text)
{
    constexpr std::size_t MaxLength = 32;
    return !text.empty() && text.size() <= MaxLength &&
           std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

}  // namespace

bool IsNewerVersion(std::string_view running, std::string_view offered)
{
    return PlausibleVersion(offered) && CompareVersions(running, offered) < 0;
}

std::string UpdateQueryAddress(std::string_view address, const std::tm& localTime)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d%02d%04d%02d%02d%02d", localTime.tm_mday, localTime.tm_mon + 1,
                  localTime.tm_year + 1900, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    std::string result(address);
    result += address.find('?') == std::string_view::npos ? '?' : '&';
    result += stamp;
    return result;
}
