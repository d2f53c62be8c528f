#pragma once
// The product's name and version, one place for the about box, the update check and
// the installer (which the build gives the same number).
#ifndef VELLORIA_VERSION
#define VELLORIA_VERSION "2.2.12"
#endif

inline constexpr const char* VxProductName = "Velloria";
inline constexpr const wchar_t* VxProductVersion = L"" VELLORIA_VERSION;
inline constexpr const char* VxProductVersionText = VELLORIA_VERSION;
