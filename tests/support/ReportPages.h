#pragma once
// A report document as the viewer shows it: every page's field values and
// label texts by object name, in UTF-8.
#include "engine/model/TvFieldPart.h"
#include "engine/model/TvText.h"
#include "engine/render/TvReportDoc.h"
#include "platform/core/Cp932.h"

#include <map>
#include <string>
#include <vector>

namespace nvtest {

inline std::vector<std::map<std::string, std::string>> ReportPageTexts(const std::string& path)
{
    nv::TvReportDoc doc;
    doc.Open(path);
    std::vector<std::map<std::string, std::string>> pages;
    for (int32_t p = 1; p <= doc.PageCount(); ++p) {
        nv::TvPageData& page = doc.GetPageData(p);
        std::map<std::string, std::string> texts;
        page.m_pForm->ForEachObject([&](const nv::TvObject& o) {
            if (auto* f = dynamic_cast<const nv::TvValueField*>(&o))
                texts[nv::Cp932ToUtf8(o.m_strName)] = nv::Cp932ToUtf8(f->m_strValue);
            else if (auto* t = dynamic_cast<const nv::TvText*>(&o))
                texts[nv::Cp932ToUtf8(o.m_strName)] = nv::Cp932ToUtf8(t->m_strText);
        });
        pages.push_back(std::move(texts));
    }
    return pages;
}

} // namespace nvtest
