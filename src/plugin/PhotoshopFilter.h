#pragma once
// The plug-in's one filter object: the entry point hands each selector of the host to a
// virtual method, so a filter overrides only the steps it needs.
//
//   class TMyFilter : public TPhotoshopFilter {
//       PI::OSErr Start(PI::FilterRecord* record) override;   // the work, in one call
//   };
#include <windows.h>

#include <string>

#include "exchange/VxExchange.h"
#include "plugin/FilterInterface.h"

class TPhotoshopFilter {
public:
    TPhotoshopFilter();
    TPhotoshopFilter(const TPhotoshopFilter&) = delete;
    TPhotoshopFilter& operator=(const TPhotoshopFilter&) = delete;
    virtual ~TPhotoshopFilter();

    // The library's filter, or null before it is made and after it is gone.
    static TPhotoshopFilter* Instance();

    // What the entry point returns to the host for one selector; filterBadParameters
    // for a selector the interface does not have.
    PI::OSErr Dispatch(PI::int16 selector, void* record);

    const std::wstring& AboutCaption() const { return FAboutCaption; }
    const std::wstring& AboutText() const { return FAboutText; }
    void SetAboutCaption(const std::wstring& value) { FAboutCaption = value; }
    void SetAboutText(const std::wstring& value) { FAboutText = value; }

    virtual PI::OSErr About(PI::AboutRecord* record);
    virtual PI::OSErr Parameters(PI::FilterRecord* record);
    virtual PI::OSErr Prepare(PI::FilterRecord* record);
    virtual PI::OSErr Start(PI::FilterRecord* record);
    virtual PI::OSErr Continue(PI::FilterRecord* record);
    virtual PI::OSErr Finish(PI::FilterRecord* record);
    virtual void ShowAbout(HWND owner);
    virtual void Initialize();

    // Ask the host for the pixels of rectangle (all planes) and describe them as the
    // exchange file's header does; false when the host refuses.
    static bool RequestInput(const PI::Rect& rectangle, PI::FilterRecord& record, void*& data, TExchangeHeader& header);
    static bool RequestOutput(const PI::Rect& rectangle, PI::FilterRecord& record, void*& data, TExchangeHeader& header);
    // Tells the host the filter needs no more data, so it calls no Continue.
    static void ClearRequests(PI::FilterRecord& record);

    // The window the host gave for our boxes (0 when it gave none).
    static HWND HostWindow(const PI::PlatformData* platform);

private:
    std::wstring FAboutCaption;
    std::wstring FAboutText;
};
