// Draws the program's pictures and synthesises its sounds into the resources folder.
// Everything in resources/ that is not text was made by this program; run it again after a change:
//   g++ -std=c++20 -fPIC makeresources.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/makeresources
//   QT_QPA_PLATFORM=offscreen /tmp/makeresources <path of resources/>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtEndian>
#include <cmath>
#include <vector>

namespace {

QString outDir;

void save(const QImage &image, const QString &name)
{
    image.save(outDir + "/" + name);
}

QImage canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void centredGlyph(QPainter &p, const QRectF &r, const QString &text, const QColor &colour, int px)
{
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(px);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

QImage roundIcon(const QColor &light, const QColor &dark, const QString &glyph)
{
    QImage image = canvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(12, 10), 20);
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setBrush(g);
    p.setPen(QPen(dark.darker(140), 1));
    p.drawEllipse(QRectF(1.5, 1.5, 29, 29));
    centredGlyph(p, QRectF(0, 0, 32, 32), glyph, Qt::white, 20);
    return image;
}

QImage crossIcon()
{
    QImage image = roundIcon(QColor(255, 110, 100), QColor(190, 20, 20), QString());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 11), QPointF(21, 21));
    p.drawLine(QPointF(21, 11), QPointF(11, 21));
    return image;
}

QImage warningIcon()
{
    QImage image = canvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tri;
    tri.moveTo(16, 2);
    tri.lineTo(30.5, 29);
    tri.lineTo(1.5, 29);
    tri.closeSubpath();
    QLinearGradient g(0, 0, 0, 32);
    g.setColorAt(0, QColor(255, 230, 90));
    g.setColorAt(1, QColor(235, 170, 0));
    p.setBrush(g);
    p.setPen(QPen(QColor(150, 100, 0), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tri);
    centredGlyph(p, QRectF(0, 9, 32, 20), "!", Qt::black, 18);
    return image;
}

// A dark tile with a chart line: the program's own mark.
void drawMark(QPainter &p, const QRectF &r)
{
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(40, 90, 160));
    g.setColorAt(1, QColor(15, 40, 90));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(r, r.width() * 0.18, r.width() * 0.18);
    const qreal w = r.width(), h = r.height();
    p.setPen(QPen(QColor(255, 255, 255, 70), w * 0.015));
    for (int i = 1; i < 4; ++i)
        p.drawLine(QPointF(r.left() + w * 0.12, r.top() + h * (0.2 + 0.18 * i)),
                   QPointF(r.right() - w * 0.12, r.top() + h * (0.2 + 0.18 * i)));
    QPainterPath line;
    const double ys[] = {0.70, 0.62, 0.66, 0.45, 0.50, 0.30, 0.36, 0.22};
    for (int i = 0; i < 8; ++i) {
        const QPointF pt(r.left() + w * (0.14 + 0.72 * i / 7.0), r.top() + h * ys[i]);
        if (i == 0)
            line.moveTo(pt);
        else
            line.lineTo(pt);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(120, 230, 140), w * 0.06, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(line);
}

QImage programIcon()
{
    QImage image = canvas(64, 64);
    QPainter p(&image);
    drawMark(p, QRectF(2, 2, 60, 60));
    return image;
}

QImage logo()
{
    QImage image(792, 238, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 792, 0);
    g.setColorAt(0, QColor(250, 252, 255));
    g.setColorAt(1, QColor(210, 225, 245));
    p.fillRect(image.rect(), g);
    drawMark(p, QRectF(30, 29, 180, 180));
    QFont big("DejaVu Sans");
    big.setBold(true);
    big.setPixelSize(120);
    p.setFont(big);
    p.setPen(QColor(20, 50, 110));
    p.drawText(QRectF(240, 20, 540, 150), Qt::AlignLeft | Qt::AlignVCenter, "QLV-2");
    QFont small("DejaVu Sans");
    small.setPixelSize(30);
    p.setFont(small);
    p.setPen(QColor(60, 90, 140));
    p.drawText(QRectF(246, 160, 540, 50), Qt::AlignLeft | Qt::AlignVCenter, "Marquel");
    p.setPen(QPen(QColor(120, 200, 140), 6));
    p.drawLine(QPointF(246, 215), QPointF(760, 215));
    return image;
}

// A bench with a controller and its display: our stand-in for a product photograph.
QImage photo()
{
    QImage image(608, 409, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wall(0, 0, 0, 409);
    wall.setColorAt(0, QColor(200, 210, 225));
    wall.setColorAt(0.7, QColor(160, 172, 190));
    wall.setColorAt(0.7001, QColor(120, 95, 70));
    wall.setColorAt(1, QColor(80, 60, 45));
    p.fillRect(image.rect(), wall);
    // Shadow, housing, front plate.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(QRectF(118, 300, 390, 30), 15, 15);
    QLinearGradient body(0, 70, 0, 310);
    body.setColorAt(0, QColor(235, 238, 242));
    body.setColorAt(1, QColor(175, 180, 188));
    p.setBrush(body);
    p.setPen(QPen(QColor(90, 95, 105), 2));
    p.drawRoundedRect(QRectF(110, 70, 390, 240), 14, 14);
    p.setBrush(QColor(40, 45, 55));
    p.drawRoundedRect(QRectF(135, 95, 340, 120), 8, 8);
    // Display digits.
    QFont digits("DejaVu Sans Mono");
    digits.setBold(true);
    digits.setPixelSize(64);
    p.setFont(digits);
    p.setPen(QColor(255, 80, 60));
    p.drawText(QRectF(150, 100, 310, 75), Qt::AlignRight | Qt::AlignVCenter, "23.7");
    QFont unit("DejaVu Sans");
    unit.setPixelSize(22);
    p.setFont(unit);
    p.setPen(QColor(120, 230, 140));
    p.drawText(QRectF(150, 172, 310, 36), Qt::AlignRight | Qt::AlignVCenter, "SP 25.0 °C");
    // Keys and lamps.
    for (int i = 0; i < 4; ++i) {
        p.setBrush(QColor(70, 80, 95));
        p.setPen(QPen(QColor(30, 30, 30), 1));
        p.drawRoundedRect(QRectF(150 + i * 82, 240, 60, 40), 6, 6);
    }
    const QColor lamps[] = {QColor(60, 220, 90), QColor(250, 190, 40), QColor(230, 60, 50)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lamps[i]);
        p.drawEllipse(QPointF(160 + i * 26, 80), 5, 5);
    }
    // Cable to the edge of the picture.
    QPainterPath cable;
    cable.moveTo(500, 250);
    cable.cubicTo(560, 260, 540, 360, 608, 380);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 30, 30), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cable);
    return image;
}

// Wave file: two channels, 22050 samples per second, 16 bits.
void writeWave(const QString &name, const std::vector<double> &mono)
{
    const quint32 rate = 22050, channels = 2, bits = 16;
    const quint32 dataBytes = quint32(mono.size()) * channels * bits / 8;
    QByteArray out;
    auto u32 = [&](quint32 v) { char b[4]; qToLittleEndian(v, b); out.append(b, 4); };
    auto u16 = [&](quint16 v) { char b[2]; qToLittleEndian(v, b); out.append(b, 2); };
    out.append("RIFF");
    u32(36 + dataBytes);
    out.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(channels);
    u32(rate);
    u32(rate * channels * bits / 8);
    u16(channels * bits / 8);
    u16(bits);
    out.append("data");
    u32(dataBytes);
    for (double s : mono) {
        const qint16 v = qint16(std::lround(std::clamp(s, -1.0, 1.0) * 32000));
        u16(quint16(v));
        u16(quint16(v));
    }
    QFile f(outDir + "/" + name);
    f.open(QIODevice::WriteOnly);
    f.write(out);
}

// Tones: (frequency, start s, length s); each with a soft attack and an exponential decay.
std::vector<double> tones(std::initializer_list<std::array<double, 3>> parts, double total)
{
    const double rate = 22050;
    std::vector<double> s(size_t(total * rate), 0.0);
    for (const auto &t : parts) {
        const size_t begin = size_t(t[1] * rate), n = size_t(t[2] * rate);
        for (size_t i = 0; i < n && begin + i < s.size(); ++i) {
            const double time = double(i) / rate;
            const double attack = std::min(1.0, time / 0.005);
            const double decay = std::exp(-time * 6.0 / t[2]);
            const double wave = std::sin(2 * M_PI * t[0] * time)
                                + 0.25 * std::sin(2 * M_PI * 2 * t[0] * time);
            s[begin + i] += 0.45 * attack * decay * wave;
        }
    }
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(outDir + "/icons");
    QDir().mkpath(outDir + "/pictures");
    QDir().mkpath(outDir + "/sounds");
    save(crossIcon(), "icons/critical.png");
    save(roundIcon(QColor(120, 170, 255), QColor(20, 70, 180), "i"), "icons/information.png");
    save(roundIcon(QColor(120, 170, 255), QColor(20, 70, 180), "?"), "icons/question.png");
    save(warningIcon(), "icons/exclamation.png");
    save(programIcon(), "icons/program.png");
    save(logo(), "pictures/logo.png");
    save(photo(), "pictures/photo.png");

    const auto critical = tones({{{520, 0, 0.18}}, {{390, 0.16, 0.30}}}, 0.5);
    const auto chime = tones({{{880, 0, 0.25}}, {{1320, 0.08, 0.30}}}, 0.4);
    const auto alert = tones({{{700, 0, 0.12}}, {{700, 0.15, 0.15}}}, 0.35);
    writeWave("sounds/104.wav", critical);
    writeWave("sounds/105.wav", alert);
    writeWave("sounds/106.wav", chime);
    writeWave("sounds/107.wav", chime);
    writeWave("sounds/108.wav", alert);
    return 0;
}
