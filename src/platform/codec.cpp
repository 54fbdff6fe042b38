#include "platform/codec.h"

namespace {
// 0x80..0x9F; the five unassigned codes map to the C1 controls, as Windows does.
const char16_t high[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QChar toChar(unsigned char b)
{
    if (b >= 0x80 && b < 0xA0)
        return QChar(high[b - 0x80]);
    return QChar(char16_t(b));
}
} // namespace

namespace Cp1252 {

void decodeInto(QByteArrayView bytes, QChar *out)
{
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = toChar(static_cast<unsigned char>(bytes[i]));
}

QString decode(const QByteArray &bytes)
{
    QString out;
    out.resize(bytes.size());
    decodeInto(bytes, out.data());
    return out;
}

QString decode(char byte) { return QString(toChar(static_cast<unsigned char>(byte))); }

QByteArray encode(const QString &text, bool *lossy)
{
    QByteArray out;
    out.reserve(text.size());
    bool lost = false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            out.append(char(u));
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i)
            if (high[i] == u) {
                found = i;
                break;
            }
        if (found >= 0) {
            out.append(char(0x80 + found));
        } else {
            out.append('?');
            lost = true;
        }
    }
    if (lossy)
        *lossy = lost;
    return out;
}

} // namespace Cp1252

namespace FileText {

namespace {
bool inCp1252(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u < 0x100))
        return true;
    for (char16_t h : high)
        if (h == u)
            return true;
    return false;
}
} // namespace

bool fitsCp1252(QStringView text)
{
    for (QChar c : text)
        if (!inCp1252(c.unicode()))
            return false;
    return true;
}

bool hasUtf8Bom(const QByteArray &bytes) { return bytes.startsWith(utf8Bom); }

Encoding detect(const QByteArray &start) { return hasUtf8Bom(start) ? Encoding::Utf8 : Encoding::Cp1252; }

Encoding choose(QStringView text) { return fitsCp1252(text) ? Encoding::Cp1252 : Encoding::Utf8; }

QByteArray encode(QStringView text, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return text.toUtf8();
    return Cp1252::encode(text.toString());
}

QByteArray encodeFile(QStringView text)
{
    const Encoding e = choose(text);
    if (e == Encoding::Utf8)
        return QByteArray(utf8Bom) + text.toUtf8();
    return Cp1252::encode(text.toString());
}

QString decodeFile(const QByteArray &bytes)
{
    if (hasUtf8Bom(bytes))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    return Cp1252::decode(bytes);
}

} // namespace FileText
