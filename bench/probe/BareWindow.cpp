// The least a Qt program does to show a page: a window painting one image
// of an A4 page at 96 dpi, made in memory. The peer of the viewer's start.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

namespace {

class Page : public QWidget {
public:
    Page() : image_(794, 1123, QImage::Format_RGB32)
    {
        image_.fill(Qt::white);
        QPainter p(&image_);
        p.setPen(Qt::black);
        for (int y = 100; y < 1050; y += 24) p.drawLine(60, y, 734, y);
        for (int x = 60; x <= 734; x += 112) p.drawLine(x, 100, x, 1036);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::gray);
        p.drawImage(0, 0, image_);
    }

private:
    QImage image_;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Page page;
    page.resize(800, 900);
    page.show();
    return QApplication::exec();
}
