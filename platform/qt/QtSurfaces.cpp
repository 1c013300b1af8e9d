#include "platform/qt/QtSurfaces.h"

#include "platform/gdi/MeasuringDc.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>

#include <cmath>

namespace nv {

namespace detail {

ImageHolder::ImageHolder(int32_t w, int32_t h, int32_t dpi, uint32_t fill)
    : image(std::max(1, w), std::max(1, h), QImage::Format_ARGB32_Premultiplied)
{
    int dpm = int(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(QColor::fromRgba(fill));
    painter.begin(&image);
}

PdfHolder::PdfHolder(const std::string& path, double widthMm, double heightMm, int32_t dpi)
    : writer(QString::fromStdString(path))
{
    writer.setResolution(dpi);
    writer.setPageSize(QPageSize(QSizeF(widthMm, heightMm), QPageSize::Millimeter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    painter.begin(&writer);
}

} // namespace detail

QtImageDc::QtImageDc(int32_t w, int32_t h, int32_t dpi, uint32_t fillArgb)
    : detail::ImageHolder(w, h, dpi, fillArgb), QtDeviceContext(painter, false, dpi, dpi)
{
}

QtImageDc::~QtImageDc()
{
    Flush();
    if (painter.isActive()) painter.end();
}

const QImage& QtImageDc::Finish()
{
    Flush();
    if (painter.isActive()) painter.end();
    return image;
}

void QtImageDc::Clear(uint32_t fillArgb)
{
    Flush();
    if (painter.isActive()) painter.end();
    image.fill(QColor::fromRgba(fillArgb));
    painter.begin(&image);
    ResetPainter();
    while (SaveDepth() > 0) RestoreDC(-1);
    SelectClipRect(nullptr);
    SetViewportOrg({0, 0});
}

QtPdfDc::QtPdfDc(const std::string& path, double widthMm, double heightMm, int32_t dpi)
    : detail::PdfHolder(path, widthMm, heightMm, dpi), QtDeviceContext(painter, true, dpi, dpi)
{
}

QtPdfDc::~QtPdfDc()
{
    Flush();
    if (painter.isActive()) painter.end();
}

bool QtPdfDc::NewPage()
{
    Flush();
    return writer.newPage();
}

bool QtPdfDc::Finish()
{
    Flush();
    if (!painter.isActive()) return false;
    return painter.end();
}

std::unique_ptr<QtDeviceContext> MakePrinterDc(QPainter& painter, QPrinter& printer)
{
    QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    QRectF page = printer.pageRect(QPrinter::DevicePixel);
    DcPoint offset{int32_t(std::lround(page.left() - paper.left())), int32_t(std::lround(page.top() - paper.top()))};
    if (printer.fullPage()) offset = {};
    return std::make_unique<QtDeviceContext>(painter, true, printer.resolution(), printer.resolution(), offset);
}

std::unique_ptr<DeviceContext> CreateMeasuringDc() { return std::make_unique<QtImageDc>(1, 1, 96); }

namespace {
// Fonts need the application object; the context goes with it.
std::unique_ptr<DeviceContext> MakeProcessMeasuringDc()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return nullptr;
    qAddPostRoutine(ReleaseMeasuringDc);
    return CreateMeasuringDc();
}

// Loading this library is what makes text measurable in the process.
const bool kMeasuringDcRegistered = (SetMeasuringDcFactory(MakeProcessMeasuringDc), true);
} // namespace

} // namespace nv
