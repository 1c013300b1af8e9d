#include "control/InkplateDispatch.h"

#include "control/Converters.h"
#include "control/ControlText.h"
#include "control/InkplateWidget.h"
#include "control/PropertyAccess.h"
#include "control/TypeLibrary.h"
#include "control/typelib/TvlError.h"
#include "engine/core/EngineLog.h"

namespace nv {

namespace {

constexpr int32_t kInvalidObject = 20006;

int32_t ToEngine(const ConverterPair& pair, int32_t value) { return pair.ToEngine(value); }


} // namespace

// ---- ITvObject ------------------------------------------------------------------

TvObjectDispatch::TvObjectDispatch(std::shared_ptr<CXObject> object)
    : DispatchObject(kITvObject), m_pObject(std::move(object)), m_strName(m_pObject->EngineName())
{
}

void TvObjectDispatch::BindMembers(Binder& b)
{
    for (const MemberInfo& m : kITvObject.members) {
        const int32_t id = m.id;
        if (id < 1 || id > 81) continue;
        const uint16_t type = m.type;
        b.Get(m.name, [id, type](TvObjectDispatch& d, Args) -> Variant {
            CXObject& o = d.Typed();
            if (type == VT_BSTR) return Variant(o.GetString(id));
            if (type == VT_BOOL) return Variant(o.GetLong(id) != 0);
            if (type == VT_DISPATCH) return Variant(static_cast<Dispatch*>(o.OleObject()));
            return Variant(o.GetLong(id));
        });
        if (m.ReadOnly()) continue;
        b.Put(m.name, [id, type](TvObjectDispatch& d, Args a) {
            CXObject& o = d.Typed();
            if (type == VT_BSTR) o.SetString(id, a[0].Str());
            else if (type == VT_BOOL) o.SetLong(id, a[0].Boolean() ? -1 : 0);
            else o.SetLong(id, a[0].I4());
        });
    }
    b.Method("MoveTop", [](TvObjectDispatch& d, Args) { d.Typed().MoveTop(); });
    b.Method("MoveBottom", [](TvObjectDispatch& d, Args) { d.Typed().MoveBottom(); });
    b.Get("BarSize", [](TvObjectDispatch& d, Args a) { return Variant(d.Typed().GetBarSize(a[0].I4())); });
    b.Put("BarSize", [](TvObjectDispatch& d, Args a) { d.Typed().SetBarSize(a[0].I4(), a[1].I4()); });
    b.Get("ListText", [](TvObjectDispatch& d, Args a) {
        return Variant(d.Typed().GetListText(a[0].I4(), a[1].I4()));
    });
    b.Put("ListText", [](TvObjectDispatch& d, Args a) { d.Typed().SetListText(a[0].I4(), a[1].I4(), a[2].Str()); });
}

// ---- ITvLayer ---------------------------------------------------------------------

TvLayerDispatch::TvLayerDispatch(TvFormDispatch& form, std::shared_ptr<CXLayer> layer)
    : DispatchObject(kITvLayer), m_pForm(&form), m_formAlive(form.Token()), m_pLayer(std::move(layer)),
      m_strName(m_pLayer->EngineName())
{
    m_objects = MakeRef<LiveCollection<TvObjectDispatch>>(
        kITvObjects,
        [this](auto& c) {
            for (const auto& o : m_pLayer->TvObjects()) {
                if (m_formAlive->alive) c.Add(m_pForm->ObjectDispatch(o));
                else c.Add(MakeRef<TvObjectDispatch>(o));
            }
        },
        [this] {
            m_pLayer->AttachedLayer();
            return m_pLayer->Form().Generation();
        });
}

void TvLayerDispatch::BindMembers(Binder& b)
{
    b.Get("VisibleAtDesign", [](TvLayerDispatch& d, Args) { return Variant(d.Typed().VisibleAtDesign()); });
    b.Get("VisibleAtPrint", [](TvLayerDispatch& d, Args) { return Variant(d.Typed().GetVisibleAtPrint()); });
    b.Put("VisibleAtPrint", [](TvLayerDispatch& d, Args a) { d.Typed().SetVisibleAtPrint(a[0].Boolean()); });
    b.Get("TransparentAtDesign", [](TvLayerDispatch& d, Args) { return Variant(d.Typed().TransparentAtDesign()); });
    b.Get("TransparentAtPrint", [](TvLayerDispatch& d, Args) { return Variant(d.Typed().GetTransparentAtPrint()); });
    b.Put("TransparentAtPrint", [](TvLayerDispatch& d, Args a) { d.Typed().SetTransparentAtPrint(a[0].Boolean()); });
    b.Get("GridSpacingX", [](TvLayerDispatch& d, Args) { return Variant(d.Typed().GridSpacingX()); });
    b.Get("GridSpacingY", [](TvLayerDispatch& d, Args) { return Variant(d.Typed().GridSpacingY()); });
    b.Get("LayerMode", [](TvLayerDispatch& d, Args) { return Variant(d.Typed().LayerMode()); });
    b.Get("BackColor", [](TvLayerDispatch& d, Args) { return Variant(int32_t(d.Typed().GetBackColor())); });
    b.Put("BackColor", [](TvLayerDispatch& d, Args a) { d.Typed().SetBackColor(uint32_t(a[0].I4())); });
    b.Get("Name", [](TvLayerDispatch& d, Args) { return Variant(d.Typed().Name()); });
    b.Get("TvObjects", [](TvLayerDispatch& d, Args) {
        d.Typed().AttachedLayer();
        return Variant(static_cast<Dispatch*>(d.m_objects.Get()));
    });
    b.Get("PrintDpiX", [](TvLayerDispatch& d, Args) { return Variant(d.Typed().PrintDpiX()); });
    b.Get("PrintDpiY", [](TvLayerDispatch& d, Args) { return Variant(d.Typed().PrintDpiY()); });
    b.Method("MoveTop", [](TvLayerDispatch& d, Args) { d.Typed().MoveTop(); });
    b.Method("MoveBottom", [](TvLayerDispatch& d, Args) { d.Typed().MoveBottom(); });
}

// ---- ITvForm ----------------------------------------------------------------------

TvFormDispatch::TvFormDispatch(std::shared_ptr<CXForm> form)
    : DispatchObject(kITvForm), m_pForm(std::move(form)), m_strName(m_pForm->EngineName())
{
    auto version = [this] {
        m_pForm->CheckOpen();
        return m_pForm->Generation();
    };
    m_layers = MakeRef<LiveCollection<TvLayerDispatch>>(
        kITvLayers, [this](auto& c) { for (const auto& l : m_pForm->TvLayers()) c.Add(LayerDispatch(l)); }, version);
    m_objects = MakeRef<LiveCollection<TvObjectDispatch>>(
        kITvObjects, [this](auto& c) { for (const auto& o : m_pForm->TvObjects()) c.Add(ObjectDispatch(o)); }, version);
}

template <class D, class T>
Ref<D> TvFormDispatch::Cached(std::unordered_map<const void*, std::pair<D*, std::shared_ptr<LifeToken>>>& cache,
                              const std::shared_ptr<T>& typed, const std::function<D*()>& make)
{
    auto it = cache.find(typed.get());
    if (it != cache.end() && it->second.second->alive) return Ref<D>(it->second.first);
    Ref<D> d(make());
    cache[typed.get()] = {d.Get(), d->Token()};
    return d;
}

Ref<TvLayerDispatch> TvFormDispatch::LayerDispatch(const std::shared_ptr<CXLayer>& layer)
{
    return Cached<TvLayerDispatch>(m_layerCache, layer, [&] { return new TvLayerDispatch(*this, layer); });
}

Ref<TvObjectDispatch> TvFormDispatch::ObjectDispatch(const std::shared_ptr<CXObject>& object)
{
    return Cached<TvObjectDispatch>(m_objectCache, object, [&] { return new TvObjectDispatch(object); });
}

void TvFormDispatch::BindMembers(Binder& b)
{
    using F = TvFormDispatch;
    b.Get("TvLayers", [](F& d, Args) {
        d.Typed().CheckOpen();
        return Variant(static_cast<Dispatch*>(d.m_layers.Get()));
    });
    b.Get("TvObjects", [](F& d, Args) {
        d.Typed().CheckOpen();
        return Variant(static_cast<Dispatch*>(d.m_objects.Get()));
    });
    b.Get("CreateTime", [](F& d, Args) { return Variant::Date(d.Typed().CreateTime()); });
    b.Get("UpdateTime", [](F& d, Args) { return Variant::Date(d.Typed().UpdateTime()); });
    b.Get("UpdateRevision", [](F& d, Args) { return Variant(d.Typed().UpdateRevision()); });
    b.Get("EditorVersion", [](F& d, Args) { return Variant(d.Typed().EditorVersion()); });
    b.Get("Orientation", [](F& d, Args) { return Variant(OrientationFromDevMode(d.Typed().Orientation())); });
    b.Get("Name", [](F& d, Args) { return Variant(d.Typed().Name()); });
    b.Get("ActiveLayer", [](F& d, Args) {
        auto layer = d.Typed().GetActiveLayer();
        return layer ? Variant(static_cast<Dispatch*>(d.LayerDispatch(layer).Get())) : Variant(static_cast<Dispatch*>(nullptr));
    });
    b.Put("ActiveLayer", [](F& d, Args a) {
        d.Typed().CheckOpen();
        auto* layer = dynamic_cast<TvLayerDispatch*>(a[0].AsDispatch());
        if (!layer) ThrowControlError(kErrInvalidProperty, kInvalidObject);
        d.Typed().SetActiveLayer(layer->Typed().shared_from_this());
    });
    b.Get("PaperSize", [](F& d, Args) { return Variant(FormPaperCode(d.Typed().PaperSizeNumber())); });
    b.Get("PaperLength", [](F& d, Args) { return Variant(d.Typed().PaperLength()); });
    b.Get("PaperWidth", [](F& d, Args) { return Variant(d.Typed().PaperWidth()); });
    b.Get("MarginTop", [](F& d, Args) { return Variant(d.Typed().MarginTop()); });
    b.Get("MarginLeft", [](F& d, Args) { return Variant(d.Typed().MarginLeft()); });
    b.Get("MarginRight", [](F& d, Args) { return Variant(d.Typed().MarginRight()); });
    b.Get("MarginBottom", [](F& d, Args) { return Variant(d.Typed().MarginBottom()); });
    b.Get("OffsetX", [](F& d, Args) { return Variant(d.Typed().GetOffsetX()); });
    b.Put("OffsetX", [](F& d, Args a) { d.Typed().SetOffsetX(a[0].I4()); });
    b.Get("OffsetY", [](F& d, Args) { return Variant(d.Typed().GetOffsetY()); });
    b.Put("OffsetY", [](F& d, Args a) { d.Typed().SetOffsetY(a[0].I4()); });
    b.Get("Author", [](F& d, Args) { return Variant(d.Typed().Author()); });
    b.Get("Contents", [](F& d, Args) { return Variant(d.Typed().Contents()); });
    b.Get("KinsokuString", [](F& d, Args) { return Variant(d.Typed().GetKinsokuString()); });
    b.Put("KinsokuString", [](F& d, Args a) { d.Typed().SetKinsokuString(a[0].Str()); });
    b.Method("PrintOut", [](F& d, Args) {
        d.Typed().CheckOpen();
        return Variant(d.Typed().Ctrl().PrintOut(d.Typed()));
    });
    b.Method("ClearAllFields", [](F& d, Args) { d.Typed().ClearAllFields(); });
    b.Method("Close", [](F& d, Args) { d.Typed().Close(); });
    b.Method("SetLine", [](F& d, Args a) {
        d.Typed().SetLine(ToEngine(kLineStyleConverter, a[0].I4()), a[1].I4(), uint32_t(a[2].I4()));
    });
    b.Method("SetFillPattern", [](F& d, Args a) {
        d.Typed().SetFillPattern(ToEngine(kFillPatternConverter, a[0].I4()), uint32_t(a[1].I4()));
    });
    b.Method("SetBackColor", [](F& d, Args a) { d.Typed().SetBackColor(uint32_t(a[0].I4())); });
    b.Method("SetTransparent", [](F& d, Args a) { d.Typed().SetTransparent(a[0].Boolean()); });
    b.Method("SetDirection", [](F& d, Args a) { d.Typed().SetDirection(ToEngine(kDirectionConverter, a[0].I4())); });
    b.Method("SetFrame", [](F& d, Args a) { d.Typed().SetFrame(a[0].Boolean()); });
    b.Method("SetHanFont", [](F& d, Args a) { d.Typed().SetHanFont(a[0].I4(), a[1].I4(), a[2].I4(), a[3].Str()); });
    b.Method("SetZenFont", [](F& d, Args a) { d.Typed().SetZenFont(a[0].I4(), a[1].I4(), a[2].I4(), a[3].Str()); });
    b.Method("SetFont", [](F& d, Args a) {
        d.Typed().SetFont(a[0].I4(), a[1].I4(), a[2].I4(), a[3].Str(), a[4].Boolean(), a[5].Boolean(),
                          ToEngine(kDecorateLineConverter, a[6].I4()), ToEngine(kDecorateLineConverter, a[7].I4()));
    });
    b.Method("SetTextColor", [](F& d, Args a) {
        d.Typed().SetTextColor(uint32_t(a[0].I4()), uint32_t(a[1].I4()), uint32_t(a[2].I4()));
    });
    b.Method("SetTextAttribute", [](F& d, Args a) {
        d.Typed().CheckOpen();
        const int32_t index = a[0].I4();
        int32_t value = a[1].ToLong();
        if (index == 0) value = ToEngine(kAlignmentConverter, value);
        else if (index == 1) value = ToEngine(kAngleConverter, value);
        d.Typed().SetTextAttribute(index, value);
    });
    b.Method("SetBarcodeAttribute", [](F& d, Args a) {
        d.Typed().CheckOpen();
        const int32_t index = a[0].I4();
        int32_t value = a[1].ToLong();
        if (index == 8) value = ToEngine(kBarAdjustConverter, value);
        d.Typed().SetBarcodeAttribute(index, value);
    });
    b.Method("DrawTvBarcode", [](F& d, Args a) {
        return Variant(d.Typed().DrawTvBarcode(ToEngine(kBarcodeTypeConverter, a[0].I4()), a[1].I4(), a[2].I4(),
                                               a[3].I4(), a[4].I4(), a[5].Str()));
    });
    b.Method("DrawTvBox", [](F& d, Args a) { d.Typed().DrawTvBox(a[0].I4(), a[1].I4(), a[2].I4(), a[3].I4(), a[4].I4()); });
    b.Method("DrawTvCircle", [](F& d, Args a) { d.Typed().DrawTvCircle(a[0].I4(), a[1].I4(), a[2].I4(), a[3].I4()); });
    b.Method("DrawTvCircle2", [](F& d, Args a) { d.Typed().DrawTvCircle2(a[0].I4(), a[1].I4(), a[2].I4(), a[3].I4()); });
    b.Method("DrawTvArc", [](F& d, Args a) {
        d.Typed().DrawTvArc(ToEngine(kArcTypeConverter, a[0].I4()), a[1].I4(), a[2].I4(), a[3].I4(), a[4].I4(),
                            a[5].I4(), a[6].I4());
    });
    b.Method("DrawTvArc2", [](F& d, Args a) {
        d.Typed().DrawTvArc2(ToEngine(kArcTypeConverter, a[0].I4()), a[1].I4(), a[2].I4(), a[3].I4(), a[4].I4(),
                             a[5].I4(), a[6].I4());
    });
    b.Method("DrawTvImage", [](F& d, Args a) {
        d.Typed().DrawTvImage(a[0].I4(), a[1].I4(), a[2].I4(), a[3].I4(), a[4].Str());
    });
    b.Method("DrawTvLine", [](F& d, Args a) { d.Typed().DrawTvLine(a[0].I4(), a[1].I4(), a[2].I4(), a[3].I4()); });
    b.Method("DrawTvText", [](F& d, Args a) {
        d.Typed().DrawTvText(a[0].I4(), a[1].I4(), a[2].I4(), a[3].I4(), a[4].Str());
    });
}

// ---- ITaveloDraw --------------------------------------------------------------------

InkplateControl::InkplateControl() : DispatchObject(kITaveloDraw), m_pCtrl(std::make_unique<CInkplateCtrl>())
{
    // Why a form, a document or a printer was refused goes where a person
    // finds it: the host's log file, started here when the host has none.
    StartLogFile();
    m_forms = MakeRef<LiveCollection<TvFormDispatch>>(
        kITvForms, [this](auto& c) { for (const auto& f : m_pCtrl->Forms()) c.Add(FormDispatch(f)); },
        [this] { return m_pCtrl->FormsGeneration(); });
    m_printers = MakeRef<TvPrintersDispatch>(*m_pCtrl);
}

InkplateControl::~InkplateControl()
{
    m_forms.Reset();
    m_printers->Detach();
    m_printers.Reset();
    m_pCtrl->CloseAllForms();
    delete m_pWidget.data();
}

Ref<TvFormDispatch> InkplateControl::FormDispatch(const std::shared_ptr<CXForm>& form)
{
    auto it = m_formCache.find(form.get());
    if (it != m_formCache.end() && it->second.second->alive) return Ref<TvFormDispatch>(it->second.first);
    Ref<TvFormDispatch> d = MakeRef<TvFormDispatch>(form);
    m_formCache[form.get()] = {d.Get(), d->Token()};
    return d;
}

void* InkplateControl::QueryInterface(std::string_view iid)
{
    if (iid == kIID_QWidget) return Widget();
    if (iid == kIID_InkplateAmbient) return static_cast<InkplateAmbient*>(this);
    return DispatchObject::QueryInterface(iid);
}

void InkplateControl::SetUserMode(bool run)
{
    m_bRunMode = run;
    m_pCtrl->SetMode(run ? CInkplateCtrl::Mode::Run : CInkplateCtrl::Mode::Design);
    if (m_pWidget) static_cast<InkplateWidget*>(m_pWidget.data())->SetRunMode(run);
}

QWidget* InkplateControl::Widget()
{
    if (!m_pWidget) {
        auto* w = new InkplateWidget(*m_pCtrl);
        w->SetRunMode(m_bRunMode);
        m_pWidget = w;
    }
    return m_pWidget;
}

void InkplateControl::BindMembers(Binder& b)
{
    using C = InkplateControl;
    b.Get("WorkPath", [](C& c, Args) { return Variant(c.Typed().GetWorkPath()); });
    b.Put("WorkPath", [](C& c, Args a) { c.Typed().SetWorkPath(a[0].Str()); });
    b.Get("ImagePath", [](C& c, Args) { return Variant(c.Typed().GetImagePath()); });
    b.Put("ImagePath", [](C& c, Args a) { c.Typed().SetImagePath(a[0].Str()); });
    b.Get("FormPath", [](C& c, Args) { return Variant(c.Typed().GetFormPath()); });
    b.Put("FormPath", [](C& c, Args a) { c.Typed().SetFormPath(a[0].Str()); });
    b.Get("DocumentPath", [](C& c, Args) { return Variant(c.Typed().GetDocumentPath()); });
    b.Put("DocumentPath", [](C& c, Args a) { c.Typed().SetDocumentPath(a[0].Str()); });
    b.Get("hDC", [](C& c, Args) { return Variant(c.Typed().GetHDC()); });
    b.Get("DocumentFileName", [](C& c, Args) { return Variant(c.Typed().GetDocumentFileName()); });
    b.Get("Page", [](C& c, Args) { return Variant(c.Typed().GetPage()); });
    b.Get("Unit", [](C& c, Args) { return Variant(c.Typed().GetUnit()); });
    b.Put("Unit", [](C& c, Args a) { c.Typed().SetUnit(a[0].I4()); });
    b.Get("DocumentName", [](C& c, Args) { return Variant(c.Typed().GetDocumentName()); });
    b.Put("DocumentName", [](C& c, Args a) { c.Typed().SetDocumentName(a[0].Str()); });
    b.Get("TvForms", [](C& c, Args) { return Variant(static_cast<Dispatch*>(c.m_forms.Get())); });
    b.Get("Output", [](C& c, Args) { return Variant(c.Typed().GetOutput()); });
    b.Method("OpenForm", [](C& c, Args a) {
        return Variant(static_cast<Dispatch*>(c.FormDispatch(c.Typed().OpenForm(a[0].Str())).Get()));
    });
    b.Method("StartDocument", [](C& c, Args a) { return Variant(c.Typed().StartDocument(a[0].Str(), a[1].Str())); });
    b.Method("EndDocument", [](C& c, Args) { return Variant(c.Typed().EndDocument()); });
    b.Method("AbortDocument", [](C& c, Args) { return Variant(c.Typed().AbortDocument()); });
    b.Method("PrintDocument", [](C& c, Args a) { return Variant(c.Typed().PrintDocument(a[0].Str())); });
    b.Method("StartPrinter", [](C& c, Args a) { return Variant(c.Typed().StartPrinter(a[0].Str(), a[1].Str())); });
    b.Method("EndPrinter", [](C& c, Args) { return Variant(c.Typed().EndPrinter()); });
    b.Method("SetOutputDC", [](C& c, Args a) { return Variant(c.Typed().SetOutputDC(a[0].I4())); });
    b.Method("AbortPrinter", [](C& c, Args) { return Variant(c.Typed().AbortPrinter()); });
    b.Method("Initialize", [](C& c, Args) { return Variant(c.Typed().Initialize()); });
    b.Get("TvPrinters", [](C& c, Args) { return Variant(static_cast<Dispatch*>(c.m_printers.Get())); });
    b.Get("Printer", [](C& c, Args) { return Variant(static_cast<Dispatch*>(c.m_printers->CurrentDispatch().Get())); });
    b.Put("Printer", [](C& c, Args a) {
        auto* printer = dynamic_cast<TvPrinterDispatch*>(a[0].AsDispatch());
        c.Typed().SetPrinter(printer ? &printer->Typed() : nullptr);
    });
    b.Get("Flags", [](C& c, Args) { return Variant(c.Typed().GetFlags()); });
    b.Put("Flags", [](C& c, Args a) { c.Typed().SetFlags(a[0].I4()); });
    b.Method("AboutBox", [](C& c, Args) { ShowInkplateAbout(c.Widget()); });
}

} // namespace nv
