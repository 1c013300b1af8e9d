// Draws whatever it is given as the control and the viewer would: the first
// byte picks a form file (drawn as the control prints a page of it) or a
// report document (its first pages drawn as the viewer shows and prints
// them), the rest is the file. Every stored number may be anything: the
// drawing must end without a crash or arithmetic the language leaves
// undefined.
#include "engine/core/Exceptions.h"
#include "engine/core/File.h"
#include "engine/core/TempFileManager.h"
#include "engine/model/FormFile.h"
#include "engine/model/ModelClasses.h"
#include "engine/model/TvImage.h"
#include "engine/model/TvLayer.h"
#include "engine/render/FormPainter.h"
#include "engine/render/TextMeasurer.h"
#include "engine/render/TvReportDoc.h"
#include "platform/gdi/RecordingDc.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

nv::TextMeasurer& Measurer()
{
    static nv::DcTextMeasurer measurer(std::make_unique<nv::RecordingDc>());
    return measurer;
}

// Zooms the viewer offers, from a fit far below 10 % to 400 %.
int32_t ZoomOf(uint8_t b)
{
    constexpr int32_t kZooms[] = {100, 25, 50, 75, 150, 200, 400, 3};
    return kZooms[b & 7];
}

void DrawForm(std::string_view bytes, uint8_t mode)
{
    std::unique_ptr<nv::TvFedObject> form = nv::LoadFormFile(bytes);
    // Picture files are looked for along the control's ImagePath; none is
    // found here, as none is named by the input.
    form->ForEachObjectMutable([](nv::TvObject& o, nv::TvLayer&) {
        if (auto* image = dynamic_cast<nv::TvImage*>(&o); image && !image->m_bEmbedded) image->m_strFileName.clear();
    });
    nv::RecordingDc dc(600, 600, {4961, 7016}, (mode & 8) != 0);
    nv::FormPageOptions o;
    o.zoom = ZoomOf(mode >> 4);
    o.measurer = &Measurer();
    nv::DrawFormPage(dc, *form, o);
}

void DrawDocument(std::string_view bytes, uint8_t mode)
{
    std::string name;
    if (!nv::TempFileManager::Instance().CreateTempName(name)) return;
    try {
        nv::CFile f(name, nv::CFile::modeCreate);
        f.Write(bytes.data(), bytes.size());
        f.Close();
        nv::TvReportDoc doc;
        doc.Store().SetMaxBodyLength(1u << 22);
        doc.SetTextMeasurer(&Measurer());
        doc.Open(name);
        const int32_t pages = doc.PageCount() < 4 ? doc.PageCount() : 4;
        for (int32_t page = 1; page <= pages; ++page) {
            nv::RecordingDc dc(96, 96, {794, 1123}, (mode & 8) != 0);
            try {
                doc.DrawPage(dc, page, {int32_t(mode & 0x30) * 10000, 0}, ZoomOf(mode >> 4));
            } catch (const nv::CException&) {
                // A page that refuses to draw is an answer; the next page is drawn all the same.
            }
        }
    } catch (const nv::CException&) {
        // A refused document is the wanted answer; only a crash is a finding.
    }
    nv::TempFileManager::Instance().RemoveFile(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    nv::RegisterModelClasses();
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        if (data[0] & 1) DrawDocument(bytes, data[0]);
        else DrawForm(bytes, data[0]);
    } catch (const nv::CException&) {
        // A refused form or document is the wanted answer; only a crash is a finding.
    } catch (const std::runtime_error&) {
        // Likewise one the file layer refuses.
    }
    return 0;
}
