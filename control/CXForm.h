#pragma once
// One opened report form: its settings, layers and objects, the values
// filled for the current page (recorded in its page data), the drawing
// attributes and the objects drawn on the page.
#include "control/CInkplateDoc.h"
#include "engine/model/TvFedObject.h"
#include "engine/store/TvPageData.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace nv {

class CInkplateCtrl;
class CXLayer;
class CXObject;
class TvArc;

// One of the two fonts of text: sizes in 1/100 point, pitch in document units.
struct FontAttr {
    int32_t font = 0, width = 0, height = 0, pitch = 0;
};

// The values the Draw methods give new objects.
struct DrawAttributes {
    int32_t bold = 0, italic = 0;
    FontAttr zen{0, 1200, 1200, 240000};
    FontAttr han{0, 600, 1200, 120000};
    int32_t frame = 0;
    int32_t direction = 1;
    int32_t transparent = 0;
    uint32_t backColor = 0xFFFFFF;
    uint32_t fillColor = 0xFFFFFF;
    int32_t fillStyle = 0;
    uint32_t lineColor = 0;
    int32_t lineWidth = 15000;
    int32_t lineStyle = 1;
    uint32_t textColor = 0, deleteLineColor = 0, underLineColor = 0;
    int32_t deleteLine = 0, underLine = 0;
    int32_t alignment = 1;
    int32_t angle = 0;
    int32_t reverse = 0, wordWrap = 0, kinsoku = 0, autoLineFeed = 0, defaultPitch = 1;
    int32_t linePitch = 240000;
    std::array<int32_t, 8> barSizes{};
    int32_t barAdjust = 1;
    int32_t barWidth = 1;
    int32_t barValue10 = 0, barFlag11 = 1, barFlag12 = 1, barValue13 = 0;
};

class CXForm : public std::enable_shared_from_this<CXForm> {
public:
    CXForm(CInkplateCtrl& ctrl, std::unique_ptr<CInkplateDoc> doc, std::unique_ptr<TvFedObject> workingCopy,
           std::string fileName);
    ~CXForm();
    CXForm(const CXForm&) = delete;
    CXForm& operator=(const CXForm&) = delete;

    // ---- state ------------------------------------------------------------
    bool IsOpen() const { return m_pDoc && m_pDoc->GetRoot() && m_pCtrl; }
    // Raises 0x800A03E8 / 20008 when no form is open: the guard of every
    // member that needs one.
    void CheckOpen() const;
    CInkplateCtrl& Ctrl() const { return *m_pCtrl; }
    TvFedObject& Root() const { return *m_pDoc->GetRoot(); }
    TvFedObject& WorkingCopy() const { return *m_pWorkingCopy; }
    const std::string& FileName() const { return m_strFileName; }
    TvPageData& PageData() { return m_pageData; }
    const DrawAttributes& Attributes() const { return m_attr; }
    // Moves on whenever the lists of layers or objects change order.
    uint64_t Generation() const { return m_nGeneration; }
    void ListsChanged() { ++m_nGeneration; }
    // The stored name (CP932), empty once closed.
    std::string EngineName() const;

    // ---- ITvForm ------------------------------------------------------------
    std::vector<std::shared_ptr<CXLayer>> TvLayers();
    // Every object of every layer, in layer and list order.
    std::vector<std::shared_ptr<CXObject>> TvObjects();
    double CreateTime() const;   // OLE date
    double UpdateTime() const;
    int32_t UpdateRevision() const;
    std::string EditorVersion() const;
    int32_t Orientation() const; // the engine's value
    std::string Name() const;
    int32_t PaperSizeNumber() const;
    int32_t PaperLength() const;
    int32_t PaperWidth() const;
    int32_t MarginTop() const;
    int32_t MarginLeft() const;
    int32_t MarginRight() const;
    int32_t MarginBottom() const;
    int32_t GetOffsetX() const;
    int32_t GetOffsetY() const;
    void SetOffsetX(int32_t v);
    void SetOffsetY(int32_t v);
    std::string Author() const;
    std::string Contents() const;
    std::string GetKinsokuString() const;
    void SetKinsokuString(const std::string& v);
    std::shared_ptr<CXLayer> GetActiveLayer();
    // A layer wrapper of this form, else 0x800A017C / 20006.
    void SetActiveLayer(const std::shared_ptr<CXLayer>& layer);
    void ClearAllFields();
    void Close();

    // Drawing attributes (values already in engine numbering where the
    // converters apply; lengths in Unit).
    void SetLine(int32_t engineLineStyle, int32_t width, uint32_t color);
    void SetFillPattern(int32_t engineFillStyle, uint32_t color);
    void SetBackColor(uint32_t color);
    void SetTransparent(bool v);
    void SetDirection(int32_t engineDirection);
    void SetFrame(bool v);
    void SetHanFont(int32_t width, int32_t height, int32_t pitch, const std::string& face);
    void SetZenFont(int32_t width, int32_t height, int32_t pitch, const std::string& face);
    void SetFont(int32_t width, int32_t height, int32_t pitch, const std::string& face, bool bold, bool italic,
                 int32_t engineDeleteLine, int32_t engineUnderLine);
    void SetTextColor(uint32_t text, uint32_t deleteLine, uint32_t underLine);
    // Indexes 0 and 1 take engine alignment and angle values.
    void SetTextAttribute(int32_t index, int32_t value);
    // Index 8 takes the engine's bar adjustment.
    void SetBarcodeAttribute(int32_t index, int32_t value);

    // Draw methods: on an AP-mode active layer (else 0x800A0005 / 20029).
    std::string DrawTvBarcode(int32_t engineSymbology, int32_t x, int32_t y, int32_t w, int32_t h,
                              const std::string& text);
    void DrawTvBox(int32_t x, int32_t y, int32_t w, int32_t h, int32_t roundSize);
    void DrawTvCircle(int32_t cx, int32_t cy, int32_t rx, int32_t ry);
    void DrawTvCircle2(int32_t x, int32_t y, int32_t w, int32_t h);
    void DrawTvArc(int32_t engineArcType, int32_t cx, int32_t cy, int32_t rx, int32_t ry, int32_t start,
                   int32_t end);
    void DrawTvArc2(int32_t engineArcType, int32_t x, int32_t y, int32_t w, int32_t h, int32_t start, int32_t end);
    void DrawTvImage(int32_t x, int32_t y, int32_t w, int32_t h, const std::string& fileName);
    void DrawTvLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void DrawTvText(int32_t x, int32_t y, int32_t w, int32_t h, const std::string& text);

    // ---- for the layer and object wrappers ------------------------------
    std::shared_ptr<CXLayer> LayerWrapper(TvLayer& layer);
    // Pass `layer` when known; without it every layer is searched for `obj`.
    std::shared_ptr<CXObject> ObjectWrapper(TvObject& obj, TvLayer* layer = nullptr);
    // Applies a map to an engine object and records its changes under the
    // object's id; the object must support the map's first id (else
    // 0x800A01A6 / 20003).
    void RecordObject(TvObject& obj, const TvPropertyMap& map);
    void RecordLayer(TvLayer& layer, const TvPropertyMap& map);
    // Records an order change (1003-1006) under an object or layer id; false
    // when the order value has run out (the caller raises 20032).
    bool RecordOrder(bool layer, uint32_t id, uint16_t kind);
    // Moves a layer of the loaded root to the end or the front.
    void MoveLayer(TvLayer& layer, bool toTop);
    // Objects drawn on the current page, by layer id.
    std::map<int32_t, TvObjectList>& DrawnObjects() { return m_drawn; }

    // Whether the form is stored in the current document, and its id there.
    bool IsStoredInDocument() const { return m_bStored; }
    int32_t DocumentFormId() const { return m_nDocFormId; }
    void MarkStored(int32_t formId)
    {
        m_bStored = true;
        m_nDocFormId = formId;
    }
    void ClearStored() { m_bStored = false; }

    // Closes without the open check (control shut-down, Initialize).
    void CloseForm();

private:
    TvLayer& DrawLayer();
    Rect DrawBox(int32_t x, int32_t y, int32_t w, int32_t h) const;
    FontAttr ConvertFont(int32_t width, int32_t height, int32_t pitch, const std::string& face, const char* member);
    void AddDrawn(std::unique_ptr<TvObject> obj);
    // Both arc forms end alike: angles, the shape attributes, then drawn.
    void AddArc(std::unique_ptr<TvArc> arc, int32_t start, int32_t end);
    void ApplyTextAttributes(class TvText& text) const;
    void RecordForm(const TvPropertyMap& map);

    CInkplateCtrl* m_pCtrl;
    std::unique_ptr<CInkplateDoc> m_pDoc;
    std::unique_ptr<TvFedObject> m_pWorkingCopy;
    std::string m_strFileName;
    TvLayer* m_pActiveLayer = nullptr;
    TvPageData m_pageData;
    int32_t m_nOrderValue = 1;
    uint64_t m_nGeneration = 0;
    DrawAttributes m_attr;
    std::map<int32_t, TvObjectList> m_drawn;
    bool m_bStored = false;
    int32_t m_nDocFormId = 0;
    std::map<const TvLayer*, std::weak_ptr<CXLayer>> m_layerWrappers;
    std::map<const TvObject*, std::weak_ptr<CXObject>> m_objectWrappers;
};

} // namespace nv
