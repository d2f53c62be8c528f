#pragma once
// The test host's own reading of the filter interface: the parameter blocks a host hands
// to a filter, declared here from the published offsets and checked against them field
// by field for both targets. Nothing is shared with the plug-in's declarations, so a
// mistake in either shows as a disagreement between the two.
#include <cstddef>
#include <cstdint>

namespace vxhost {

struct THostPoint {
    std::int16_t V, H;
};
struct THostRect {
    std::int16_t Top, Left, Bottom, Right;
};
struct THostColor16 {
    std::uint16_t Red, Green, Blue;
};
struct THostPlatform {
    std::intptr_t Window;
};

using THostBooleanProc = unsigned char(__cdecl*)();
using THostProgressProc = void(__cdecl*)(std::int32_t, std::int32_t);
using THostAdvanceProc = std::int16_t(__cdecl*)();
using THostAnyProc = void(__cdecl*)();

// The whole record of a current host (488 bytes on x86, 608 on x64), zero-filled by the
// host before it fills what it offers.
#pragma pack(push, 4)
struct THostFilterRecord {
    std::int32_t SerialNumber;
    THostBooleanProc AbortProc;
    THostProgressProc ProgressProc;
    void* Parameters;
    THostPoint ImageSize;
    std::int16_t Planes;
    THostRect FilterRect;
    THostColor16 Background;
    THostColor16 Foreground;
    std::int32_t MaxSpace;
    std::int32_t BufferSpace;
    THostRect InRect;
    std::int16_t InLoPlane, InHiPlane;
    THostRect OutRect;
    std::int16_t OutLoPlane, OutHiPlane;
    void* InData;
    std::int32_t InRowBytes;
    void* OutData;
    std::int32_t OutRowBytes;
    std::uint8_t IsFloating, HaveMask, AutoMask;
    THostRect MaskRect;
    void* MaskData;
    std::int32_t MaskRowBytes;
    std::uint8_t BackColor[4];
    std::uint8_t ForeColor[4];
    std::uint32_t HostSig;
    THostAnyProc HostProc;
    std::int16_t ImageMode;
    std::int32_t ImageHRes, ImageVRes;
    THostPoint FloatCoord;
    THostPoint WholeSize;
    std::int32_t Monitor[10];
    THostPlatform* PlatformData;
    void* BufferProcs;
    void* ResourceProcs;
    THostAnyProc ProcessEvent;
    THostAnyProc DisplayPixels;
    void* HandleProcs;
    std::uint8_t SupportsDummyChannels, SupportsAlternateLayouts;
    std::int16_t WantLayout;
    std::int16_t FilterCase;
    std::int16_t DummyPlaneValue;
    void* PremiereHook;
    THostAdvanceProc AdvanceState;
    std::uint8_t SupportsAbsolute, WantsAbsolute;
    THostAnyProc GetPropertyObsolete;
    std::uint8_t CannotUndo, SupportsPadding;
    std::int16_t InputPadding, OutputPadding, MaskPadding;
    char SamplingSupport, ReservedByte;
    std::int32_t InputRate, MaskRate;
    THostAnyProc ColorServices;
    std::int16_t LayerPlaneCounts[19]; // inLayerPlanes .. outPostDummyPlanes
    std::int32_t InColumnBytes, InPlaneBytes, OutColumnBytes, OutPlaneBytes;
    void* ImageServicesProcs;
    void* PropertyProcs;
    std::int16_t InTileHeight, InTileWidth;
    THostPoint InTileOrigin;
    std::int16_t AbsTileHeight, AbsTileWidth;
    THostPoint AbsTileOrigin;
    std::int16_t OutTileHeight, OutTileWidth;
    THostPoint OutTileOrigin;
    std::int16_t MaskTileHeight, MaskTileWidth;
    THostPoint MaskTileOrigin;
    void* DescriptorParameters;
    void* ErrorString;
    void* ChannelPortProcs;
    void* DocumentInfo;
    void* BasicSuite;
    void* PlugInRef;
    std::int32_t Depth;
    void* ICCProfileData;
    std::int32_t ICCProfileSize;
    std::int32_t CanUseICCProfiles;
    std::int32_t HasImageScrap;
    void* BigDocumentData;
    void* Input3DScene;
    void* Output3DScene;
    std::uint8_t CreateNewLayer;
    void* ICCWorkingProfileData;
    std::int32_t ICCWorkingProfileSize;
    std::int64_t BufferSpace64;
    std::int64_t MaxSpace64;
    std::uint8_t AllowOverrangeColors;
    char Reserved[45];
};
#pragma pack(pop)

struct THostAboutRecord {
    THostPlatform* PlatformData;
    void* BasicSuite;
    void* PlugInRef;
    char Reserved[244];
};

// Offsets from the published layout: (field, x86, x64).
#if defined(_WIN64)
#define VXHOST_AT(field, x86, x64) static_assert(offsetof(THostFilterRecord, field) == (x64), #field)
#else
#define VXHOST_AT(field, x86, x64) static_assert(offsetof(THostFilterRecord, field) == (x86), #field)
#endif
VXHOST_AT(SerialNumber, 0, 0);
VXHOST_AT(AbortProc, 4, 4);
VXHOST_AT(ProgressProc, 8, 12);
VXHOST_AT(Parameters, 12, 20);
VXHOST_AT(ImageSize, 16, 28);
VXHOST_AT(Planes, 20, 32);
VXHOST_AT(FilterRect, 22, 34);
VXHOST_AT(Background, 30, 42);
VXHOST_AT(Foreground, 36, 48);
VXHOST_AT(MaxSpace, 44, 56);
VXHOST_AT(BufferSpace, 48, 60);
VXHOST_AT(InRect, 52, 64);
VXHOST_AT(InLoPlane, 60, 72);
VXHOST_AT(InHiPlane, 62, 74);
VXHOST_AT(OutRect, 64, 76);
VXHOST_AT(OutLoPlane, 72, 84);
VXHOST_AT(OutHiPlane, 74, 86);
VXHOST_AT(InData, 76, 88);
VXHOST_AT(InRowBytes, 80, 96);
VXHOST_AT(OutData, 84, 100);
VXHOST_AT(OutRowBytes, 88, 108);
VXHOST_AT(IsFloating, 92, 112);
VXHOST_AT(HaveMask, 93, 113);
VXHOST_AT(AutoMask, 94, 114);
VXHOST_AT(MaskRect, 96, 116);
VXHOST_AT(MaskData, 104, 124);
VXHOST_AT(MaskRowBytes, 108, 132);
VXHOST_AT(BackColor, 112, 136);
VXHOST_AT(ForeColor, 116, 140);
VXHOST_AT(HostSig, 120, 144);
VXHOST_AT(HostProc, 124, 148);
VXHOST_AT(ImageMode, 128, 156);
VXHOST_AT(ImageHRes, 132, 160);
VXHOST_AT(ImageVRes, 136, 164);
VXHOST_AT(FloatCoord, 140, 168);
VXHOST_AT(WholeSize, 144, 172);
VXHOST_AT(Monitor, 148, 176);
VXHOST_AT(PlatformData, 188, 216);
VXHOST_AT(BufferProcs, 192, 224);
VXHOST_AT(ResourceProcs, 196, 232);
VXHOST_AT(ProcessEvent, 200, 240);
VXHOST_AT(DisplayPixels, 204, 248);
VXHOST_AT(HandleProcs, 208, 256);
VXHOST_AT(SupportsDummyChannels, 212, 264);
VXHOST_AT(SupportsAlternateLayouts, 213, 265);
VXHOST_AT(WantLayout, 214, 266);
VXHOST_AT(FilterCase, 216, 268);
VXHOST_AT(DummyPlaneValue, 218, 270);
VXHOST_AT(PremiereHook, 220, 272);
VXHOST_AT(AdvanceState, 224, 280);
VXHOST_AT(SupportsAbsolute, 228, 288);
VXHOST_AT(WantsAbsolute, 229, 289);
VXHOST_AT(GetPropertyObsolete, 232, 292);
VXHOST_AT(CannotUndo, 236, 300);
VXHOST_AT(SupportsPadding, 237, 301);
VXHOST_AT(InputPadding, 238, 302);
VXHOST_AT(OutputPadding, 240, 304);
VXHOST_AT(MaskPadding, 242, 306);
VXHOST_AT(SamplingSupport, 244, 308);
VXHOST_AT(ReservedByte, 245, 309);
VXHOST_AT(InputRate, 248, 312);
VXHOST_AT(MaskRate, 252, 316);
VXHOST_AT(ColorServices, 256, 320);
VXHOST_AT(LayerPlaneCounts, 260, 328);
VXHOST_AT(InColumnBytes, 300, 368);
VXHOST_AT(InPlaneBytes, 304, 372);
VXHOST_AT(OutColumnBytes, 308, 376);
VXHOST_AT(OutPlaneBytes, 312, 380);
VXHOST_AT(ImageServicesProcs, 316, 384);
VXHOST_AT(PropertyProcs, 320, 392);
VXHOST_AT(InTileHeight, 324, 400);
VXHOST_AT(InTileWidth, 326, 402);
VXHOST_AT(InTileOrigin, 328, 404);
VXHOST_AT(AbsTileHeight, 332, 408);
VXHOST_AT(AbsTileOrigin, 336, 412);
VXHOST_AT(OutTileHeight, 340, 416);
VXHOST_AT(OutTileOrigin, 344, 420);
VXHOST_AT(MaskTileHeight, 348, 424);
VXHOST_AT(MaskTileOrigin, 352, 428);
VXHOST_AT(DescriptorParameters, 356, 432);
VXHOST_AT(ErrorString, 360, 440);
VXHOST_AT(ChannelPortProcs, 364, 448);
VXHOST_AT(DocumentInfo, 368, 456);
VXHOST_AT(BasicSuite, 372, 464);
VXHOST_AT(PlugInRef, 376, 472);
VXHOST_AT(Depth, 380, 480);
VXHOST_AT(ICCProfileData, 384, 484);
VXHOST_AT(ICCProfileSize, 388, 492);
VXHOST_AT(CanUseICCProfiles, 392, 496);
VXHOST_AT(HasImageScrap, 396, 500);
VXHOST_AT(BigDocumentData, 400, 504);
VXHOST_AT(Input3DScene, 404, 512);
VXHOST_AT(Output3DScene, 408, 520);
VXHOST_AT(CreateNewLayer, 412, 528);
VXHOST_AT(ICCWorkingProfileData, 416, 532);
VXHOST_AT(ICCWorkingProfileSize, 420, 540);
VXHOST_AT(BufferSpace64, 424, 544);
VXHOST_AT(MaxSpace64, 432, 552);
VXHOST_AT(AllowOverrangeColors, 440, 560);
VXHOST_AT(Reserved, 441, 561);
#undef VXHOST_AT
static_assert(sizeof(THostFilterRecord) == (sizeof(void*) == 8 ? 608 : 488));
static_assert(sizeof(THostAboutRecord) == (sizeof(void*) == 8 ? 272 : 256));
static_assert(offsetof(THostAboutRecord, BasicSuite) == sizeof(void*));
static_assert(sizeof(THostPlatform) == sizeof(void*));

// Selectors and the results the tests expect.
enum : std::int16_t { hsAbout = 0, hsParameters = 1, hsPrepare = 2, hsStart = 3, hsContinue = 4, hsFinish = 5 };
constexpr std::int16_t hrNoError = 0;
constexpr std::int16_t hrOpenError = -23;
constexpr std::int16_t hrCanceled = -128;
constexpr std::int16_t hrBadParameters = -30100;
constexpr std::int16_t hrBadMode = -30101;
constexpr std::int16_t hmRGB = 3;

using THostEntryPoint = void(__cdecl*)(std::int16_t selector, void* record, std::intptr_t* data, std::int16_t* result);

} // namespace vxhost
