#include "help/VxInetUpdater.h"

#include <winhttp.h>

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/VxHandles.h"
#include "i18n/VxCodePage.h"

namespace {

// WinHTTP is not on every bare Windows, so the program does not import it: the update
// check loads it from the system folder when it runs, and fails like a network error
// where it is missing.
struct TWinHttp {
    decltype(&::WinHttpCloseHandle) CloseHandle = nullptr;
    decltype(&::WinHttpCrackUrl) CrackUrl = nullptr;
    decltype(&::WinHttpQueryHeaders) QueryHeaders = nullptr;
    decltype(&::WinHttpReadData) ReadData = nullptr;
    decltype(&::WinHttpOpen) Open = nullptr;
    decltype(&::WinHttpSetTimeouts) SetTimeouts = nullptr;
    decltype(&::WinHttpConnect) Connect = nullptr;
    decltype(&::WinHttpOpenRequest) OpenRequest = nullptr;
    decltype(&::WinHttpSendRequest) SendRequest = nullptr;
    decltype(&::WinHttpReceiveResponse) ReceiveResponse = nullptr;
    bool Loaded = false;
};

template <typename TFunction>
bool Bind(HMODULE module, const char* name, TFunction& function)
{
    function = reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

const TWinHttp& WinHttp()
{
    static const TWinHttp api = [] {
        TWinHttp loaded;
        HMODULE module = LoadLibraryExW(L"winhttp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module)
            return loaded;
        loaded.Loaded = Bind(module, "WinHttpCloseHandle", loaded.CloseHandle) && Bind(module, "WinHttpCrackUrl", loaded.CrackUrl) &&
                        Bind(module, "WinHttpQueryHeaders", loaded.QueryHeaders) && Bind(module, "WinHttpReadData", loaded.ReadData) &&
                        Bind(module, "WinHttpOpen", loaded.Open) && Bind(module, "WinHttpSetTimeouts", loaded.SetTimeouts) &&
                        Bind(module, "WinHttpConnect", loaded.Connect) && Bind(module, "WinHttpOpenRequest", loaded.OpenRequest) &&
                        Bind(module, "WinHttpSendRequest", loaded.SendRequest) &&
                        Bind(module, "WinHttpReceiveResponse", loaded.ReceiveResponse);
        return loaded;
    }();
    return api;
}

BOOL WINAPI CloseInternetHandle(HINTERNET handle) { return WinHttp().CloseHandle(handle); }

using TInternetHandle = TVxUniqueHandle<TVxHandleTraits<HINTERNET, &CloseInternetHandle>>;

// A "~" file in the temporary folder that is deleted whatever happens to the check.
class TTemporaryFile {
public:
    TTemporaryFile()
    {
        wchar_t folder[MAX_PATH + 1] = {};
        wchar_t name[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
        if (length > 0 && length <= MAX_PATH && GetTempFileNameW(folder, L"~", 0, name) != 0)
            FPath = name;
    }
    ~TTemporaryFile()
    {
        if (!FPath.empty())
            DeleteFileW(FPath.c_str());
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
};

struct TUrlParts {
    std::wstring Host;
    std::wstring PathAndQuery;
    INTERNET_PORT Port = 0;
    bool Secure = false;
};

bool CrackAddress(const std::wstring& address, TUrlParts& parts)
{
    URL_COMPONENTS components{};
    components.dwStructSize = sizeof components;
    components.dwHostNameLength = static_cast<DWORD>(-1);
    components.dwUrlPathLength = static_cast<DWORD>(-1);
    components.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttp().CrackUrl(address.c_str(), static_cast<DWORD>(address.size()), 0, &components))
        return false;
    if (components.nScheme != INTERNET_SCHEME_HTTP && components.nScheme != INTERNET_SCHEME_HTTPS)
        return false;
    parts.Host.assign(components.lpszHostName, components.dwHostNameLength);
    parts.PathAndQuery.assign(components.lpszUrlPath, components.dwUrlPathLength);
    parts.PathAndQuery.append(components.lpszExtraInfo, components.dwExtraInfoLength);
    if (parts.PathAndQuery.empty())
        parts.PathAndQuery = L"/";
    parts.Port = components.nPort;
    parts.Secure = components.nScheme == INTERNET_SCHEME_HTTPS;
    return !parts.Host.empty();
}

bool TimedOut(ULONGLONG start, const TVxUpdateLimits& limits)
{
    return GetTickCount64() - start > limits.TotalTimeoutMs;
}

TVxDownloadResult Failure(ULONGLONG start, const TVxUpdateLimits& limits)
{
    return GetLastError() == ERROR_WINHTTP_TIMEOUT || TimedOut(start, limits) ? TVxDownloadResult::drTimedOut
                                                                              : TVxDownloadResult::drFailed;
}

bool StatusIsOk(HINTERNET request)
{
    DWORD status = 0;
    DWORD size = sizeof status;
    return WinHttp().QueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                               &status, &size, WINHTTP_NO_HEADER_INDEX) &&
           status == 200;
}

TVxDownloadResult ReadBody(HINTERNET request, std::string& body, ULONGLONG start, const TVxUpdateLimits& limits)
{
    std::vector<char> buffer(4096);
    std::size_t total = 0;
    for (;;) {
        if (TimedOut(start, limits))
            return TVxDownloadResult::drTimedOut;
        DWORD read = 0;
        if (!WinHttp().ReadData(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read))
            return Failure(start, limits);
        if (read == 0)
            return TVxDownloadResult::drOk;
        total += read;
        if (total > limits.MaxBytes)
            return TVxDownloadResult::drTooLarge;
        body.append(buffer.data(), read);
    }
}

std::string ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(maxBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(maxBytes));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::wstring QueryAddress(const std::wstring& address)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    return Utf8ToWide(UpdateQueryAddress(WideToUtf8(address), local));
}

// The blocking download. Wine's WinHTTP does not apply the receive timeout while it waits
// for the answer's headers, so this runs on a thread of its own that the caller gives up on.
TVxDownloadResult DownloadToMemory(const std::wstring& address, const TVxUpdateLimits& limits, std::string& body)
{
    const ULONGLONG start = GetTickCount64();
    TUrlParts parts;
    if (!WinHttp().Loaded || !CrackAddress(address, parts))
        return TVxDownloadResult::drFailed;
    TInternetHandle session(WinHttp().Open(L"Velloria", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session)
        return TVxDownloadResult::drFailed;
    const int step = static_cast<int>(limits.StepTimeoutMs);
    WinHttp().SetTimeouts(session.Get(), step, step, step, step);
    TInternetHandle connection(WinHttp().Connect(session.Get(), parts.Host.c_str(), parts.Port, 0));
    if (!connection)
        return Failure(start, limits);
    TInternetHandle request(WinHttp().OpenRequest(connection.Get(), L"GET", parts.PathAndQuery.c_str(), nullptr, WINHTTP_NO_REFERER,
                                               WINHTTP_DEFAULT_ACCEPT_TYPES, parts.Secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request)
        return Failure(start, limits);
    WinHttp().SetTimeouts(request.Get(), step, step, step, step);
    if (!WinHttp().SendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttp().ReceiveResponse(request.Get(), nullptr))
        return Failure(start, limits);
    if (!StatusIsOk(request.Get()))
        return TVxDownloadResult::drFailed;
    return ReadBody(request.Get(), body, start, limits);
}

struct TDownload {
    std::mutex Lock;
    std::condition_variable Finished;
    bool Done = false;
    TVxDownloadResult Result = TVxDownloadResult::drFailed;
    std::string Body;
};

bool WriteWholeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

TVxDownloadResult DownloadToFile(const std::wstring& address, const std::filesystem::path& file, const TVxUpdateLimits& limits)
{
    // The thread and the caller share the state; whichever ends last frees it.
    auto download = std::make_shared<TDownload>();
    try {
        std::thread([download, address, limits] {
            std::string body;
            const TVxDownloadResult result = DownloadToMemory(address, limits, body);
            std::lock_guard<std::mutex> lock(download->Lock);
            download->Result = result;
            download->Body = std::move(body);
            download->Done = true;
            download->Finished.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return TVxDownloadResult::drFailed;
    }
    std::unique_lock<std::mutex> lock(download->Lock);
    // A little beyond the whole limit, so the thread's own timeout wins when it can.
    const auto deadline = std::chrono::milliseconds(limits.TotalTimeoutMs + limits.StepTimeoutMs);
    if (!download->Finished.wait_for(lock, deadline, [&] { return download->Done; }))
        return TVxDownloadResult::drTimedOut;
    if (download->Result != TVxDownloadResult::drOk)
        return download->Result;
    return WriteWholeFile(file, download->Body) ? TVxDownloadResult::drOk : TVxDownloadResult::drFailed;
}

TVxInetUpdater::TVxInetUpdater(const TVxUpdateProduct& product, const std::wstring& address, const TVxUpdateLimits& limits)
{
    const TTemporaryFile file;
    if (file.Path().empty())
        return;
    FResult = DownloadToFile(QueryAddress(address), file.Path(), limits);
    if (FResult == TVxDownloadResult::drOk)
        FVersion = FindOfferedVersion(ReadWholeFile(file.Path(), limits.MaxBytes), UpdateSectionNames(product));
}
