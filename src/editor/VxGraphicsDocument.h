#pragma once
// One opened picture: the image being edited, the original-image copy kept in step with
// it, the unchanged copy undo takes its "before" pixels from, the working area, the file's
// image properties, and the protocol by which a tool changes the picture.
//
//   document.BeginChange(&tool);
//   DrawStroke(*document.ImagePixels());
//   document.AddChangedRect(strokeRect, false);    // ChangedRect grows to the union
//   document.EndChange(&tool);
//
// Every geometric operation leaves Backup equal to the new picture.
#include <cstdint>
#include <memory>
#include <vector>

#include "editor/VxEditor.h"
#include "editor/VxJPEG.h"
#include "imaging/VxBitmap.h"
#include "imaging/VxGeometry.h"
#include "imaging/VxLTBitmap.h"
#include "settings/VxProperties.h"

class TVxGraphicsDocument;

// The tool that began a change; the tool framework implements it.
class IVxEditingTool {
public:
    // Commits the tool's pending change.
    virtual void EndChange() = 0;

protected:
    ~IVxEditingTool() = default;
};

// Every graphics tool, in component order; the graphics editor implements it.
class IVxGraphicsToolBroadcast {
public:
    virtual void DocumentOpened(TVxGraphicsDocument& document) = 0;
    virtual void DocumentSaving(TVxGraphicsDocument& document) = 0;
    virtual void DocumentClosing(TVxGraphicsDocument& document) = 0;
    virtual void StateRestored(TVxGraphicsDocument& document, IVxEditingTool* tool, const TRect& rect) = 0;
    // The active tool's reference to the current image is renewed after its buffer moved.
    virtual void ImageBufferMoved(TVxGraphicsDocument& document) = 0;

protected:
    ~IVxGraphicsToolBroadcast() = default;
};

// The document's view as the document sees it (the graphics view implements it).
class TVxGraphicsDocumentView : public TVxDocumentView {
public:
    // rect in image coordinates; the view maps it, grows it by a pixel and repaints it.
    virtual void InvalidateImageRect(const TRect& rect) = 0;
    // The picture's size changed: new bounds, scroll range and the W and H panels.
    virtual void ImageChanged(std::int32_t width, std::int32_t height) = 0;
};

class TVxGraphicsDocumentProperties : public TVxCustomProperties {
public:
    std::int32_t HorizontalResolution = 0;
    std::int32_t VerticalResolution = 0;
    // The file's own EXIF block (TIFF-structured), written back as it was rather than
    // rebuilt from the items: a rebuilt block moves the maker note, whose offsets
    // several makers count from the block's start.
    std::vector<std::uint8_t> SourceExif;
    // The pixels were turned or flipped since loading: the orientation tag is reset.
    bool Turned = false;
};

class TVxGraphicsDocument : public TVxDocument {
public:
    using TViewFactory = std::unique_ptr<TVxGraphicsDocumentView> (*)(TVxGraphicsDocument&);

    explicit TVxGraphicsDocument(TVxEditor& editor);
    ~TVxGraphicsDocument() override;

    void CreateView(std::unique_ptr<TVxDocumentView>& view) override;
    void BeforeClose() override;
    void BeforeSave() override;
    void AfterOpen() override;

    // Wiring done by the graphics editor; both may stay unset (tests, tools-less use).
    void SetViewFactory(TViewFactory factory) { FViewFactory = factory; }
    void SetTools(IVxGraphicsToolBroadcast* tools) { FTools = tools; }

    TVxLTBitmap& Image() { return FImage; }
    TVxLTBitmap& OriginalImage() { return FOriginalImage; }
    TVxPixelBuffer& Backup() { return FBackup; }
    const TVxPixelBuffer& Backup() const { return FBackup; }
    TVxGraphicsDocumentProperties& Properties() { return FProperties; }
    // The JPEG library object made with the document (none: files go through the codec).
    IBJPEG* JPEGSource() const { return FJPEGSource.get(); }
    void SetJPEGSource(std::unique_ptr<IBJPEG> source) { FJPEGSource = std::move(source); }
    TVxPixels* ImagePixels() const { return FImage.GetPixels(); }
    TVxPixels* OriginalPixels() const { return FOriginalImage.GetPixels(); }
    TVxGraphicsDocumentView* GraphicsView() const;

    // Editing protocol.
    void BeginChange(IVxEditingTool* tool);
    void EndChange(const void* sender);
    void ResetChange();
    void AddChangedRect(const TRect& rect, bool replace);
    void InvalidateImageRect(const TRect& rect);
    void ResetBackup();
    void StateRestored(IVxEditingTool* tool, const TRect& rect);
    bool EditInProgress() const { return FEditInProgress; }
    IVxEditingTool* EditingTool() const { return FEditingTool; }
    const TRect& ChangedRect() const { return FChangedRect; }

    // Working area: empty means the whole picture.
    void GetWorkArea(TRect& rect) const;
    void SetWorkArea(const TRect& rect);
    void ClearWorkArea() { FWorkArea = TRect{}; }
    bool HasWorkArea() const { return !FWorkArea.IsEmpty(); }
    const TRect& WorkArea() const { return FWorkArea; }

    // Geometry. False (and no change) when memory runs out.
    bool RotateLeft();
    bool RotateRight();
    bool FlipHorizontal();
    bool FlipVertical();
    bool Crop(const TRect& rect);
    bool Resize(std::int32_t width, std::int32_t height, bool originalToo, bool adjustWorkArea);
    bool ResizeCanvas(std::int32_t width, std::int32_t height, bool originalToo);
    bool SetPictures(const TVxPixels& image, const TVxPixels* original);
    bool GetPictures(TVxPixelBuffer& image, TVxPixelBuffer* original) const;
    std::unique_ptr<TVxLTBitmap> ScaledCopy(const TSize& size) const;
    void ImageChanged();

private:
    template <typename TTurn>
    bool TurnBoth(TTurn turn);
    template <typename TStep>
    void FollowSource(TStep step);

    TRect FWorkArea;
    TRect FChangedRect;
    bool FEditInProgress = false;
    IVxEditingTool* FEditingTool = nullptr;
    TVxLTBitmap FImage;
    TVxLTBitmap FOriginalImage;
    TVxPixelBuffer FBackup;
    TVxGraphicsDocumentProperties FProperties;
    std::unique_ptr<IBJPEG> FJPEGSource;
    TViewFactory FViewFactory = nullptr;
    IVxGraphicsToolBroadcast* FTools = nullptr;
};
