#pragma once
// The base of every drawable object of a report form.
#include "engine/core/CObject.h"
#include "engine/core/ChangeData.h"
#include "engine/core/Geometry.h"
#include "engine/core/PropertyIds.h"
#include "engine/core/PropertyMap.h"
#include "engine/core/PropertyTable.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace nv {

class TvObject;

// All objects of a form (every layer), as default naming needs them. The form
// root implements it; tests and tools can use ObjectSourceFn.
class TvObjectSource {
public:
    virtual ~TvObjectSource() = default;
    virtual void ForEachObject(const std::function<void(const TvObject&)>& fn) const = 0;
};

class ObjectSourceFn : public TvObjectSource {
public:
    explicit ObjectSourceFn(std::function<void(const std::function<void(const TvObject&)>&)> each)
        : each_(std::move(each)) {}
    void ForEachObject(const std::function<void(const TvObject&)>& fn) const override { each_(fn); }

private:
    std::function<void(const std::function<void(const TvObject&)>&)> each_;
};

// The property table type of drawable objects.
using ObjectPropertyTable = PropertyTable<TvObject>;
using ObjectRows = PropertyRows<TvObject>;

class TvObject : public CObject {
    NV_DECLARE_SERIAL(TvObject)
public:
    TvObject() = default;
    ~TvObject() override = default;

    // ---- virtual operations, in the order every class fills them in ----
    // Reads or writes the part every object has; subclasses call it first,
    // then write their own version word and fields.
    void Serialize(Archive& ar, uint32_t schema) override;
    // The object's bounds, inflated for the pen when `withPen`; the base
    // has none (0,0,0,0).
    virtual void GetBoundRect(Rect& out, bool withPen) const;
    // Places the object in the rectangle (a designer's drag).
    virtual void SetRect(const Rect& r);
    // True when the pen-inflated bounds meet the rectangle.
    virtual bool HitTest(const Rect& r) const;
    // For objects handed out as raw pointers; owners use unique_ptr.
    virtual void DeleteSelf() { delete this; }
    // Which kind of object this is (objText ... objOle; objNone for the base).
    virtual int32_t GetType() const { return objNone; }
    // Applies the map's values through the recording setters, as the
    // class's property table says.
    virtual void SetProperties(const TvPropertyMap& map, TvChangeList* changes);
    // Gives the object its default name among the form's objects.
    virtual void GetTypeName(const TvObjectSource& form) {}
    // The class's ObjectFlag bits.
    virtual int32_t GetFlags() const { return flagPlain; }
    // Moves the anchor.
    virtual void Offset(int32_t dx, int32_t dy);
    // The colour that stands for the object in a designer's list.
    virtual uint32_t GetAttribute() const { return 0; }
    // Scales the anchor (and subclasses their extents) from one size to
    // another.
    virtual void Scale(const Size& from, const Size& to);
    // The rectangle an anchor, a width and a height cover in an orientation.
    virtual void RectFromAnchor(Rect& out, int32_t orientation, int32_t width, int32_t height) const;
    // The inverse: anchor, width and height from a rectangle.
    virtual void AnchorFromRect(int32_t& width, int32_t& height, int32_t orientation, const Rect& r);
    // Copies what every object has (not the naming mode).
    virtual void CopyAttributes(const TvObject& other);
    // Where the anchor goes when the object turns to a new orientation and
    // keeps its bounds.
    virtual void AnchorForOrientation(Point& out, int32_t newOrientation, int32_t oldOrientation, int32_t width,
                                      int32_t height) const;
    // Width and height of a box stored as a plain rectangle.
    virtual void NormaliseSize(int32_t& width, int32_t& height, int32_t orientation);
    // The column of the caller's data the object is filled from; -1 when
    // it is not filled per page.
    virtual int32_t GetFieldIndex() const { return -1; }
    virtual void SetFieldIndex(int32_t) {}
    // A copy of the object. Subclasses return their own copy; the base
    // copies a plain TvObject and gives null for a subclass that has none.
    virtual std::unique_ptr<TvObject> Clone() const;
    // 1 for the objects filled per page (those with a field index).
    virtual int32_t IsTextObject() const { return 0; }
    // 1 when callers may set the property on this kind of object.
    virtual int32_t IsPropertySupported(uint16_t id) const;
    // Not used by any class.
    virtual void SetProperty(uint16_t id, const TvPropValue& value) {}
    // The field behind a property id and its PropertyAddressKind; 1 for an
    // id the class shows, else 0 with both outputs 0.
    virtual int32_t GetPropertyAddress(uint16_t id, void*& address, int32_t& kind);
    // A value pictures and OLE objects keep for storing (embed on store,
    // stored without its item).
    virtual void SetFlag(int32_t value) {}

    // ---- helpers for subclasses ---------------------------------------
    // The default-naming rule with the given stem ("Label", "Box", ...).
    void MakeDefaultName(std::string_view stem, const TvObjectSource& form);
    // Aspect-keeping resize of pictures and OLE objects; handles 1..8
    // clockwise from the top-left corner.
    static void FitToAspect(Rect& rect, Point& point, Size natural, bool grow, int32_t& handle);
    // The box at (x, y) width by height refitted to the natural size by its
    // bottom-right corner.
    static void FitBoxToAspect(int32_t& x, int32_t& y, int32_t& width, int32_t& height, Size natural, bool grow);
    // SetRect of a picture or OLE object, whose width and height are its own
    // fields: the box r, refitted to the natural size when the aspect is kept.
    void SetPictureRect(const Rect& r, int32_t& width, int32_t& height, Size natural, bool keepAspect);

    // The class's property table; every class with properties of its own
    // returns its own.
    virtual const ObjectPropertyTable& Properties() const;
    // The base table: name, anchor, transparency, background and
    // visibility, applied and shown but offered for writing by none.
    static const ObjectPropertyTable& BaseProperties();

    // ---- members, in stored order -------------------------------------
    std::string m_strName;
    uint32_t m_nObjectId = 1;       // key of the form's id map
    int32_t m_nReserved = 0;
    int32_t m_nX = 0;               // anchor
    int32_t m_nY = 0;
    int32_t m_bTransparent = 1;
    uint32_t m_crBackColor = 0xFFFFFF;
    int32_t m_nDrawOrder = 0;       // position in the layer
    int32_t m_bVisible = 1;         // not stored; set to 1 after every load
    int32_t m_nNamingMode = 1;      // not stored; 2 keeps stem and digit width
};

// The rows of the base table.
inline constexpr ObjectPropertyTable::Row kBaseRows[] = {
    ObjectRows::Field<&TvObject::m_crBackColor>(propBackColor, useReadOnly),
    ObjectRows::Field<&TvObject::m_bTransparent>(propTransparent, useReadOnly),
    ObjectRows::Field<&TvObject::m_nX>(propAnchorX, useReadOnly),
    ObjectRows::Field<&TvObject::m_nY>(propAnchorY, useReadOnly),
    ObjectRows::Field<&TvObject::m_bVisible>(propVisible, useReadOnly),
    ObjectRows::Field<&TvObject::m_strName>(propName, useReadOnly),
};

// A row of the base table with another use: a class that offers its
// anchor for writing, say, lists BaseRow(propAnchorX, useRead | useWrite).
// The base pass applies the value; such a row need not apply it again.
constexpr ObjectPropertyTable::Row BaseRow(uint16_t id, uint8_t use)
{
    return WithUse<TvObject>(kBaseRows, id, use);
}

// What most classes offer for writing of the base part besides the name
// (the base pass applies it); a class hides or adds rows before it.
inline constexpr ObjectPropertyTable::Row kOfferedBaseRows[] = {
    BaseRow(propBackColor, useRead | useWrite), BaseRow(propTransparent, useRead | useWrite),
    BaseRow(propAnchorX, useRead | useWrite),   BaseRow(propAnchorY, useRead | useWrite),
    BaseRow(propVisible, useRead | useWrite),
};

// The version word every drawable writes after its base part.
inline constexpr uint32_t kObjectVersion = 10;

} // namespace nv
