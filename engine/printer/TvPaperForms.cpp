#include "engine/printer/TvPaperForms.h"

#include "engine/core/EngineMath.h"
#include "engine/core/NamedLock.h"
#include "engine/format/UnitTable.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <set>

namespace nv {
namespace {

PaperExtent ToTenths(PaperExtent size, bool inTenths)
{
    if (inTenths) return size;
    return {InternalToUnit(size.width, UNIT_DECIMM, false), InternalToUnit(size.length, UNIT_DECIMM, false)};
}

PaperExtent ToThousandths(PaperExtent size, bool inTenths)
{
    if (inTenths) {
        auto times100 = [](int32_t v) {
            const int64_t x = int64_t(v) * 100;
            return int32_t(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX));
        };
        return {times100(size.width), times100(size.length)};
    }
    return {InternalToUnit(size.width, UNIT_MICROMM, false), InternalToUnit(size.length, UNIT_MICROMM, false)};
}

bool HasFormPrefix(const std::string& name)
{
    const std::string prefix = TvPaperForms::kFormPrefix;
    if (name.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(name[i]) != lower(prefix[i])) return false;
    }
    return true;
}

// The number after the prefix as atoi reads it, kept within int.
int FormNumber(const std::string& rest)
{
    return ParseLeadingInt(rest);
}

int CodeFor(SpoolStatus s)
{
    switch (s) {
    case SpoolStatus::Ok: return TvPaperForms::kAdded;
    case SpoolStatus::FileExists: return TvPaperForms::kNameExists;
    case SpoolStatus::AccessDenied: return TvPaperForms::kAccessDenied;
    default: return TvPaperForms::kSpoolerFailed;
    }
}

} // namespace

TvPaperForms::TvPaperForms(std::string deviceName, std::string portName, PrintSpooler* spooler)
    : device_(std::move(deviceName)), port_(std::move(portName)),
      spooler_(spooler ? spooler : &DefaultPrintSpooler())
{
}

int TvPaperForms::GetPaperLists(std::vector<std::string>* names, std::vector<int16_t>* ids,
                                std::vector<PaperExtent>* sizes) const
{
    auto n = spooler_->PaperNames(device_, port_);
    auto i = spooler_->PaperIds(device_, port_);
    auto s = spooler_->PaperSizes(device_, port_);
    if (!n || !i || !s || n->size() != i->size() || i->size() != s->size() || s->size() > size_t(INT_MAX))
        return -1;
    // Names are held in 64-byte slots.
    for (std::string& name : *n) {
        name = name.substr(0, name.find('\0'));
        if (name.size() > 63) name.resize(63);
    }
    const int count = int(s->size());
    if (names) *names = std::move(*n);
    if (ids) *ids = std::move(*i);
    if (sizes) *sizes = std::move(*s);
    return count;
}

int TvPaperForms::FindPaperByName(int16_t* id, PaperExtent* size, const std::string& name) const
{
    std::vector<std::string> names;
    std::vector<int16_t> ids;
    std::vector<PaperExtent> sizes;
    const int n = GetPaperLists(&names, &ids, &sizes);
    for (int k = 0; k < n; ++k) {
        if (names[k] != name) continue;
        if (id) *id = ids[k];
        if (size) *size = sizes[k];
        return 1;
    }
    return 0;
}

int TvPaperForms::FindPaperById(PaperExtent* size, std::string* name, int16_t id) const
{
    std::vector<std::string> names;
    std::vector<int16_t> ids;
    std::vector<PaperExtent> sizes;
    const int n = GetPaperLists(&names, &ids, &sizes);
    for (int k = 0; k < n; ++k) {
        if (ids[k] != id) continue;
        if (size) *size = sizes[k];
        if (name) *name = names[k];
        return 1;
    }
    return 0;
}

int TvPaperForms::FindPaperBySize(int16_t* id, std::string* name, PaperExtent size) const
{
    std::vector<std::string> names;
    std::vector<int16_t> ids;
    std::vector<PaperExtent> sizes;
    const int n = GetPaperLists(&names, &ids, &sizes);
    for (int k = 0; k < n; ++k) {
        if (sizes[k] != size) continue;
        if (id) *id = ids[k];
        if (name) *name = names[k];
        return 1;
    }
    return 0;
}

int TvPaperForms::CheckExtent(PaperExtent size) const
{
    if (auto max = spooler_->MaxExtent(device_, port_))
        if (size.width > max->width || size.length > max->length) return 0;
    if (auto min = spooler_->MinExtent(device_, port_))
        if (size.width < min->width || size.length < min->length) return 0;
    return 1;
}

int TvPaperForms::FindOrAddForm(int16_t* id, PaperExtent* outSize, std::string& formName, PaperExtent size,
                                bool sizeInTenths)
{
    const PaperExtent tenths = ToTenths(size, sizeInTenths);
    if (outSize) *outSize = tenths;
    if (FindPaperBySize(id, &formName, tenths)) return 0;

    bool registered = false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int r = AddForm(formName, size, sizeInTenths);
        if (r == kNameExists) continue;
        if (r < 0 || r > 1) return r;
        registered = r == kAdded;
        break;
    }
    // Only a listed form of the size asked for will do: after a lost race
    // for a name, that name may stand for another size. A tenth of a
    // millimetre is allowed for the rounding of the two units.
    int16_t listedId = 0;
    PaperExtent listed;
    if (registered && FindPaperByName(&listedId, &listed, formName) &&
        std::abs(listed.width - tenths.width) <= 1 && std::abs(listed.length - tenths.length) <= 1) {
        if (id) *id = listedId;
        if (outSize) *outSize = listed;
        return 0;
    }
    if (registered) DeleteForm(formName);
    return kNoLock;
}

int TvPaperForms::NextFormNumber(const std::vector<int>& used)
{
    if (used.empty()) return 1;
    const int m = *std::max_element(used.begin(), used.end());
    if (used.size() >= size_t(std::max(m, 0)) && m < INT_MAX) return std::max(m, 0) + 1;
    // Some number up to m is free; the first lies within count + 1.
    const std::set<int> inUse(used.begin(), used.end());
    int n = 1;
    while (inUse.count(n)) ++n;
    return n;
}

int TvPaperForms::AddForm(std::string& formName, PaperExtent size, bool sizeInTenths)
{
    NamedLock lock(kLockName);
    if (!lock.Lock(lockTimeoutMs_)) return kNoLock;

    SpoolStatus status = SpoolStatus::Ok;
    std::unique_ptr<SpoolPrinter> printer = spooler_->OpenPrinter(device_, status);
    if (!printer) return status == SpoolStatus::AccessDenied ? kAccessDenied : kPrinterNotOpened;

    const auto forms = printer->EnumForms();
    if (!forms || forms->empty()) return kFormListNotRead;

    const PaperExtent um = ToThousandths(size, sizeInTenths);
    std::vector<int> numbers;
    for (const FormInfo1& f : *forms)
        if (HasFormPrefix(f.name)) numbers.push_back(FormNumber(f.name.substr(std::string(kFormPrefix).size())));

    formName = kFormPrefix + std::to_string(NextFormNumber(numbers));
    const FormInfo1 form{0, formName, um.width, um.length, 0, 0, um.width, um.length};
    return CodeFor(printer->AddForm(form));
}

void TvPaperForms::DeleteForm(const std::string& formName)
{
    NamedLock lock(kLockName);
    if (!lock.Lock(lockTimeoutMs_)) return;
    SpoolStatus status = SpoolStatus::Ok;
    if (auto printer = spooler_->OpenPrinter(device_, status)) printer->DeleteForm(formName);
}

} // namespace nv
