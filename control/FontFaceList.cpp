#include "control/FontFaceList.h"

#include "platform/core/Cp932.h"
#include "platform/qt/FontFaceTable.h"

#include <QFontDatabase>
#include <QGuiApplication>

namespace nv {

namespace {

constexpr uint8_t kDefaultCharSet = 1;
constexpr uint8_t kShiftJisCharSet = 128;
constexpr uint8_t kVariablePitch = 2;

} // namespace

void FontFaceList::Clear()
{
    m_entries.clear();
    m_byName.clear();
    m_nLastId = -1;
}

const TvFontDesc* FontFaceList::Find(const std::string& faceName) const
{
    auto it = m_byName.find(faceName);
    return it == m_byName.end() ? nullptr : it->second;
}

const TvFontDesc& FontFaceList::Add(const std::string& faceName)
{
    if (const TvFontDesc* known = Find(faceName)) return *known;
    const bool japanese = Cp932CharCount(faceName) != faceName.size();
    auto desc = std::make_unique<TvFontDesc>(++m_nLastId, faceName, japanese ? kShiftJisCharSet : kDefaultCharSet,
                                             kVariablePitch, 0, 0);
    TvFontDesc& ref = *desc;
    m_byName.emplace(faceName, desc.get());
    m_entries.push_back(std::move(desc));
    return ref;
}

void FontFaceList::Rebuild()
{
    Clear();
    for (const std::string& name : FontFaceTable::WindowsFaceNames())
        if (auto cp = Utf8ToCp932(name)) Add(*cp);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    for (const QString& family : QFontDatabase::families())
        if (auto cp = Utf8ToCp932(family.toStdString())) Add(*cp);
}

} // namespace nv
