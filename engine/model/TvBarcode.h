#pragma once
// A barcode on a form. The text to encode is set per page (id 1001) and is
// not stored with the form.
#include "engine/barcode/BarcodeParams.h"
#include "engine/core/TvObject.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

class TvBarcode : public TvObject {
    NV_DECLARE_SERIAL(TvBarcode)
public:
    static constexpr int32_t kMaxWidths = 8;
    static constexpr int32_t kCustomerHeight = 204094; // 3.6 mm
    static constexpr size_t kMaxCheckText = 100;

    TvBarcode();
    ~TvBarcode() override = default;

    void Serialize(Archive& ar, uint32_t schema) override;
    const ObjectPropertyTable& Properties() const override;
    void GetBoundRect(Rect& out, bool withPen) const override;
    void SetRect(const Rect& r) override;
    int32_t GetType() const override { return objBarcode; }
    void GetTypeName(const TvObjectSource& form) override { MakeDefaultName("Barcode", form); }
    int32_t GetFlags() const override { return flagBarcode | flagCharacters; }
    uint32_t GetAttribute() const override { return m_crBarColor; }
    int32_t GetFieldIndex() const override { return m_nFieldIndex; }
    void SetFieldIndex(int32_t index) override { m_nFieldIndex = index; }
    // Copies every own field but the text (and the base's attributes).
    std::unique_ptr<TvObject> Clone() const override;
    int32_t IsTextObject() const override { return 1; }
    void SetProperty(uint16_t, const TvPropValue&) override {}
    // From another barcode also its own attributes, the text excepted.
    void CopyAttributes(const TvObject& other) override;

    // Width count by the symbology and eight zeroed widths; codes outside 1-6
    // keep the count.
    void SetSymbology(int32_t symbology);
    int32_t IsWidthIndexValid(int32_t index) const;

    // The encoder's record for drawing at a resolution (dots per inch). A
    // customer barcode with the height flag gets its fixed height here; the
    // stored height stays as it is.
    void FillParams(BarcodeParams& params, int32_t resolutionX, int32_t resolutionY) const;
    // 0 when the text can be encoded (with the text as encoded), else the
    // encoder's negative code.
    int32_t CheckText(std::string& expanded, std::string_view text) const;
    // The bars in dots at a resolution (the layer's print resolution); 0 or
    // the encoder's negative code.
    int32_t ComputeBars(std::string_view text, int32_t resolutionX, int32_t resolutionY, std::vector<BarRect>& bars,
                        int32_t* resultWidth = nullptr) const;

    int32_t m_bFieldBound = 1;
    int32_t m_nWidth = 0;              // 13
    int32_t m_nHeight = 0;             // 14
    int32_t m_nSymbology = kBarcodeCode39; // 28
    uint32_t m_crBarColor = 0;         // 7
    int32_t m_bCheckDigit = 1;         // 29
    int32_t m_nOrientation = 1;        // 31
    int32_t m_nWidthMode = kWidthFit;  // 92
    int32_t m_nSecondWidth = 1;        // 105
    int32_t m_nFirstWidth = 0;         // 106
    int32_t m_nNominalLength = 10;     // 94
    int32_t m_nWidthCount = 5;         // 108
    std::array<int32_t, kMaxWidths> m_nWidths{}; // 109-116
    int32_t m_nFieldIndex = 0;         // 122
    int32_t m_bCustomerHeight = 1;     // 107
    std::string m_strText;             // 1001, not stored

private:
    void CopyBarcodeFields(const TvBarcode& s);
};

} // namespace nv
