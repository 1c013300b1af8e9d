#pragma once
// The zoom box of the scale bar: the presets, at most one other value on
// top, Enter or a chosen item applies.
#include <QComboBox>

namespace nv::viewer {

class ZoomBox : public QComboBox {
    Q_OBJECT
public:
    explicit ZoomBox(QWidget* parent = nullptr);

    int Current() const { return current_; }
    // Selects "<zoom>%", putting it on top of the list when it is no preset.
    void ShowZoom(int zoom);
    // Takes the active view's zoom without asking for a change.
    void Follow(int zoom);
    // The leading number of a text such as "120%", 0 when there is none.
    static int ValueOf(const QString& text);

signals:
    // A zoom other than the current one was asked for.
    void ZoomRequested(int zoom);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Apply(int zoom);

    int current_ = 100;
};

} // namespace nv::viewer
