#pragma once
// The header of a form: name, paper, margins, orientation, author, contents,
// line-breaking characters, time stamps and revision.
#include "engine/core/CObject.h"
#include "engine/core/ChangeData.h"
#include "engine/core/PropertyMap.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace nv {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The clock form time stamps come from. Null restores the system's local
// time. Tests install a fixed clock for byte-exact output.
using FormClock = std::function<LocalTime()>;
void SetFormClock(FormClock clock);
LocalTime FormClockNow();
// "%04d/%02d/%02d %02d:%02d:%02d"
std::string FormatFormTime(const LocalTime& t);

class TvFormInfo : public CObject {
    NV_DECLARE_SERIAL(TvFormInfo)
public:
    // The creation time is taken from the form clock.
    TvFormInfo();

    // Storing re-stamps the update time from the form clock.
    void Serialize(Archive& ar, uint32_t schema) override;
    void SetProperties(const TvPropertyMap& map, TvChangeList* changes);
    std::unique_ptr<TvFormInfo> Clone() const;
    void CopyFrom(const TvFormInfo& other);

    std::string m_strName;           // 500
    int32_t m_nPaperSize = 1;        // 501
    int32_t m_nPaperWidth = 0;       // 502
    int32_t m_nPaperLength = 0;      // 503
    int32_t m_nMarginLeft = 0;       // 504
    int32_t m_nMarginTop = 0;        // 505
    int32_t m_nMarginRight = 0;      // 506
    int32_t m_nMarginBottom = 0;     // 507
    int32_t m_nOrientation = 0;      // 510
    std::string m_strAuthor;         // 511
    std::string m_strContents;       // 512
    std::string m_strCreateTime;     // 513
    std::string m_strUpdateTime;     // 514
    int32_t m_nUpdateRevision = 0;   // 515
    std::string m_strEditorVersion;  // 516
    std::string m_strKinsoku;        // 517: line-breaking characters
    int32_t m_nOption1 = 1;          // 520
    int32_t m_nOption2 = 2;          // 521
    int32_t m_nOption3 = 2;          // 522
    int32_t m_nOffsetX = 0;          // 523, not stored
    int32_t m_nOffsetY = 0;          // 524, not stored
};

} // namespace nv
