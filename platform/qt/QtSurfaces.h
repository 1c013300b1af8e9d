#pragma once
// Device contexts that own what they draw on: an image, a PDF file, and the
// process's measuring context for the text layout.
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <memory>
#include <string>

#include "platform/qt/QtDeviceContext.h"

namespace nv {

namespace detail {
struct ImageHolder {
    QImage image;
    QPainter painter;
    ImageHolder(int32_t w, int32_t h, int32_t dpi, uint32_t fill);
};
struct PdfHolder {
    QPdfWriter writer;
    QPainter painter;
    PdfHolder(const std::string& path, double widthMm, double heightMm, int32_t dpi);
};
} // namespace detail

// A white image of w x h pixels at `dpi`.
class QtImageDc : private detail::ImageHolder, public QtDeviceContext {
public:
    QtImageDc(int32_t w, int32_t h, int32_t dpi = 96, uint32_t fillArgb = 0xFFFFFFFF);
    ~QtImageDc() override;
    // Ends painting; the image is complete afterwards.
    const QImage& Finish();
    const QImage& Image() const { return image; }
    // Starts over on a fresh white image.
    void Clear(uint32_t fillArgb = 0xFFFFFFFF);
};

// A PDF file of pages of widthMm x heightMm at `dpi` device pixels per inch.
class QtPdfDc : private detail::PdfHolder, public QtDeviceContext {
public:
    QtPdfDc(const std::string& path, double widthMm, double heightMm, int32_t dpi = 600);
    ~QtPdfDc() override;
    bool NewPage();
    // Ends the file; false when it could not be written.
    bool Finish();
};

// A device context on a painter that draws on a printer: printing, at the
// printer's resolution, with the printable area's offset from the paper
// corner.
std::unique_ptr<QtDeviceContext> MakePrinterDc(QPainter& painter, QPrinter& printer);

// The measuring context of the text layout (a 1x1 image at 96 dpi).
std::unique_ptr<DeviceContext> CreateMeasuringDc();

} // namespace nv
