#pragma once
// A paint device that draws nothing and counts what a painter asks of its
// engine: how a drawing reaches the toolkit (rectangles or stroked paths,
// how often the clip changes), which an image cannot show, and where on the
// device each text starts.
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QTransform>

namespace nvtest {

class CountingPaintEngine : public QPaintEngine {
public:
    CountingPaintEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState& s) override
    {
        if (s.state() & (DirtyClipRegion | DirtyClipPath | DirtyClipEnabled)) ++clips;
        if (s.state() & DirtyTransform) transform_ = s.transform();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override { ++paths; }
    void drawRects(const QRect*, int n) override { rects += n; }
    void drawRects(const QRectF*, int n) override { rects += n; }
    void drawLines(const QLine*, int n) override { lines += n; }
    void drawLines(const QLineF*, int n) override { lines += n; }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override { ++polygons; }
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override { ++polygons; }
    void drawTextItem(const QPointF& p, const QTextItem&) override
    {
        ++texts;
        if (painter()->hasClipping()) ++clippedTexts;
        textStarts << transform_.map(p);
    }

    int paths = 0, rects = 0, lines = 0, polygons = 0, texts = 0, clips = 0;
    int clippedTexts = 0; // texts drawn while the painter clipped
    QList<QPointF> textStarts; // each text's baseline start in device pixels

private:
    QTransform transform_;
};

class CountingPaintDevice : public QPaintDevice {
public:
    CountingPaintDevice(int width, int height, int dpi) : width_(width), height_(height), dpi_(dpi) {}
    ~CountingPaintDevice() override = default;
    QPaintEngine* paintEngine() const override { return &engine_; }
    CountingPaintEngine& Engine() const { return engine_; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return width_;
        case PdmHeight: return height_;
        case PdmWidthMM: return int(width_ * 25.4 / dpi_);
        case PdmHeightMM: return int(height_ * 25.4 / dpi_);
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return dpi_;
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    int width_, height_, dpi_;
    mutable CountingPaintEngine engine_;
};

} // namespace nvtest
