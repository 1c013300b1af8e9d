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

    QList<PrinterOffer> printers_;
    QComboBox* printer_;
    QComboBox* paper_;
    QRadioButton* portrait_;
    QRadioButton* landscape_;
};

} // namespace nv::ui
