// Rendering speed of a ledger page (an A4 page of 40 rows x 6 columns of
// Japanese text in ruled cells), beside a plain Qt or cairo program drawing
// the same page in the same process, their rounds interleaved, by the wall
// clock:
// - into a 96-dpi image, beside the same 240 texts as glyph runs shaped
//   beforehand, each clipped to its cell, and the 48 rules as lines; also
//   right after a PDF of the page, as a preview shown after a print;
// - into a 600-dpi PDF written to its end, beside QPainter::drawText into a
//   QPdfWriter, and for a one-page PDF beside cairo's PDF surface;
// and how the time grows with 1, 100 and 1,000 pages. Each checks its pages
// once before it times them: the PDFs' pages and texts, the image's ink.
// Beside a peer, each is timed warm (rounds back to back, the best) and
// cold (other work before each round, the median: what a person who did
// something else in between waits for).
#include <benchmark/benchmark.h>

#include <cairo-pdf.h>
#include <cairo.h>

#include <QGlyphRun>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/format/UnitScaler.h"
#include "engine/render/FormPainter.h"
#include "engine/render/TextMeasurer.h"
#include "PeerRatio.h"
#include "platform/qt/FontFaceTable.h"
#include "platform/qt/PdfSpool.h"
#include "platform/qt/QtSurfaces.h"
#include "support/LedgerPage.h"
#include "support/PrintedPdf.h"

using namespace nv;

namespace {

constexpr int kImageDpi = 96, kPdfDpi = 600;
constexpr int kImageWidth = 794, kImageHeight = 1123; // A4 at 96 dpi

std::string PdfPath(const char* what)
{
    return "/tmp/nv-bench-" + std::string(what) + "-" + std::to_string(::getpid()) + ".pdf";
}

// The family the form's face "ＭＳ 明朝" is drawn in.
std::string Family() { return FontFaceTable::Lookup(Cp932ToUtf8("\x82\x6C\x82\x72 \x96\xBE\x92\xA9")).family; }

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
        font = QFont(QString::fromStdString(Family()));
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

// The page as a plain cairo program holds it: texts at their baselines in
// points (aligned beforehand, as the Qt program's), the rules as lines.
struct CairoPage {
    struct Cell {
        double x = 0, y = 0;
        std::string text; // UTF-8
    };
    std::string family = Family();
    double fontPt = 10, ruleWidth = 72.0 / kPdfDpi;
    std::vector<Cell> cells;
    std::vector<std::array<double, 4>> rules;

    explicit CairoPage(const TvFedObject& form)
    {
        constexpr double kUnitsPerPoint = 20000;
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
        cairo_t* cr = cairo_create(s);
        for (const auto& o : form.m_layers.front()->m_objects) {
            if (auto* t = dynamic_cast<const TvText*>(o.get())) {
                fontPt = t->m_nZenHeight / 100.0;
                SelectFont(cr);
                cairo_font_extents_t fe;
                cairo_font_extents(cr, &fe);
                Rect b;
                t->GetBoundRect(b, false);
                Cell c;
                c.text = Cp932ToUtf8(t->m_strText);
                cairo_text_extents_t te;
                cairo_text_extents(cr, c.text.c_str(), &te);
                const double left = (b.left + t->m_nMarginLeft) / kUnitsPerPoint;
                const double right = (b.right - t->m_nMarginRight) / kUnitsPerPoint;
                c.x = t->m_nAlign == 2 ? right - te.x_advance : left;
                c.y = b.top / kUnitsPerPoint + fe.ascent;
                cells.push_back(std::move(c));
            } else if (auto* l = dynamic_cast<const TvLine*>(o.get())) {
                rules.push_back({l->m_nX / kUnitsPerPoint, l->m_nY / kUnitsPerPoint, l->m_nEndX / kUnitsPerPoint,
                                 l->m_nEndY / kUnitsPerPoint});
                ruleWidth = std::max(ruleWidth, l->m_nLineWidth / kUnitsPerPoint);
            }
        }
        cairo_destroy(cr);
        cairo_surface_destroy(s);
    }

    void SelectFont(cairo_t* cr) const
    {
        cairo_select_font_face(cr, family.c_str(), CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, fontPt);
    }

    // An A4 PDF of `pages` pages, finished; false when cairo failed.
    bool Write(const std::string& path, int pages) const
    {
        cairo_surface_t* s = cairo_pdf_surface_create(path.c_str(), 595.28, 841.89);
        cairo_t* cr = cairo_create(s);
        for (int i = 0; i < pages; ++i) {
            SelectFont(cr);
            cairo_set_source_rgb(cr, 0, 0, 0);
            for (const Cell& c : cells) {
                cairo_move_to(cr, c.x, c.y);
                cairo_show_text(cr, c.text.c_str());
            }
            cairo_set_line_width(cr, ruleWidth);
            for (const auto& r : rules) {
                cairo_move_to(cr, r[0], r[1]);
                cairo_line_to(cr, r[2], r[3]);
            }
            cairo_stroke(cr);
            cairo_show_page(cr);
        }
        cairo_destroy(cr);
        cairo_surface_finish(s);
        const bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(s);
        return ok;
    }
};

// Our document of `pages` pages, written to its end; false when it was not.
bool OurPdf(const TvFedObject& form, const std::string& path, int pages)
{
    QtPdfDc dc(path, 210, 297, kPdfDpi);
    FormPageOptions o;
    for (int i = 0; i < pages; ++i) {
        if (i > 0) dc.NewPage();
        DrawFormPage(dc, form, o);
    }
    return dc.Finish();
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

// What is wrong with a PDF that should hold `pages` ledger pages ("" when
// nothing): it must be whole, and every page must read as the ledger does,
// its first row's texts in order and a row total in each of its 40 rows.
std::string PdfProblem(const std::string& path, int pages)
{
    if (!PdfFileIsWhole(QString::fromStdString(path))) return path + " is not a whole PDF";
    const std::vector<std::string> texts = nvtest::PdfPageTexts(path);
    if (int(texts.size()) != pages)
        return path + ": " + std::to_string(texts.size()) + " pages, not " + std::to_string(pages);
    for (const std::string& t : texts) {
        const std::string missing =
            nvtest::FirstOutOfOrder(t, {"令和６年", "仕入れ商品の品名サンプル", "1,234", "5,678", "支払済み", "差引残高"});
        if (!missing.empty()) return path + ": \"" + missing + "\" is not where it belongs";
        int rows = 0;
        for (size_t at = 0; (at = t.find("差引残高", at)) != std::string::npos; at += 1) ++rows;
        if (rows != nvtest::LedgerPageShape::kRows) return path + ": " + std::to_string(rows) + " rows";
    }
    return {};
}

// Pixels that are not white.
int64_t Ink(const QImage& image)
{
    int64_t n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) n += qGray(row[x]) < 250;
    }
    return n;
}

// Our image of the page against the Qt program's: both inked, ours within
// a fifth of its ink (the same texts and rules, each drawn its own way).
std::string ImageProblem(const TvFedObject& form, const PeerPage& peer)
{
    QtImageDc dc(kImageWidth, kImageHeight, kImageDpi);
    FormPageOptions o;
    DrawFormPage(dc, form, o);
    const int64_t ours = Ink(dc.Finish());
    QImage image(kImageWidth, kImageHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        peer.DrawShaped(p);
    }
    const int64_t theirs = Ink(image);
    if (theirs == 0 || ours * 5 < theirs * 4 || ours * 4 > theirs * 5)
        return "the image page has " + std::to_string(ours) + " inked pixels, the Qt program's " +
               std::to_string(theirs);
    return {};
}

// Our PDF and the Qt program's of `pages` pages, checked once.
std::string PdfPairProblem(const TvFedObject& form, const PeerPage& peer, const std::string& path,
                           const std::string& peerPath, int pages)
{
    if (!OurPdf(form, path, pages)) return "the PDF was not written";
    PeerPdf(peer, peerPath, pages);
    std::string problem = PdfProblem(path, pages);
    return problem.empty() ? PdfProblem(peerPath, pages) : problem;
}

void PagesPerSecond(benchmark::State& state, int pages)
{
    state.counters["pages/s"] = 1e3 * pages / state.counters["ms"];
}

// Before each round when cold (argument 1): other work, untimed.
void OtherWorkIf(bool cold)
{
    if (cold) nvbench::OtherWork();
}

// Each round draws our page, then the Qt program's, on images of their own;
// with a first argument of 1 each round comes after a one-page PDF of the
// page by each (untimed): the preview a person looks at again after
// printing. The second argument makes the rounds cold.
void BM_ImagePageVsPreShapedQt(benchmark::State& state)
{
    const bool afterPdf = state.range(0) != 0, cold = state.range(1) != 0;
    auto form = nvtest::LedgerPageForm();
    const PeerPage peer(*form, kImageDpi);
    const PeerPage pdfPeer(*form, kPdfDpi);
    const std::string path = PdfPath("after"), peerPath = PdfPath("after-qt");
    if (!nvbench::Checked(state, ImageProblem(*form, peer))) return;
    QtImageDc dc(kImageWidth, kImageHeight, kImageDpi);
    QImage image(kImageWidth, kImageHeight, QImage::Format_ARGB32_Premultiplied);
    FormPageOptions o;
    bool written = true;
    nvbench::AgainstPeerAfter(
        state, "Qt", 0,
        [&] {
            if (afterPdf) {
                written = OurPdf(*form, path, 1) && written;
                PeerPdf(pdfPeer, peerPath, 1);
            }
            OtherWorkIf(cold);
        },
        [&] {
            dc.Clear();
            DrawFormPage(dc, *form, o);
        },
        [&] {
            image.fill(Qt::white);
            QPainter p(&image);
            peer.DrawShaped(p);
        });
    if (!written) state.SkipWithError("a PDF was not written");
    std::remove(path.c_str());
    std::remove(peerPath.c_str());
    PagesPerSecond(state, 1);
}
BENCHMARK(BM_ImagePageVsPreShapedQt)->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

// Each round writes a PDF of `pages` pages of ours, then one of the Qt
// program's; cold after other work with a second argument of 1.
void BM_PdfVsQtDrawText(benchmark::State& state)
{
    const bool cold = state.range(1) != 0;
    auto form = nvtest::LedgerPageForm();
    const PeerPage peer(*form, kPdfDpi);
    const std::string path = PdfPath("ledger"), peerPath = PdfPath("ledger-qt");
    const int pages = int(state.range(0));
    if (nvbench::Checked(state, PdfPairProblem(*form, peer, path, peerPath, pages))) {
        bool written = true;
        nvbench::AgainstPeerAfter(
            state, "Qt", 0, [&] { OtherWorkIf(cold); }, [&] { written = OurPdf(*form, path, pages) && written; },
            [&] { PeerPdf(peer, peerPath, pages); });
        if (!written) state.SkipWithError("a PDF was not written");
        PagesPerSecond(state, pages);
    }
    std::remove(path.c_str());
    std::remove(peerPath.c_str());
}
BENCHMARK(BM_PdfVsQtDrawText)->Args({1, 0})->Args({1, 1})->Args({10, 0})->Unit(benchmark::kMillisecond);

// A one-page PDF, the commonest print, beside a cairo program writing the
// same page; cold after other work with argument 1.
void BM_OnePagePdfVsCairo(benchmark::State& state)
{
    const bool cold = state.range(0) != 0;
    auto form = nvtest::LedgerPageForm();
    const CairoPage peer(*form);
    const std::string path = PdfPath("one"), peerPath = PdfPath("one-cairo");
    std::string problem;
    if (!OurPdf(*form, path, 1)) problem = "the PDF was not written";
    else if (!peer.Write(peerPath, 1)) problem = "cairo did not write its PDF";
    else if (problem = PdfProblem(path, 1); problem.empty()) problem = PdfProblem(peerPath, 1);
    if (nvbench::Checked(state, problem)) {
        bool written = true;
        nvbench::AgainstPeerAfter(
            state, "cairo", 0, [&] { OtherWorkIf(cold); }, [&] { written = OurPdf(*form, path, 1) && written; },
            [&] { written = peer.Write(peerPath, 1) && written; });
        if (!written) state.SkipWithError("a PDF was not written");
        PagesPerSecond(state, 1);
    }
    std::remove(path.c_str());
    std::remove(peerPath.c_str());
}
BENCHMARK(BM_OnePagePdfVsCairo)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same page `pages` times over into one image.
void BM_LedgerPagesImage96(benchmark::State& state)
{
    auto form = nvtest::LedgerPageForm();
    if (!nvbench::Checked(state, ImageProblem(*form, PeerPage(*form, kImageDpi)))) return;
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
BENCHMARK(BM_LedgerPagesImage96)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A PDF of `pages` pages, written to its end.
void BM_LedgerPagesPdf600(benchmark::State& state)
{
    auto form = nvtest::LedgerPageForm();
    const std::string path = PdfPath("ledger-pages");
    const int pages = int(state.range(0));
    std::string problem = OurPdf(*form, path, pages) ? PdfProblem(path, pages) : "the PDF was not written";
    if (nvbench::Checked(state, problem)) {
        bool written = true;
        for (auto _ : state) written = OurPdf(*form, path, pages) && written;
        if (!written) state.SkipWithError("a PDF was not written");
        state.counters["pages/s"] =
            benchmark::Counter(double(state.iterations()) * pages, benchmark::Counter::kIsRate);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_LedgerPagesPdf600)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

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
