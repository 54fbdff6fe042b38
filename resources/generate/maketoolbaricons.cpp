// Draws the toolbar's own pictures into resources/toolbar/ (the fallbacks where the desktop has
// no icon theme). Run it again after a change:
//   g++ -std=c++20 -fPIC maketoolbaricons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/mti
//   QT_QPA_PLATFORM=offscreen /tmp/mti <path of resources/>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <functional>

namespace {

const QColor ink(40, 40, 40);
const QColor paper(250, 250, 245);
const QColor blue(40, 100, 190);
const QColor green(40, 150, 60);
const QColor red(200, 40, 40);
const QColor yellow(235, 190, 60);
const QColor orange(225, 120, 30);
const QColor grey(150, 150, 150);

void page(QPainter &p, QRectF r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 7, r.top());
    path.lineTo(r.right(), r.top() + 7);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(ink, 1.5));
    p.setBrush(paper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 7, r.top()), QPointF(r.right() - 7, r.top() + 7));
    p.drawLine(QPointF(r.right() - 7, r.top() + 7), QPointF(r.right(), r.top() + 7));
}

void lines(QPainter &p, QRectF r, int n)
{
    p.setPen(QPen(grey, 1.5));
    for (int i = 0; i < n; ++i)
        p.drawLine(QPointF(r.left() + 4, r.top() + 11 + i * 4), QPointF(r.right() - 4, r.top() + 11 + i * 4));
}

void floppy(QPainter &p, QRectF r, QColor body)
{
    p.setPen(QPen(ink, 1.5));
    p.setBrush(body);
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(paper);
    p.drawRect(QRectF(r.left() + 5, r.top(), r.width() - 10, r.height() * 0.38));
    p.setBrush(QColor(220, 220, 220));
    p.drawRect(QRectF(r.left() + 6, r.bottom() - r.height() * 0.38, r.width() - 12, r.height() * 0.38));
}

void gear(QPainter &p, QPointF c, double radius, QColor colour)
{
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a = i * M_PI / teeth;
        const double rr = (i % 2 == 0) ? radius : radius * 0.72;
        const double a1 = a - M_PI / teeth / 2, a2 = a + M_PI / teeth / 2;
        const QPointF p1(c.x() + rr * std::cos(a1), c.y() + rr * std::sin(a1));
        const QPointF p2(c.x() + rr * std::cos(a2), c.y() + rr * std::sin(a2));
        if (i == 0)
            path.moveTo(p1);
        else
            path.lineTo(p1);
        path.lineTo(p2);
    }
    path.closeSubpath();
    path.addEllipse(c, radius * 0.3, radius * 0.3);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(QPen(ink, 1));
    p.setBrush(colour);
    p.drawPath(path);
}

void window(QPainter &p, QRectF r)
{
    p.setPen(QPen(ink, 1.5));
    p.setBrush(paper);
    p.drawRect(r);
    p.setBrush(blue);
    p.drawRect(QRectF(r.left(), r.top(), r.width(), 4));
}

void arrow(QPainter &p, QPointF from, QPointF to, QColor colour)
{
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const double a = std::atan2(to.y() - from.y(), to.x() - from.x());
    QPolygonF head;
    head << to + QPointF(3 * std::cos(a), 3 * std::sin(a))
         << to + QPointF(6 * std::cos(a + 2.3), 6 * std::sin(a + 2.3))
         << to + QPointF(6 * std::cos(a - 2.3), 6 * std::sin(a - 2.3));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(head);
}

void tray(QPainter &p)
{
    p.setPen(QPen(ink, 1.5));
    p.setBrush(QColor(200, 210, 225));
    QPolygonF t;
    t << QPointF(3, 19) << QPointF(8, 19) << QPointF(10, 22) << QPointF(22, 22) << QPointF(24, 19)
      << QPointF(29, 19) << QPointF(29, 29) << QPointF(3, 29);
    p.drawPolygon(t);
}

void chartAxes(QPainter &p, QRectF r)
{
    p.setPen(QPen(paper));
    p.setBrush(paper);
    p.drawRect(r);
    p.setPen(QPen(ink, 1.5));
    p.drawLine(r.bottomLeft(), r.topLeft());
    p.drawLine(r.bottomLeft(), r.bottomRight());
}

using Draw = std::function<void(QPainter &)>;

void save(const QString &dir, const char *name, const Draw &draw)
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    image.save(dir + "/" + name + ".png");
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]) + "/toolbar";
    QDir().mkpath(dir);
    save(dir, "tbrNew", [](QPainter &p) {
        page(p, QRectF(6, 3, 20, 26));
        p.setPen(QPen(orange, 1));
        p.setBrush(yellow);
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double a = -M_PI / 2 + i * M_PI / 5, r = i % 2 ? 2.5 : 6;
            star << QPointF(9 + r * std::cos(a), 9 + r * std::sin(a));
        }
        p.drawPolygon(star);
    });
    save(dir, "tbrOpen", [](QPainter &p) {
        p.setPen(QPen(ink, 1.5));
        p.setBrush(QColor(200, 150, 40));
        p.drawRect(QRectF(3, 7, 24, 20));
        p.drawRect(QRectF(3, 5, 9, 3));
        p.setBrush(yellow);
        QPolygonF front;
        front << QPointF(3, 27) << QPointF(8, 13) << QPointF(30, 13) << QPointF(26, 27);
        p.drawPolygon(front);
    });
    save(dir, "tbrSave", [](QPainter &p) {
        floppy(p, QRectF(3, 3, 22, 22), blue);
        p.setPen(QPen(ink, 1));
        p.setBrush(yellow);
        QPolygonF pencil;
        pencil << QPointF(18, 29) << QPointF(20, 23) << QPointF(29, 14) << QPointF(31, 16)
               << QPointF(22, 25);
        p.drawPolygon(pencil);
    });
    save(dir, "tbrPrint", [](QPainter &p) {
        page(p, QRectF(9, 2, 14, 12));
        p.setPen(QPen(ink, 1.5));
        p.setBrush(QColor(180, 180, 180));
        p.drawRoundedRect(QRectF(3, 12, 26, 12), 2, 2);
        p.setBrush(paper);
        p.drawRect(QRectF(8, 20, 16, 9));
        p.setBrush(green);
        p.drawEllipse(QPointF(25, 16), 1.5, 1.5);
    });
    save(dir, "tbrCopy", [](QPainter &p) {
        page(p, QRectF(3, 3, 16, 20));
        page(p, QRectF(12, 9, 16, 20));
        lines(p, QRectF(12, 9, 16, 20), 3);
    });
    save(dir, "tbrProperties", [](QPainter &p) { gear(p, QPointF(16, 16), 13, grey); });
    save(dir, "tbrGraphSettings", [](QPainter &p) {
        chartAxes(p, QRectF(2, 3, 24, 22));
        p.setPen(QPen(blue, 2));
        p.drawPolyline(QPolygonF{QPointF(4, 20), QPointF(10, 12), QPointF(15, 16), QPointF(24, 6)});
        gear(p, QPointF(23, 23), 8, grey);
    });
    save(dir, "tbrFont", [](QPainter &p) {
        QFont f("DejaVu Serif");
        f.setBold(true);
        f.setPixelSize(24);
        p.setFont(f);
        p.setPen(ink);
        p.drawText(QRectF(0, 0, 22, 30), Qt::AlignCenter, "A");
        f.setPixelSize(15);
        p.setFont(f);
        p.setPen(blue);
        p.drawText(QRectF(16, 10, 16, 20), Qt::AlignCenter, "a");
    });
    save(dir, "tbrSaveSettings", [](QPainter &p) {
        floppy(p, QRectF(2, 2, 22, 22), green);
        gear(p, QPointF(23, 23), 8, grey);
    });
    save(dir, "tbrMeasure", [](QPainter &p) {
        p.setPen(QPen(ink, 1.5));
        p.setBrush(green);
        p.drawPolygon(QPolygonF{QPointF(8, 4), QPointF(27, 16), QPointF(8, 28)});
    });
    save(dir, "tbrLogger", [](QPainter &p) {
        page(p, QRectF(3, 3, 20, 26));
        lines(p, QRectF(3, 3, 20, 26), 4);
        p.setPen(QPen(ink, 1));
        p.setBrush(red);
        p.drawEllipse(QPointF(23, 22), 7, 7);
    });
    // The Log button while logging runs: the page being written, the lamp lit.
    save(dir, "tbrLogging", [](QPainter &p) {
        page(p, QRectF(3, 3, 20, 26));
        p.setPen(QPen(blue, 2));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(7, 14 + i * 4), QPointF(i == 3 ? 12 : 19, 14 + i * 4));
        p.setPen(QPen(ink, 1));
        p.setBrush(yellow);
        p.drawEllipse(QPointF(23, 22), 8.5, 8.5);
        p.setBrush(QColor(255, 30, 30));
        p.drawEllipse(QPointF(23, 22), 6, 6);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 200, 200));
        p.drawEllipse(QPointF(21, 20), 2, 2);
    });
    save(dir, "tbrReceive", [](QPainter &p) {
        tray(p);
        arrow(p, QPointF(16, 2), QPointF(16, 14), blue);
    });
    save(dir, "tbrTransfer", [](QPainter &p) {
        tray(p);
        arrow(p, QPointF(16, 17), QPointF(16, 3), orange);
    });
    save(dir, "tbrTable", [](QPainter &p) {
        p.setPen(QPen(ink, 1.5));
        p.setBrush(paper);
        p.drawRect(QRectF(3, 4, 26, 24));
        p.setBrush(QColor(190, 205, 230));
        p.drawRect(QRectF(3, 4, 26, 6));
        for (int x : {11, 20})
            p.drawLine(QPointF(x, 4), QPointF(x, 28));
        for (int y : {16, 22})
            p.drawLine(QPointF(3, y), QPointF(29, y));
    });
    save(dir, "tbrRack", [](QPainter &p) {
        p.setPen(QPen(ink, 1.5));
        p.setBrush(QColor(90, 90, 100));
        p.drawRoundedRect(QRectF(2, 5, 28, 22), 3, 3);
        p.setBrush(QColor(20, 40, 20));
        p.drawRect(QRectF(5, 8, 22, 10));
        QFont f("DejaVu Sans Mono");
        f.setBold(true);
        f.setPixelSize(9);
        p.setFont(f);
        p.setPen(QColor(90, 255, 90));
        p.drawText(QRectF(5, 8, 22, 10), Qt::AlignCenter, "88.8");
        p.setPen(Qt::NoPen);
        p.setBrush(red);
        p.drawEllipse(QPointF(8, 22.5), 2, 2);
        p.setBrush(green);
        p.drawEllipse(QPointF(14, 22.5), 2, 2);
    });
    save(dir, "tbrGraph", [](QPainter &p) {
        chartAxes(p, QRectF(3, 3, 26, 25));
        p.setPen(QPen(red, 2));
        p.drawPolyline(QPolygonF{QPointF(5, 22), QPointF(11, 12), QPointF(17, 18), QPointF(27, 6)});
        p.setPen(QPen(blue, 2));
        p.drawPolyline(QPolygonF{QPointF(5, 16), QPointF(12, 20), QPointF(19, 9), QPointF(27, 14)});
    });
    save(dir, "tbrTerminal", [](QPainter &p) {
        p.setPen(QPen(ink, 1.5));
        p.setBrush(QColor(20, 20, 20));
        p.drawRoundedRect(QRectF(2, 4, 28, 24), 2, 2);
        QFont f("DejaVu Sans Mono");
        f.setBold(true);
        f.setPixelSize(13);
        p.setFont(f);
        p.setPen(QColor(230, 230, 230));
        p.drawText(QRectF(4, 8, 24, 18), Qt::AlignLeft | Qt::AlignVCenter, ">_");
    });
    save(dir, "tbrHor", [](QPainter &p) {
        window(p, QRectF(3, 3, 26, 12));
        window(p, QRectF(3, 17, 26, 12));
    });
    save(dir, "tbrVer", [](QPainter &p) {
        window(p, QRectF(3, 3, 12, 26));
        window(p, QRectF(17, 3, 12, 26));
    });
    save(dir, "tbrCascade", [](QPainter &p) {
        window(p, QRectF(2, 2, 17, 14));
        window(p, QRectF(7, 8, 17, 14));
        window(p, QRectF(12, 14, 17, 14));
    });
    save(dir, "tbrHelp", [](QPainter &p) {
        p.setPen(QPen(ink, 1));
        p.setBrush(blue);
        p.drawEllipse(QPointF(16, 16), 13, 13);
        QFont f("DejaVu Sans");
        f.setBold(true);
        f.setPixelSize(20);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, "?");
    });
    return 0;
}
