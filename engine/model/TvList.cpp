#include "engine/model/TvList.h"

#include "engine/core/Archive.h"
#include "engine/core/EngineMath.h"
#include "engine/core/PropertyTypes.h"

#include <algorithm>
#include <vector>

namespace nv {

// Registered under TvObject: kind-of tests must not take a list for a text.
NV_IMPLEMENT_SERIAL(TvList, TvObject, 10, true)

namespace {

// The cell attribute a list passes each property on to.
struct CellProperty {
    uint16_t id;
    int selector;
};

constexpr CellProperty kCellProperties[] = {
    {propTextColor, TvList::cellTextColor},
    {propBackColor, TvList::cellBackColor},
    {propTransparent, TvList::cellTransparent},
    {propFillColor, TvList::cellFillColor},
    {propFillStyle, TvList::cellFillStyle},
    {propLineWidth, TvList::cellLineWidth},
    {propLineStyle, TvList::cellLineStyle},
    {propLineColor, TvList::cellLineColor},
    {propFrame, TvList::cellFrame},
    {propBold, TvList::cellBold},
    {propItalic, TvList::cellItalic},
    {propStrike, TvList::cellStrike},
    {propUnderline, TvList::cellUnderline},
    {propAlign, TvList::cellAlign},
    {propText, TvList::cellText},
    {propReplaceChar, TvList::cellReplace},
    {propPicture, TvList::cellPicture},
    {propAngle, TvList::cellAngle},
    {propUnderlineColor, TvList::cellUnderlineColor},
    {propStrikeColor, TvList::cellStrikeColor},
    {propReverse, TvList::cellReverse},
    {propMeasuredPitch, TvList::cellMeasuredPitch},
    {propMarginLeft, TvList::cellMarginLeft},
    {propMarginTop, TvList::cellMarginTop},
    {propZenPitch, TvList::cellZenPitch},
    {propHanPitch, TvList::cellHanPitch},
    {propLinePitch, TvList::cellLinePitch},
    {propZenFont, TvList::cellZenFont},
    {propHanFont, TvList::cellHanFont},
    {propHanWidth, TvList::cellHanWidth},
    {propHanHeight, TvList::cellHanHeight},
    {propZenWidth, TvList::cellZenWidth},
    {propZenHeight, TvList::cellZenHeight},
    {propBefore, TvList::cellBefore},
    {propAfter, TvList::cellAfter},
    {propMarginRight, TvList::cellMarginRight},
    {propMarginBottom, TvList::cellMarginBottom},
    {propTextSpare5, TvList::cellFlag100},
    {propComma, TvList::cellComma},
    {propVisible, TvList::cellVisible},
};

// The cell attribute of an id; -1 for none.
int SelectorOf(uint16_t id)
{
    for (const CellProperty& c : kCellProperties)
        if (c.id == id) return c.selector;
    return -1;
}

std::unique_ptr<TvData> CloneCell(const TvData& source)
{
    auto cell = std::make_unique<TvData>();
    cell->CopyFieldAttributes(source);
    return cell;
}

} // namespace

TvList::TvList()
{
    TvList::InitDefaults();
}

TvList::TvList(const Rect& r, int16_t columns, int16_t rows, const TvText& templ) : TvText(r, templ)
{
    m_nObjectId = 3;
    m_nFieldNumber = 0;
    m_nColumns = std::clamp<int16_t>(columns, 1, kMaxCount);
    m_nRows = std::clamp<int16_t>(rows, 1, kMaxCount);
    const TvData cellTemplate(Rect{}, templ);
    for (int16_t c = 0; c < m_nColumns; ++c)
        for (int16_t row = 0; row < m_nRows; ++row) m_cells.SetAt(CellKey(c, row), CloneCell(cellTemplate));
    Layout();
}

void TvList::InitDefaults()
{
    TvText::InitDefaults();
    m_nObjectId = 3;
    m_nFieldNumber = 0;
    m_nColumns = 0;
    m_nRows = 0;
    m_nDirection = 1;
}

void TvList::Serialize(Archive& ar, uint32_t schema)
{
    TvText::Serialize(ar, schema);
    if (ar.IsStoring()) {
        ar.WriteU32(kObjectVersion);
        ar.WriteI16(m_nColumns);
        ar.WriteI16(m_nRows);
        ar.WriteI32(m_nFieldNumber);
        ar.WriteCount(static_cast<uint32_t>(m_cells.size()));
        for (const auto& [key, cell] : m_cells) {
            ar.WriteU32(key);
            ar.WriteObject(cell.get());
        }
        return;
    }
    (void)ar.ReadU32(); // written by every version
    m_nColumns = ar.ReadI16();
    m_nRows = ar.ReadI16();
    m_nFieldNumber = ar.ReadI32();
    m_cells.RemoveAll();
    // Each entry is a key and at least an object tag.
    const uint32_t count = ar.ReadCount(6);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t key = ar.ReadU32();
        std::unique_ptr<TvData> cell = ar.ReadObject<TvData>(true);
        // No writer stores a key twice; replacing would free a cell the
        // archive still knows by its id.
        if (m_cells.Lookup(key)) ar.ThrowError(CArchiveException::badIndex);
        m_cells.SetAt(key, std::move(cell));
    }
}

void TvList::GetBoundRect(Rect& out, bool withPen) const
{
    RectFromAnchor(out, m_nDirection, m_nWidth, m_nHeight);
    if (withPen) {
        const TvData* first = FirstCell();
        const int64_t lw = first ? first->m_nLineWidth : m_nLineWidth;
        const int32_t d = static_cast<int32_t>((lw + 3) / 2);
        out.Inflate(d, d);
    }
}

void TvList::SetRect(const Rect& r)
{
    AnchorFromRect(m_nWidth, m_nHeight, m_nDirection, r.Normalized());
    Layout();
}

std::unique_ptr<TvObject> TvList::Clone() const
{
    auto copy = std::make_unique<TvList>();
    copy->CopyFieldAttributes(*this);
    return copy;
}

void TvList::CopyFieldAttributes(const TvList& s)
{
    // The list's own attributes and field number travel too, so that later
    // changes to the copy are recorded against the right values.
    CopyTextAttributes(s);
    m_nFieldNumber = s.m_nFieldNumber;
    m_nColumns = s.m_nColumns;
    m_nRows = s.m_nRows;
    m_cells.RemoveAll();
    // Taken in the source's order, each new key at the head of its bucket:
    // every bucket of the copy is reversed, as the class library's copy was,
    // so that a copied form stores the bytes the platform stored.
    for (const auto& [key, cell] : s.m_cells) {
        auto copy = CloneCell(*cell);
        copy->m_strValue = cell->m_strValue;
        m_cells.SetAt(key, std::move(copy));
    }
    Layout();
}

TvData* TvList::GetCell(int32_t column, int32_t row)
{
    std::unique_ptr<TvData>* p = m_cells.Lookup(CellKey(column, row));
    return p ? p->get() : nullptr;
}

const TvData* TvList::GetCell(int32_t column, int32_t row) const
{
    const std::unique_ptr<TvData>* p = m_cells.Lookup(CellKey(column, row));
    return p ? p->get() : nullptr;
}

std::unique_ptr<TvData> TvList::MakeCellTemplate(const TvData* templ) const
{
    if (!templ) templ = FirstCell();
    if (templ) return CloneCell(*templ);
    // No cell (0,0) to copy: a cell with the list's own text attributes.
    return std::make_unique<TvData>(Rect{}, *this);
}

void TvList::SetCell(int32_t column, int32_t row, const TvData* templ)
{
    m_cells.SetAt(CellKey(column, row), MakeCellTemplate(templ));
}

void TvList::RemoveCell(int32_t column, int32_t row)
{
    m_cells.RemoveKey(CellKey(column, row));
}

int32_t TvList::SetColumnCount(int32_t n)
{
    const int16_t count = static_cast<int16_t>(n);
    if (count < 1 || count > kMaxCount) return 0;
    const int16_t old = m_nColumns;
    if (count < old) {
        std::vector<uint32_t> gone;
        for (const auto& [key, cell] : m_cells)
            if (static_cast<int16_t>(key & 0xFFFF) >= count) gone.push_back(key);
        for (uint32_t key : gone) m_cells.RemoveKey(key);
    } else if (count > old) {
        // Column by column, as the constructor fills them: the order of
        // insertion decides the stored order of the cells.
        const std::unique_ptr<TvData> templ = MakeCellTemplate(nullptr);
        for (int16_t c = std::max<int16_t>(old, 0); c < count; ++c)
            for (int16_t row = 0; row < m_nRows; ++row) m_cells.SetAt(CellKey(c, row), CloneCell(*templ));
    }
    m_nColumns = count;
    Layout();
    return 1;
}

int32_t TvList::SetRowCount(int32_t n)
{
    const int16_t count = static_cast<int16_t>(n);
    if (count < 1 || count > kMaxCount) return 0;
    const int16_t old = m_nRows;
    if (count < old) {
        std::vector<uint32_t> gone;
        for (const auto& [key, cell] : m_cells)
            if (static_cast<int16_t>(key >> 16) >= count) gone.push_back(key);
        for (uint32_t key : gone) m_cells.RemoveKey(key);
    } else if (count > old) {
        const std::unique_ptr<TvData> templ = MakeCellTemplate(nullptr);
        for (int16_t row = std::max<int16_t>(old, 0); row < count; ++row)
            for (int16_t c = 0; c < m_nColumns; ++c) m_cells.SetAt(CellKey(c, row), CloneCell(*templ));
    }
    m_nRows = count;
    Layout();
    return 1;
}

void TvList::Layout()
{
    if (m_nColumns < 1 || m_nRows < 1) return;
    const double cw = static_cast<double>(m_nWidth) / m_nColumns;
    const double rh = static_cast<double>(m_nHeight) / m_nRows;
    for (auto& [key, cell] : m_cells) {
        const int64_t c = static_cast<int16_t>(key & 0xFFFF);
        const int64_t r = static_cast<int16_t>(key >> 16);
        const int64_t x0 = RoundToLong(static_cast<double>(c) * cw);
        const int64_t x1 = RoundToLong(static_cast<double>(c + 1) * cw);
        const int64_t y0 = RoundToLong(static_cast<double>(r) * rh);
        const int64_t y1 = RoundToLong(static_cast<double>(r + 1) * rh);
        cell->m_nX = TruncToInt32(static_cast<double>(m_nX + x0));
        cell->m_nY = TruncToInt32(static_cast<double>(m_nY + y0));
        cell->m_nWidth = TruncToInt32(static_cast<double>(x1 - x0));
        cell->m_nHeight = TruncToInt32(static_cast<double>(y1 - y0));
    }
}

void TvList::SetAllCells(int selector, int32_t v)
{
    for (auto& [key, cellPtr] : m_cells) {
        TvData& c = *cellPtr;
        switch (selector) {
        case cellLineWidth: c.m_nLineWidth = v; break;
        case cellLineStyle: c.m_nLineStyle = v; break;
        case cellLineColor: c.m_crLine = static_cast<uint32_t>(v); break;
        case cellFrame: c.m_bFrame = v; break;
        case cellFillStyle: c.m_nFillStyle = v; break;
        case cellFillColor: c.m_crFill = static_cast<uint32_t>(v); break;
        case cellMarginLeft: c.m_nMarginLeft = v; break;
        case cellMarginTop: c.m_nMarginTop = v; break;
        case cellMarginRight: c.m_nMarginRight = v; break;
        case cellMarginBottom: c.m_nMarginBottom = v; break;
        case cellComma: c.m_nComma = v; break;
        case cellAlign: c.m_nAlign = v; break;
        case cellDirection: c.m_nDirection = v; break;
        case cellFlag100: c.m_bFlag100 = v; break;
        case cellAngle: c.m_nAngle = v; break;
        case cellTextColor: c.m_crText = static_cast<uint32_t>(v); break;
        case cellBold: c.m_bBold = v; break;
        case cellItalic: c.m_bItalic = v; break;
        case cellStrike: c.m_nStrike = v; break;
        case cellStrikeColor: c.m_crStrike = static_cast<uint32_t>(v); break;
        case cellUnderline: c.m_nUnderline = v; break;
        case cellUnderlineColor: c.m_crUnderline = static_cast<uint32_t>(v); break;
        case cellHanFont: c.m_nHanFont = v; break;
        case cellHanHeight: c.m_nHanHeight = v; break;
        case cellHanWidth: c.m_nHanWidth = v; break;
        case cellHanPitch: c.m_nHanPitch = v; break;
        case cellZenFont: c.m_nZenFont = v; break;
        case cellZenHeight: c.m_nZenHeight = v; break;
        case cellZenWidth: c.m_nZenWidth = v; break;
        case cellZenPitch: c.m_nZenPitch = v; break;
        case cellLinePitch: c.m_nLinePitch = v; break;
        case cellMeasuredPitch: c.m_bMeasuredPitch = v; break;
        case cellReverse: c.m_bReverse = v; break;
        case cellTransparent: c.m_bTransparent = v; break;
        case cellVisible: c.m_bVisible = v; break;
        case cellBackColor: c.m_crBackColor = static_cast<uint32_t>(v); break;
        default: return; // string selectors take a string
        }
    }
}

void TvList::SetAllCells(int selector, std::string_view v)
{
    if (selector == cellText) m_strText = v;
    if (selector == cellPicture) m_strPicture = v;
    for (auto& [key, cellPtr] : m_cells) {
        TvData& c = *cellPtr;
        switch (selector) {
        case cellText: c.m_strText = v; break;
        case cellPicture: c.m_strPicture = v; break;
        case cellReplace: c.m_strReplace = v; break;
        case cellBefore: c.m_strBefore = v; break;
        case cellAfter: c.m_strAfter = v; break;
        default: return;
        }
    }
}

int32_t TvList::GetCellProperty(int32_t column, int32_t row, uint16_t id, void*& address, int32_t& kind)
{
    TvData* cell = GetCell(column, row);
    if (id != propCellText || !cell) {
        address = nullptr;
        kind = addrNone;
        return 0;
    }
    address = &cell->m_strValue;
    kind = addrString;
    return 1;
}

void TvList::ParseCellKey(std::string_view key, int16_t& column, int16_t& row, std::string& text)
{
    const size_t first = key.find(':');
    if (first == std::string_view::npos) {
        column = 0;
        row = 0;
        text = key;
        return;
    }
    column = static_cast<int16_t>(ParseLeadingInt(key.substr(0, first)));
    const size_t second = key.find(':', first + 1);
    if (second == std::string_view::npos) {
        row = static_cast<int16_t>(ParseLeadingInt(key.substr(first + 1)));
        text.clear();
        return;
    }
    row = static_cast<int16_t>(ParseLeadingInt(key.substr(first + 1, second - first - 1)));
    text = key.substr(second + 1);
}

void TvList::ApplyCellValue(const std::string& key, TvChangeList* changes)
{
    int16_t column = 0, row = 0;
    std::string text;
    ParseCellKey(key, column, row, text);
    TvData* cell = GetCell(column, row);
    if (!cell || cell->m_strValue == text) return;
    if (changes)
        changes->Add(CChangeData::FromString(propCellText, changes->m_bRecordOld ? std::string_view(cell->m_strValue)
                                                                        : std::string_view(key)));
    cell->m_strValue = std::move(text);
}

void TvList::ApplyToCells(uint16_t id, const TvPropValue& v, TvChangeList* changes)
{
    const int selector = SelectorOf(id);
    if (selector < 0) return;
    // The list's own value first (the base pass has set the base's), then
    // every cell's.
    const ObjectPropertyTable::Row* row = ObjectPropertyTable::FindIn(LabelRows(), id);
    if (!row) row = ObjectPropertyTable::FindIn(kFieldStringRows, id);
    if (row) ObjectPropertyTable::ApplyRow(*row, *this, v, changes);
    if (row && row->field == PropertyField::text) SetAllCells(selector, v.AsString());
    else if (row && row->field == PropertyField::shortInLong) SetAllCells(selector, static_cast<int32_t>(v.AsShort()));
    else SetAllCells(selector, v.AsLong());
}

const ObjectPropertyTable& TvList::Properties() const
{
    using Row = ObjectPropertyTable::Row;
    static constexpr Row rows[] = {
        // The text, the field number and the value are the cells' business.
        ObjectRows::Mark(propDirection, useWrite),
        ObjectRows::Mark(propText),
        ObjectRows::Mark(propSparePicture),
        ObjectRows::Mark(propWordWrap),
        ObjectRows::Mark(propKinsoku),
        ObjectRows::Mark(propAutoLineFeed),
        ObjectRows::Mark(propLinePitch),
        ObjectRows::Mark(propValue),
        WithUse<TvObject>(kFieldStringRows, propPicture, useRead),
        WithUse<TvObject>(kFieldStringRows, propComma, useRead),
        // The box lays the cells out again.
        ObjectRows::Field<&TvList::m_nWidth>(propWidth, useAll,
                                            [](TvObject& o, const Row& r, const TvPropValue& v, TvChangeList* changes) {
                                                auto& list = static_cast<TvList&>(o);
                                                list.ApplyLabelRow(r.id, v, changes);
                                                list.Layout();
                                            }),
        ObjectRows::Field<&TvList::m_nHeight>(propHeight, useAll,
                                             [](TvObject& o, const Row& r, const TvPropValue& v, TvChangeList* changes) {
                                                 auto& list = static_cast<TvList&>(o);
                                                 list.ApplyLabelRow(r.id, v, changes);
                                                 list.Layout();
                                             }),
        ObjectRows::Apply(propBothFonts,
                          [](TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes) {
                              auto& list = static_cast<TvList&>(o);
                              list.ApplyLabelRow(propBothFonts, v, changes);
                              list.SetAllCells(cellHanFont, v.AsLong());
                              list.SetAllCells(cellZenFont, v.AsLong());
                          }),
        ObjectRows::Apply(propCharSize,
                          [](TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes) {
                              static_cast<TvList&>(o).ApplyCharSizeToCells(v.AsLong(), changes);
                          }),
        ObjectRows::Field<&TvList::m_nFieldNumber>(propFieldNumber, useReadOnly),
        ObjectRows::Field<&TvList::m_nColumns>(propColumns, useAll,
                                              [](TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes) {
                                                  static_cast<TvList&>(o).ApplyCount(propColumns, v.AsShort(), changes);
                                              }),
        ObjectRows::Field<&TvList::m_nRows>(propRows, useAll,
                                           [](TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes) {
                                               static_cast<TvList&>(o).ApplyCount(propRows, v.AsShort(), changes);
                                           }),
        ObjectRows::Apply(propCellText,
                          [](TvObject& o, const Row&, const TvPropValue& v, TvChangeList* changes) {
                              static_cast<TvList&>(o).ApplyCellValue(v.AsString(), changes);
                          }),
    };
    static const ObjectPropertyTable table(&BaseProperties(), rows, kFieldStringRows, kOfferedBaseRows, LabelRows());
    return table;
}

void TvList::ApplyCharSizeToCells(int32_t n, TvChangeList* changes)
{
    const TvData* first = FirstCell();
    const bool measured = (first ? first->m_bMeasuredPitch : m_bMeasuredPitch) != 0;
    ApplyCharSize(n, measured, true, changes);
    SetAllCells(cellHanWidth, 0);
    SetAllCells(cellHanHeight, n);
    SetAllCells(cellZenWidth, 0);
    SetAllCells(cellZenHeight, n);
    if (measured) {
        SetAllCells(cellZenPitch, CentiPointsToDoc(n));
        SetAllCells(cellHanPitch, TruncToInt32(static_cast<double>(n) * 100.0));
    }
    SetAllCells(cellLinePitch, CentiPointsToDoc(n));
}

// Recorded only when the count is one the list takes.
void TvList::ApplyCount(uint16_t id, int16_t count, TvChangeList* changes)
{
    int16_t current = id == propColumns ? m_nColumns : m_nRows;
    if (count == current || count < 1 || count > kMaxCount) return;
    SetShortProp(changes, id, current, count);
    if (id == propColumns) SetColumnCount(count);
    else SetRowCount(count);
}

// The base pass first; then each id through its own row, or on to the
// cells as a label would take it.
void TvList::SetProperties(const TvPropertyMap& map, TvChangeList* changes)
{
    TvObject::BaseProperties().Apply(*this, map, changes);
    const ObjectPropertyTable& table = Properties();
    for (const auto& [id, v] : map) {
        const ObjectPropertyTable::Row* row = ObjectPropertyTable::FindIn(table.Group(0), id);
        if (row && (row->use & useApply)) ObjectPropertyTable::ApplyRow(*row, *this, v, changes);
        else ApplyToCells(id, v, changes);
    }
}

} // namespace nv
