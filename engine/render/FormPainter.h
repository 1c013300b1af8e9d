#pragma once
// Draws one page of a form: its printable layers and objects, and the extra
// objects a stored page adds per layer. The report document and the
// control's page output share it.
#include <cstdint>
#include <map>
#include <vector>

#include "engine/core/Geometry.h"
#include "platform/gdi/DeviceContext.h"

namespace nv {

class TvFedObject;
class TvFontDesc;
class TvObject;
class TvLayer;
class RenderContext;
class TextMeasurer;

// Extra objects of a page by layer id.
using PageExtraObjects = std::map<int32_t, std::vector<const TvObject*>>;

struct FormPageOptions {
    Point offset;        // document units, added to the form's print offset
    int32_t zoom = 100;  // percent
    bool rethrow = false;
    const std::vector<const TvFontDesc*>* docFonts = nullptr;
    const PageExtraObjects* extras = nullptr;
    TextMeasurer* measurer = nullptr; // null: the text engine's
};

// True when the layer is drawn at print: visible at print, and no layer
// after it in the list is opaque at print.
bool IsLayerPrinted(const TvFedObject& form, size_t index);

// Draws the page; the device context's state is saved and restored around
// it (also when an exception passes). Returns the number of objects that
// failed to draw (each also reported to the device context).
int32_t DrawFormPage(DeviceContext& dc, const TvFedObject& form, const FormPageOptions& options);

} // namespace nv
