#pragma once
// The about box's labels: a table of rows placed on the logo picture, line by line.
//
//   std::vector<TVxLabelBox> boxes = LayoutAboutLabels(rows, sizes, metrics, scale);
#include <cstdint>
#include <string>
#include <vector>

enum TVxAboutLabelFlags : std::uint32_t {
    alBold = 1,
    alSameLine = 2,
    alLink = 4,
    alWordWrap = 8,
    alRightAligned = 16,
    alColon = 32,
    alWhite = 64,
};

enum class TVxAboutText { atString, atLiteral, atProductName, atVersion };

struct TVxAboutRow {
    TVxAboutText Kind;
    std::int32_t StringId;  // atString
    std::wstring Literal;   // atLiteral: an address for links
    std::uint32_t Flags;
    int Left, Top, Width, Height;  // in the picture's own pixels; 0: not given
    double Spacing;                // of the line height, added below the previous line
    int Tab;                       // -1: every tab
};

struct TVxLabelBox {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int Right() const { return Left + Width; }
    int Bottom() const { return Top + Height; }
};

struct TVxAboutFontMetrics {
    int Height = 0;            // of the font
    int ExternalLeading = 0;
    int AverageCharWidth = 0;
};

// The rows of the box, in order.
std::vector<TVxAboutRow> AboutLabelTable(const std::wstring& webSite, const std::wstring& supportPage);

// textSizes[i] is the measured size of row i's caption; a row's own width or height
// (scaled) replaces the measured one. scale is the logo control's width over the picture's.
std::vector<TVxLabelBox> LayoutAboutLabels(const std::vector<TVxAboutRow>& rows, const std::vector<TVxLabelBox>& textSizes,
                                           const TVxAboutFontMetrics& metrics, double scale);

// What a link label shows: the host part of its address.
std::wstring LinkCaption(const std::wstring& address);
// The caption of a label: the text, with ":" appended when the row says so; links show
// their host.
std::wstring LabelCaption(const TVxAboutRow& row, const std::wstring& text);
