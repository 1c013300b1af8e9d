#include "ledger/journal/forms/FormBuilder.h"

#include "engine/core/AppException.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvBox.h"
#include "platform/core/Cp932.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace nv {

namespace {

// The paper number of A4 in a form's information.
constexpr int32_t kFormPaperA4 = 2;
// A4 in document units as the paper table has it.
constexpr int32_t kA4WidthUnits = 11905511;
constexpr int32_t kA4LengthUnits = 16837795;

// Points in 1/100 point to tenths of a millimetre: 1 pt = 0.3527... mm.
int32_t CentiPointsToTenthMm(int32_t centiPoints)
{
    return static_cast<int32_t>((int64_t{centiPoints} * 254 + 3600) / 7200);
}

} // namespace

int32_t TenthMm(int32_t tenths)
{
    // 1,440,000 units an inch, 254 tenths of a millimetre an inch.
    const int64_t v = int64_t{tenths} * 1440000;
    return static_cast<int32_t>(v >= 0 ? (v + 127) / 254 : (v - 127) / 254);
}

std::string FormText(std::string_view utf8)
{
    std::optional<std::string> s = Utf8ToCp932(utf8);
    if (!s) ThrowAppExceptionText(Utf8ToCp932Lossy("様式の文字 \"%s\" は CP932 にありません。"), Utf8ToCp932Lossy(utf8));
    return *s;
}

FormBuilder::FormBuilder(std::string_view formName, FormOrientation orientation)
{
    RegisterModelClasses();
    form_ = std::make_unique<TvFedObject>();
    TvFormInfo& info = form_->EnsureFormInfo();
    info.m_strName = FormText(formName);
    info.m_nPaperSize = kFormPaperA4;
    info.m_nPaperWidth = kA4WidthUnits;
    info.m_nPaperLength = kA4LengthUnits;
    info.m_nOrientation = static_cast<int32_t>(orientation);
    info.m_strCreateTime = FormatFormTime(kFormStamp);
    form_->m_fonts.push_back(std::make_unique<TvFontDesc>(1, FormText("ＭＳ ゴシック"), 128, 0x31, 0, 0));
    form_->m_fonts.push_back(std::make_unique<TvFontDesc>(2, FormText("ＭＳ 明朝"), 128, 0x11, 0, 0));
}

TvLayer& FormBuilder::AddLayer(std::string_view name)
{
    auto layer = std::make_unique<TvLayer>(nextLayerId_++);
    layer->m_strName = FormText(name);
    TvLayer& ref = *layer;
    form_->m_layers.push_back(std::move(layer));
    return ref;
}

void FormBuilder::Place(TvLayer& layer, std::unique_ptr<TvObject> obj, std::string name)
{
    obj->m_strName = std::move(name);
    layer.m_objects.push_back(std::move(obj));
}

std::string FormBuilder::NextShapeName()
{
    // Frame objects are named apart from every field the journals fill.
    return FormText("枠") + std::to_string(nextShape_++);
}

void FormBuilder::Style(TvText& t, MmBox box, const TextStyle& s)
{
    const Rect r{TenthMm(box.left), TenthMm(box.top), TenthMm(box.right), TenthMm(box.bottom)};
    t.m_nX = r.left;
    t.m_nY = r.top;
    t.m_nWidth = r.Width();
    t.m_nHeight = r.Height();
    t.m_nZenFont = t.m_nHanFont = s.font;
    t.m_nZenHeight = t.m_nHanHeight = s.size;
    t.m_nHanWidth = s.hanWidth;
    t.m_nAlign = s.align;
    t.m_bBold = s.bold ? 1 : 0;
    t.m_bAutoLineFeed = s.wrap ? 1 : 0;
    t.m_strPicture = s.picture;
    t.m_nComma = s.thousands ? 1 : 0;
    t.m_strAfter = FormText(s.after);
    t.m_nMarginLeft = t.m_nMarginRight = TenthMm(s.margin);
    // One line centred; a wrapping text as two lines.
    const int32_t line = CentiPointsToTenthMm(s.size);
    const int32_t free = (box.bottom - box.top) - (s.wrap ? 2 : 1) * line;
    t.m_nMarginTop = TenthMm(std::max(free / 2, 0));
}

TvData& FormBuilder::Field(TvLayer& layer, std::string_view name, MmBox box, const TextStyle& style)
{
    auto field = std::make_unique<TvData>();
    Style(*field, box, style);
    field->m_nFieldNumber = nextField_++;
    TvData& ref = *field;
    Place(layer, std::move(field), FormText(name));
    return ref;
}

TvText& FormBuilder::Label(TvLayer& layer, std::string_view text, MmBox box, const TextStyle& style)
{
    auto label = std::make_unique<TvText>();
    Style(*label, box, style);
    label->m_strText = FormText(text);
    TvText& ref = *label;
    Place(layer, std::move(label), NextShapeName());
    return ref;
}

TvLine& FormBuilder::Line(TvLayer& layer, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width)
{
    auto line = std::make_unique<TvLine>(Rect{TenthMm(x1), TenthMm(y1), TenthMm(x2), TenthMm(y2)});
    line->m_nLineWidth = width;
    TvLine& ref = *line;
    Place(layer, std::move(line), NextShapeName());
    return ref;
}

void FormBuilder::Box(TvLayer& layer, MmBox b, int32_t width, uint32_t fill)
{
    const bool shaded = fill != 0xFFFFFFFF;
    auto box = std::make_unique<TvBox>(Rect{TenthMm(b.left), TenthMm(b.top), TenthMm(b.right), TenthMm(b.bottom)}, 0,
                                       shaded ? 0 : 1, nullptr);
    box->m_nLineWidth = width;
    if (shaded) {
        box->m_nFillStyle = 1;
        box->m_crFillColor = fill;
    }
    Place(layer, std::move(box), NextShapeName());
}

std::unique_ptr<TvFedObject> FormBuilder::Finish()
{
    for (auto& layer : form_->m_layers) layer->UpdateDrawOrder(false);
    form_->RebuildIdMap(true);
    return std::move(form_);
}

} // namespace nv
