#include "platform/automation/ProgIdRegistry.h"
#include "platform/core/Paths.h"
#include "platform/core/PlatformLog.h"

#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace nv {

namespace {

std::string Folded(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return r;
}

std::vector<std::string_view> SplitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (true) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    return fields;
}

bool HasControlCharacter(std::string_view line)
{
    for (char c : line)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return true;
    return false;
}

// A person reads which component, which file was looked for and why, in
// Japanese; the system's own words (the loader's) go to the log.
[[noreturn]] void CannotCreate(std::string_view component, const std::string& why, const std::string& detail = {})
{
    PlatformLog("ProgID", std::string(component) + ": " + why + (detail.empty() ? "" : " (" + detail + ")"));
    throw AutomationError(CTL_E_CANTCREATEOBJECT, "部品 " + std::string(component) + " を作成できません。\n" + why);
}

std::string NotFoundWhy()
{
    return std::string("部品の一覧 ") + kProgIdFileName + " が見つかりません (探した場所: " + DataFolderPath()
         + kProgIdFileName + ", " + ShareFolderPath() + kProgIdFileName + ")。";
}

// A library loaded, or why it was refused (said again at every later try).
struct LoadedLibrary {
    const PluginApi* api = nullptr;
    std::string why;
    std::string detail;
};

struct Registry {
    std::mutex mutex;
    std::string loadedFrom;
    bool loaded = false;
    bool readable = false;
    std::map<std::string, ProgIdEntry> entries;        // by folded ProgID
    std::map<std::string, Dispatch* (*)()> inProcess;  // by folded ProgID
    std::map<std::string, LoadedLibrary> libraries;    // by path

    void EnsureLoaded()
    {
        std::string file = FindProgIdFile();
        if (loaded && readable && file == loadedFrom) return;
        entries.clear();
        loadedFrom = file;
        loaded = true;
        if (file.empty()) return;
        std::ifstream in(file, std::ios::binary);
        readable = in.is_open();
        std::stringstream ss;
        ss << in.rdbuf();
        std::filesystem::path folder = std::filesystem::path(file).parent_path();
        for (ProgIdEntry& e : ParseProgIdFile(ss.str())) {
            if (!e.library.empty() && e.library.front() != '/') e.library = (folder / e.library).lexically_normal();
            entries[Folded(e.progId)] = std::move(e);
        }
    }

    const ProgIdEntry* Find(std::string_view progId)
    {
        auto it = entries.find(Folded(progId));
        for (int hops = 0; it != entries.end() && !it->second.curVer.empty() && hops < 4; ++hops)
            it = entries.find(Folded(it->second.curVer));
        if (it == entries.end() || it->second.library.empty()) return nullptr;
        return &it->second;
    }
};

Registry& TheRegistry()
{
    static Registry r;
    return r;
}

} // namespace

std::vector<ProgIdEntry> ParseProgIdFile(std::string_view text, std::vector<std::string>* problems)
{
    std::vector<ProgIdEntry> out;
    size_t lineNo = 0;
    while (!text.empty()) {
        size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        std::vector<std::string_view> f = SplitTabs(line);
        ProgIdEntry e;
        e.progId = std::string(f[0]);
        bool ok = !e.progId.empty() && f.size() >= 2 && !f[1].empty() && !HasControlCharacter(line);
        if (ok && f[1] == "CurVer") {
            ok = f.size() == 3 && !f[2].empty();
            if (ok) e.curVer = std::string(f[2]);
        } else if (ok) {
            e.library = std::string(f[1]);
            if (f.size() > 2) e.typeName = std::string(f[2]);
            if (f.size() > 3) e.categories = std::string(f[3]);
            ok = f.size() <= 4;
        }
        if (ok)
            out.push_back(std::move(e));
        else if (problems)
            problems->push_back("line " + std::to_string(lineNo) + ": not a ProgID line");
    }
    return out;
}

std::string FormatProgIdLines(const PluginApi& api, std::string_view library)
{
    std::string s;
    for (size_t i = 0; i < api.classCount; ++i) {
        const PluginClass& c = api.classes[i];
        s += std::string(c.progId) + '\t' + std::string(library) + '\t' + (c.typeName ? c.typeName : "") + '\t'
           + (c.categories ? c.categories : "") + '\n';
        if (c.versionIndependentProgId) s += std::string(c.versionIndependentProgId) + "\tCurVer\t" + c.progId + '\n';
    }
    return s;
}

std::string FindProgIdFile()
{
    if (const char* env = std::getenv("NIVALO_PROGIDS"); env && *env) return env;
    return FindResourcePath(kProgIdFileName).value_or(std::string());
}

namespace {

// With the registry's lock held; component names what was asked for.
const PluginApi& LoadPluginLocked(Registry& r, const std::string& libraryPath, std::string_view component)
{
    auto it = r.libraries.find(libraryPath);
    if (it == r.libraries.end()) {
        LoadedLibrary loaded;
        std::error_code ec;
        void* handle = nullptr;
        if (!std::filesystem::exists(libraryPath, ec)) {
            loaded.why = "部品のファイル " + libraryPath + " がありません。";
        } else if (!(handle = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL))) {
            const char* why = dlerror();
            loaded.why = "部品のファイル " + libraryPath + " を読み込めません。";
            loaded.detail = why ? why : "";
        } else {
            auto factory = reinterpret_cast<PluginFactory>(dlsym(handle, kPluginFactoryName));
            const PluginApi* api = factory ? factory(kPluginAbiVersion) : nullptr;
            if (api && (api->abiVersion != kPluginAbiVersion || !api->create)) api = nullptr;
            loaded.api = api;
            if (!factory)
                loaded.why = "ファイル " + libraryPath + " は部品ではありません。";
            else if (!api)
                loaded.why = "部品のファイル " + libraryPath + " は、このプログラムとは別の版のものです。";
            loaded.detail = !factory ? "no plug-in factory" : !api ? "another plug-in version" : "";
        }
        it = r.libraries.emplace(libraryPath, std::move(loaded)).first;
    }
    if (!it->second.api) CannotCreate(component, it->second.why, it->second.detail);
    return *it->second.api;
}

} // namespace

const PluginApi& LoadPlugin(const std::string& libraryPath)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    return LoadPluginLocked(r, libraryPath, libraryPath);
}

Ref<Dispatch> CreateObject(std::string_view progId)
{
    Registry& r = TheRegistry();
    std::unique_lock lock(r.mutex);
    if (auto it = r.inProcess.find(Folded(progId)); it != r.inProcess.end()) {
        auto create = it->second;
        lock.unlock();
        return Ref<Dispatch>(create());
    }
    r.EnsureLoaded();
    if (r.loadedFrom.empty()) CannotCreate(progId, NotFoundWhy());
    if (!r.readable) CannotCreate(progId, "部品の一覧 " + r.loadedFrom + " がありません。");
    const ProgIdEntry* e = r.Find(progId);
    if (!e) CannotCreate(progId, "部品の一覧 " + r.loadedFrom + " に載っていません。");
    std::string versioned = e->progId;
    std::string library = e->library;
    const PluginApi& api = LoadPluginLocked(r, library, progId);
    // A list that names the wrong file is said as such, not as the file's refusal.
    const PluginClass* const lastClass = api.classes + api.classCount;
    if (std::none_of(api.classes, lastClass, [&](const PluginClass& c) {
            return EqualNoCase(c.progId, versioned) ||
                   (c.versionIndependentProgId && EqualNoCase(c.versionIndependentProgId, versioned));
        }))
        CannotCreate(progId, "部品の一覧 " + r.loadedFrom + " は部品のファイル " + library + " を挙げていますが、そのファイルに " +
                                 versioned + " はありません。");
    lock.unlock();
    Dispatch* raw = nullptr;
    ErrorRecord error;
    HRESULT hr = api.create(versioned.c_str(), &raw, &error);
    if (Failed(hr) || !raw) {
        // A plug-in that says nothing of its own is said as the file that failed.
        if (error.scode == S_OK || error.description.empty() || error.description == DescriptionOf(error.scode))
            CannotCreate(progId, "部品のファイル " + library + " が作成を断りました。",
                         DescriptionOf(Failed(hr) ? hr : error.scode));
        throw AutomationError(std::move(error));
    }
    return Ref<Dispatch>::Adopt(raw);
}

HRESULT CreateObject(std::string_view progId, Dispatch** out, ErrorRecord* error) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        *out = CreateObject(progId).Detach();
        return S_OK;
    } catch (...) {
        return CreateFailure(error);
    }
}

void RegisterClass(std::string_view progId, Dispatch* (*create)())
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    r.inProcess[Folded(progId)] = create;
}

void UnregisterClass(std::string_view progId)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    r.inProcess.erase(Folded(progId));
}

std::optional<ProgIdEntry> LookUpProgId(std::string_view progId)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    r.EnsureLoaded();
    const ProgIdEntry* e = r.Find(progId);
    if (!e) return std::nullopt;
    return *e;
}

} // namespace nv
