#pragma once
// The format registry an editor opens and saves its documents through, and what the
// open dialog's preview asks of it.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "imaging/VxGeometry.h"

class TVxDocument;
using TVxDeviceContext = void*;

struct TVxFileFormatInfo {
    std::int32_t Identifier = 0;
    std::wstring Description;
    std::wstring Mask;      // several masks separated by ";"
    std::wstring Extension; // with its dot
};
using TVxFileFormatArray = std::vector<TVxFileFormatInfo>;

// The dialogs' filter text: description + " (" + mask + ")|" + mask, joined with "|".
std::wstring FormatFilterText(const TVxFileFormatArray& formats);

class TVxFileInfo {
public:
    explicit TVxFileInfo(std::filesystem::path fileName) : FFileName(std::move(fileName)) {}
    virtual ~TVxFileInfo() = default;
    const std::filesystem::path& FileName() const { return FFileName; }
    virtual std::wstring Description() const { return {}; }

private:
    std::filesystem::path FFileName;
};

class TVxThumbnail {
public:
    virtual ~TVxThumbnail() = default;
    virtual bool Draw(TVxDeviceContext dc, const TRect& destRect, TRect& drawnRect) = 0;
};

class TVxFileFormats {
public:
    virtual ~TVxFileFormats() = default;
    virtual std::int32_t Count() const = 0;
    // Null outside 0 ... Count() - 1.
    virtual const TVxFileFormatInfo* Item(std::int32_t index) const = 0;
    virtual bool GetFileInfo(const std::filesystem::path&, std::unique_ptr<TVxFileInfo>&) { return false; }
    virtual bool GetThumbnail(const std::filesystem::path&, std::int32_t, std::unique_ptr<TVxThumbnail>&, std::int32_t)
    {
        return false;
    }
    virtual void SaveList(TVxFileFormatArray& formats) const;
    virtual void OpenList(TVxFileFormatArray& formats) const;

    // Position of the entry with that identifier, or -1.
    std::int32_t IndexOf(std::int32_t identifier) const;
};

// Why the last save wrote nothing; Cancelled is the user's choice and is not reported.
enum class TVxSaveError { None, Cancelled, ReadOnly, InUse, DiskFull, AccessDenied, Other };

class TVxDocumentFormats : public TVxFileFormats {
public:
    virtual bool Load(TVxDocument& document, const std::filesystem::path& fileName, std::int32_t& formatIndex) = 0;
    virtual bool Save(TVxDocument& document, const std::filesystem::path& fileName, std::int32_t formatIndex) = 0;
    virtual bool CanWrite(std::int32_t formatIndex) const = 0;
    // The reason of the last failed Save.
    virtual TVxSaveError LastSaveError() const { return TVxSaveError::Other; }
};
