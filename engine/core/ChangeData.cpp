#include "engine/core/ChangeData.h"

#include "engine/core/Archive.h"
#include "engine/core/StoredNames.h"

#include <cstring>

namespace nv {

NV_IMPLEMENT_SERIAL_NAMED(CChangeData, kClassCChangeData, CObject, 0, false)

namespace {

std::string LittleEndian(uint32_t v, size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

uint32_t FromLittleEndian(const std::string& s, size_t at, size_t n)
{
    uint32_t v = 0;
    for (size_t i = 0; i < n && at + i < s.size(); ++i)
        v |= static_cast<uint32_t>(static_cast<unsigned char>(s[at + i])) << (8 * i);
    return v;
}

} // namespace

CChangeData::CChangeData(uint16_t id, int32_t value)
    : m_nPropId(id), m_nType(typeLong), m_value(LittleEndian(static_cast<uint32_t>(value), 4))
{
}

CChangeData::CChangeData(uint16_t id, int16_t value)
    : m_nPropId(id), m_nType(typeShort), m_value(LittleEndian(static_cast<uint16_t>(value), 2))
{
}

CChangeData::CChangeData(const Rect& r) : m_nPropId(0), m_nType(typeRect)
{
    m_value = LittleEndian(static_cast<uint32_t>(r.left), 4) + LittleEndian(static_cast<uint32_t>(r.top), 4) +
              LittleEndian(static_cast<uint32_t>(r.right), 4) + LittleEndian(static_cast<uint32_t>(r.bottom), 4);
}

CChangeData::CChangeData(uint16_t id, uint16_t type, std::string bytes)
    : m_nPropId(id), m_nType(type), m_value(std::move(bytes))
{
}

std::unique_ptr<CChangeData> CChangeData::FromString(uint16_t id, std::string_view s, uint16_t type)
{
    std::string bytes(s);
    bytes += '\0';
    return std::make_unique<CChangeData>(id, type, std::move(bytes));
}

int16_t CChangeData::GetShort() const
{
    return static_cast<int16_t>(FromLittleEndian(m_value, 0, 2));
}

int32_t CChangeData::GetLong() const
{
    if (m_nType == typeShort) return GetShort();
    return static_cast<int32_t>(FromLittleEndian(m_value, 0, 4));
}

std::string CChangeData::GetString() const
{
    const size_t zero = m_value.find('\0');
    return m_value.substr(0, zero);
}

Rect CChangeData::GetRect() const
{
    return Rect{static_cast<int32_t>(FromLittleEndian(m_value, 0, 4)),
                static_cast<int32_t>(FromLittleEndian(m_value, 4, 4)),
                static_cast<int32_t>(FromLittleEndian(m_value, 8, 4)),
                static_cast<int32_t>(FromLittleEndian(m_value, 12, 4))};
}

void CChangeData::Serialize(Archive& ar, uint32_t)
{
    if (ar.IsStoring()) {
        ar.WriteU16(m_nPropId);
        ar.WriteU16(m_nType);
        switch (m_nType) {
        case typeShort: {
            std::string v = m_value;
            v.resize(2, '\0');
            ar.Write(v.data(), 2);
            break;
        }
        case typeLong: {
            std::string v = m_value;
            v.resize(4, '\0');
            ar.Write(v.data(), 4);
            break;
        }
        case typeBytes:
            ar.WriteU32(static_cast<uint32_t>(m_value.size()));
            ar.Write(m_value.data(), m_value.size());
            break;
        case typeRect: {
            std::string v = m_value;
            v.resize(16, '\0');
            ar.Write(v.data(), 16);
            break;
        }
        default: break;
        }
        return;
    }
    m_nPropId = ar.ReadU16();
    m_nType = ar.ReadU16();
    switch (m_nType) {
    case typeShort: m_value = ar.ReadBytes(2); break;
    case typeLong: m_value = ar.ReadBytes(4); break;
    case typeBytes: {
        // Bounded by what the archive holds (ReadBytes refuses more).
        const uint32_t n = ar.ReadU32();
        m_value = ar.ReadBytes(n);
        break;
    }
    case typeRect: m_value = ar.ReadBytes(16); break;
    default: m_value.clear(); break;
    }
}

} // namespace nv
