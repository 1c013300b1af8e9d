#include "engine/model/TvFormInfo.h"

#include "engine/core/Archive.h"
#include "engine/core/PropertyTypes.h"
#include "engine/core/StoredNames.h"
#include "engine/core/PropertyTable.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace nv {

NV_IMPLEMENT_SERIAL_NAMED(TvFormInfo, kClassTvFormInfo, CObject, 4, true)

namespace {

std::mutex& ClockMutex()
{
    static std::mutex m;
    return m;
}

FormClock& Clock()
{
    static FormClock c;
    return c;
}

LocalTime SystemNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm {};
    localtime_r(&now, &tm);
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

} // namespace

void SetFormClock(FormClock clock)
{
    std::lock_guard lock(ClockMutex());
    Clock() = std::move(clock);
}

LocalTime FormClockNow()
{
    FormClock c;
    {
        std::lock_guard lock(ClockMutex());
        c = Clock();
    }
    return c ? c() : SystemNow();
}

std::string FormatFormTime(const LocalTime& t)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buf;
}

TvFormInfo::TvFormInfo() : m_strCreateTime(FormatFormTime(FormClockNow())) {}

void TvFormInfo::Serialize(Archive& ar, uint32_t schema)
{
    if (ar.IsStoring()) {
        m_strUpdateTime = FormatFormTime(FormClockNow());
        ar << m_strName << m_nPaperWidth << m_nPaperLength << m_nMarginLeft << m_nMarginTop << m_nMarginRight
           << m_nMarginBottom << m_nOrientation << m_strAuthor << m_strContents << m_strCreateTime
           << m_strUpdateTime << m_nUpdateRevision << m_strEditorVersion << m_strKinsoku << m_nPaperSize
           << m_nOption1 << m_nOption2 << m_nOption3;
        return;
    }
    ar >> m_strName >> m_nPaperWidth >> m_nPaperLength >> m_nMarginLeft >> m_nMarginTop >> m_nMarginRight >>
        m_nMarginBottom >> m_nOrientation >> m_strAuthor >> m_strContents >> m_strCreateTime >> m_strUpdateTime >>
        m_nUpdateRevision >> m_strEditorVersion >> m_strKinsoku;
    m_nPaperSize = 1;
    m_nOption1 = 1;
    m_nOption2 = 2;
    m_nOption3 = 2;
    if (schema >= 1) ar >> m_nPaperSize;
    if (schema >= 2) ar >> m_nOption1;
    if (schema >= 4) ar >> m_nOption2 >> m_nOption3;
}

void TvFormInfo::SetProperties(const TvPropertyMap& map, TvChangeList* changes)
{
    using R = PropertyRows<TvFormInfo>;
    static constexpr PropertyRow<TvFormInfo> rows[] = {
        R::Field<&TvFormInfo::m_strName>(propFormName),
        R::Field<&TvFormInfo::m_nPaperSize>(propPaperSize),
        R::Field<&TvFormInfo::m_nPaperWidth>(propPaperWidth),
        R::Field<&TvFormInfo::m_nPaperLength>(propPaperLength),
        R::Field<&TvFormInfo::m_nMarginLeft>(propFormMarginLeft),
        R::Field<&TvFormInfo::m_nMarginTop>(propFormMarginTop),
        R::Field<&TvFormInfo::m_nMarginRight>(propFormMarginRight),
        R::Field<&TvFormInfo::m_nMarginBottom>(propFormMarginBottom),
        R::Field<&TvFormInfo::m_nOrientation>(propFormOrientation),
        R::Field<&TvFormInfo::m_strAuthor>(propAuthor),
        R::Field<&TvFormInfo::m_strContents>(propContents),
        R::Field<&TvFormInfo::m_strCreateTime>(propCreateTime),
        R::Field<&TvFormInfo::m_strUpdateTime>(propUpdateTime),
        R::Field<&TvFormInfo::m_nUpdateRevision>(propUpdateRevision),
        R::Field<&TvFormInfo::m_strEditorVersion>(propEditorVersion),
        R::Field<&TvFormInfo::m_strKinsoku>(propKinsokuChars),
        R::Field<&TvFormInfo::m_nOption1>(propFormOption1),
        R::Field<&TvFormInfo::m_nOption2>(propFormOption2),
        R::Field<&TvFormInfo::m_nOption3>(propFormOption3),
        R::Field<&TvFormInfo::m_nOffsetX>(propFormOffsetX),
        R::Field<&TvFormInfo::m_nOffsetY>(propFormOffsetY),
    };
    static const PropertyTable<TvFormInfo> table(nullptr, rows);
    table.Apply(*this, map, changes);
}

void TvFormInfo::CopyFrom(const TvFormInfo& o)
{
    if (&o == this) return;
    m_strName = o.m_strName;
    m_nPaperSize = o.m_nPaperSize;
    m_nPaperWidth = o.m_nPaperWidth;
    m_nPaperLength = o.m_nPaperLength;
    m_nMarginLeft = o.m_nMarginLeft;
    m_nMarginTop = o.m_nMarginTop;
    m_nMarginRight = o.m_nMarginRight;
    m_nMarginBottom = o.m_nMarginBottom;
    m_nOrientation = o.m_nOrientation;
    m_strAuthor = o.m_strAuthor;
    m_strContents = o.m_strContents;
    m_strCreateTime = o.m_strCreateTime;
    m_strUpdateTime = o.m_strUpdateTime;
    m_nUpdateRevision = o.m_nUpdateRevision;
    m_strEditorVersion = o.m_strEditorVersion;
    m_strKinsoku = o.m_strKinsoku;
    m_nOption1 = o.m_nOption1;
    m_nOption2 = o.m_nOption2;
    m_nOption3 = o.m_nOption3;
    m_nOffsetX = o.m_nOffsetX;
    m_nOffsetY = o.m_nOffsetY;
}

std::unique_ptr<TvFormInfo> TvFormInfo::Clone() const
{
    auto f = std::make_unique<TvFormInfo>();
    f->CopyFrom(*this);
    return f;
}

} // namespace nv
