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


// Animated GIF (QMovie plays only GIF, and Qt writes none): frames on a 6x6x6 colour cube with
// index 255 transparent, stored as LZW literals behind a clear code every 250 codes, so the code
// size stays at 9 bits.
void writeGif(const QString &name, const std::vector<QImage> &frames, int delayCs)
{
    const int w = frames.front().width(), h = frames.front().height();
    QByteArray out("GIF89a");
    auto u16 = [&](int v) { out.append(char(v & 0xFF)); out.append(char((v >> 8) & 0xFF)); };
    u16(w);
    u16(h);
    out.append(char(0xF7)); // global table of 256 colours
    out.append(char(255));  // background: the transparent index
    out.append(char(0));
    for (int i = 0; i < 256; ++i) {
        const int r = i < 216 ? i / 36 : 0, g = i < 216 ? (i / 6) % 6 : 0, b = i < 216 ? i % 6 : 0;
        out.append(char(r * 51));
        out.append(char(g * 51));
        out.append(char(b * 51));
    }
    if (frames.size() > 1) {
        out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    }
    for (const QImage &frame : frames) {
        const QImage img = frame.convertToFormat(QImage::Format_ARGB32);
        out.append("\x21\xF9\x04", 3);
        out.append(char((2 << 2) | 1)); // restore to background; transparent colour present
        u16(delayCs);
        out.append(char(255));
        out.append(char(0));
        out.append(char(0x2C));
        u16(0);
        u16(0);
        u16(w);
        u16(h);
        out.append(char(0));
        out.append(char(8)); // minimum code size
        QByteArray data;
        quint32 bits = 0;
        int count = 0;
        auto put = [&](int code) {
            bits |= quint32(code) << count;
            count += 9;
            while (count >= 8) {
                data.append(char(bits & 0xFF));
                bits >>= 8;
                count -= 8;
            }
        };
        int run = 0;
        put(256);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb c = img.pixel(x, y);
                int index = 255;
                if (qAlpha(c) >= 128) {
                    auto level = [](int v) { return (v * 5 + 127) / 255; };
                    index = level(qRed(c)) * 36 + level(qGreen(c)) * 6 + level(qBlue(c));
                }
                put(index);
                if (++run == 250) {
                    put(256);
                    run = 0;
                }
            }
        put(257);
        if (count > 0)
            data.append(char(bits & 0xFF));
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const QByteArray block = data.mid(at, 255);
            out.append(char(block.size()));
            out.append(block);
        }
        out.append(char(0));
    }
    out.append(char(0x3B));
    QFile f(outDir + "/" + name);
    f.open(QIODevice::WriteOnly);
    f.write(out);
}

// A controller: a grey case with a green display.
void drawController(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(QColor(150, 155, 165));
    p.drawRoundedRect(r, 3, 3);
    p.setBrush(QColor(20, 60, 30));
    p.drawRect(QRectF(r.left() + 4, r.top() + 4, r.width() - 8, r.height() * 0.45));
    p.setPen(QColor(120, 255, 140));
    p.drawLine(QPointF(r.left() + 8, r.top() + 9), QPointF(r.right() - 8, r.top() + 9));
}

// A computer: a monitor on a foot.
void drawComputer(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(QColor(200, 200, 205));
    p.drawRoundedRect(QRectF(r.left(), r.top(), r.width(), r.height() - 8), 3, 3);
    p.setBrush(QColor(40, 90, 190));
    p.drawRect(QRectF(r.left() + 4, r.top() + 4, r.width() - 8, r.height() - 17));
    p.setBrush(QColor(150, 150, 155));
    p.drawRect(QRectF(r.center().x() - 8, r.bottom() - 8, 16, 7));
}

// A sheet of paper with lines that fill as data arrives.
void drawSheet(QPainter &p, const QRectF &r, int lines)
{
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(30, 30, 30), 2));
    for (int i = 0; i < lines; ++i) {
        const double y = r.top() + 7 + i * 6;
        if (y > r.bottom() - 4)
            break;
        p.drawLine(QPointF(r.left() + 5, y), QPointF(r.right() - 5, y));
    }
}

// Animation 101: data awaited; dots run from the controller into the sheet, which fills.
std::vector<QImage> receivingAnimation()
{
    std::vector<QImage> frames;
    for (int f = 0; f < 12; ++f) {
        QImage image = canvas(96, 64);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        drawController(p, QRectF(4, 14, 28, 36));
        drawSheet(p, QRectF(66, 8, 26, 48), f / 2 + 1);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 120, 0));
        for (int d = 0; d < 3; ++d) {
            const double x = 36 + ((f * 4 + d * 10) % 28);
            p.drawEllipse(QPointF(x, 32), 2.5, 2.5);
        }
        frames.push_back(image);
    }
    return frames;
}

// Animation 102: commands exchanged; an arrow goes out to the controller, one comes back.
std::vector<QImage> exchangingAnimation()
{
    std::vector<QImage> frames;
    for (int f = 0; f < 12; ++f) {
        QImage image = canvas(96, 64);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        drawComputer(p, QRectF(2, 12, 32, 38));
        drawController(p, QRectF(64, 14, 28, 36));
        const bool out = f < 6;
        const double t = (f % 6) / 5.0;
        const double x = out ? 38 + t * 20 : 58 - t * 20;
        const double y = out ? 26 : 40;
        p.setPen(QPen(out ? QColor(200, 0, 160) : QColor(0, 0, 0), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x - 5, y), QPointF(x + 5, y));
        const double tip = out ? x + 5 : x - 5, back = out ? -4 : 4;
        p.drawLine(QPointF(tip, y), QPointF(tip + back, y - 4));
        p.drawLine(QPointF(tip, y), QPointF(tip + back, y + 4));
        frames.push_back(image);
    }
    return frames;
}

// Icon 107: an arrow down into a tray.
QImage receiveIcon()
{
    QImage image = canvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 30, 30), 1.5));
    p.setBrush(QColor(150, 155, 165));
    p.drawRoundedRect(QRectF(3, 20, 26, 9), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 120, 40));
    QPainterPath arrow;
    arrow.moveTo(12, 2);
    arrow.lineTo(20, 2);
    arrow.lineTo(20, 11);
    arrow.lineTo(26, 11);
    arrow.lineTo(16, 21);
    arrow.lineTo(6, 11);
    arrow.lineTo(12, 11);
    arrow.closeSubpath();
    p.drawPath(arrow);
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(outDir + "/icons");
    QDir().mkpath(outDir + "/pictures");
    QDir().mkpath(outDir + "/sounds");
    QDir().mkpath(outDir + "/animations");
    save(crossIcon(), "icons/critical.png");
    save(roundIcon(QColor(120, 170, 255), QColor(20, 70, 180), "i"), "icons/information.png");
    save(roundIcon(QColor(120, 170, 255), QColor(20, 70, 180), "?"), "icons/question.png");
    save(warningIcon(), "icons/exclamation.png");
    save(programIcon(), "icons/program.png");
    save(logo(), "pictures/logo.png");
    save(photo(), "pictures/photo.png");
    writeGif("animations/101.gif", receivingAnimation(), 12);
    writeGif("animations/102.gif", exchangingAnimation(), 12);
    writeGif("animations/107.gif", {receiveIcon()}, 0);

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
