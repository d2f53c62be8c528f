#include "plugin/RegUtils.h"

#include <algorithm>
#include <cstring>

namespace {

// Closes the key on every path out.
class TRegistryKey {
public:
    TRegistryKey(HKEY root, const wchar_t* name)
    {
        if (RegOpenKeyExW(root, name, 0, KEY_QUERY_VALUE, &FKey) != ERROR_SUCCESS)
            FKey = nullptr;
    }
    TRegistryKey(const TRegistryKey&) = delete;
    TRegistryKey& operator=(const TRegistryKey&) = delete;
    ~TRegistryKey()
    {
        if (FKey)
            RegCloseKey(FKey);
    }
    HKEY Get() const { return FKey; }

private:
    HKEY FKey = nullptr;
};

std::wstring Expanded(const std::wstring& text)
{
    const DWORD length = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (length == 0)
        return text;
    std::wstring result(length, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), result.data(), length);
    if (written == 0 || written > length)
        return text;
    result.resize(written - 1);
    return result;
}

} // namespace

std::wstring RegistryValueText(DWORD type, const std::vector<BYTE>& data)
{
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return {};
    // A value written without its terminator (or with an odd byte count) is still text:
    // take the whole characters there are, and stop at the first zero.
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    if (!text.empty())
        std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    if (const std::size_t zero = text.find(L'\0'); zero != std::wstring::npos)
        text.resize(zero);
    return type == REG_EXPAND_SZ ? Expanded(text) : text;
}

std::wstring ReadRegistryString(HKEY root, const wchar_t* keyName, const wchar_t* valueName)
{
    TRegistryKey key(root, keyName);
    if (!key.Get())
        return {};
    // The value may grow between the size query and the read; ask again then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key.Get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return {};
        std::vector<BYTE> data(size);
        const LONG status = RegQueryValueExW(key.Get(), valueName, nullptr, &type, data.empty() ? nullptr : data.data(), &size);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return {};
        data.resize(std::min<std::size_t>(data.size(), size));
        return RegistryValueText(type, data);
    }
    return {};
}
