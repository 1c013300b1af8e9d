#include "platform/ui/QtPrompt.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QVBoxLayout>

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

} // namespace

Answer QtPrompt::ask(const Message& m)
{
    QMessageBox box(ToIcon(m.icon), Title(m.title), m.text, QMessageBox::NoButton, Owner(m.parent));
    const auto choices = buttonsOf(m.buttons);
    for (Answer a : choices) box.addButton(ToButton(a));
    box.setDefaultButton(ToButton(defaultAnswer(m)));
    // Closing the box counts as Cancel where there is one, else the default.
    box.setEscapeButton(choices.contains(Answer::Cancel) ? ToButton(Answer::Cancel)
                        : choices.size() == 1 ? ToButton(choices.front())
                                              : QMessageBox::NoButton);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (Answer a : choices)
        if (ToButton(a) == clicked) return a;
    return choices.contains(Answer::Cancel) ? Answer::Cancel : defaultAnswer(m);
}

std::optional<QString> QtPrompt::chooseFile(const FileRequest& r)
{
    QFileDialog dlg(Owner(r.parent), Title(r.title), r.proposed);
    const bool save = r.mode == FileMode::Save;
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!r.filters.isEmpty()) dlg.setNameFilters(r.filters);
    if (!r.defaultSuffix.isEmpty()) dlg.setDefaultSuffix(r.defaultSuffix);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().front();
}

std::optional<QString> QtPrompt::chooseFolder(const FolderRequest& r)
{
    QFileDialog dlg(Owner(r.parent), Title(r.title), r.proposed);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ShowDirsOnly);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().front();
}

std::optional<QString> QtPrompt::choosePrinter(const PrinterRequest& r)
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
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(buttons);
    if (dlg.exec() != QDialog::Accepted || list->currentText().isEmpty()) return std::nullopt;
    return list->currentText();
}

} // namespace nv::ui
