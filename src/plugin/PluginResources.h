#pragma once
// Numbers of the plug-in's own resources; read by the resource compiler too, so plain
// macros. The string numbers are the plug-in's own (it reads no language file).
#define VX_PIPL_ID 16000

#define VX_STR_GET_IMAGE_DATA_ERROR 1250
#define VX_STR_CREATE_TEMP_FILE_ERROR 1251
#define VX_STR_EXECUTE_APPLICATION 1252
#define VX_STR_EXECUTE_ERROR 1253
#define VX_STR_GET_OUT_IMAGE_DATA_ERROR 1254
#define VX_STR_TRANSFER_IMAGE_DATA_ERROR 1255
#define VX_STR_ERROR_CAPTION 1256
#define VX_STR_ABOUT 1257
#define VX_STR_ABOUT_CAPTION 1258
#define VX_STR_ABOUT_NAME 1259
#define VX_STR_ABOUT_VERSION 1260
#define VX_STR_ABOUT_MAKER 1261
