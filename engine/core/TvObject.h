#pragma once
// The base of every drawable object of a report form.
#include "engine/core/CObject.h"
#include "engine/core/ChangeData.h"
#include "engine/core/Geometry.h"
#include "engine/core/PropertyMap.h"

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

// Value kinds GetPropertyAddress reports.
enum PropertyAddressKind : int32_t {
    addrNone = 0,
    addrShort = 1,  // int16_t*
    addrLong = 2,   // int32_t* or uint32_t*
    addrString = 3, // std::string*
};

class TvObject : public CObject {
    NV_DECLARE_SERIAL(TvObject)
public:
    TvObject() = default;
    ~TvObject() override = default;

    // ---- virtual operations, in slot order ----------------------------
    // 3: the base part; subclasses call it first, then write their version
    // and fields.
    void Serialize(Archive& ar, uint32_t schema) override;
    // 6: bounds (inflated for the pen when `withPen`); the base gives 0,0,0,0.
    virtual void GetBoundRect(Rect& out, bool withPen) const;
    // 7
    virtual void SetRect(const Rect& r);
    // 8
    virtual bool HitTest(const Rect& r) const;
    // 9: for objects handed out as raw pointers; owners use unique_ptr.
    virtual void DeleteSelf() { delete this; }
    // 10: type code (Text 1 ... Ole 13); 0 for the base.
    virtual int32_t GetType() const { return 0; }
    // 11: applies the map's values through the recording setters.
    virtual void SetProperties(const TvPropertyMap& map, TvChangeList* changes);
    // 12: gives the object its default name among the form's objects.
    virtual void GetTypeName(const TvObjectSource& form) {}
    // 13
    virtual int32_t GetFlags() const { return 16; }
    // 14
    virtual void Offset(int32_t dx, int32_t dy);
    // 15
    virtual uint32_t GetAttribute() const { return 0; }
    // 16
    virtual void Scale(const Size& from, const Size& to);
    // 17
    virtual void RectFromAnchor(Rect& out, int32_t orientation, int32_t width, int32_t height) const;
    // 18
    virtual void AnchorFromRect(int32_t& width, int32_t& height, int32_t orientation, const Rect& r);
    // 19
    virtual void CopyAttributes(const TvObject& other);
    // 20
    virtual void AnchorForOrientation(Point& out, int32_t newOrientation, int32_t oldOrientation, int32_t width,
                                      int32_t height) const;
    // 21
    virtual void NormaliseSize(int32_t& width, int32_t& height, int32_t orientation);
    // 22, 23
    virtual int32_t GetFieldIndex() const { return -1; }
    virtual void SetFieldIndex(int32_t) {}
    // 24: a copy of the object. Subclasses return their own copy; the base
    // copies a plain TvObject and gives null for a subclass that has none.
    virtual std::unique_ptr<TvObject> Clone() const;
    // 25: 1 for the objects filled per page (those with a field index).
    virtual int32_t IsTextObject() const { return 0; }
    // 26, 27
    virtual int32_t IsPropertySupported(uint16_t id) const { return 0; }
    virtual void SetProperty(uint16_t id, const TvPropValue& value) {}
    // 28: the field behind a property id and its kind; 1 for a known id,
    // else 0 with both outputs 0.
    virtual int32_t GetPropertyAddress(uint16_t id, void*& address, int32_t& kind);
    // 29
    virtual void SetFlag(int32_t value) {}

    // ---- helpers for subclasses ---------------------------------------
    // The default-naming rule with the given stem ("Label", "Box", ...).
    void MakeDefaultName(std::string_view stem, const TvObjectSource& form);
    // Aspect-keeping resize of pictures and OLE objects; handles 1..8
    // clockwise from the top-left corner.
    static void FitToAspect(Rect& rect, Point& point, Size natural, bool grow, int32_t& handle);

    // ---- members, in stored order -------------------------------------
    std::string m_strName;          // 6
    uint32_t m_nObjectId = 1;       // key of the form's id map
    int32_t m_nReserved = 0;
    int32_t m_nX = 0;               // 4: anchor x
    int32_t m_nY = 0;               // 5: anchor y
    int32_t m_bTransparent = 1;     // 3
    uint32_t m_crBackColor = 0xFFFFFF; // 2
    int32_t m_nDrawOrder = 0;
    int32_t m_bVisible = 1;         // 1000; set to 1 after every load
    int32_t m_nNamingMode = 1;      // not stored; 2 keeps stem and digit width
};

// The version word every drawable writes after its base part.
inline constexpr uint32_t kObjectVersion = 10;

} // namespace nv
