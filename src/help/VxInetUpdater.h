#pragma once
// One query of the maker's update file. The constructor downloads and reads it, so it
// runs on a worker thread (TVxHelp does that); nothing in it touches a window.
//
//   TVxInetUpdater updater(product, L"http://example.com/update.ini", TVxUpdateLimits{});
//   if (IsNewerVersion(product.Version, updater.Version())) ...
#include <windows.h>

#include <filesystem>
#include <string>

#include "help/VxUpdateFile.h"

struct TVxUpdateLimits {
    // Each network step (name lookup, connection, sending, every read) and the whole
    // download: a server that never answers or drips bytes cannot hold the check longer.
    DWORD StepTimeoutMs = 10000;
    DWORD TotalTimeoutMs = 20000;
    std::size_t MaxBytes = VxMaxUpdateFileSize;
};

enum class TVxDownloadResult { drOk, drFailed, drTooLarge, drTimedOut };

class TVxInetUpdater {
public:
    TVxInetUpdater(const TVxUpdateProduct& product, const std::wstring& address, const TVxUpdateLimits& limits);

    // The newest version the file offers for this product, empty when none was found.
    const std::string& Version() const { return FVersion; }
    TVxDownloadResult Result() const { return FResult; }

private:
    std::string FVersion;
    TVxDownloadResult FResult = TVxDownloadResult::drFailed;
};

// Downloads address into file; an answer other than 200, more than limits.MaxBytes of
// body or a timeout fails and leaves the file as it was. Returns at the latest after
// the whole limit and one step.
TVxDownloadResult DownloadToFile(const std::wstring& address, const std::filesystem::path& file, const TVxUpdateLimits& limits);
