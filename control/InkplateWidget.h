#pragma once
// The control as a host embeds it: a fixed 820 x 820 HIMETRIC square with
// its icon, hidden in run mode; in design mode its context menu opens the
// property page.
#include <QWidget>

namespace nv {

class CInkplateCtrl;

class InkplateWidget : public QWidget {
    Q_OBJECT
public:
    explicit InkplateWidget(CInkplateCtrl& ctrl, QWidget* parent = nullptr);
    void SetRunMode(bool run);
    // Opens the property page; true when it was accepted.
    bool ShowProperties();

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    CInkplateCtrl& m_ctrl;
    bool m_bRunMode = true;
};

// The about box, through the prompt interface.
void ShowInkplateAbout(QWidget* parent);

} // namespace nv
