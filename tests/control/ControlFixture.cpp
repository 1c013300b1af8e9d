#include "ControlFixture.h"

#include "engine/model/ModelClasses.h"
#include "engine/model/TvBarcode.h"
#include "engine/model/TvBox.h"
#include "engine/model/TvData.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvImageField.h"
#include "engine/model/TvLine.h"
#include "engine/model/TvList.h"
#include "engine/model/TvOle.h"
#include "engine/model/TvText.h"

using namespace nv;

namespace nvtest {

namespace {

void PutLe32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i));
}

template <class T>
T& Add(TvLayer& layer, std::unique_ptr<T> obj, const char* name)
{
    obj->m_strName = name;
    T& ref = *obj;
    layer.m_objects.push_back(std::move(obj));
    return ref;
}

} // namespace

CompoundEntry PictureStorage()
{
    std::string pres;
    PutLe32(pres, 0xFFFFFFFFu);
    PutLe32(pres, 8); // CF_DIB
    PutLe32(pres, 4);
    for (uint32_t v : {1u, 0xFFFFFFFFu, 2u, 0u, 2000u, 1000u}) PutLe32(pres, v);
    PutLe32(pres, 4);
    pres += "DIB!";
    CompoundEntry storage;
    storage.storage = true;
    storage.AddStream("\001Ole", std::string(20, '\0'));
    storage.AddStream("\002OlePres000", pres);
    return storage;
}

std::unique_ptr<TvFedObject> SampleForm()
{
    RegisterModelClasses();
    auto f = std::make_unique<TvFedObject>();
    TvFormInfo& info = f->EnsureFormInfo();
    info.m_strName = "Sample";
    info.m_nPaperWidth = 11905511;
    info.m_nPaperLength = 16837795;
    info.m_strCreateTime = "2024/03/05 09:08:07";
    auto base = std::make_unique<TvLayer>(1);
    base->m_strName = "Base";
    const Rect box{566929, 566929, 5669291, 1133858};
    Add(*base, std::make_unique<TvText>(box, "Title"), "Title");
    Add(*base, std::make_unique<TvData>(box), "Amount");
    auto code = std::make_unique<TvBarcode>();
    code->SetSymbology(kBarcodeJan13);
    code->SetRect(box);
    Add(*base, std::move(code), "Code");
    Add(*base, std::make_unique<TvList>(box, 3, 2, TvText(box)), "Table");
    Add(*base, std::make_unique<TvBox>(box), "Frame");
    Add(*base, std::make_unique<TvLine>(box), "Rule");
    Add(*base, std::make_unique<TvImage>(box, "logo.bmp"), "Logo");
    Add(*base, std::make_unique<TvImage>(box, "missing.bmp"), "Lost");
    Add(*base, std::make_unique<TvImageField>(box, "logo.bmp"), "Photo");
    auto& ole = Add(*base, std::make_unique<TvOle>(), "Chart");
    auto item = std::make_unique<TvOleItem>();
    item->m_dwItemNumber = 1;
    item->m_storage = WriteCompoundFile(PictureStorage());
    ole.SetItem(std::move(item));
    auto lines = std::make_unique<TvLayer>(2);
    lines->m_strName = "Lines";
    lines->m_nLayerMode = 2;
    Add(*lines, std::make_unique<TvData>(box), "Cell");
    Add(*lines, std::make_unique<TvLine>(box), "LpRule");
    f->m_layers.push_back(std::move(base));
    f->m_layers.push_back(std::move(lines));
    f->RebuildIdMap(true);
    return f;
}

void ControlTest::SetUp()
{
    ctrl = std::make_unique<CInkplateCtrl>();
    ctrl->SetFormPath(dir.path().string());
    ctrl->SetImagePath(dir.path().string());
    WriteFileBytes(dir.path() / "logo.bmp", "BM not really a picture");
}

std::string ControlTest::WriteSample(const std::string& name, const FormFileOptions& options)
{
    const std::string path = dir.file(name);
    WriteFileBytes(path, StoreFormFile(*SampleForm(), options));
    return path;
}

std::shared_ptr<CXForm> ControlTest::OpenSample()
{
    FormFileOptions options;
    options.itemsInContainer = true;
    WriteSample("sample.tvf", options);
    return ctrl->OpenForm("sample.tvf");
}

std::shared_ptr<CXObject> ControlTest::Object(CXForm& form, const std::string& name)
{
    for (auto& o : form.TvObjects())
        if (o->Name() == name) return o;
    ADD_FAILURE() << "no object " << name;
    return nullptr;
}

std::shared_ptr<CXLayer> ControlTest::Layer(CXForm& form, const std::string& name)
{
    for (auto& l : form.TvLayers())
        if (l->Name() == name) return l;
    ADD_FAILURE() << "no layer " << name;
    return nullptr;
}

} // namespace nvtest
