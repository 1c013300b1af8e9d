#include "control/CXForm.h"

#include "control/CInkplateCtrl.h"
#include "control/CXLayer.h"
#include "control/CXObject.h"
#include "control/ControlErrors.h"
#include "control/ControlText.h"
#include "control/PropertyAccess.h"
#include "engine/core/PropertyIds.h"
#include "engine/format/UnitTable.h"
#include "engine/model/TvArc.h"
#include "engine/model/TvBarcode.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvCircle.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvLine.h"
#include "engine/model/TvList.h"
#include "engine/model/TvText.h"

#include <algorithm>
#include <cstdio>

namespace nv {

namespace {

constexpr const char* kDrawObjectName = "DrawObject";

// "yyyy/mm/dd hh:mm:ss" as an OLE date (days since 1899-12-30); 0 when it
// does not parse.
double ParseFormTime(const std::string& text)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (std::sscanf(text.c_str(), "%d/%d/%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) < 3) return 0;
    if (mo < 1 || mo > 12 || d < 1 || d > 31) return 0;
    // Days from the civil date (proleptic Gregorian).
    const int yy = y - (mo <= 2);
    const int era = (yy >= 0 ? yy : yy - 399) / 400;
    const int yoe = yy - era * 400;
    const int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days = static_cast<long>(era) * 146097 + doe - 719468; // since 1970-01-01
    return static_cast<double>(days + 25569) + (h * 3600 + mi * 60 + s) / 86400.0;
}


} // namespace

CXForm::CXForm(CInkplateCtrl& ctrl, std::unique_ptr<CInkplateDoc> doc, std::unique_ptr<TvFedObject> workingCopy,
               std::string fileName)
    : m_pCtrl(&ctrl), m_pDoc(std::move(doc)), m_pWorkingCopy(std::move(workingCopy)),
      m_strFileName(std::move(fileName))
{
    if (!Root().m_layers.empty()) m_pActiveLayer = Root().m_layers.front().get();
}

CXForm::~CXForm() = default;

std::string CXForm::EngineName() const { return IsOpen() ? Root().EnsureFormInfo().m_strName : std::string(); }

void CXForm::CheckOpen() const
{
    if (!IsOpen()) ThrowControlError(kErrClosedForm, 20008);
}

// ---- collections ------------------------------------------------------------

std::shared_ptr<CXLayer> CXForm::LayerWrapper(TvLayer& layer)
{
    auto& slot = m_layerWrappers[&layer];
    if (auto w = slot.lock()) return w;
    auto w = std::make_shared<CXLayer>(shared_from_this(), &layer);
    slot = w;
    return w;
}

std::shared_ptr<CXObject> CXForm::ObjectWrapper(TvObject& obj, TvLayer* layer)
{
    auto& slot = m_objectWrappers[&obj];
    if (auto w = slot.lock()) return w;
    if (!layer) layer = Root().FindLayerOf(&obj);
    auto w = std::make_shared<CXObject>(layer ? LayerWrapper(*layer) : nullptr, &obj);
    slot = w;
    return w;
}

std::vector<std::shared_ptr<CXLayer>> CXForm::TvLayers()
{
    CheckOpen();
    std::vector<std::shared_ptr<CXLayer>> out;
    for (auto& l : Root().m_layers) out.push_back(LayerWrapper(*l));
    return out;
}

std::vector<std::shared_ptr<CXObject>> CXForm::TvObjects()
{
    CheckOpen();
    std::vector<std::shared_ptr<CXObject>> out;
    Root().ForEachObjectMutable([&](TvObject& o, TvLayer& layer) { out.push_back(ObjectWrapper(o, &layer)); });
    return out;
}

// ---- read-only settings -------------------------------------------------------

#define NV_FORM_INFO(expr)                                                                                            \
    CheckOpen();                                                                                                        \
    const TvFormInfo& info = Root().EnsureFormInfo();                                                                   \
    return expr

double CXForm::CreateTime() const { NV_FORM_INFO(ParseFormTime(info.m_strCreateTime)); }
double CXForm::UpdateTime() const { NV_FORM_INFO(ParseFormTime(info.m_strUpdateTime)); }
int32_t CXForm::UpdateRevision() const { NV_FORM_INFO(info.m_nUpdateRevision); }
std::string CXForm::EditorVersion() const { NV_FORM_INFO(EngineTextToHost(info.m_strEditorVersion)); }
int32_t CXForm::Orientation() const { NV_FORM_INFO(info.m_nOrientation); }
std::string CXForm::Name() const { NV_FORM_INFO(EngineTextToHost(info.m_strName)); }
int32_t CXForm::PaperSizeNumber() const { NV_FORM_INFO(info.m_nPaperSize); }
int32_t CXForm::PaperLength() const { NV_FORM_INFO(m_pCtrl->ToUnit(info.m_nPaperLength)); }
int32_t CXForm::PaperWidth() const { NV_FORM_INFO(m_pCtrl->ToUnit(info.m_nPaperWidth)); }
int32_t CXForm::MarginTop() const { NV_FORM_INFO(m_pCtrl->ToUnit(info.m_nMarginTop)); }
int32_t CXForm::MarginLeft() const { NV_FORM_INFO(m_pCtrl->ToUnit(info.m_nMarginLeft)); }
int32_t CXForm::MarginRight() const { NV_FORM_INFO(m_pCtrl->ToUnit(info.m_nMarginRight)); }
int32_t CXForm::MarginBottom() const { NV_FORM_INFO(m_pCtrl->ToUnit(info.m_nMarginBottom)); }
int32_t CXForm::GetOffsetX() const { NV_FORM_INFO(m_pCtrl->ToUnit(info.m_nOffsetX)); }
int32_t CXForm::GetOffsetY() const { NV_FORM_INFO(m_pCtrl->ToUnit(info.m_nOffsetY)); }
std::string CXForm::Author() const { NV_FORM_INFO(EngineTextToHost(info.m_strAuthor)); }
std::string CXForm::Contents() const { NV_FORM_INFO(EngineTextToHost(info.m_strContents)); }
std::string CXForm::GetKinsokuString() const { NV_FORM_INFO(EngineTextToHost(info.m_strKinsoku)); }

#undef NV_FORM_INFO

void CXForm::RecordForm(const TvPropertyMap& map)
{
    TvObjectChanges changes(0);
    Root().EnsureFormInfo().SetProperties(map, &changes.m_changes);
    m_pageData.m_formEntries.MergeChanges(changes);
}

void CXForm::SetOffsetX(int32_t v)
{
    CheckOpen();
    RecordForm(TvPropertyMap(propFormOffsetX, TvPropValue::Long(m_pCtrl->FromUnit(v, SignRule::Any))));
}

void CXForm::SetOffsetY(int32_t v)
{
    CheckOpen();
    RecordForm(TvPropertyMap(propFormOffsetY, TvPropValue::Long(m_pCtrl->FromUnit(v, SignRule::Any))));
}

void CXForm::SetKinsokuString(const std::string& v)
{
    CheckOpen();
    RecordForm(TvPropertyMap(propKinsokuChars, TvPropValue::String(HostTextToEngine(v, "KinsokuString"))));
}

std::shared_ptr<CXLayer> CXForm::GetActiveLayer()
{
    CheckOpen();
    if (!m_pActiveLayer) return nullptr;
    return LayerWrapper(*m_pActiveLayer);
}

void CXForm::SetActiveLayer(const std::shared_ptr<CXLayer>& layer)
{
    CheckOpen();
    if (!layer || &layer->Form() != this || !layer->EngineLayer()) ThrowControlError(kErrInvalidProperty, kTextInvalidObject);
    m_pActiveLayer = layer->EngineLayer();
}

// ---- page values ----------------------------------------------------------------

void CXForm::RecordObject(TvObject& obj, const TvPropertyMap& map)
{
    const auto* first = map.GetFirst();
    if (!first || !obj.IsPropertySupported(first->first)) ThrowControlError(kErrPropertyNotFound, 20003);
    TvObjectChanges changes(obj.m_nObjectId);
    obj.SetProperties(map, &changes.m_changes);
    m_pageData.m_objectEntries.MergeChanges(changes);
}

void CXForm::RecordLayer(TvLayer& layer, const TvPropertyMap& map)
{
    TvObjectChanges changes(static_cast<uint32_t>(layer.m_nLayerId));
    layer.SetProperties(map, &changes.m_changes);
    m_pageData.m_layerEntries.MergeChanges(changes);
}

bool CXForm::RecordOrder(bool layer, uint32_t id, uint16_t kind)
{
    if (m_nOrderValue == -1) return false;
    TvObjectChanges changes(id);
    changes.m_changes.Add(std::make_unique<CChangeData>(kind, m_nOrderValue));
    (layer ? m_pageData.m_layerEntries : m_pageData.m_objectEntries).MergeChanges(changes);
    m_nOrderValue = m_nOrderValue == INT32_MAX ? -1 : m_nOrderValue + 1;
    return true;
}

void CXForm::MoveLayer(TvLayer& layer, bool toTop)
{
    auto& layers = Root().m_layers;
    auto it = std::find_if(layers.begin(), layers.end(), [&](const auto& l) { return l.get() == &layer; });
    if (it == layers.end()) return;
    if (toTop ? it + 1 == layers.end() : it == layers.begin()) return;
    if (m_nOrderValue == -1) ThrowControlError(kErrInvalidValue, 20032);
    std::unique_ptr<TvLayer> moved = std::move(*it);
    layers.erase(it);
    if (toTop) layers.push_back(std::move(moved));
    else layers.insert(layers.begin(), std::move(moved));
    ListsChanged();
    RecordOrder(true, static_cast<uint32_t>(layer.m_nLayerId), toTop ? orderLayerToFront : orderLayerToBack);
}

void CXForm::ClearAllFields()
{
    CheckOpen();
    Root().ForEachObjectMutable([&](TvObject& obj, TvLayer&) {
        switch (obj.GetType()) {
        case objList: {
            auto& list = static_cast<TvList&>(obj);
            for (int32_t i = 0; i < list.m_nColumns; ++i)
                for (int32_t j = 0; j < list.m_nRows; ++j)
                    RecordObject(obj, TvPropertyMap(propCellText, TvPropValue::String(std::to_string(i) + ":" +
                                                                             std::to_string(j) + ":")));
            break;
        }
        case objImageField: RecordObject(obj, TvPropertyMap(propFileName, TvPropValue::String({}))); break;
        case objData:
        case objBarcode:
        case objTextField: RecordObject(obj, TvPropertyMap(propValue, TvPropValue::String({}))); break;
        default: break;
        }
    });
}

void CXForm::Close()
{
    CheckOpen();
    CloseForm();
}

void CXForm::CloseForm()
{
    auto keep = shared_from_this();
    m_drawn.clear();
    m_pageData.Clear(true);
    m_pActiveLayer = nullptr;
    m_layerWrappers.clear();
    m_objectWrappers.clear();
    m_pWorkingCopy.reset();
    m_pDoc.reset();
    ListsChanged();
    if (m_pCtrl) m_pCtrl->RemoveForm(this);
    m_pCtrl = nullptr;
}

// ---- drawing attributes -----------------------------------------------------------

void CXForm::SetLine(int32_t engineLineStyle, int32_t width, uint32_t color)
{
    CheckOpen();
    if (engineLineStyle == -999) ThrowControlError(kErrInvalidValue, 20014);
    const int32_t w = m_pCtrl->FromUnit(width, SignRule::NonNegative);
    m_attr.lineStyle = engineLineStyle;
    m_attr.lineWidth = w;
    m_attr.lineColor = CInkplateCtrl::TranslateColor(color);
}

void CXForm::SetFillPattern(int32_t engineFillStyle, uint32_t color)
{
    CheckOpen();
    if (engineFillStyle == -999) ThrowControlError(kErrInvalidValue, 20015);
    m_attr.fillStyle = engineFillStyle;
    m_attr.fillColor = CInkplateCtrl::TranslateColor(color);
}

void CXForm::SetBackColor(uint32_t color)
{
    CheckOpen();
    m_attr.backColor = CInkplateCtrl::TranslateColor(color);
}

void CXForm::SetTransparent(bool v)
{
    CheckOpen();
    m_attr.transparent = v ? 1 : 0;
}

void CXForm::SetDirection(int32_t engineDirection)
{
    CheckOpen();
    if (engineDirection == -999) ThrowControlError(kErrInvalidValue, 20010);
    m_attr.direction = engineDirection;
}

void CXForm::SetFrame(bool v)
{
    CheckOpen();
    m_attr.frame = v ? 1 : 0;
}

FontAttr CXForm::ConvertFont(int32_t width, int32_t height, int32_t pitch, const std::string& face,
                             const char* member)
{
    CheckOpen();
    FontAttr f;
    f.width = m_pCtrl->UnitToCentiPoints(width);
    f.height = m_pCtrl->UnitToCentiPoints(height);
    f.pitch = m_pCtrl->FromUnit(pitch, SignRule::NonNegative);
    f.font = m_pCtrl->LookupFont(HostTextToEngine(face, member));
    return f;
}

void CXForm::SetHanFont(int32_t width, int32_t height, int32_t pitch, const std::string& face)
{
    m_attr.han = ConvertFont(width, height, pitch, face, "SetHanFont");
}

void CXForm::SetZenFont(int32_t width, int32_t height, int32_t pitch, const std::string& face)
{
    m_attr.zen = ConvertFont(width, height, pitch, face, "SetZenFont");
}

void CXForm::SetFont(int32_t width, int32_t height, int32_t pitch, const std::string& face, bool bold, bool italic,
                     int32_t engineDeleteLine, int32_t engineUnderLine)
{
    CheckOpen();
    if (engineDeleteLine == -999 || engineUnderLine == -999) ThrowControlError(kErrInvalidValue, 20021);
    const FontAttr f = ConvertFont(width, height, pitch, face, "SetFont");
    m_attr.zen = f;
    m_attr.han = FontAttr{f.font, f.width / 2, f.height, f.pitch / 2};
    m_attr.bold = bold ? 1 : 0;
    m_attr.italic = italic ? 1 : 0;
    m_attr.deleteLine = engineDeleteLine;
    m_attr.underLine = engineUnderLine;
}

void CXForm::SetTextColor(uint32_t text, uint32_t deleteLine, uint32_t underLine)
{
    CheckOpen();
    m_attr.textColor = CInkplateCtrl::TranslateColor(text);
    m_attr.deleteLineColor = CInkplateCtrl::TranslateColor(deleteLine);
    m_attr.underLineColor = CInkplateCtrl::TranslateColor(underLine);
}

void CXForm::SetTextAttribute(int32_t index, int32_t value)
{
    CheckOpen();
    const int32_t flag = value != 0 ? 1 : 0;
    switch (index) {
    case 0:
        if (value == -999) ThrowControlError(kErrInvalidValue, 20039);
        m_attr.alignment = value;
        break;
    case 1:
        if (value == -999) ThrowControlError(kErrInvalidValue, 20024);
        m_attr.angle = value;
        break;
    case 2: m_attr.reverse = flag; break;
    case 3: m_attr.wordWrap = flag; break;
    case 4: m_attr.kinsoku = flag; break;
    case 5: m_attr.autoLineFeed = flag; break;
    case 6: m_attr.defaultPitch = flag; break;
    case 7: m_attr.han.pitch = m_pCtrl->FromUnit(value, SignRule::NonNegative); break;
    case 8: m_attr.zen.pitch = m_pCtrl->FromUnit(value, SignRule::NonNegative); break;
    case 9: m_attr.linePitch = m_pCtrl->FromUnit(value, SignRule::NonNegative); break;
    case 10: m_attr.bold = flag; break;
    case 11: m_attr.italic = flag; break;
    default: ThrowControlError(kErrInvalidValue, 20027);
    }
}

void CXForm::SetBarcodeAttribute(int32_t index, int32_t value)
{
    CheckOpen();
    if (index >= 0 && index <= 7) {
        m_attr.barSizes[static_cast<size_t>(index)] = value;
        return;
    }
    switch (index) {
    case 8:
        if (value == -999) ThrowControlError(kErrInvalidValue, 20022);
        m_attr.barAdjust = value;
        break;
    case 9:
        if (value <= 0) ThrowControlError(kErrInvalidValue, 20041);
        m_attr.barWidth = value;
        break;
    case 10: m_attr.barValue10 = value; break;
    case 11: m_attr.barFlag11 = value != 0 ? 1 : 0; break;
    case 12: m_attr.barFlag12 = value != 0 ? 1 : 0; break;
    case 13: m_attr.barValue13 = value; break;
    default: ThrowControlError(kErrInvalidValue, 20027);
    }
}

// ---- drawing ---------------------------------------------------------------------------

Rect CXForm::DrawBox(int32_t x, int32_t y, int32_t w, int32_t h) const
{
    m_pCtrl->FromUnit(w, SignRule::NonNegative);
    m_pCtrl->FromUnit(h, SignRule::NonNegative);
    // The far edges from start plus size, summed in 64 bits.
    return Rect{m_pCtrl->FromUnit(x, SignRule::Any), m_pCtrl->FromUnit(y, SignRule::Any),
                m_pCtrl->FromUnit(int64_t{x} + w, SignRule::Any), m_pCtrl->FromUnit(int64_t{y} + h, SignRule::Any)};
}

TvLayer& CXForm::DrawLayer()
{
    CheckOpen();
    if (!m_pActiveLayer) ThrowControlError(kErrInvalidValue, 20029);
    if (m_pActiveLayer->m_nLayerMode != kLayerModeAp) ThrowControlError(kErrInvalidValue, 20029);
    return *m_pActiveLayer;
}

void CXForm::AddDrawn(std::unique_ptr<TvObject> obj)
{
    obj->m_strName = kDrawObjectName;
    obj->m_bTransparent = m_attr.transparent;
    obj->m_crBackColor = m_attr.backColor;
    m_drawn[m_pActiveLayer->m_nLayerId].push_back(std::move(obj));
}

void CXForm::ApplyTextAttributes(TvText& t) const
{
    t.m_bBold = m_attr.bold;
    t.m_bItalic = m_attr.italic;
    t.m_nZenFont = m_attr.zen.font;
    t.m_nZenWidth = m_attr.zen.width;
    t.m_nZenHeight = m_attr.zen.height;
    t.m_nZenPitch = m_attr.zen.pitch;
    t.m_nHanFont = m_attr.han.font;
    t.m_nHanWidth = m_attr.han.width;
    t.m_nHanHeight = m_attr.han.height;
    t.m_nHanPitch = m_attr.han.pitch;
    t.m_bFrame = m_attr.frame;
    t.m_nDirection = m_attr.direction;
    t.m_nFillStyle = m_attr.fillStyle;
    t.m_crFill = m_attr.fillColor;
    t.m_nLineStyle = m_attr.lineStyle;
    t.m_nLineWidth = m_attr.lineWidth;
    t.m_crLine = m_attr.lineColor;
    t.m_crText = m_attr.textColor;
    t.m_nStrike = m_attr.deleteLine;
    t.m_crStrike = m_attr.deleteLineColor;
    t.m_nUnderline = m_attr.underLine;
    t.m_crUnderline = m_attr.underLineColor;
    t.m_nAlign = m_attr.alignment;
    t.m_nAngle = m_attr.angle;
    t.m_bReverse = m_attr.reverse;
    t.m_bWordWrap = m_attr.wordWrap;
    t.m_bKinsoku = m_attr.kinsoku;
    t.m_bAutoLineFeed = m_attr.autoLineFeed;
    t.m_bMeasuredPitch = m_attr.defaultPitch;
    t.m_nLinePitch = m_attr.linePitch;
}

namespace {

template <class G>
void ApplyShape(G& g, const DrawAttributes& a)
{
    g.m_nFillStyle = static_cast<int16_t>(a.fillStyle);
    g.m_crFillColor = a.fillColor;
    g.m_nLineStyle = static_cast<int16_t>(a.lineStyle);
    g.m_nLineWidth = a.lineWidth;
    g.m_crLineColor = a.lineColor;
}

} // namespace

std::string CXForm::DrawTvBarcode(int32_t engineSymbology, int32_t x, int32_t y, int32_t w, int32_t h,
                                  const std::string& text)
{
    DrawLayer();
    if (engineSymbology == -999) ThrowControlError(kErrInvalidValue, 20033);
    const Rect box = DrawBox(x, y, w, h);
    auto bar = std::make_unique<TvBarcode>();
    bar->SetSymbology(engineSymbology);
    bar->SetRect(box);
    for (int i = 0; i < 8 && i < TvBarcode::kMaxWidths; ++i) bar->m_nWidths[static_cast<size_t>(i)] = m_attr.barSizes[static_cast<size_t>(i)];
    bar->m_nWidthMode = m_attr.barAdjust;
    bar->m_nSecondWidth = m_attr.barWidth;
    bar->m_nFirstWidth = m_attr.barValue10;
    bar->m_bCheckDigit = m_attr.barFlag11;
    bar->m_bCustomerHeight = m_attr.barFlag12;
    bar->m_nNominalLength = m_attr.barValue13 > 0 ? m_attr.barValue13 : bar->m_nNominalLength;
    bar->m_nOrientation = m_attr.direction;
    bar->m_crBarColor = m_attr.lineColor;
    const std::string value = HostTextToEngine(text, "DrawTvBarcode");
    std::string expanded;
    const int32_t r = bar->CheckText(expanded, value);
    if (r == kBarcodeErrCharacter) ThrowControlError(kErrInvalidValue, 20035);
    if (r < 0) ThrowControlError(kErrInvalidValue, 20034);
    bar->m_strText = expanded;
    AddDrawn(std::move(bar));
    return EngineTextToHost(expanded);
}

void CXForm::DrawTvBox(int32_t x, int32_t y, int32_t w, int32_t h, int32_t roundSize)
{
    DrawLayer();
    const Rect box = DrawBox(x, y, w, h);
    const int32_t round = m_pCtrl->FromUnit(roundSize, SignRule::NonNegative);
    auto shape = std::make_unique<TvBox>(box, round, m_attr.frame, nullptr);
    ApplyShape(*shape, m_attr);
    AddDrawn(std::move(shape));
}

void CXForm::DrawTvCircle(int32_t cx, int32_t cy, int32_t rx, int32_t ry)
{
    DrawLayer();
    const Point centre{m_pCtrl->FromUnit(cx, SignRule::Any), m_pCtrl->FromUnit(cy, SignRule::Any)};
    const Size radii{m_pCtrl->FromUnit(rx, SignRule::NonNegative), m_pCtrl->FromUnit(ry, SignRule::NonNegative)};
    auto circle = std::make_unique<TvCircle>(centre, radii, m_attr.frame, nullptr);
    ApplyShape(*circle, m_attr);
    AddDrawn(std::move(circle));
}

void CXForm::DrawTvCircle2(int32_t x, int32_t y, int32_t w, int32_t h)
{
    DrawLayer();
    const Rect box = DrawBox(x, y, w, h);
    auto circle = std::make_unique<TvCircle>(box, m_attr.frame, nullptr);
    ApplyShape(*circle, m_attr);
    AddDrawn(std::move(circle));
}

void CXForm::AddArc(std::unique_ptr<TvArc> arc, int32_t start, int32_t end)
{
    arc->m_nStartAngle = start;
    arc->m_nEndAngle = end;
    ApplyShape(*arc, m_attr);
    AddDrawn(std::move(arc));
}

void CXForm::DrawTvArc(int32_t engineArcType, int32_t cx, int32_t cy, int32_t rx, int32_t ry, int32_t start,
                       int32_t end)
{
    DrawLayer();
    if (engineArcType == -999) ThrowControlError(kErrInvalidValue, 20028);
    const Point centre{m_pCtrl->FromUnit(cx, SignRule::Any), m_pCtrl->FromUnit(cy, SignRule::Any)};
    const Size radii{m_pCtrl->FromUnit(rx, SignRule::NonNegative), m_pCtrl->FromUnit(ry, SignRule::NonNegative)};
    auto arc = std::make_unique<TvArc>(centre, radii, engineArcType, m_attr.frame, nullptr);
    AddArc(std::move(arc), start, end);
}

void CXForm::DrawTvArc2(int32_t engineArcType, int32_t x, int32_t y, int32_t w, int32_t h, int32_t start,
                        int32_t end)
{
    DrawLayer();
    if (engineArcType == -999) ThrowControlError(kErrInvalidValue, 20028);
    const Rect box = DrawBox(x, y, w, h);
    auto arc = std::make_unique<TvArc>(box, m_attr.frame, engineArcType, nullptr);
    AddArc(std::move(arc), start, end);
}

void CXForm::DrawTvImage(int32_t x, int32_t y, int32_t w, int32_t h, const std::string& fileName)
{
    DrawLayer();
    const Rect box = DrawBox(x, y, w, h);
    const std::optional<std::string> name = HostPathToEngine(fileName);
    if (!name) ThrowControlError(kErrFileNotFound, 20030);
    // A folder the stored text cannot name is kept as the native path found.
    std::string native;
    const std::string found = m_pCtrl->ResolvePicture(*name, &native);
    auto image = std::make_unique<TvImage>(box, found);
    image->m_strFoundPath = native;
    image->m_bFrame = m_attr.frame;
    AddDrawn(std::move(image));
}

void CXForm::DrawTvLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    DrawLayer();
    const Rect r{m_pCtrl->FromUnit(x1, SignRule::Any), m_pCtrl->FromUnit(y1, SignRule::Any),
                 m_pCtrl->FromUnit(x2, SignRule::Any), m_pCtrl->FromUnit(y2, SignRule::Any)};
    auto line = std::make_unique<TvLine>(r, nullptr);
    ApplyShape(*line, m_attr);
    AddDrawn(std::move(line));
}

void CXForm::DrawTvText(int32_t x, int32_t y, int32_t w, int32_t h, const std::string& text)
{
    DrawLayer();
    const Rect box = DrawBox(x, y, w, h);
    auto label = std::make_unique<TvText>(box, HostTextToEngine(text, "DrawTvText"));
    ApplyTextAttributes(*label);
    AddDrawn(std::move(label));
}

} // namespace nv
