#pragma once
// The parts of the TWAIN protocol (version 2) this program speaks, as the TWAIN
// standard defines them: 2-byte packed structures, the data groups, data argument
// types and messages used by a file transfer of one BMP picture.
#include <windows.h>

#include <cstdint>

#pragma pack(push, 2)
using TW_UINT16 = std::uint16_t;
using TW_INT16 = std::int16_t;
using TW_UINT32 = std::uint32_t;
using TW_BOOL = std::uint16_t;
using TW_STR32 = char[34];
using TW_STR255 = char[256];

struct TW_VERSION {
    TW_UINT16 MajorNum, MinorNum, Language, Country;
    TW_STR32 Info;
};

struct TW_IDENTITY {
    TW_UINT32 Id;
    TW_VERSION Version;
    TW_UINT16 ProtocolMajor, ProtocolMinor;
    TW_UINT32 SupportedGroups;
    TW_STR32 Manufacturer, ProductFamily, ProductName;
};

struct TW_USERINTERFACE {
    TW_BOOL ShowUI;
    TW_BOOL ModalUI;
    HANDLE hParent;
};

struct TW_EVENT {
    void* pEvent;
    TW_UINT16 TWMessage;
};

struct TW_PENDINGXFERS {
    TW_UINT16 Count;
    TW_UINT32 EOJ;
};

struct TW_SETUPFILEXFER {
    TW_STR255 FileName;
    TW_UINT16 Format;
    TW_INT16 VRefNum;
};
#pragma pack(pop)

using TDSMEntry = TW_UINT16(WINAPI*)(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 argument,
                                     TW_UINT16 message, void* data);

namespace twain {
constexpr TW_UINT32 DG_CONTROL = 0x0001, DG_IMAGE = 0x0002, DF_APP2 = 0x20000000;
constexpr TW_UINT16 DAT_EVENT = 0x0002, DAT_IDENTITY = 0x0003, DAT_PARENT = 0x0004, DAT_PENDINGXFERS = 0x0005,
                    DAT_SETUPFILEXFER = 0x0007, DAT_USERINTERFACE = 0x0009, DAT_IMAGEFILEXFER = 0x0105;
constexpr TW_UINT16 MSG_GET = 0x0001, MSG_SET = 0x0006, MSG_RESET = 0x0007, MSG_GETFIRST = 0x0004, MSG_GETNEXT = 0x0005,
                    MSG_XFERREADY = 0x0101, MSG_CLOSEDSREQ = 0x0102, MSG_CLOSEDSOK = 0x0103, MSG_OPENDSM = 0x0301,
                    MSG_CLOSEDSM = 0x0302, MSG_OPENDS = 0x0401, MSG_CLOSEDS = 0x0402, MSG_USERSELECT = 0x0403,
                    MSG_DISABLEDS = 0x0501, MSG_ENABLEDS = 0x0502, MSG_PROCESSEVENT = 0x0601, MSG_ENDXFER = 0x0701;
constexpr TW_UINT16 TWRC_SUCCESS = 0, TWRC_FAILURE = 1, TWRC_CANCEL = 3, TWRC_DSEVENT = 4, TWRC_NOTDSEVENT = 5,
                    TWRC_XFERDONE = 6, TWRC_ENDOFLIST = 7;
constexpr TW_UINT16 TWFF_BMP = 2, TWLG_ENGLISH = 2, TWCY_USA = 1;
}  // namespace twain
