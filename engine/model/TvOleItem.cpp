#include "engine/model/TvOleItem.h"

#include "engine/core/Archive.h"

#include "engine/model/CompoundFile.h"

namespace nv {

NV_IMPLEMENT_SERIAL(TvOleItem, CObject, 0, false)

void TvOleItem::Serialize(Archive& ar, uint32_t)
{
    if (ar.IsStoring()) {
        ar.WriteU32(m_dwItemNumber);
        ar.WriteU16(m_nItemType);
        ar.WriteU16(m_nDrawAspect);
        ar.WriteU16(m_nLinkUpdate);
        ar.WriteU32(static_cast<uint32_t>(m_storage.size()));
        ar.Write(m_storage.data(), m_storage.size());
        return;
    }
    m_dwItemNumber = ar.ReadU32();
    m_nItemType = ar.ReadU16();
    m_nDrawAspect = ar.ReadU16();
    m_nLinkUpdate = ar.ReadU16();
    const uint32_t length = ar.ReadU32();
    if (length > ar.Remaining()) ar.ThrowError(CArchiveException::endOfFile);
    m_storage = ar.ReadBytes(length);
}

int32_t TvOleItem::UpdateLink(bool, int32_t)
{
    if (m_nItemType != typeLink || m_nLinkUpdate != updateAutomatic) return 1;
    return 0;
}

namespace {

constexpr uint32_t kCfDib = 8;
constexpr uint32_t kCfEnhMetafile = 14;

struct Reader {
    const std::string& s;
    size_t pos = 0;
    bool ok = true;
    uint32_t U32()
    {
        if (!ok || s.size() - pos < 4) {
            ok = false;
            return 0;
        }
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[pos + i]);
        pos += 4;
        return v;
    }
    void Skip(uint64_t n)
    {
        if (!ok || s.size() - pos < n) {
            ok = false;
            return;
        }
        pos += static_cast<size_t>(n);
    }
};

// One presentation stream: clipboard format, target device, aspect, index,
// advise flags, reserved, extents, then the picture with its length.
bool ParsePresentation(const std::string& stream, std::string& data, int32_t& kind)
{
    Reader r{stream};
    const uint32_t marker = r.U32();
    uint32_t format = 0;
    if (marker == 0xFFFFFFFFu || marker == 0xFFFFFFFEu) format = r.U32();
    else r.Skip(marker);  // a named format: nothing we can draw
    const uint32_t deviceSize = r.U32();
    if (deviceSize < 4) return false;
    r.Skip(deviceSize - 4);
    for (int i = 0; i < 6; ++i) r.U32();  // aspect, lindex, advf, reserved, width, height
    const uint32_t size = r.U32();
    if (!r.ok || size > stream.size() - r.pos) return false;
    if (format == kCfEnhMetafile) kind = TvOleItem::pictureEmf;
    else if (format == kCfDib) kind = TvOleItem::pictureDib;
    else return false;
    data = stream.substr(r.pos, size);
    return true;
}

} // namespace

bool TvOleItem::GetPresentation(std::string& data, int32_t& kind) const
{
    data.clear();
    kind = pictureNone;
    if (m_storage.empty()) return false;
    CompoundEntry storage;
    if (!ReadCompoundFile(m_storage, storage)) return false;
    for (const CompoundEntry& entry : storage.children) {
        if (entry.storage || entry.name.compare(0, 8, "\002OlePres") != 0) continue;
        if (ParsePresentation(entry.data, data, kind)) return true;
    }
    data.clear();
    kind = pictureNone;
    return false;
}

} // namespace nv
