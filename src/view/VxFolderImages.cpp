#include "view/VxFolderImages.h"

#include <algorithm>
#include <cwctype>
#include <system_error>

namespace {

constexpr std::wstring_view FolderImageExtensions = L".VXI;.JPG;.JPEG;.TIF;.TIFF;.PNG;.BMP;.RLE;.DIB";

std::wstring UpperCase(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return text;
}

} // namespace

bool IsFolderImageExtension(const std::wstring& extension)
{
    const std::wstring upper = UpperCase(extension);
    return upper.size() >= 3 && FolderImageExtensions.find(upper) != std::wstring_view::npos;
}

bool ListFolderImages(const std::filesystem::path& fileName, TVxFolderImages& images)
{
    if (!fileName.has_parent_path())
        return false;
    images.Paths.clear();
    images.Index = -1;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(fileName.parent_path(), error), end; !error && entry != end;
         entry.increment(error)) {
        if (IsFolderImageExtension(entry->path().extension().wstring()))
            images.Paths.push_back(entry->path());
    }
    // Every entry lies in the same folder, so the names alone decide; that also spares the
    // comparison the two spellings of a separator on Windows.
    const std::wstring wanted = UpperCase(fileName.filename().wstring());
    for (std::size_t i = 0; i < images.Paths.size(); ++i) {
        if (UpperCase(images.Paths[i].filename().wstring()) == wanted) {
            images.Index = static_cast<std::int32_t>(i);
            break;
        }
    }
    return true;
}
