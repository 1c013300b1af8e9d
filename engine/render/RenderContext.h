#pragma once
// Draws report objects of every type into a device context: screen, image,
// PDF or printer. Coordinates of objects are document units; the context
// converts them with its unit scaler at the zoom given to Begin.
//
// The device context keeps its whole state by value (a restore puts back
// everything), so the context keeps no copy of what is selected: each
// setter compares with the device context's own state. Only the two text
// fonts, which take a face lookup to build, are kept as values with their
// keys.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Geometry.h"
#include "engine/format/UnitScaler.h"
#include "engine/render/ImageDrawer.h"
#include "engine/render/TextLayout.h"
#include "platform/gdi/DeviceContext.h"

namespace nv {

class TvObject;
class TvFedObject;
class TvLayer;
class TvFontDesc;
class TvText;
class TvList;
class TvLine;
class TvBox;
class TvCircle;
class TvArc;
class TvPolygon;
class TvImage;
class TvOle;
class TvBarcode;
struct TextDrawCache;
struct TextDrawLayout;

class RenderContext {
public:
    explicit RenderContext(bool rethrowErrors = false, TextMeasurer* measurer = nullptr);
    ~RenderContext();
    RenderContext(const RenderContext&) = delete;
    RenderContext& operator=(const RenderContext&) = delete;

    void Begin(DeviceContext& dc, const TvFedObject* form, int32_t zoomPercent);
    // Puts back the pen, brush and font the device context had before Begin
    // (the destructor does it too).
    void End();

    void SetDocumentFonts(const std::vector<const TvFontDesc*>* fonts) { m_docFonts = fonts; }
    void SetLayer(const TvLayer* layer) { m_layer = layer; }
    void SetBarcodeResolution(int32_t dpiX, int32_t dpiY);
    void ApplyOrigin(Point p);
    void SetPrinterOrigin(Point p);

    void DrawObject(const TvObject& object);

    // State setters (each compares with the device context first).
    void SetBkModeCached(int32_t mode);
    void SetBkColorCached(uint32_t colour);
    void SetTextColorCached(uint32_t colour);
    void SelectPen(int32_t style, int32_t width, uint32_t colour);
    void SelectBrush(int32_t fillStyle, uint32_t colour);
    void CreateTextFonts(const TvText& text, int32_t kind);
    void SelectFontKind(int32_t kind);

    const UnitScaler& Scaler() const { return m_scaler; }
    ImageDrawer& Pictures() { return m_pictures; }
    // Objects that failed to draw in this pass (each is logged and reported
    // to the device context).
    int32_t FailedObjects() const { return m_failed; }
    // The device pen and brush a request maps to (for tests).
    static DcPen PenFor(int32_t style, int32_t width, uint32_t colour);
    static DcBrush BrushFor(int32_t fillStyle, uint32_t colour);

private:
    void DrawTextObject(const TvText& text, bool withText);
    // `box` null: the text's own bound rectangle. The layout and its text
    // calls are kept on the object and used again while they still hold.
    void DrawTextContent(const TvText& text, const Rect* box = nullptr);
    // The text as shown: the object's own, or a data field's formatted
    // into `formatted`.
    static const std::string& ShownText(const TvText& text, std::string& formatted);
    // The layout's calls at this context's scale, kept beside those of
    // `previous` (the same layout at other scales, when not null).
    std::shared_ptr<const TextDrawCache> MakeTextPieces(std::shared_ptr<const TextDrawLayout> layout,
                                                        const TextDrawCache* previous);
    void DrawLine(const TvLine& line);
    void DrawBox(const TvBox& box);
    void DrawCircle(const TvCircle& circle);
    void DrawArc(const TvArc& arc);
    void DrawPolygon(const TvPolygon& polygon);
    void DrawPicture(const TvImage& image);
    void DrawOle(const TvOle& ole);
    void DrawBarcode(const TvObject& barcode);
    void DrawList(const TvList& list);
    void ShapePreamble(const TvObject& o, uint32_t textColour);
    // The rectangle with the selected pen and brush, unless both are empty.
    void FrameAndFill(const DcRect& r);
    void FramePen(bool frame, int32_t style, int32_t width, uint32_t colour);
    DcRect ToDevice(const Rect& r) const;
    DcPoint ToDevice(Point p) const;
    // The margins' inset rectangle of a text object in `bound`, as the text
    // is clipped.
    static Rect InsetRect(const TvText& text, Rect bound);

    // The object drawn by its type; a failure passes on.
    void DrawObjectOfType(const TvObject& object);

    bool m_rethrow;
    TextMeasurer* m_measurer;
    DeviceContext* m_dc = nullptr;
    UnitScaler m_scaler{0, 0, 100};
    int32_t m_zoom = 100;
    const TvFedObject* m_form = nullptr;
    const std::vector<const TvFontDesc*>* m_docFonts = nullptr;
    const TvLayer* m_layer = nullptr;

    struct FontKey {
        int32_t face = int32_t(0x80000000);
        int32_t height = 0, width = 0, escapement = 0;
        int32_t bold = 0, italic = 0;
        friend bool operator==(const FontKey&, const FontKey&) = default;
    };
    FontKey m_fontKey[2];
    DcFont m_fonts[2];

    bool m_saved = false;
    DcPen m_savedPen;
    DcBrush m_savedBrush;
    DcFont m_savedFont;

    bool m_barcodePlaceholder = true;
    int32_t m_barcodeDpiX = 0, m_barcodeDpiY = 0;
    int32_t m_deviceDpiX = 0, m_deviceDpiY = 0;
    ImageDrawer m_pictures;
    int32_t m_failed = 0;
};

} // namespace nv
