#include "platform/qt/FontFaceTable.h"

#include <QFontDatabase>
#include <QString>

#include <deque>
#include <mutex>

namespace nv {

namespace {

// Windows faces' cell metrics: the Japanese faces have a cell of one em.
const std::vector<FontFace>& Table()
{
    static const std::vector<FontFace> faces{
        {"ＭＳ 明朝", "IPAMincho", 0.859375, 0.140625, 0.5, true},
        {"ＭＳ ゴシック", "IPAGothic", 0.859375, 0.140625, 0.5, true},
        {"ＭＳ Ｐ明朝", "IPAPMincho", 0.859375, 0.140625, 0.5, true},
        {"ＭＳ Ｐゴシック", "IPAPGothic", 0.859375, 0.140625, 0.5, true},
        {"Arial", "Liberation Sans", 0.905273, 0.211914, 0.441406, false},
        {"Times New Roman", "Liberation Serif", 0.891113, 0.216309, 0.400879, false},
        {"Courier New", "Liberation Mono", 0.832520, 0.300293, 0.600098, false},
    };
    return faces;
}

struct Alias {
    const char* name;
    size_t index;
};

// Other spellings of the same faces found in forms.
const Alias kAliases[] = {
    {"MS Mincho", 0},   {"MS 明朝", 0},           {"ＭＳ明朝", 0},        {"MS Gothic", 1},
    {"MS ゴシック", 1}, {"ＭＳゴシック", 1},      {"MS PMincho", 2},       {"MS P明朝", 2},
    {"MS PGothic", 3},  {"MS Pゴシック", 3},      {"Liberation Sans", 4},  {"Liberation Serif", 5},
    {"Liberation Mono", 6}, {"IPAMincho", 0},     {"IPAGothic", 1},        {"IPAPMincho", 2},
    {"IPAPGothic", 3},  {"Courier", 6},           {"Times", 5},            {"Helvetica", 4},
};

// Face names match without regard to the case of Latin letters, as the
// platform's font mapper matches them ("arial" is Arial).
bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

} // namespace

const std::vector<FontFace>& FontFaceTable::Faces() { return Table(); }

const FontFace& FontFaceTable::Lookup(std::string_view name)
{
    const auto& faces = Table();
    for (const FontFace& f : faces)
        if (SameName(f.windowsName, name)) return f;
    for (const Alias& a : kAliases)
        if (SameName(name, a.name)) return faces[a.index];
    // Any other face: an installed family keeps its name, with the metrics of
    // the nearest kind; names of faces that are not here get the default.
    static std::mutex lock;
    static std::deque<FontFace> others;
    std::lock_guard<std::mutex> guard(lock);
    for (const FontFace& f : others)
        if (f.windowsName == name) return f;
    QString family = QString::fromUtf8(name.data(), qsizetype(name.size()));
    if (!name.empty() && QFontDatabase::hasFamily(family)) {
        FontFace f = faces[4];
        f.windowsName = std::string(name);
        f.family = std::string(name);
        others.push_back(f);
        return others.back();
    }
    return faces[0];
}

std::vector<std::string> FontFaceTable::WindowsFaceNames()
{
    std::vector<std::string> names;
    for (const FontFace& f : Table()) names.push_back(f.windowsName);
    return names;
}

std::vector<std::string> FontFaceTable::MissingFamilies()
{
    std::vector<std::string> missing;
    for (const FontFace& f : Table())
        if (!QFontDatabase::hasFamily(QString::fromStdString(f.family))) missing.push_back(f.family);
    return missing;
}

} // namespace nv
