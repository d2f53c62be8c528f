#pragma once
// The JPEG options dialog's rules, apart from its window: quality presets, what each of
// the three quality controls does to the other two, and how OK checks the typed text.
//
//   TVxJPEGOptionsModel model;
//   model.SetQuality(70);          // track bar 70, edit "70", combo "High"
//   model.EditChanged(L"150");     // not a quality: nothing changes
#include <cstdint>
#include <optional>
#include <string>

// Combo index -> quality: Low, Medium, High, Very High, Maximum.
inline constexpr std::int32_t JPEGQualityPresets[5] = {10, 30, 60, 80, 100};
constexpr std::int32_t JPEGDefaultQuality = 80;

// The largest preset index whose quality is <= quality; 0 below the first preset.
std::int32_t JPEGPresetIndex(std::int32_t quality);
// The trimmed text as a whole number 0 ... 100, or nothing.
std::optional<std::int32_t> ParseJPEGQuality(const std::wstring& text);
// The number the trimmed text starts with (0 when none), clamped to 0 ... 100.
std::int32_t LeadingJPEGQuality(const std::wstring& text);

class TVxJPEGOptionsModel {
public:
    TVxJPEGOptionsModel() { SetQuality(JPEGDefaultQuality); }

    void SetQuality(std::int32_t value);
    std::int32_t Quality() const { return FTrackBarPosition; }

    void EditChanged(const std::wstring& text);
    void TrackBarChanged(std::int32_t position);
    void ComboChanged(std::int32_t index);
    // True: the dialog closes with OK. False: the caller shows the bad-quality message;
    // the controls then already show the corrected quality.
    bool OkClicked();

    const std::wstring& EditText() const { return FEditText; }
    std::int32_t ComboIndex() const { return FComboIndex; }
    std::int32_t TrackBarPosition() const { return FTrackBarPosition; }

private:
    std::wstring FEditText;
    std::int32_t FComboIndex = 0;
    std::int32_t FTrackBarPosition = 0;
};

// Asks the user for a JPEG quality; nothing on Cancel.
class IVxJPEGQualityPrompt {
public:
    virtual std::optional<std::int32_t> AskQuality(std::int32_t current) = 0;

protected:
    ~IVxJPEGQualityPrompt() = default;
};
