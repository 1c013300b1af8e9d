#include "platform/ui/QtPrompt.h"

#include "platform/ui/PrinterSetupDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

namespace nv::ui {

namespace {

QWidget* Owner(QWidget* parent) { return parent ? parent : QApplication::activeWindow(); }

QString Title(const QString& title)
{
    if (!title.isEmpty()) return title;
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QCoreApplication::applicationName() : name;
}

QMessageBox::StandardButton ToButton(Answer a)
{
    switch (a) {
    case Answer::Ok: return QMessageBox::Ok;
    case Answer::Cancel: return QMessageBox::Cancel;
    case Answer::Abort: return QMessageBox::Abort;
    case Answer::Retry: return QMessageBox::Retry;
    case Answer::Ignore: return QMessageBox::Ignore;
    case Answer::Yes: return QMessageBox::Yes;
    case Answer::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon ToIcon(Icon i)
{
    switch (i) {
    case Icon::None: return QMessageBox::NoIcon;
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// A file's size and time as Japanese write them, whatever the system's
// language (Qt's file list follows the system's, not the program's).
class JapaneseTimes : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    static constexpr int kSizeColumn = 1;
    static constexpr int kTimeColumn = 3;
    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files) return QIdentityProxyModel::data(index, role);
        const QLocale japanese(QLocale::Japanese, QLocale::Japan);
        if (index.column() == kSizeColumn && !files->isDir(mapToSource(index)))
            return japanese.formattedDataSize(files->size(mapToSource(index)));
        if (index.column() == kTimeColumn)
            if (const QDateTime t = files->lastModified(mapToSource(index)); t.isValid())
                return japanese.toString(t, QStringLiteral("yyyy/MM/dd HH:mm"));
        return QIdentityProxyModel::data(index, role);
    }
};

// Qt's own chooser, the same on every desktop: its dates in Japanese and its
// columns as wide as what they show, in a window as wide as the screen allows.
void MakeReadable(QFileDialog& dlg)
{
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    auto* times = new JapaneseTimes(&dlg);
    dlg.setProxyModel(times);
    auto* view = dlg.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* files = qobject_cast<QFileSystemModel*>(times->sourceModel());
    if (!view || !files) return;
    QObject::connect(files, &QFileSystemModel::directoryLoaded, view, [view, times] {
        for (int c = 0; c < times->columnCount(view->rootIndex()); ++c) view->resizeColumnToContents(c);
    });
    const int wide = view->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 100;
    QSize size = dlg.sizeHint().expandedTo(QSize(wide, dlg.sizeHint().height()));
    if (const QScreen* screen = dlg.screen()) size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dlg.resize(size);
}

} // namespace

Answer QtPrompt::Ask(const Message& m)
{
    QMessageBox box(ToIcon(m.icon), Title(m.title), m.text, QMessageBox::NoButton, Owner(m.parent));
    const auto choices = ButtonsOf(m.buttons);
    for (Answer a : choices) box.addButton(ToButton(a))->setText(AnswerCaption(a));
    box.setDefaultButton(ToButton(DefaultAnswer(m)));
    // Closing the box counts as Cancel where there is one, else the default.
    box.setEscapeButton(choices.contains(Answer::Cancel) ? ToButton(Answer::Cancel)
                        : choices.size() == 1 ? ToButton(choices.front())
                                              : QMessageBox::NoButton);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (Answer a : choices)
        if (ToButton(a) == clicked) return a;
    return choices.contains(Answer::Cancel) ? Answer::Cancel : DefaultAnswer(m);
}

std::optional<QString> QtPrompt::ChooseFile(const FileRequest& r)
{
    QFileDialog dlg(Owner(r.parent), Title(r.title), r.proposed);
    const bool save = r.mode == FileMode::Save;
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!r.filters.isEmpty()) dlg.setNameFilters(r.filters);
    if (!r.defaultSuffix.isEmpty()) dlg.setDefaultSuffix(r.defaultSuffix);
    MakeReadable(dlg);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().front();
}

std::optional<QString> QtPrompt::ChooseFolder(const FolderRequest& r)
{
    QFileDialog dlg(Owner(r.parent), Title(r.title), r.proposed);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ShowDirsOnly);
    MakeReadable(dlg);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().front();
}

std::optional<QString> QtPrompt::ChoosePrinter(const PrinterRequest& r)
{
    QDialog dlg(Owner(r.parent));
    dlg.setWindowTitle(Title(r.title));
    auto* layout = new QVBoxLayout(&dlg);
    auto* list = new QComboBox(&dlg);
    list->addItems(QPrinterInfo::availablePrinterNames());
    const QString current = r.proposed.isEmpty() ? QPrinterInfo::defaultPrinterName() : r.proposed;
    if (!current.isEmpty() && list->findText(current) < 0) list->addItem(current);
    list->setCurrentText(current);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    buttons->button(QDialogButtonBox::Ok)->setText(AnswerCaption(Answer::Ok));
    buttons->button(QDialogButtonBox::Cancel)->setText(AnswerCaption(Answer::Cancel));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(buttons);
    if (dlg.exec() != QDialog::Accepted || list->currentText().isEmpty()) return std::nullopt;
    return list->currentText();
}

namespace {
std::unique_ptr<QPrinter> PrinterNamed(const QString& name)
{
    const QPrinterInfo info = name.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(name);
    auto p = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                           : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (name.startsWith(QStringLiteral("pdf:"), Qt::CaseInsensitive)) {
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(name.mid(4));
    }
    return p;
}

QString NameOf(const QPrinter& p)
{
    return p.outputFormat() == QPrinter::PdfFormat ? QStringLiteral("pdf:") + p.outputFileName() : p.printerName();
}
} // namespace

std::optional<PrinterSetupChoice> QtPrompt::ChoosePrinterSetup(const PrinterSetupRequest& r)
{
    PrinterSetupDialog dlg(r, Owner(r.parent));
    dlg.setWindowTitle(Title(r.title));
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.Choice();
}

std::optional<PrintJobChoice> QtPrompt::ChoosePrintJob(const PrintJobRequest& r)
{
    std::unique_ptr<QPrinter> printer = PrinterNamed(r.printer);
    printer->setFromTo(r.firstPage, r.lastPage);
    QPrintDialog dlg(printer.get(), Owner(r.parent));
    dlg.setWindowTitle(Title(r.title));
    dlg.setMinMax(r.firstPage, r.lastPage);
    dlg.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                   QAbstractPrintDialog::PrintCollateCopies);
    // Qt proposes a file in the home folder; the caller knows a better one.
    // (Its print dialog keeps the name in the edit "filename".)
    if (!r.pdfFile.isEmpty() && printer->outputFileName().isEmpty())
        if (auto* file = dlg.findChild<QLineEdit*>(QStringLiteral("filename"))) file->setText(r.pdfFile);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    PrintJobChoice c;
    c.printer = NameOf(*printer);
    c.range = printer->printRange() == QPrinter::PageRange;
    c.from = c.range ? printer->fromPage() : r.firstPage;
    c.to = c.range ? printer->toPage() : r.lastPage;
    c.copies = printer->copyCount();
    c.collate = printer->collateCopies();
    return c;
}

} // namespace nv::ui
