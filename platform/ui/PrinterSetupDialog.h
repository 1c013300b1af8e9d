#pragma once
// Print setup: the printer, one of its papers and the orientation.
#include "platform/ui/Prompt.h"

#include <QDialog>

class QComboBox;
class QRadioButton;

namespace nv::ui {

class PrinterSetupDialog : public QDialog {
public:
    PrinterSetupDialog(const PrinterSetupRequest& r, QWidget* parent);

    PrinterSetupChoice Choice() const;
    // The system's printers and the sizes each takes.
    static QList<PrinterOffer> SystemPrinters();

private:
    void ShowPapers(int printer, int keepId);

    QList<PrinterOffer> m_printers;
    QComboBox* m_printer;
    QComboBox* m_paper;
    QRadioButton* m_portrait;
    QRadioButton* m_landscape;
};

} // namespace nv::ui
