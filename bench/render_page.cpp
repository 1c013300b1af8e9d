// Rendering speed of a ledger page (an A4 page of 40 rows x 6 columns of
// Japanese text in ruled cells), beside a plain Qt program drawing the same
// page in the same process, their rounds interleaved:
// - into a 96-dpi image, beside the same 240 texts as glyph runs shaped
//   beforehand, each clipped to its cell, and the 48 rules as lines;
// - into a 600-dpi PDF written to its end, beside QPainter::drawText into a
//   QPdfWriter;
// and how the time grows with 1, 100 and 1,000 pages.
#include <benchmark/benchmark.h>

#include <QGlyphRun>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QTextLayout>

#include <ctime>
#include <cstdio>
#include <memory>
#include <string>

#include <unistd.h>

#include "engine/format/UnitScaler.h"
#include "engine/render/FormPainter.h"
#include "engine/render/TextMeasurer.h"
#include "platform/qt/FontFaceTable.h"
#include "platform/qt/QtSurfaces.h"
#include "support/LedgerPage.h"

using namespace nv;

namespace {

constexpr int kImageDpi = 96, kPdfDpi = 600;
constexpr int kImageWidth = 794, kImageHeight = 1123; // A4 at 96 dpi

std::string PdfPath(const char* what)
{
    return "/tmp/nv-bench-" + std::string(what) + "-" + std::to_string(::getpid()) + ".pdf";
}

// The page as a plain Qt program holds it: cells in device pixels with their
// text, the rules as lines.
struct PeerPage {
    struct Cell {
        QRect clip;    // the cell less its margins
        QPointF at;    // the baseline's start
        QString text;
        QList<QGlyphRun> runs; // shaped beforehand, positions from `at`
    };
    QFont font;
    std::vector<Cell> cells;
    std::vector<QLine> rules;
    int ruleWidth = 1;

    PeerPage(const TvFedObject& form, int dpi)
    {
        UnitScaler s(0, 0, 100);
        s.SetFromDC(dpi, dpi, 100);
        font = QFont(QString::fromStdString(FontFaceTable::Lookup(Cp932ToUtf8("\x82\x6C\x82\x72 \x96\xBE\x92\xA9")).family));
        font.setKerning(false);
        font.setHintingPreference(QFont::PreferNoHinting);
        for (const auto& o : form.m_layers.front()->m_objects) {
            if (auto* t = dynamic_cast<const TvText*>(o.get())) {
                font.setPixelSize(s.CentiPointsToDeviceY(t->m_nZenHeight));
                Rect bound;
                t->GetBoundRect(bound, false);
                bound.left += t->m_nMarginLeft;
                bound.right -= t->m_nMarginRight;
                Rect b = s.DocToDeviceRect(bound);
                Cell c;
                c.clip = QRect(b.left, b.top, b.Width(), b.Height());
                c.text = QString::fromStdString(Cp932ToUtf8(t->m_strText));
                QTextLayout layout(c.text, font);
                layout.beginLayout();
                QTextLine line = layout.createLine();
                layout.endLayout();
                const double x = t->m_nAlign == 2 ? b.right - line.naturalTextWidth() : b.left;
                c.at = QPointF(x, b.top + QFontMetricsF(font).ascent());
                c.runs = layout.glyphRuns();
                for (QGlyphRun& r : c.runs) {
                    QList<QPointF> p = r.positions();
                    for (QPointF& q : p) q += c.at - QPointF(0, line.ascent());
                    r.setPositions(p);
                }
                cells.push_back(std::move(c));
            } else if (auto* l = dynamic_cast<const TvLine*>(o.get())) {
                Point a = s.DocToDevicePoint(Point{l->m_nX, l->m_nY});
                Point e = s.DocToDevicePoint(Point{l->m_nEndX, l->m_nEndY});
                rules.emplace_back(a.x, a.y, e.x, e.y);
                ruleWidth = std::max(1, s.DocToDeviceX(l->m_nLineWidth));
            }
        }
    }

    void DrawRules(QPainter& p) const
    {
        QPen pen(Qt::black, ruleWidth);
        pen.setCapStyle(Qt::FlatCap);
        pen.setCosmetic(ruleWidth == 1);
        p.setPen(pen);
        for (const QLine& l : rules) p.drawLine(l);
    }

    // Pre-shaped glyph runs, each clipped to its cell.
    void DrawShaped(QPainter& p) const
    {
        p.setPen(Qt::black);
        for (const Cell& c : cells) {
            p.setClipRect(c.clip);
            for (const QGlyphRun& r : c.runs) p.drawGlyphRun(QPointF(0, 0), r);
        }
        p.setClipping(false);
        DrawRules(p);
    }

    // Text shaped as it is drawn.
    void DrawText(QPainter& p) const
    {
        p.setPen(Qt::black);
        p.setFont(font);
        for (const Cell& c : cells) p.drawText(c.at, c.text);
        DrawRules(p);
    }
};

// Our document of `pages` pages, written to its end.
void OurPdf(const TvFedObject& form, const std::string& path, int pages)
{
    QtPdfDc dc(path, 210, 297, kPdfDpi);
    FormPageOptions o;
    for (int i = 0; i < pages; ++i) {
        if (i > 0) dc.NewPage();
        DrawFormPage(dc, form, o);
    }
    if (!dc.Finish()) std::fprintf(stderr, "the PDF was not written\n");
}

void PeerPdf(const PeerPage& peer, const std::string& path, int pages)
{
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(kPdfDpi);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    QPainter p(&writer);
    for (int i = 0; i < pages; ++i) {
        if (i > 0) writer.newPage();
        peer.DrawText(p);
    }
    p.end();
}

// Seconds of one side of an interleaved comparison: the thread's CPU time,
// as Google Benchmark's own figures, which others' load on a shared machine
// disturbs far less than the clock.
class Stopwatch {
public:
    template <class F>
    void Time(F&& f)
    {
        const double start = Now();
        f();
        seconds_ += Now() - start;
    }
    double Seconds() const { return seconds_; }

private:
    static double Now()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }
    double seconds_ = 0;
};

void Report(benchmark::State& state, const Stopwatch& ours, const Stopwatch& peer, int64_t pages)
{
    const double n = double(state.iterations()) * double(pages);
    state.counters["pages/s"] = ours.Seconds() > 0 ? n / ours.Seconds() : 0;
    state.counters["Qt pages/s"] = peer.Seconds() > 0 ? n / peer.Seconds() : 0;
    state.counters["ratio"] = ours.Seconds() > 0 ? peer.Seconds() / ours.Seconds() : 0;
}

// Each round draws our page, then the Qt program's, on images of their own.
void BM_ImagePageVsPreShapedQt(benchmark::State& state)
{
    auto form = nvtest::LedgerPageForm();
    const PeerPage peer(*form, kImageDpi);
    QtImageDc dc(kImageWidth, kImageHeight, kImageDpi);
    QImage image(kImageWidth, kImageHeight, QImage::Format_ARGB32_Premultiplied);
    FormPageOptions o;
    Stopwatch ours, qt;
    for (auto _ : state) {
        ours.Time([&] {
            dc.Clear();
            DrawFormPage(dc, *form, o);
        });
        qt.Time([&] {
            image.fill(Qt::white);
            QPainter p(&image);
            peer.DrawShaped(p);
        });
    }
    Report(state, ours, qt, 1);
}
BENCHMARK(BM_ImagePageVsPreShapedQt)->Unit(benchmark::kMillisecond);

// Each round writes a PDF of `pages` pages of ours, then one of the Qt
// program's.
void BM_PdfVsQtDrawText(benchmark::State& state)
{
    auto form = nvtest::LedgerPageForm();
    const PeerPage peer(*form, kPdfDpi);
    const std::string path = PdfPath("ledger"), peerPath = PdfPath("ledger-qt");
    const int pages = int(state.range(0));
    Stopwatch ours, qt;
    for (auto _ : state) {
        ours.Time([&] { OurPdf(*form, path, pages); });
        qt.Time([&] { PeerPdf(peer, peerPath, pages); });
    }
    std::remove(path.c_str());
    std::remove(peerPath.c_str());
    Report(state, ours, qt, pages);
}
BENCHMARK(BM_PdfVsQtDrawText)->Arg(10)->Unit(benchmark::kMillisecond);

// The same page `pages` times over into one image.
void BM_LedgerPagesImage96(benchmark::State& state)
{
    auto form = nvtest::LedgerPageForm();
    QtImageDc dc(kImageWidth, kImageHeight, kImageDpi);
    FormPageOptions o;
    const int pages = int(state.range(0));
    for (auto _ : state)
        for (int i = 0; i < pages; ++i) {
            dc.Clear();
            DrawFormPage(dc, *form, o);
        }
    state.counters["pages/s"] = benchmark::Counter(double(state.iterations()) * pages, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LedgerPagesImage96)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// A PDF of `pages` pages, written to its end.
void BM_LedgerPagesPdf600(benchmark::State& state)
{
    auto form = nvtest::LedgerPageForm();
    const std::string path = PdfPath("ledger-pages");
    const int pages = int(state.range(0));
    for (auto _ : state) OurPdf(*form, path, pages);
    std::remove(path.c_str());
    state.counters["pages/s"] = benchmark::Counter(double(state.iterations()) * pages, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LedgerPagesPdf600)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                   : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
