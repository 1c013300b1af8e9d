#pragma once
// A printed PDF as a person reads it: its text in reading order (poppler's
// pdftotext) and its pages as images (pdftoppm), for comparing two
// printouts of the same pages.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>
#include <vector>

namespace nvtest {

// Every page's text in reading order, laid out as printed; pages end with a
// form feed.
inline std::string PdfText(const std::string& pdf)
{
    QProcess p;
    p.start("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    if (!p.waitForFinished(60000)) return {};
    return p.readAllStandardOutput().toStdString();
}

inline std::vector<std::string> PdfPageTexts(const std::string& pdf)
{
    std::vector<std::string> pages;
    const std::string all = PdfText(pdf);
    size_t from = 0;
    for (size_t ff; (ff = all.find('\f', from)) != std::string::npos; from = ff + 1)
        pages.push_back(all.substr(from, ff - from));
    return pages;
}

// Text as matched: thousands separators dropped and runs of blanks as one,
// since the gap pdftotext puts between spaced-out characters follows margins.
inline std::string PlainPdfText(const std::string& text)
{
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ',' && i > 0 && i + 1 < text.size() && std::isdigit(uint8_t(text[i - 1])) &&
            std::isdigit(uint8_t(text[i + 1])))
            continue;
        if (text[i] == ' ' && !plain.empty() && plain.back() == ' ') continue;
        plain += text[i];
    }
    return plain;
}

// The first of `words` not found after the previous one ("" when all are
// there in that order).
inline std::string FirstOutOfOrder(const std::string& text, const std::vector<std::string>& words)
{
    const std::string plain = PlainPdfText(text);
    size_t at = 0;
    for (const std::string& w : words) {
        const size_t found = plain.find(PlainPdfText(w), at);
        if (found == std::string::npos) return w;
        at = found + PlainPdfText(w).size();
    }
    return {};
}

// A word as pdftotext places it on its page, in points from the top left.
struct PdfWord {
    int page = 0;   // from 1
    std::string text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

inline std::vector<PdfWord> PdfWords(const std::string& pdf)
{
    QProcess p;
    p.start("pdftotext", {"-bbox", QString::fromStdString(pdf), "-"});
    std::vector<PdfWord> words;
    if (!p.waitForFinished(60000)) return words;
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression word(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    int page = 0;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0) == QLatin1String("<page ")) {
            ++page;
            continue;
        }
        words.push_back({page, m.captured(5).toStdString(), m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

// The pages at `dpi`, greyscale.
inline std::vector<QImage> PdfPageImages(const std::string& pdf, int dpi = 72)
{
    QTemporaryDir dir;
    QProcess p;
    p.start("pdftoppm", {"-r", QString::number(dpi), "-gray", "-png", QString::fromStdString(pdf), dir.filePath("p")});
    std::vector<QImage> pages;
    if (!p.waitForFinished(120000) || p.exitCode() != 0) return pages;
    const QStringList files = QDir(dir.path()).entryList({"p*.png"}, QDir::Files, QDir::Name);
    for (const QString& f : files) pages.push_back(QImage(dir.filePath(f)).convertToFormat(QImage::Format_Grayscale8));
    return pages;
}

// Pixels per mille that differ by more than a quarter of the grey range;
// 1000 when the sizes differ.
inline int DifferingPerMille(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull()) return 1000;
    long differ = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* pa = a.constScanLine(y);
        const uchar* pb = b.constScanLine(y);
        for (int x = 0; x < a.width(); ++x) differ += std::abs(int(pa[x]) - int(pb[x])) > 64;
    }
    return int(differ * 1000 / (long(a.width()) * a.height()));
}

// Pixels per mille darker than mid-grey: a page with print on it is not blank.
inline int InkPerMille(const QImage& page)
{
    long ink = 0;
    for (int y = 0; y < page.height(); ++y) {
        const uchar* p = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x) ink += p[x] < 128;
    }
    return page.isNull() ? 0 : int(ink * 1000 / (long(page.width()) * page.height()));
}

} // namespace nvtest
