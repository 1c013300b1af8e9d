#pragma once
// A spooler in memory: a printer with a fixed paper list whose driver lists
// registered forms when they fit, plus switches for every failure.
#include "platform/print/PrintSpooler.h"

#include <optional>

namespace nvtest {

class FakeSpooler : public nv::PrintSpooler {
public:
    struct Paper {
        std::string name;
        int16_t id;
        nv::PaperExtent size;
    };
    std::vector<Paper> papers;
    std::vector<nv::FormInfo1> forms;
    std::optional<nv::PaperExtent> maxExtent, minExtent;
    bool takesCustom = true;
    bool listsFail = false;
    bool idsShort = false;
    nv::SpoolStatus openStatus = nv::SpoolStatus::Ok;
    bool enumFails = false;
    std::optional<nv::SpoolStatus> addStatus; // forced result of AddForm
    int addCalls = 0, deleteCalls = 0, openCalls = 0;

    FakeSpooler()
    {
        papers = {{"A4", 9, {2100, 2970}}, {"A3", 8, {2970, 4200}}, {"B5 (JIS)", 13, {1820, 2570}},
                  {"Letter", 1, {2159, 2794}}};
        forms = {{0, "A4", 210000, 297000, 0, 0, 210000, 297000}, {0, "A3", 297000, 420000, 0, 0, 297000, 420000}};
        maxExtent = nv::PaperExtent{3300, 4830};
        minExtent = nv::PaperExtent{900, 1270};
    }

    std::vector<Paper> Listed() const
    {
        std::vector<Paper> all = papers;
        if (!takesCustom) return all;
        int16_t id = 257;
        for (const nv::FormInfo1& f : forms) {
            if (f.name.rfind("Tavelo", 0) != 0 && f.name.rfind("tavelo", 0) != 0) continue;
            const nv::PaperExtent s{f.width / 100, f.height / 100};
            const bool fits = (!maxExtent || (s.width <= maxExtent->width && s.length <= maxExtent->length)) &&
                              (!minExtent || (s.width >= minExtent->width && s.length >= minExtent->length));
            if (fits) all.push_back({f.name, id, s});
            ++id;
        }
        return all;
    }

    std::optional<std::vector<std::string>> PaperNames(const std::string&, const std::string&) override
    {
        if (listsFail) return std::nullopt;
        std::vector<std::string> out;
        for (auto& p : Listed()) out.push_back(p.name);
        return out;
    }
    std::optional<std::vector<int16_t>> PaperIds(const std::string&, const std::string&) override
    {
        if (listsFail) return std::nullopt;
        std::vector<int16_t> out;
        for (auto& p : Listed()) out.push_back(p.id);
        if (idsShort && !out.empty()) out.pop_back();
        return out;
    }
    std::optional<std::vector<nv::PaperExtent>> PaperSizes(const std::string&, const std::string&) override
    {
        if (listsFail) return std::nullopt;
        std::vector<nv::PaperExtent> out;
        for (auto& p : Listed()) out.push_back(p.size);
        return out;
    }
    std::optional<nv::PaperExtent> MaxExtent(const std::string&, const std::string&) override { return maxExtent; }
    std::optional<nv::PaperExtent> MinExtent(const std::string&, const std::string&) override { return minExtent; }

    class Printer : public nv::SpoolPrinter {
    public:
        explicit Printer(FakeSpooler& s) : s_(s) {}
        std::optional<std::vector<nv::FormInfo1>> EnumForms() override
        {
            if (s_.enumFails) return std::nullopt;
            return s_.forms;
        }
        nv::SpoolStatus AddForm(const nv::FormInfo1& form) override
        {
            ++s_.addCalls;
            if (s_.addStatus) return *s_.addStatus;
            for (auto& f : s_.forms)
                if (f.name == form.name) return nv::SpoolStatus::FileExists;
            s_.forms.push_back(form);
            return nv::SpoolStatus::Ok;
        }
        nv::SpoolStatus DeleteForm(const std::string& name) override
        {
            ++s_.deleteCalls;
            std::erase_if(s_.forms, [&](const nv::FormInfo1& f) { return f.name == name; });
            return nv::SpoolStatus::Ok;
        }

    private:
        FakeSpooler& s_;
    };

    std::unique_ptr<nv::SpoolPrinter> OpenPrinter(const std::string&, nv::SpoolStatus& status) override
    {
        ++openCalls;
        status = openStatus;
        if (openStatus != nv::SpoolStatus::Ok) return nullptr;
        return std::make_unique<Printer>(*this);
    }
};

} // namespace nvtest
