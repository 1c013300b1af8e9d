#include "control/PrinterDispatch.h"

#include "control/CInkplateCtrl.h"
#include "control/CXPrinters.h"
#include "control/ControlErrors.h"
#include "control/EngineText.h"
#include "control/InkplateDispatch.h"
#include "control/TypeLibrary.h"
#include "platform/automation/EnumVariant.h"

namespace nv {

// ---- ITvPrinter ---------------------------------------------------------------

TvPrinterDispatch::TvPrinterDispatch(std::shared_ptr<CXPrinter> printer)
    : DispatchObject(kITvPrinter), m_pPrinter(std::move(printer))
{
}

void TvPrinterDispatch::BindMembers(Binder& b)
{
    using P = TvPrinterDispatch;
    b.Get("PrinterName", [](P& d, Args) { return Variant(d.Typed().GetPrinterName()); });
    b.Get("DeviceName", [](P& d, Args) { return Variant(d.Typed().GetDeviceName()); });
    b.Get("PaperName", [](P& d, Args) { return Variant(d.Typed().GetPaperName()); });
    b.Put("PaperName", [](P& d, Args a) { d.Typed().SetPaperName(a[0].Str()); });
    b.Method("SetFormSize", [](P& d, Args a) {
        auto* form = dynamic_cast<TvFormDispatch*>(a[0].AsDispatch());
        if (!form) ThrowControlError(kErrInvalidProperty, 20006);
        return Variant(d.Typed().SetFormSize(form->Typed()));
    });
    for (const MemberInfo& m : kITvPrinter.members) {
        const int32_t id = m.id;
        if (id == CXPrinter::kPrinterName || id == CXPrinter::kDeviceName || id == CXPrinter::kPaperName ||
            id == CXPrinter::kSetFormSize)
            continue;
        const bool small = m.type == VT_I2;
        b.Get(m.name, [id, small](P& d, Args) {
            const int32_t v = d.Typed().GetNumber(id);
            return small ? Variant(int16_t(v)) : Variant(v);
        });
        b.Put(m.name, [id, small](P& d, Args a) { d.Typed().SetNumber(id, small ? a[0].I2() : a[0].I4()); });
    }
}

// ---- ITvPrinters --------------------------------------------------------------

TvPrintersDispatch::TvPrintersDispatch(CInkplateCtrl& ctrl) : DispatchObject(kITvPrinters), m_pCtrl(&ctrl) {}

CInkplateCtrl& TvPrintersDispatch::Ctrl() const
{
    if (!m_pCtrl) ThrowControlError(kErrDetached, kTextDetached);
    return *m_pCtrl;
}

Ref<TvPrinterDispatch> TvPrintersDispatch::PrinterDispatch(const std::shared_ptr<CXPrinter>& printer)
{
    if (!printer) return Ref<TvPrinterDispatch>();
    auto it = m_cache.find(printer.get());
    if (it != m_cache.end() && it->second.second->alive) return Ref<TvPrinterDispatch>(it->second.first);
    Ref<TvPrinterDispatch> d = MakeRef<TvPrinterDispatch>(printer);
    m_cache[printer.get()] = {d.Get(), d->Token()};
    return d;
}

Ref<TvPrinterDispatch> TvPrintersDispatch::CurrentDispatch()
{
    CXPrinter* current = Ctrl().CurrentPrinter();
    return PrinterDispatch(current ? current->shared_from_this() : nullptr);
}

void TvPrintersDispatch::BindMembers(Binder& b)
{
    using C = TvPrintersDispatch;
    b.Get("Count", [](C& c, Args) { return Variant(c.Ctrl().Printers().Count()); });
    b.Get("Item", [](C& c, Args a) {
        CXPrinters& printers = c.Ctrl().Printers();
        std::shared_ptr<CXPrinter> found;
        const std::string text = (a[0].Vt() & 8) ? a[0].ToString() : std::string();
        // A name may hold any character, so it is not taken through CP932.
        if ((a[0].Vt() & 8) && (text.empty() || text.find_first_not_of("0123456789") != std::string::npos))
            found = printers.Item(text);
        else
            found = printers.At(ReadCollectionIndex(a[0]).position);
        if (!found) ThrowControlError(kErrInvalidIndex, kTextIndexOutOfRange);
        return Variant(static_cast<Dispatch*>(c.PrinterDispatch(found).Get()));
    });
    b.Get("_NewEnum", [](C& c, Args) {
        std::vector<Variant> snapshot;
        for (const auto& p : c.Ctrl().Printers().List())
            snapshot.emplace_back(static_cast<Dispatch*>(c.PrinterDispatch(p).Get()));
        return Variant::FromUnknown(MakeRef<CEnumVariant>(std::move(snapshot)).Get());
    });
}

} // namespace nv
