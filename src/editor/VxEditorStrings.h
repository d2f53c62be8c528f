#pragma once
// The user-visible texts of the editor, the formats and the JPEG options dialog, each
// as its localizer number with the fallback shown when no language file has it.
#include <cstdint>
#include <string>

#include "i18n/VxLocalizer.h"

struct TVxStringRef {
    std::int32_t Id;
    const wchar_t* Fallback;
};

inline std::wstring LoadVxString(const TVxStringRef& ref) { return Localizer().GetString(ref.Id, ref.Fallback); }

// Replaces the first "%s" of the localized text with argument.
std::wstring FormatVxString(const TVxStringRef& ref, const std::wstring& argument);

namespace VxStrings {
inline constexpr TVxStringRef Ok{1, L"OK"};
inline constexpr TVxStringRef Cancel{2, L"Cancel"};
inline constexpr TVxStringRef Open{12, L"Open"};
inline constexpr TVxStringRef Close{13, L"Close"};
inline constexpr TVxStringRef Save{15, L"Save"};
inline constexpr TVxStringRef SaveAs{16, L"Save As"};
inline constexpr TVxStringRef Edit{24, L"Edit"};
inline constexpr TVxStringRef Undo{25, L"Undo"};
inline constexpr TVxStringRef Redo{26, L"Redo"};
inline constexpr TVxStringRef Untitled{74, L"Untitled"};
inline constexpr TVxStringRef SaveChanges{94, L"Save changes to %s?"};
inline constexpr TVxStringRef AllSupported{146, L"All supported files"};
inline constexpr TVxStringRef AllFiles{147, L"All files"};
inline constexpr TVxStringRef StandardToolbar{162, L"Standard"};
inline constexpr TVxStringRef Overwrite{164, L"%s already exists. Replace it?"};
inline constexpr TVxStringRef UndoAll{168, L"Undo All"};
inline constexpr TVxStringRef RedoAll{169, L"Redo All"};
inline constexpr TVxStringRef JPEGOptions{205, L"JPEG Options"};
inline constexpr TVxStringRef Display{206, L"Display"};
inline constexpr TVxStringRef Quality{207, L"Quality"};
inline constexpr TVxStringRef QualityLow{208, L"Low"};
inline constexpr TVxStringRef QualityMedium{209, L"Medium"};
inline constexpr TVxStringRef QualityHigh{210, L"High"};
inline constexpr TVxStringRef QualityVeryHigh{211, L"Very High"};
inline constexpr TVxStringRef QualityMaximum{212, L"Maximum"};
inline constexpr TVxStringRef SmallFile{213, L"Small File"};
inline constexpr TVxStringRef LargeFile{214, L"Large File"};
inline constexpr TVxStringRef FileType{215, L"Type"};
inline constexpr TVxStringRef BadQuality{216, L"Enter a quality from 0 to 100."};
inline constexpr TVxStringRef PluginDocument{500, L"the picture"};
inline constexpr TVxStringRef ImageSize{504, L"Size"};
inline constexpr TVxStringRef Camera{518, L"Camera"};
inline constexpr TVxStringRef Date{519, L"Date"};
inline constexpr TVxStringRef CannotOpen{1030, L"Cannot open %s."};
inline constexpr TVxStringRef CannotSave{1031, L"Cannot save the file \"%s\"."};
inline constexpr TVxStringRef SaveReadOnly{1032, L"The file is read-only."};
inline constexpr TVxStringRef SaveInUse{1033, L"The file is in use by another program."};
inline constexpr TVxStringRef SaveDiskFull{1034, L"There is not enough space on the disk."};
inline constexpr TVxStringRef SaveAccessDenied{1035, L"Access to the file or its folder is denied."};
inline constexpr TVxStringRef SaveFailed{1036, L"The picture could not be written."};
inline constexpr TVxStringRef OpenOutOfMemory{1037, L"There is not enough memory to open the file \"%s\"."};
inline constexpr TVxStringRef EditOutOfMemory{1038, L"There is not enough memory to finish this operation. The picture has been left as it was."};
} // namespace VxStrings
