#pragma once
// Reading one string from the registry, as the plug-in finds the main program.
#include <windows.h>

#include <string>
#include <vector>

// The value as text: string types only (an expandable string expanded), one terminating
// zero dropped when there is one; empty for any other type, a missing key or value, and
// an empty value. valueName null reads the key's default value.
// A 32-bit caller on 64-bit Windows reads the 32-bit view of the registry, the one a
// 32-bit installer wrote; nothing here asks for the other.
std::wstring ReadRegistryString(HKEY root, const wchar_t* keyName, const wchar_t* valueName);

// The text of raw value data of the given type (what ReadRegistryString does with it).
std::wstring RegistryValueText(DWORD type, const std::vector<BYTE>& data);
