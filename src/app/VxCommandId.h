#pragma once
// Command identifiers of menu items and toolbar buttons come from one range, so that a
// WM_COMMAND names exactly one of them.
#include <windows.h>

UINT NextCommandId();
