#pragma once
// The plug-in's messages: from the string table of the plug-in's own resources, or the
// English text when the module has none (a test program that links the units directly).
#include <string>

#include "plugin/PluginResources.h"

enum class PluginStrings : unsigned {
    GetImageDataError = VX_STR_GET_IMAGE_DATA_ERROR,
    CreateTempFileError = VX_STR_CREATE_TEMP_FILE_ERROR,
    ExecuteApplication = VX_STR_EXECUTE_APPLICATION,
    ExecuteError = VX_STR_EXECUTE_ERROR,
    GetOutImageDataError = VX_STR_GET_OUT_IMAGE_DATA_ERROR,
    TransferImageDataError = VX_STR_TRANSFER_IMAGE_DATA_ERROR,
    ErrorCaption = VX_STR_ERROR_CAPTION,
    AboutWord = VX_STR_ABOUT,
    AboutCaption = VX_STR_ABOUT_CAPTION,
    AboutName = VX_STR_ABOUT_NAME,
    AboutVersion = VX_STR_ABOUT_VERSION,
    AboutMaker = VX_STR_ABOUT_MAKER,
};

std::wstring PluginString(PluginStrings id);
