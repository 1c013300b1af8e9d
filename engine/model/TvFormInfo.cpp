#include "engine/model/TvFormInfo.h"

#include "engine/core/Archive.h"
#include "engine/core/PropertyTypes.h"
#include "engine/core/StoredNames.h"

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
    for (const auto& [id, v] : map) {
        switch (id) {
        case 500: SetStringProp(changes, 500, m_strName, v.AsString()); break;
        case 501: SetLongProp(changes, 501, m_nPaperSize, v.AsLong()); break;
        case 502: SetLongProp(changes, 502, m_nPaperWidth, v.AsLong()); break;
        case 503: SetLongProp(changes, 503, m_nPaperLength, v.AsLong()); break;
        case 504: SetLongProp(changes, 504, m_nMarginLeft, v.AsLong()); break;
        case 505: SetLongProp(changes, 505, m_nMarginTop, v.AsLong()); break;
        case 506: SetLongProp(changes, 506, m_nMarginRight, v.AsLong()); break;
        case 507: SetLongProp(changes, 507, m_nMarginBottom, v.AsLong()); break;
        case 510: SetLongProp(changes, 510, m_nOrientation, v.AsLong()); break;
        case 511: SetStringProp(changes, 511, m_strAuthor, v.AsString()); break;
        case 512: SetStringProp(changes, 512, m_strContents, v.AsString()); break;
        case 513: SetStringProp(changes, 513, m_strCreateTime, v.AsString()); break;
        case 514: SetStringProp(changes, 514, m_strUpdateTime, v.AsString()); break;
        case 515: SetLongProp(changes, 515, m_nUpdateRevision, v.AsLong()); break;
        case 516: SetStringProp(changes, 516, m_strEditorVersion, v.AsString()); break;
        case 517: SetStringProp(changes, 517, m_strKinsoku, v.AsString()); break;
        case 520: SetLongProp(changes, 520, m_nOption1, v.AsLong()); break;
        case 521: SetLongProp(changes, 521, m_nOption2, v.AsLong()); break;
        case 522: SetLongProp(changes, 522, m_nOption3, v.AsLong()); break;
        case 523: SetLongProp(changes, 523, m_nOffsetX, v.AsLong()); break;
        case 524: SetLongProp(changes, 524, m_nOffsetY, v.AsLong()); break;
        default: break;
        }
    }
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
