#pragma once
// One object of an opened form as the host holds it. Properties are reached
// by dispatch id through the property access table; each set is applied to
// the engine object and recorded in the form's page data.
#include <cstdint>
#include <memory>
#include <string>

namespace nv {

class CXForm;
class CXLayer;
class TvObject;
struct PropertyAccess;

class CXObject {
public:
    CXObject(std::shared_ptr<CXLayer> layer, TvObject* obj) : m_pLayer(std::move(layer)), m_pObject(obj) {}

    std::string Name() const;
    std::string GetText() const;
    void SetText(const std::string& utf8);
    // A value the engine does not take as a number-as-text (the recorded
    // form of a Single such as 1234.56) stays the caller's business.
    int32_t ObjectType() const;

    // Numbers, booleans (0 or -1 as automation gives them) and colours by
    // dispatch id.
    int32_t GetLong(int32_t dispid) const;
    void SetLong(int32_t dispid, int32_t value);
    // Strings by dispatch id (UTF-8).
    std::string GetString(int32_t dispid) const;
    void SetString(int32_t dispid, const std::string& utf8);

    int32_t GetBarSize(int32_t index) const;
    void SetBarSize(int32_t index, int32_t value);
    std::string GetListText(int32_t column, int32_t row) const;
    void SetListText(int32_t column, int32_t row, const std::string& utf8);
    void MoveTop();
    void MoveBottom();
    // No OLE server runs here: always nothing.
    void* OleObject() const;

    TvObject* EngineObject() const { return m_pObject; }
    // The stored name (CP932) while attached to an open form, else empty.
    std::string EngineName() const;

private:
    // The engine object, once it is attached to an open form and the member
    // at accessIndex (a table index, or kAnyAccess) is allowed for its kind
    // and its layer's mode; else the error the checks name, in that order.
    TvObject& ObjectAllowing(int32_t accessIndex) const;
    TvObject& ObjectAllowingDispid(int32_t dispid) const;
    CXForm& Form() const;
    bool ApMode() const;
    void Move(bool toTop);

    std::shared_ptr<CXLayer> m_pLayer;
    TvObject* m_pObject;
};

} // namespace nv
