#pragma once
// The host side of the published filter plug-in interface, as far as this plug-in uses
// it: the parameter blocks the host passes to the entry point, the selectors and the
// result codes. Field names are the interface's own, so that a reader who knows the
// interface recognises them.
//
// The parameter block is packed to 4 bytes on both 32- and 64-bit Windows (hosts are
// built that way), so on x64 a pointer can sit at an offset that is 4 mod 8; the
// static_asserts at the end pin every offset this plug-in touches.
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace PI {

using int16 = std::int16_t;
using int32 = std::int32_t;
using int64 = std::int64_t;
using uint32 = std::uint32_t;
using Boolean = unsigned char;
using Fixed = std::int32_t;
using OSType = std::uint32_t;
using OSErr = std::int16_t;
using Handle = char**;

struct Point {
    int16 v;
    int16 h;
};

// Half-open like ours, but in the interface's order: top, left, bottom, right.
struct Rect {
    int16 top;
    int16 left;
    int16 bottom;
    int16 right;
};

struct RGBColor16 {
    std::uint16_t red, green, blue;
};

struct PlugInMonitor {
    Fixed gamma, redX, redY, greenX, greenY, blueX, blueY, whiteX, whiteY, ambient;
};

// The host's window, to own our boxes; a host may pass 0.
struct PlatformData {
    std::intptr_t hwnd;
};

// Every callback of the interface is cdecl on x86, whatever the compiler's default.
using TestAbortProc = Boolean(__cdecl*)();
using ProgressProc = void(__cdecl*)(int32 done, int32 total);
using AdvanceStateProc = OSErr(__cdecl*)();
using HostProc = void(__cdecl*)(int16 selector, std::intptr_t* data);
using ProcessEventProc = void(__cdecl*)(void* event);
using GenericProc = void(__cdecl*)();

#pragma pack(push, 4)
struct FilterRecord {
    int32 serialNumber;
    TestAbortProc abortProc;
    ProgressProc progressProc;
    Handle parameters;
    Point imageSize;
    int16 planes;
    Rect filterRect;
    RGBColor16 background;
    RGBColor16 foreground;
    int32 maxSpace;
    int32 bufferSpace;
    Rect inRect;
    int16 inLoPlane;
    int16 inHiPlane;
    Rect outRect;
    int16 outLoPlane;
    int16 outHiPlane;
    void* inData;
    int32 inRowBytes;
    void* outData;
    int32 outRowBytes;
    Boolean isFloating;
    Boolean haveMask;
    Boolean autoMask;
    Rect maskRect;
    void* maskData;
    int32 maskRowBytes;
    unsigned char backColor[4];
    unsigned char foreColor[4];
    OSType hostSig;
    HostProc hostProc;
    int16 imageMode;
    Fixed imageHRes;
    Fixed imageVRes;
    Point floatCoord;
    Point wholeSize;
    PlugInMonitor monitor;
    PlatformData* platformData;
    void* bufferProcs;
    void* resourceProcs;
    ProcessEventProc processEvent;
    GenericProc displayPixels;
    void* handleProcs;
    Boolean supportsDummyChannels;
    Boolean supportsAlternateLayouts;
    int16 wantLayout;
    int16 filterCase;
    int16 dummyPlaneValue;
    void* premiereHook;
    AdvanceStateProc advanceState;
    // Older hosts end their record about here; nothing below is read by this plug-in.
    Boolean supportsAbsolute;
    Boolean wantsAbsolute;
    GenericProc getPropertyObsolete;
    Boolean cannotUndo;
    Boolean supportsPadding;
    int16 inputPadding;
    int16 outputPadding;
    int16 maskPadding;
    char samplingSupport;
    char reservedByte;
    Fixed inputRate;
    Fixed maskRate;
    GenericProc colorServices;
};
#pragma pack(pop)

// Only for the About selector; natural alignment.
struct AboutRecord {
    PlatformData* platformData;
    void* sSPBasic;
    void* plugInRef;
    char reserved[244];
};

enum : int16 {
    filterSelectorAbout = 0,
    filterSelectorParameters = 1,
    filterSelectorPrepare = 2,
    filterSelectorStart = 3,
    filterSelectorContinue = 4,
    filterSelectorFinish = 5,
};

enum : OSErr {
    noErr = 0,
    readErr = -19,
    writErr = -20,
    openErr = -23,
    paramErr = -50,
    memFullErr = -108,
    userCanceledErr = -128,
    filterBadParameters = -30100,
    filterBadMode = -30101,
};

enum : int16 { plugInModeRGBColor = 3 };

#if defined(_WIN64)
static_assert(offsetof(FilterRecord, abortProc) == 4 && offsetof(FilterRecord, progressProc) == 12);
static_assert(offsetof(FilterRecord, planes) == 32 && offsetof(FilterRecord, filterRect) == 34);
static_assert(offsetof(FilterRecord, maxSpace) == 56 && offsetof(FilterRecord, inRect) == 64);
static_assert(offsetof(FilterRecord, inLoPlane) == 72 && offsetof(FilterRecord, inHiPlane) == 74);
static_assert(offsetof(FilterRecord, outRect) == 76 && offsetof(FilterRecord, outHiPlane) == 86);
static_assert(offsetof(FilterRecord, inData) == 88 && offsetof(FilterRecord, inRowBytes) == 96);
static_assert(offsetof(FilterRecord, outData) == 100 && offsetof(FilterRecord, outRowBytes) == 108);
static_assert(offsetof(FilterRecord, maskRect) == 116 && offsetof(FilterRecord, imageMode) == 156);
static_assert(offsetof(FilterRecord, platformData) == 216 && offsetof(FilterRecord, handleProcs) == 256);
static_assert(offsetof(FilterRecord, filterCase) == 268 && offsetof(FilterRecord, advanceState) == 280);
static_assert(offsetof(FilterRecord, colorServices) == 320);
static_assert(sizeof(AboutRecord) == 272);
#else
static_assert(offsetof(FilterRecord, abortProc) == 4 && offsetof(FilterRecord, progressProc) == 8);
static_assert(offsetof(FilterRecord, planes) == 20 && offsetof(FilterRecord, filterRect) == 22);
static_assert(offsetof(FilterRecord, maxSpace) == 44 && offsetof(FilterRecord, inRect) == 52);
static_assert(offsetof(FilterRecord, inLoPlane) == 60 && offsetof(FilterRecord, inHiPlane) == 62);
static_assert(offsetof(FilterRecord, outRect) == 64 && offsetof(FilterRecord, outHiPlane) == 74);
static_assert(offsetof(FilterRecord, inData) == 76 && offsetof(FilterRecord, inRowBytes) == 80);
static_assert(offsetof(FilterRecord, outData) == 84 && offsetof(FilterRecord, outRowBytes) == 88);
static_assert(offsetof(FilterRecord, maskRect) == 96 && offsetof(FilterRecord, imageMode) == 128);
static_assert(offsetof(FilterRecord, platformData) == 188 && offsetof(FilterRecord, handleProcs) == 208);
static_assert(offsetof(FilterRecord, filterCase) == 216 && offsetof(FilterRecord, advanceState) == 224);
static_assert(offsetof(FilterRecord, colorServices) == 256);
static_assert(sizeof(AboutRecord) == 256);
#endif

} // namespace PI
