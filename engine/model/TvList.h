#pragma once
// A grid of data-field cells over one box. The list carries a full set of
// text attributes of its own and passes a change of one on to every cell.
// It registers TvObject as its base class, so kind-of tests do not take it
// for a text object.
#include "engine/core/BucketMap.h"
#include "engine/model/TvData.h"
#include "engine/model/TvText.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace nv {

class TvList : public TvText {
    NV_DECLARE_SERIAL(TvList)
public:
    static constexpr int16_t kMaxCount = 250;

    // Cell selectors of SetAllCells.
    enum CellAttribute : int {
        cellLineWidth = 0, cellLineStyle, cellLineColor, cellFrame, cellFillStyle, cellFillColor, cellMarginLeft,
        cellMarginTop, cellMarginRight, cellMarginBottom, cellText, cellPicture, cellComma, cellReplace, cellBefore,
        cellAfter, cellAlign, cellDirection, cellFlag100, cellAngle, cellTextColor, cellBold, cellItalic,
        cellStrike, cellStrikeColor, cellUnderline, cellUnderlineColor, cellHanFont, cellHanHeight, cellHanWidth,
        cellHanPitch, cellZenFont, cellZenHeight, cellZenWidth, cellZenPitch, cellLinePitch, cellMeasuredPitch,
        cellReverse, cellTransparent, cellVisible, cellBackColor,
    };

    TvList();
    // Columns and rows (each kept within 1-250), every cell a data field
    // made from the template; the cells are laid out over the box.
    TvList(const Rect& r, int16_t columns, int16_t rows, const TvText& templ);
    ~TvList() override = default;

    static uint32_t CellKey(int32_t column, int32_t row)
    {
        return (static_cast<uint32_t>(static_cast<uint16_t>(row)) << 16) | static_cast<uint16_t>(column);
    }

    void Serialize(Archive& ar, uint32_t schema) override;
    const ObjectPropertyTable& Properties() const override;
    void GetBoundRect(Rect& out, bool withPen) const override;
    void SetRect(const Rect& r) override;
    int32_t GetType() const override { return objList; }
    void SetProperties(const TvPropertyMap& map, TvChangeList* changes) override;
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("List", form); }
    int32_t GetFlags() const override { return flagPlain | flagArea | flagTextAttributes; }
    int32_t GetFieldIndex() const override { return m_nFieldNumber; }
    void SetFieldIndex(int32_t index) override { m_nFieldNumber = index; }
    std::unique_ptr<TvObject> Clone() const override;
    int32_t IsTextObject() const override { return 1; }
    void InitDefaults() override;

    // A copy of the source: its text attributes, field number, counts and
    // cells (with their values), laid out.
    virtual void CopyFieldAttributes(const TvList& source);

    // Stores a clone of the template (of cell (0,0) when none; of the list's
    // own attributes when there is no such cell either) as cell (column, row),
    // replacing a cell already there.
    void SetCell(int32_t column, int32_t row, const TvData* templ = nullptr);
    void RemoveCell(int32_t column, int32_t row);
    TvData* GetCell(int32_t column, int32_t row);
    const TvData* GetCell(int32_t column, int32_t row) const;
    // Cell (0,0), or null.
    const TvData* FirstCell() const { return GetCell(0, 0); }

    // 1 when applied; 0 (nothing changes) for a count outside 1-250.
    int32_t SetColumnCount(int32_t n);
    int32_t SetRowCount(int32_t n);

    // Recomputes every cell's box from the list's box and counts.
    void Layout();

    void SetAllCells(int selector, int32_t value);
    void SetAllCells(int selector, std::string_view value);

    // Id 125 gives the cell's current value (kind 3); else 0 with a null
    // address, as for a missing cell.
    int32_t GetCellProperty(int32_t column, int32_t row, uint16_t id, void*& address, int32_t& kind);

    // "column:row:text" (the text may hold ":"); a key without ":" is text
    // for cell (0,0).
    static void ParseCellKey(std::string_view key, int16_t& column, int16_t& row, std::string& text);

    int16_t m_nColumns = 0;
    int16_t m_nRows = 0;
    BucketMap<uint32_t, std::unique_ptr<TvData>> m_cells;     // by CellKey
    int32_t m_nFieldNumber = 0;

private:
    std::unique_ptr<TvData> MakeCellTemplate(const TvData* templ) const;
    void ApplyCellValue(const std::string& key, TvChangeList* changes);
    // Sets the list's own value of a label attribute and passes it on to
    // every cell; ids no cell has are ignored.
    void ApplyToCells(uint16_t id, const TvPropValue& v, TvChangeList* changes);
    void ApplyCharSizeToCells(int32_t size, TvChangeList* changes);
    void ApplyCount(uint16_t id, int16_t count, TvChangeList* changes);
};

} // namespace nv
