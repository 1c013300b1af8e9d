#include "control/CXObject.h"

#include <utility>

#include "control/CInkplateCtrl.h"
#include "control/CXForm.h"
#include "control/CXLayer.h"
#include "control/ControlErrors.h"
#include "control/ControlText.h"
#include "engine/core/PropertyIds.h"
#include "control/Converters.h"
#include "control/PropertyAccess.h"
#include "engine/format/UnitTable.h"
#include "engine/model/TvBarcode.h"
#include "engine/model/TvData.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvLayer.h"
#include "engine/model/TvList.h"
#include "engine/model/TvTextField.h"

#include <algorithm>

namespace nv {

namespace {

constexpr int32_t kMaxCharSize = 20000; // 200 points in 1/100 point

[[noreturn]] void NotSupported() { ThrowControlError(kErrPropertyNotFound, 20003); }

// The engine value behind a property id: 16-bit values widen with sign.
int32_t ReadNumber(TvObject& obj, uint16_t id)
{
    void* address = nullptr;
    int32_t kind = 0;
    if (!obj.GetPropertyAddress(id, address, kind) || !address) NotSupported();
    if (kind == addrShort) return *static_cast<int16_t*>(address);
    if (kind == addrLong) return *static_cast<int32_t*>(address);
    NotSupported();
}

std::string ReadString(TvObject& obj, uint16_t id)
{
    void* address = nullptr;
    int32_t kind = 0;
    if (!obj.GetPropertyAddress(id, address, kind) || !address || kind != addrString) NotSupported();
    return *static_cast<std::string*>(address);
}

// A data field's value must format through its edit picture: the value is
// put into the field for the test and the old one put back.
void CheckFieldValue(TvData& field, const std::string& value)
{
    if (field.m_strPicture.empty()) return;
    struct PutBack {
        TvData& field;
        std::string old;
        ~PutBack() { field.m_strValue = std::move(old); }
    } putBack{field, std::exchange(field.m_strValue, value)};
    std::string formatted;
    if (field.FormatFieldText(formatted) < 0) ThrowControlError(kErrInvalidProperty, 20046);
}

} // namespace

CXForm& CXObject::Form() const { return m_pLayer->Form(); }

bool CXObject::ApMode() const { return m_pLayer->EngineLayer()->m_nLayerMode == kLayerModeAp; }

TvObject& CXObject::ObjectAllowing(int32_t accessIndex) const
{
    if (!m_pObject || !m_pLayer || !m_pLayer->EngineLayer()) ThrowControlError(kErrDetached, 20017);
    Form().CheckOpen();
    if (accessIndex >= 0) {
        const PropertyAccess& a = *AccessByIndex(accessIndex);
        if (!(a.modes & (ApMode() ? kModeAp : kModeLp))) NotSupported();
        const int32_t type = m_pObject->GetType();
        if ((a.onlyType && type != a.onlyType) || (a.refusedType1 && type == a.refusedType1) ||
            (a.refusedType2 && type == a.refusedType2))
            NotSupported();
    }
    return *m_pObject;
}

TvObject& CXObject::ObjectAllowingDispid(int32_t dispid) const
{
    const int32_t index = AccessIndexOfDispid(dispid);
    if (index < 0) ThrowControlError(kErrPropertyNotFound, 20003);
    return ObjectAllowing(index);
}

std::string CXObject::EngineName() const
{
    if (!m_pObject || !m_pLayer || !Form().IsOpen()) return {};
    return m_pObject->m_strName;
}

std::string CXObject::Name() const { return EngineTextToHost(ObjectAllowing(kAccessName).m_strName); }

int32_t CXObject::ObjectType() const { return ObjectTypeFromEngine(ObjectAllowing(kAccessObjectType).GetType()); }

std::string CXObject::GetText() const
{
    TvObject& obj = ObjectAllowing(kAccessText);
    if (!obj.IsPropertySupported(propText)) NotSupported();
    switch (obj.GetType()) {
    case objData: return EngineTextToHost(static_cast<TvData&>(obj).m_strValue);
    case objTextField: return EngineTextToHost(static_cast<TvTextField&>(obj).m_strValue);
    case objBarcode: return EngineTextToHost(static_cast<TvBarcode&>(obj).m_strText);
    default: return EngineTextToHost(ReadString(obj, propText));
    }
}

void CXObject::SetText(const std::string& utf8)
{
    TvObject& obj = ObjectAllowing(kAccessText);
    const std::string value = HostTextToEngine(utf8, "Text");
    switch (obj.GetType()) {
    case objData:
        CheckFieldValue(static_cast<TvData&>(obj), value);
        Form().RecordObject(obj, TvPropertyMap(propValue, TvPropValue::String(value)));
        break;
    case objBarcode: {
        std::string expanded;
        const int32_t r = static_cast<TvBarcode&>(obj).CheckText(expanded, value);
        if (r == kBarcodeErrCharacter) ThrowControlError(kErrInvalidProperty, 20035);
        if (r < 0) ThrowControlError(kErrInvalidProperty, 20034);
        Form().RecordObject(obj, TvPropertyMap(propValue, TvPropValue::String(value)));
        break;
    }
    case objTextField: Form().RecordObject(obj, TvPropertyMap(propValue, TvPropValue::String(value))); break;
    default: Form().RecordObject(obj, TvPropertyMap(propText, TvPropValue::String(value))); break;
    }
}

int32_t CXObject::GetLong(int32_t dispid) const
{
    if (dispid == 3) return ObjectType();
    TvObject& obj = ObjectAllowingDispid(dispid);
    const PropertyAccess& a = *AccessByDispid(dispid);
    if (a.isString || a.conv == PropConv::None) NotSupported();
    const int32_t v = ReadNumber(obj, a.engineId);
    CInkplateCtrl& ctrl = Form().Ctrl();
    const TvLayer& layer = *m_pLayer->EngineLayer();
    switch (a.conv) {
    case PropConv::Bool: return v ? -1 : 0;
    case PropConv::Position:
    case PropConv::Length: return ctrl.ToUnit(v);
    case PropConv::Enum: return EnumFromEngine(a.enumKind, v);
    case PropConv::FontSize: return ctrl.CentiPointsToUnit(v);
    case PropConv::CellX:
    case PropConv::CellW: return layer.ToColumn(v);
    case PropConv::CellY:
    case PropConv::CellH: return layer.ToRow(v);
    default: return v;
    }
}

void CXObject::SetLong(int32_t dispid, int32_t value)
{
    TvObject& obj = ObjectAllowingDispid(dispid);
    const PropertyAccess& a = *AccessByDispid(dispid);
    if (a.readOnly || a.isString || a.conv == PropConv::None) NotSupported();
    CInkplateCtrl& ctrl = Form().Ctrl();
    const TvLayer& layer = *m_pLayer->EngineLayer();
    int32_t v = value;
    switch (a.conv) {
    case PropConv::Bool: v = value != 0 ? 1 : 0; break;
    case PropConv::Color: v = static_cast<int32_t>(CInkplateCtrl::TranslateColor(static_cast<uint32_t>(value))); break;
    case PropConv::Position: v = ctrl.FromUnit(value, SignRule::Any); break;
    case PropConv::Length: v = ctrl.FromUnit(value, SignRule::NonNegative); break;
    case PropConv::Enum:
        v = EnumToEngine(a.enumKind, value);
        if (v == -999) ThrowControlError(kErrInvalidProperty, a.setError);
        break;
    case PropConv::Positive:
        if (value <= 0) ThrowControlError(kErrInvalidProperty, a.setError);
        break;
    case PropConv::FontSize: {
        if (value < 0) ThrowControlError(kErrInvalidProperty, 20043);
        v = ctrl.UnitToCentiPoints(value);
        const bool height = a.engineId == propHanHeight || a.engineId == propZenHeight;
        if (v < (height ? 1 : 0) || v > kMaxCharSize) ThrowControlError(kErrInvalidProperty, 20043);
        break;
    }
    case PropConv::CellX: v = CheckDocValue(int64_t{value} * layer.m_nGridX, SignRule::Any); break;
    case PropConv::CellY: v = CheckDocValue(int64_t{value} * layer.m_nGridY, SignRule::Any); break;
    case PropConv::CellW: v = CheckDocValue(int64_t{value} * layer.m_nGridX, SignRule::NonNegative); break;
    case PropConv::CellH: v = CheckDocValue(int64_t{value} * layer.m_nGridY, SignRule::NonNegative); break;
    default: break;
    }
    Form().RecordObject(obj, TvPropertyMap(a.engineId, TvPropValue::Long(v)));
}

std::string CXObject::GetString(int32_t dispid) const
{
    if (dispid == 1) return Name();
    if (dispid == 2) return GetText();
    TvObject& obj = ObjectAllowingDispid(dispid);
    const PropertyAccess& a = *AccessByDispid(dispid);
    if (!a.isString) NotSupported();
    if (a.conv == PropConv::FontName) {
        const int32_t id = ReadNumber(obj, a.engineId);
        std::string face;
        Form().Root().GetFontFace(face, id);
        if (face.empty()) face = Form().Ctrl().FontFace(id);
        return EngineTextToHost(face);
    }
    return EngineTextToHost(ReadString(obj, a.engineId));
}

void CXObject::SetString(int32_t dispid, const std::string& utf8)
{
    if (dispid == 2) return SetText(utf8);
    TvObject& obj = ObjectAllowingDispid(dispid);
    const PropertyAccess& a = *AccessByDispid(dispid);
    if (a.readOnly || !a.isString) NotSupported();
    std::string value = HostTextToEngine(utf8, a.name);
    if (a.conv == PropConv::FontName) {
        int32_t id = 0;
        bool found = false;
        for (const auto& f : Form().Root().m_fonts)
            if (f->m_strFaceName == value) {
                id = f->m_nFontId;
                found = true;
                break;
            }
        if (!found) id = Form().Ctrl().LookupFont(value);
        Form().RecordObject(obj, TvPropertyMap(a.engineId, TvPropValue::Long(id)));
        return;
    }
    if (a.engineId == propReplaceChar) {
        if (!obj.IsPropertySupported(propReplaceChar)) NotSupported();
        if (value.size() > 1) ThrowControlError(kErrInvalidProperty, 20042);
    }
    if (a.engineId == propFileName) {
        if (!obj.IsPropertySupported(propFileName)) NotSupported();
        // Paper takes picture names from the working copy: both change.
        const std::string found = Form().Ctrl().ResolvePicture(value);
        Form().RecordObject(obj, TvPropertyMap(propFileName, TvPropValue::String(found)));
        if (TvObject* twin = Form().WorkingCopy().FindObjectById(obj.m_nObjectId))
            if (twin->GetType() == obj.GetType()) twin->SetProperties(TvPropertyMap(propFileName, TvPropValue::String(found)), nullptr);
        return;
    }
    Form().RecordObject(obj, TvPropertyMap(a.engineId, TvPropValue::String(std::move(value))));
}

int32_t CXObject::GetBarSize(int32_t index) const
{
    auto& bar = static_cast<TvBarcode&>(ObjectAllowing(kAccessBarSize));
    if (index < 0 || index > 8 || !bar.IsWidthIndexValid(index)) ThrowControlError(kErrInvalidIndex, 20027);
    return ReadNumber(bar, static_cast<uint16_t>(index >= 1 && index <= 7 ? propBarWidthFirst + index : propBarWidthFirst));
}

void CXObject::SetBarSize(int32_t index, int32_t value)
{
    auto& bar = static_cast<TvBarcode&>(ObjectAllowing(kAccessBarSize));
    if (index < 0 || index > 8 || !bar.IsWidthIndexValid(index)) ThrowControlError(kErrInvalidIndex, 20027);
    Form().RecordObject(bar, TvPropertyMap(static_cast<uint16_t>(index >= 1 && index <= 7 ? propBarWidthFirst + index : propBarWidthFirst),
                                           TvPropValue::Long(value)));
}

std::string CXObject::GetListText(int32_t column, int32_t row) const
{
    auto& list = static_cast<TvList&>(ObjectAllowing(kAccessListText));
    if (column < 0 || column >= list.m_nColumns || row < 0 || row >= list.m_nRows)
        ThrowControlError(kErrInvalidIndex, 20027);
    const TvData* cell = list.GetCell(column, row);
    return cell ? EngineTextToHost(cell->m_strValue) : std::string();
}

void CXObject::SetListText(int32_t column, int32_t row, const std::string& utf8)
{
    auto& list = static_cast<TvList&>(ObjectAllowing(kAccessListText));
    if (column < 0 || column >= list.m_nColumns || row < 0 || row >= list.m_nRows)
        ThrowControlError(kErrInvalidIndex, 20027);
    const std::string value = HostTextToEngine(utf8, "ListText");
    if (TvData* cell = list.GetCell(column, row)) CheckFieldValue(*cell, value);
    Form().RecordObject(list, TvPropertyMap(propCellText, TvPropValue::String(std::to_string(column) + ":" +
                                                                     std::to_string(row) + ":" + value)));
}

void CXObject::Move(bool toTop)
{
    TvObject& obj = ObjectAllowing(kAnyAccess);
    auto& objects = m_pLayer->EngineLayer()->m_objects;
    auto it = std::find_if(objects.begin(), objects.end(), [&](const auto& o) { return o.get() == &obj; });
    if (it == objects.end()) return;
    if (toTop ? it + 1 == objects.end() : it == objects.begin()) return;
    if (!Form().RecordOrder(false, obj.m_nObjectId, toTop ? orderObjectToFront : orderObjectToBack)) ThrowControlError(kErrInvalidValue, 20032);
    std::unique_ptr<TvObject> moved = std::move(*it);
    objects.erase(it);
    if (toTop) objects.push_back(std::move(moved));
    else objects.insert(objects.begin(), std::move(moved));
    Form().ListsChanged();
}

void CXObject::MoveTop() { Move(true); }
void CXObject::MoveBottom() { Move(false); }

void* CXObject::OleObject() const
{
    ObjectAllowing(63);
    return nullptr;
}

} // namespace nv
