#pragma once
// Lays out a report form in tenths of a millimetre on A4 paper, portrait or
// landscape (the page's own left, top, width and height either way).
// Names and texts are given in UTF-8 and stored in CP932; a character CP932
// cannot hold is refused, never replaced.
#include "engine/model/TvData.h"
#include "engine/model/TvFedObject.h"
#include "engine/model/TvLine.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace nv {

// The creation and update time every generated form carries.
inline constexpr LocalTime kFormStamp{2026, 4, 1, 0, 0, 0};

// A length in tenths of a millimetre as document units.
int32_t TenthMm(int32_t tenths);

// A box in tenths of a millimetre.
struct MmBox {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct TextStyle {
    int32_t size = 900;     // character height, 1/100 point
    int32_t hanWidth = 0;   // half-width character width x 2, 1/100 point; 0 natural
    int32_t align = 1;      // 1 left, 2 right, 3 centre
    bool bold = false;
    bool wrap = false;
    std::string picture;    // edit picture
    bool thousands = false; // "," every three digits
    std::string after;      // UTF-8 text after a formatted number
    int32_t margin = 8;     // left and right, tenths of a millimetre
    int font = 0;           // position in the form's font list
};

// Line widths in document units.
inline constexpr int32_t kThinLine = 0;
inline constexpr int32_t kMediumLine = 20000;
inline constexpr int32_t kThickLine = 40000;
// What a thick rule takes of the cells beside it on the screen, where its
// width is rounded to whole pixels and all of it may fall inside, in tenths
// of a millimetre: text margins there grow by it.
inline constexpr int32_t kThickRuleInside = 7;

// A4 as a form names it: the paper's portrait size with an orientation.
enum class FormOrientation { Portrait = 1, Landscape = 2 };

class FormBuilder {
public:
    // The form on A4 with a Gothic and a Mincho face (positions 0 and 1).
    explicit FormBuilder(std::string_view formName, FormOrientation orientation = FormOrientation::Portrait);

    TvLayer& AddLayer(std::string_view name);
    // A data field, the text vertically centred in the box.
    TvData& Field(TvLayer& layer, std::string_view name, MmBox box, const TextStyle& style);
    // A fixed label, centred vertically as a field.
    TvText& Label(TvLayer& layer, std::string_view text, MmBox box, const TextStyle& style);
    TvLine& Line(TvLayer& layer, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t width = kThinLine);
    // An outlined box; with a fill colour a solid shade without outline.
    void Box(TvLayer& layer, MmBox box, int32_t width, uint32_t fill = 0xFFFFFFFF);

    // The finished form with its object ids numbered.
    std::unique_ptr<TvFedObject> Finish();

private:
    void Place(TvLayer& layer, std::unique_ptr<TvObject> obj, std::string name);
    void Style(TvText& text, MmBox box, const TextStyle& style);
    std::string NextShapeName();

    std::unique_ptr<TvFedObject> form_;
    int32_t nextLayerId_ = 1;
    int32_t nextField_ = 1;
    int32_t nextShape_ = 1;
};

// The CP932 bytes of a text; throws CAppException when a character
// has no CP932 form.
std::string FormText(std::string_view utf8);

} // namespace nv
