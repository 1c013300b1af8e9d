#pragma once
// The late-bound faces of the typed control classes: ITvObject, ITvLayer,
// ITvForm with their collections, and ITaveloDraw on the control itself.
#include "control/CInkplateCtrl.h"
#include "control/CXCollection.h"
#include "control/CXForm.h"
#include "control/CXLayer.h"
#include "control/CXObject.h"
#include "control/InkplateHost.h"
#include "control/PrinterDispatch.h"
#include "platform/automation/DispatchObject.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include <QPointer>
#include <QWidget>

namespace nv {

class TvObjectDispatch : public DispatchObject<TvObjectDispatch> {
public:
    explicit TvObjectDispatch(std::shared_ptr<CXObject> object);
    static void BindMembers(Binder& b);
    std::string CollectionName() const { return m_strName; }
    CXObject& Typed() { return *m_pObject; }

private:
    std::shared_ptr<CXObject> m_pObject;
    std::string m_strName; // CP932; objects are never renamed
};

class TvLayerDispatch;
class TvFormDispatch;

// A collection filled again from the typed list when that list changed
// (its version moved), so that it follows opens, closes and order changes;
// wrappers stay one per element. The version function runs the owner's
// checks before every access.
template <class Element>
class LiveCollection : public CXCollection<Element> {
public:
    using Fill = std::function<void(LiveCollection&)>;
    using Version = std::function<uint64_t()>;
    LiveCollection(const InterfaceInfo& info, Fill fill, Version version)
        : CXCollection<Element>(info), m_fill(std::move(fill)), m_version(std::move(version))
    {
    }

protected:
    void BeforeAccess() override
    {
        const uint64_t v = m_version();
        if (m_filled && v == m_seen) return;
        this->Clear();
        m_fill(*this);
        m_seen = v;
        m_filled = true;
    }

private:
    Fill m_fill;
    Version m_version;
    uint64_t m_seen = 0;
    bool m_filled = false;
};

class TvLayerDispatch : public DispatchObject<TvLayerDispatch> {
public:
    TvLayerDispatch(TvFormDispatch& form, std::shared_ptr<CXLayer> layer);
    static void BindMembers(Binder& b);
    std::string CollectionName() const { return m_strName; }
    CXLayer& Typed() { return *m_pLayer; }

private:
    // Not held: the form's collections hold its layers.
    TvFormDispatch* m_pForm;
    std::shared_ptr<LifeToken> m_formAlive;
    std::shared_ptr<CXLayer> m_pLayer;
    std::string m_strName;
    Ref<LiveCollection<TvObjectDispatch>> m_objects;
};

class TvFormDispatch : public DispatchObject<TvFormDispatch> {
public:
    explicit TvFormDispatch(std::shared_ptr<CXForm> form);
    static void BindMembers(Binder& b);
    std::string CollectionName() const { return m_strName; }
    CXForm& Typed() { return *m_pForm; }

    // One dispatch wrapper per typed wrapper while either is held.
    Ref<TvLayerDispatch> LayerDispatch(const std::shared_ptr<CXLayer>& layer);
    Ref<TvObjectDispatch> ObjectDispatch(const std::shared_ptr<CXObject>& object);

private:
    template <class D, class T>
    Ref<D> Cached(std::unordered_map<const void*, std::pair<D*, std::shared_ptr<LifeToken>>>& cache,
                  const std::shared_ptr<T>& typed, const std::function<D*()>& make);

    std::shared_ptr<CXForm> m_pForm;
    std::string m_strName;
    Ref<LiveCollection<TvLayerDispatch>> m_layers;
    Ref<LiveCollection<TvObjectDispatch>> m_objects;
    std::unordered_map<const void*, std::pair<TvLayerDispatch*, std::shared_ptr<LifeToken>>> m_layerCache;
    std::unordered_map<const void*, std::pair<TvObjectDispatch*, std::shared_ptr<LifeToken>>> m_objectCache;
};

// The plug-in object "Tavelo.Inkplate": ITaveloDraw over CInkplateCtrl, the
// widget a host embeds, the ambient user mode.
class InkplateControl : public DispatchObject<InkplateControl>, public InkplateAmbient {
public:
    InkplateControl();
    ~InkplateControl() override;
    static void BindMembers(Binder& b);
    void* QueryInterface(std::string_view iid) override;
    void SetUserMode(bool run) override;

    CInkplateCtrl& Typed() { return *m_pCtrl; }
    QWidget* Widget();

private:
    Ref<TvFormDispatch> FormDispatch(const std::shared_ptr<CXForm>& form);

    std::unique_ptr<CInkplateCtrl> m_pCtrl;
    Ref<LiveCollection<TvFormDispatch>> m_forms;
    std::unordered_map<const void*, std::pair<TvFormDispatch*, std::shared_ptr<LifeToken>>> m_formCache;
    Ref<TvPrintersDispatch> m_printers;
    QPointer<QWidget> m_pWidget;
    bool m_bRunMode = true;
};

} // namespace nv
