#include "plugin/PhotoshopFilter.h"

#include "plugin/PluginStrings.h"

namespace {

// Not owned: the library's initialisation owns the object, whose constructor and
// destructor keep this up to date.
TPhotoshopFilter* TheFilter = nullptr;

constexpr PI::Rect EmptyRect{0, 0, 0, 0};

TExchangeHeader HeaderOf(const PI::Rect& rectangle, const PI::FilterRecord& record, PI::int32 rowBytes)
{
    TExchangeHeader header;
    header.ImageMode = record.imageMode;
    header.Left = rectangle.left;
    header.Top = rectangle.top;
    header.Width = rectangle.right - rectangle.left;
    header.Height = rectangle.bottom - rectangle.top;
    header.RowBytes = rowBytes;
    header.Planes = record.planes;
    return header;
}

// The host fills inData/outData for the rectangles set; a host without advanceState (or
// one that says no) gives nothing.
bool Advance(PI::FilterRecord& record)
{
    return record.advanceState && record.advanceState() == PI::noErr;
}

} // namespace

TPhotoshopFilter::TPhotoshopFilter() : FAboutCaption(PluginString(PluginStrings::AboutWord))
{
    TheFilter = this;
}

TPhotoshopFilter::~TPhotoshopFilter()
{
    if (TheFilter == this)
        TheFilter = nullptr;
}

TPhotoshopFilter* TPhotoshopFilter::Instance() { return TheFilter; }

PI::OSErr TPhotoshopFilter::Dispatch(PI::int16 selector, void* record)
{
    auto* filterRecord = static_cast<PI::FilterRecord*>(record);
    switch (selector) {
    case PI::filterSelectorAbout: return About(static_cast<PI::AboutRecord*>(record));
    case PI::filterSelectorParameters: return Parameters(filterRecord);
    case PI::filterSelectorPrepare: return Prepare(filterRecord);
    case PI::filterSelectorStart: return Start(filterRecord);
    case PI::filterSelectorContinue: return Continue(filterRecord);
    case PI::filterSelectorFinish: return Finish(filterRecord);
    }
    return PI::filterBadParameters;
}

PI::OSErr TPhotoshopFilter::About(PI::AboutRecord* record)
{
    ShowAbout(HostWindow(record ? record->platformData : nullptr));
    return PI::noErr;
}

PI::OSErr TPhotoshopFilter::Parameters(PI::FilterRecord*) { return PI::noErr; }
PI::OSErr TPhotoshopFilter::Prepare(PI::FilterRecord*) { return PI::noErr; }
PI::OSErr TPhotoshopFilter::Start(PI::FilterRecord*) { return PI::noErr; }
PI::OSErr TPhotoshopFilter::Continue(PI::FilterRecord*) { return PI::noErr; }
PI::OSErr TPhotoshopFilter::Finish(PI::FilterRecord*) { return PI::noErr; }

void TPhotoshopFilter::ShowAbout(HWND owner)
{
    MessageBoxW(owner, FAboutText.c_str(), FAboutCaption.c_str(), MB_OK);
}

void TPhotoshopFilter::Initialize() {}

bool TPhotoshopFilter::RequestInput(const PI::Rect& rectangle, PI::FilterRecord& record, void*& data,
                                    TExchangeHeader& header)
{
    record.inRect = rectangle;
    record.inLoPlane = 0;
    record.inHiPlane = static_cast<PI::int16>(record.planes - 1);
    record.maskRect = EmptyRect;
    record.outRect = EmptyRect;
    if (!Advance(record) || !record.inData)
        return false;
    data = record.inData;
    header = HeaderOf(rectangle, record, record.inRowBytes);
    return true;
}

bool TPhotoshopFilter::RequestOutput(const PI::Rect& rectangle, PI::FilterRecord& record, void*& data,
                                     TExchangeHeader& header)
{
    record.outRect = rectangle;
    record.outLoPlane = 0;
    record.outHiPlane = static_cast<PI::int16>(record.planes - 1);
    record.maskRect = EmptyRect;
    record.inRect = EmptyRect;
    if (!Advance(record) || !record.outData)
        return false;
    data = record.outData;
    header = HeaderOf(rectangle, record, record.outRowBytes);
    return true;
}

void TPhotoshopFilter::ClearRequests(PI::FilterRecord& record)
{
    record.maskRect = EmptyRect;
    record.inRect = EmptyRect;
    record.outRect = EmptyRect;
}

HWND TPhotoshopFilter::HostWindow(const PI::PlatformData* platform)
{
    // A host may hand over anything here; a box with an owner that is no window would
    // not show at all.
    HWND window = platform ? reinterpret_cast<HWND>(platform->hwnd) : nullptr;
    return window && IsWindow(window) ? window : nullptr;
}
