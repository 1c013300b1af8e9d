#pragma once
// The small modal dialogs of a view: zoom, page jump and find.
#include <QDialog>
#include <QSpinBox>

class QDialogButtonBox;

namespace nv::viewer {

// OK (default) and, unless `cancel` is empty, a cancel button, wired to the
// dialog, which keeps its title whole.
QDialogButtonBox* DialogButtons(QDialog* dialog, const QString& cancel);

// A window manager cuts a title wider than its window: as it is shown, the
// dialog is made as wide as its title in a bold face, its icon and the
// title bar's buttons.
void KeepTitleWhole(QDialog* dialog);
int TitleWidth(const QWidget* window);

// A number box that keeps what was typed, empty or out of range, so that OK
// can refuse it; the arrows stay within the bounds.
class NumberBox : public QSpinBox {
    Q_OBJECT
public:
    static constexpr int kEmpty = -1;

    explicit NumberBox(QWidget* parent = nullptr);
    void SetBounds(int low, int high);
    int Low() const { return low_; }
    int High() const { return high_; }
    void stepBy(int steps) override;

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    int valueFromText(const QString& text) const override;
    QString textFromValue(int value) const override;
    StepEnabled stepEnabled() const override;

private:
    int low_ = 1;
    int high_ = 1;
};

// A dialog holding one number between bounds; OK refuses anything else with
// the usual message and stays open.
class NumberDialog : public QDialog {
    Q_OBJECT
public:
    NumberDialog(const QString& caption, const QString& prompt, const QString& label, const QString& unit,
                 QWidget* parent);
    NumberBox* Box() const { return box_; }
    int Value() const { return value_; }
    void SetValue(int value);
    void accept() override;

protected:
    NumberBox* box_;
    int value_ = 1;
};

class ZoomDialog : public NumberDialog {
    Q_OBJECT
public:
    explicit ZoomDialog(int zoom, QWidget* parent = nullptr);
};

class PageJumpDialog : public NumberDialog {
    Q_OBJECT
public:
    PageJumpDialog(int page, int pageCount, QWidget* parent = nullptr);
};

// The viewer searches no text, so the find dialog has nothing to run:
// OK and Cancel only close it.
class FindTextDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindTextDialog(QWidget* parent = nullptr);
};

} // namespace nv::viewer
