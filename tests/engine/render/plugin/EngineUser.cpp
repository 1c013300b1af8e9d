// A library that uses the engine with only its entry point visible: a
// stand-in for a plug-in in the one-engine tests.
#include "EngineUser.h"

#include "engine/core/ClassRegistry.h"
#include "engine/core/TempFileManager.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvText.h"
#include "engine/render/TextLayout.h"

#include <cstring>
#include <memory>

extern "C" __attribute__((visibility("default"))) int nv_engine_user_run(const char* folder, EngineUserReport* report)
{
    using namespace nv;
    try {
        RegisterModelClasses();
        report->registry = &ClassRegistry::Instance();
        report->tempFiles = &TempFileManager::Instance();
        report->measurer = DefaultTextMeasurer();

        TvFedObject form;
        form.EnsureFormInfo();
        auto layer = std::make_unique<TvLayer>(1);
        layer->m_objects.push_back(std::make_unique<TvText>(Rect{0, 0, 1000, 500}, "copy"));
        form.m_layers.push_back(std::move(layer));
        form.RebuildIdMap(true);
        const std::string bytes = StoreFormArchive(form);
        auto back = LoadFormArchive(bytes);
        report->roundTrip = back && StoreFormArchive(*back) == bytes ? 1 : 0;

        TextLayout layout;
        TextLayoutParams p;
        p.zen.height = p.han.height = 1000;
        p.bound = {0, 0, 2000000, 2000000};
        layout.Prepare(p);
        layout.Build("AB");
        report->textWidth = layout.Lines().empty() ? -1 : layout.Lines()[0].width;

        std::string name;
        if (!TempFileManager::Instance().CreateTempName(name, folder)) return 0;
        if (name.size() >= sizeof report->tempFile) return 0;
        std::memcpy(report->tempFile, name.c_str(), name.size() + 1);
        return 1;
    } catch (...) {
        return 0;
    }
}
