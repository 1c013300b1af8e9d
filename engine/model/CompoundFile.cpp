#include "engine/model/CompoundFile.h"

#include "engine/core/EngineLog.h"
#include "engine/model/FormFile.h"
#include "platform/core/OnFailure.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>

namespace nv {

namespace {

constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// libgsf reports damaged files through GLib's log; they belong in ours, not
// in a GLib default handler that may abort on a critical.
void LogGsfMessage(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer)
{
    const char* kind = (level & (G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL)) ? "error: " : "warning: ";
    LogLine(domain ? domain : "libgsf", std::string(kind) + (message ? message : ""));
}

void InitGsf()
{
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        const auto levels = static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK & ~G_LOG_LEVEL_ERROR);
        // libgsf logs some damage without a domain of its own.
        for (const char* domain : {"libgsf:msole", "libgsf", "libgsf:zip", "libgsf:open_pkg", "libgsf:tar", static_cast<const char*>(nullptr)})
            g_log_set_handler(domain, levels, LogGsfMessage, nullptr);
    });
}

std::string Fold(std::string_view s)
{
    gchar* folded = g_utf8_casefold(s.data(), static_cast<gssize>(s.size()));
    std::string out = folded ? folded : std::string(s);
    g_free(folded);
    return out;
}

struct TreeReader {
    explicit TreeReader(const CompoundLimits& l) : limits(l) {}
    const CompoundLimits& limits;
    std::string error;
    uint64_t total = 0;
    size_t entries = 0;

    bool Fail(std::string why)
    {
        if (error.empty()) error = std::move(why);
        return false;
    }

    bool ReadStream(GsfInput* in, std::string& out)
    {
        const gsf_off_t size = gsf_input_size(in);
        if (size < 0) return Fail("stream of unknown size");
        total += static_cast<uint64_t>(size);
        if (total > limits.maxTotalData) return Fail("streams larger than allowed");
        out.resize(static_cast<size_t>(size));
        size_t done = 0;
        while (done < out.size()) {
            const size_t chunk = std::min<size_t>(out.size() - done, 1u << 16);
            if (!gsf_input_read(in, chunk, reinterpret_cast<guint8*>(out.data() + done)))
                return Fail("stream cannot be read whole");
            done += chunk;
        }
        return true;
    }

    bool ReadStorage(GsfInfile* dir, CompoundEntry& into, int depth)
    {
        if (depth > limits.maxDepth) return Fail("storages nested too deeply");
        guint8 clsid[16] = {};
        if (GSF_IS_INFILE_MSOLE(dir) && gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(dir), clsid)) {
            static const guint8 zero[16] = {};
            if (std::memcmp(clsid, zero, 16) != 0) into.classId.assign(reinterpret_cast<char*>(clsid), 16);
        }
        const int n = gsf_infile_num_children(dir);
        for (int i = 0; i < n; ++i) {
            if (++entries > limits.maxEntries) return Fail("too many entries");
            const char* name = gsf_infile_name_by_index(dir, i);
            GsfInput* child = gsf_infile_child_by_index(dir, i);
            if (!child) return Fail("entry cannot be opened");
            CompoundEntry entry;
            entry.name = name ? name : "";
            // Storages answer with a child count, streams with -1.
            entry.storage = GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0;
            const bool ok = entry.storage ? ReadStorage(GSF_INFILE(child), entry, depth + 1)
                                          : ReadStream(child, entry.data);
            g_object_unref(child);
            if (!ok) return false;
            into.children.push_back(std::move(entry));
        }
        return true;
    }
};

// Written in memory: what fails is libgsf's, said to a person as the form.
FormFileException NotWritten(std::string detail)
{
    return FormFileException("フォームファイルを書き出せません。", std::move(detail));
}

void WriteChildren(GsfOutfile* dir, const CompoundEntry& storage)
{
    for (const CompoundEntry& child : storage.children) {
        GsfOutput* out = gsf_outfile_new_child(dir, child.name.c_str(), child.storage);
        if (!out) throw NotWritten("compound file entry not created: " + child.name);
        if (child.storage) {
            if (child.classId.size() == 16)
                gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(out),
                                               reinterpret_cast<const guint8*>(child.classId.data()));
            WriteChildren(GSF_OUTFILE(out), child);
        } else if (!child.data.empty() &&
                   !gsf_output_write(out, child.data.size(), reinterpret_cast<const guint8*>(child.data.data()))) {
            gsf_output_close(out);
            g_object_unref(out);
            throw NotWritten("compound file stream not written: " + child.name);
        }
        gsf_output_close(out);
        g_object_unref(out);
    }
}

} // namespace

const CompoundEntry* CompoundEntry::Find(std::string_view childName) const
{
    const std::string key = Fold(childName);
    for (const CompoundEntry& c : children)
        if (Fold(c.name) == key) return &c;
    return nullptr;
}

CompoundEntry* CompoundEntry::Find(std::string_view childName)
{
    return const_cast<CompoundEntry*>(static_cast<const CompoundEntry*>(this)->Find(childName));
}

CompoundEntry& CompoundEntry::AddStream(std::string childName, std::string bytes)
{
    CompoundEntry& e = children.emplace_back();
    e.name = std::move(childName);
    e.data = std::move(bytes);
    return e;
}

CompoundEntry& CompoundEntry::AddStorage(std::string childName)
{
    CompoundEntry& e = children.emplace_back();
    e.name = std::move(childName);
    e.storage = true;
    return e;
}

bool IsCompoundFile(std::string_view bytes)
{
    return bytes.size() >= sizeof kSignature && std::memcmp(bytes.data(), kSignature, sizeof kSignature) == 0;
}

bool ReadCompoundFile(std::string_view bytes, CompoundEntry& root, std::string* error, const CompoundLimits& limits)
{
    root = CompoundEntry();
    root.name = "Root Entry";
    root.storage = true;
    auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        root.children.clear();
        return false;
    };
    if (bytes.size() > limits.maxFileSize) return fail("file larger than allowed");
    if (!IsCompoundFile(bytes)) return fail("not a compound file");
    InitGsf();
    GsfInput* mem = gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                         static_cast<gsf_off_t>(bytes.size()), FALSE);
    if (!mem) return fail("no memory input");
    GError* gerr = nullptr;
    GsfInfile* file = gsf_infile_msole_new(mem, &gerr);
    g_object_unref(mem);
    if (!file) {
        std::string why = gerr && gerr->message ? gerr->message : "damaged compound file";
        if (gerr) g_error_free(gerr);
        return fail(std::move(why));
    }
    TreeReader reader(limits);
    const bool ok = reader.ReadStorage(file, root, 0);
    g_object_unref(file);
    if (!ok) return fail(reader.error);
    return true;
}

std::string WriteCompoundFile(const CompoundEntry& root)
{
    InitGsf();
    GsfOutput* mem = gsf_output_memory_new();
    GsfOutfile* file = gsf_outfile_msole_new(mem);
    if (!file) {
        g_object_unref(mem);
        throw NotWritten("compound file not created");
    }
    if (root.classId.size() == 16)
        gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(file), reinterpret_cast<const guint8*>(root.classId.data()));
    {
        OnFailure release([file, mem] {
            gsf_output_close(GSF_OUTPUT(file));
            g_object_unref(file);
            g_object_unref(mem);
        });
        WriteChildren(file, root);
    }
    const bool closed = gsf_output_close(GSF_OUTPUT(file));
    g_object_unref(file);
    std::string out;
    if (closed) {
        const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(mem));
        const gsf_off_t size = gsf_output_size(mem);
        if (data && size > 0) out.assign(reinterpret_cast<const char*>(data), static_cast<size_t>(size));
    }
    g_object_unref(mem);
    if (out.empty()) throw NotWritten("compound file not written");
    return out;
}

} // namespace nv
