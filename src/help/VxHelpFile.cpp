#include "help/VxHelpFile.h"

#include <cwctype>

namespace {

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    return true;
}

}  // namespace

bool IsHtmlHelpFile(const std::filesystem::path& path)
{
    return SameTextIgnoringCase(path.extension().wstring(), L".chm");
}

TVxHelpFileChoice FindHelpFile(const std::filesystem::path& setting, const std::filesystem::path& exeName,
                               const std::wstring& languageName, const std::function<bool(const std::filesystem::path&)>& exists)
{
    if (!setting.empty())
        return {setting, IsHtmlHelpFile(setting)};
    std::filesystem::path candidates[3];
    int count = 0;
    if (!languageName.empty())
        candidates[count++] = std::filesystem::path(exeName).replace_extension(L"." + languageName + L".chm");
    candidates[count++] = std::filesystem::path(exeName).replace_extension(L".chm");
    candidates[count++] = std::filesystem::path(exeName).replace_extension(L".hlp");
    for (int i = 0; i < count; ++i)
        if (exists(candidates[i]))
            return {candidates[i], IsHtmlHelpFile(candidates[i])};
    return {};
}

std::wstring ExpandSystemRoot(const std::wstring& path, const std::wstring& windowsFolder)
{
    const std::wstring name = L"%SystemRoot%";
    if (path.size() < name.size() || !SameTextIgnoringCase(path.substr(0, name.size()), name))
        return path;
    return windowsFolder + path.substr(name.size());
}
