#pragma once
// The screens were drawn in twips for a 9-point font at 96 dots per inch (15
// twips a pixel, 12 pixels a full-width character). These turn a drawn size
// into pixels for the font a widget really shows, never smaller than drawn,
// so a larger font or a wider face gets wider fields and the texts stay whole.
class QHeaderView;
class QString;
class QWidget;

namespace nv::ui {

// Pixels of a drawn width or height in twips, for w's font.
int DesignPixels(const QWidget* w, int twips);
// A column width of at least pixels that shows the whole caption in h.
int HeaderFitWidth(const QHeaderView* h, const QString& caption, int pixels);

} // namespace nv::ui
