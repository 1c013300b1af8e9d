#include "platform/print/FormRegistry.h"

#include "platform/core/DevMode.h"
#include "platform/core/FileReplacement.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nv {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

SpoolStatus FromErrno(int e)
{
    return (e == EACCES || e == EPERM || e == EROFS) ? SpoolStatus::AccessDenied : SpoolStatus::Failed;
}

bool ParseLine(const std::string& line, RegisteredForm& out)
{
    // id \t width \t height \t name ; the imageable area is the whole sheet
    std::istringstream in(line);
    std::string id, w, h;
    if (!std::getline(in, id, '\t') || !std::getline(in, w, '\t') || !std::getline(in, h, '\t')) return false;
    std::string name;
    std::getline(in, name, '\n');
    char* end = nullptr;
    auto num = [&end](const std::string& s, long lo, long hi, long& v) {
        errno = 0;
        v = std::strtol(s.c_str(), &end, 10);
        return !s.empty() && errno == 0 && *end == '\0' && v >= lo && v <= hi;
    };
    long vid = 0, vw = 0, vh = 0;
    if (!num(id, DMPAPER_USER + 1, INT16_MAX, vid) || !num(w, 1, INT32_MAX, vw) || !num(h, 1, INT32_MAX, vh) ||
        name.empty())
        return false;
    out.paperId = int16_t(vid);
    out.form = FormInfo1{0, name, int32_t(vw), int32_t(vh), 0, 0, int32_t(vw), int32_t(vh)};
    return true;
}

} // namespace

bool FormNamesEqual(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

FormRegistry::FormRegistry(std::string path) : path_(std::move(path)) {}

std::string FormRegistry::DefaultPath()
{
    // Never a shared folder: without the environment, the home folder the
    // password database gives this user.
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') {
        base = x;
    } else {
        std::string home;
        if (const char* h = std::getenv("HOME"); h && *h == '/') home = h;
        if (home.empty()) {
            struct passwd pw {};
            struct passwd* found = nullptr;
            std::vector<char> buf(16384);
            if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && pw.pw_dir)
                home = pw.pw_dir;
        }
        if (home.empty()) return {};
        base = home + "/.config";
    }
    return base + "/Ardel/Tavelo/paper-forms";
}

std::optional<std::vector<RegisteredForm>> FormRegistry::Load() const
{
    std::vector<RegisteredForm> forms;
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        std::error_code ec;
        if (!std::filesystem::exists(path_, ec) && !ec) return forms;
        return std::nullopt;
    }
    std::string line;
    while (std::getline(in, line)) {
        RegisteredForm f;
        if (ParseLine(line, f)) forms.push_back(std::move(f));
    }
    if (in.bad()) return std::nullopt;
    return forms;
}

SpoolStatus FormRegistry::Add(const FormInfo1& form)
{
    if (form.name.empty() || form.width <= 0 || form.height <= 0 ||
        form.name.find_first_of(std::string("\t\n\r\0", 4)) != std::string::npos)
        return SpoolStatus::Failed;
    auto forms = Load();
    if (!forms) return SpoolStatus::Failed;
    int next = DMPAPER_USER + 1;
    for (const RegisteredForm& f : *forms) {
        if (FormNamesEqual(f.form.name, form.name)) return SpoolStatus::FileExists;
        if (f.paperId >= next) next = f.paperId + 1;
    }
    if (next > INT16_MAX) return SpoolStatus::Failed;
    RegisteredForm added{form, int16_t(next)};
    added.form.left = added.form.top = 0;
    added.form.right = form.width;
    added.form.bottom = form.height;
    forms->push_back(added);
    return Save(*forms);
}

SpoolStatus FormRegistry::Remove(const std::string& name)
{
    auto forms = Load();
    if (!forms) return SpoolStatus::Failed;
    const size_t before = forms->size();
    std::erase_if(*forms, [&](const RegisteredForm& f) { return FormNamesEqual(f.form.name, name); });
    if (forms->size() == before) return SpoolStatus::NotFound;
    return Save(*forms);
}

SpoolStatus FormRegistry::Save(const std::vector<RegisteredForm>& forms)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path_);
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
        if (ec) return FromErrno(ec.value());
    }
    if (path_.empty()) return SpoolStatus::AccessDenied;
    // A folder other users may write could hold their links and files
    // under the names written here.
    struct stat folder {};
    const std::string parent = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    if (::stat(parent.c_str(), &folder) != 0) return FromErrno(errno);
    if (folder.st_mode & (S_IWGRP | S_IWOTH)) return SpoolStatus::AccessDenied;
    std::ostringstream text;
    for (const RegisteredForm& f : forms)
        text << f.paperId << '\t' << f.form.width << '\t' << f.form.height << '\t' << f.form.name << '\n';
    const std::string bytes = text.str();
    // The forms are no secret: the mode a new file of the user's gets.
    const ReplaceFailure failed = ReplaceFileBytes(path_, bytes, NewFileMode::KeepOrShared);
    if (failed) return FromErrno(failed.err);
    return SpoolStatus::Ok;
}

} // namespace nv
