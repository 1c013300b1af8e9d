#pragma once
// The part every object filled per page shares: the column of the caller's
// data it is filled from (its field number), stored after the drawing's own
// record. Data fields and text fields also keep the page's value.
#include "engine/core/Archive.h"
#include "engine/core/TvObject.h"
#include "engine/model/TvText.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace nv {

template <class Drawing>
class TvFieldPart : public Drawing {
public:
    using Drawing::Drawing;

    // The drawing's record, then the field's version word and number.
    void Serialize(Archive& ar, uint32_t schema) override
    {
        Drawing::Serialize(ar, schema);
        if (ar.IsStoring()) {
            ar.WriteU32(kObjectVersion);
            ar.WriteI32(m_nFieldNumber);
            return;
        }
        if (schema >= 10) (void)ar.ReadU32();
        m_nFieldNumber = ar.ReadI32();
    }
    int32_t GetFieldIndex() const override { return m_nFieldNumber; }
    void SetFieldIndex(int32_t index) override { m_nFieldNumber = index; }
    int32_t IsTextObject() const override { return 1; }

    int32_t m_nFieldNumber = 0;
};

// A text filled in per page: what data fields and text fields share.
class TvValueField : public TvFieldPart<TvText> {
public:
    // The field number, then the text attributes (not the current value).
    virtual void CopyFieldAttributes(const TvValueField& source);

    std::string m_strValue; // the page's value, not stored with the form

protected:
    // Each constructor gives the text's defaults with the class's object id
    // and field number 0: none, then a box and text as TvText(r, text), or
    // then a box and a template's attributes.
    explicit TvValueField(uint32_t objectId);
    TvValueField(uint32_t objectId, const Rect& r, std::string_view text);
    TvValueField(uint32_t objectId, const Rect& r, const TvText& templ);
    void InitField(uint32_t objectId);
};

// A data field's or text field's constructors, type code, copy and
// defaults; Self names its default object id and type code.
template <class Self, uint32_t DefaultObjectId, int32_t Type>
class TvValueFieldOf : public TvValueField {
public:
    TvValueFieldOf() : TvValueField(DefaultObjectId) {}
    explicit TvValueFieldOf(const Rect& r, std::string_view text = {}) : TvValueField(DefaultObjectId, r, text) {}
    // As TvText's template constructor; the field number is 0.
    TvValueFieldOf(const Rect& r, const TvText& templ) : TvValueField(DefaultObjectId, r, templ) {}

    int32_t GetType() const override { return Type; }
    std::unique_ptr<TvObject> Clone() const override
    {
        auto copy = std::make_unique<Self>();
        copy->CopyFieldAttributes(*this);
        return copy;
    }
    void InitDefaults() override { InitField(DefaultObjectId); }
};

// Field number and value as both show, take and apply them.
inline constexpr ObjectPropertyTable::Row kValueFieldRows[] = {
    ObjectRows::Field<&TvValueField::m_nFieldNumber>(propFieldNumber),
    ObjectRows::Field<&TvValueField::m_strValue>(propValue),
};

} // namespace nv
