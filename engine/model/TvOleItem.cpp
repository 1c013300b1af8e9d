#include "engine/model/TvOleItem.h"

#include "engine/core/Archive.h"
#include "engine/core/EngineLog.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>

#include <cstring>
#include <mutex>

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

// libgsf reports damaged storages through GLib's log, which prints to the
// terminal: the reports go to the engine's log instead.
void GsfLogHandler(const gchar* domain, GLogLevelFlags, const gchar* message, gpointer)
{
    LogLine(domain ? domain : "libgsf", message ? message : "");
}

void RouteGsfWarningsToLog()
{
    const auto levels = GLogLevelFlags(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION);
    for (const char* domain : {"libgsf", "libgsf:msole", "libgsf:zip", "libgsf:open_pkg", "libgsf:tar"})
        g_log_set_handler(domain, levels, GsfLogHandler, nullptr);
}

std::string ReadStream(GsfInput* in)
{
    std::string bytes;
    const gsf_off_t size = gsf_input_size(in);
    if (size <= 0 || size > (256 << 20)) return bytes;
    bytes.resize(static_cast<size_t>(size));
    if (!gsf_input_read(in, static_cast<size_t>(size), reinterpret_cast<guint8*>(bytes.data()))) bytes.clear();
    return bytes;
}

} // namespace

bool TvOleItem::GetPresentation(std::string& data, int32_t& kind) const
{
    data.clear();
    kind = pictureNone;
    if (m_storage.empty()) return false;
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        RouteGsfWarningsToLog();
    });

    GsfInput* mem = gsf_input_memory_new(reinterpret_cast<const guint8*>(m_storage.data()),
                                         static_cast<gsf_off_t>(m_storage.size()), FALSE);
    if (!mem) return false;
    GError* error = nullptr;
    GsfInfile* storage = gsf_infile_msole_new(mem, &error);
    g_object_unref(mem);
    if (!storage) {
        if (error) g_error_free(error);
        return false;
    }
    bool found = false;
    const int n = gsf_infile_num_children(storage);
    for (int i = 0; i < n && !found; ++i) {
        const char* name = gsf_infile_name_by_index(storage, i);
        if (!name || std::strncmp(name, "\002OlePres", 8) != 0) continue;
        GsfInput* stream = gsf_infile_child_by_index(storage, i);
        if (!stream) continue;
        // Storages answer with a child count; streams with -1.
        const bool isStorage = GSF_IS_INFILE(stream) && gsf_infile_num_children(GSF_INFILE(stream)) >= 0;
        if (!isStorage) found = ParsePresentation(ReadStream(stream), data, kind);
        g_object_unref(stream);
    }
    g_object_unref(storage);
    if (!found) {
        data.clear();
        kind = pictureNone;
    }
    return found;
}

} // namespace nv
