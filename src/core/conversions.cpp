#include "core/conversions.h"

#include "core/shared.h"
#include "platform/codec.h"
#include "support/wrappers.h"

#include "support/utilities.h"

#include <QLocale>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace {

// strtod follows the process locale, which QCoreApplication sets from the environment: under a
// Dutch or French locale it would stop "12.5" at the point. Numbers here always use the point.
double parsePointNumber(const std::string &s)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(s.c_str(), nullptr, cLocale);
}

// The longest leading number of the text: blanks, tabs and line feeds are skipped anywhere,
// then sign, digits, one decimal point, digits and an optional exponent. Sets found to false
// when the text starts with no number.
double leadingNumber(const QString &text, bool &found)
{
    std::string s;
    s.reserve(text.size());
    int i = 0;
    const int n = int(text.size());
    auto next = [&]() -> char {
        while (i < n) {
            const QChar c = text[i];
            if (c == ' ' || c == '\t' || c == '\n') {
                ++i;
                continue;
            }
            return c.unicode() < 128 ? char(c.unicode()) : '\x7f';
        }
        return '\0';
    };
    char c = next();
    if (c == '+' || c == '-') {
        s += c;
        ++i;
        c = next();
    }
    // Appends the run of digits that starts at c; returns how many there were.
    auto takeDigits = [&](std::string &out, char &ch) {
        int n = 0;
        while (ch >= '0' && ch <= '9') {
            out += ch;
            ++n;
            ++i;
            ch = next();
        }
        return n;
    };
    int digits = takeDigits(s, c);
    if (c == '.') {
        s += c;
        ++i;
        c = next();
        digits += takeDigits(s, c);
    }
    found = digits > 0;
    if (!found)
        return 0;
    if (c == 'E' || c == 'e') {
        std::string exp = "e";
        ++i;
        char e = next();
        if (e == '+' || e == '-') {
            exp += e;
            ++i;
            e = next();
        }
        if (takeDigits(exp, e) > 0)
            s += exp;
    }
    return parsePointNumber(s);
}

template <typename T> T wholeNumber(const QString &text)
{
    bool found = false;
    const double v = leadingNumber(text, found);
    if (!found)
        return 0;
    if (!std::isfinite(v))
        return -1;
    const double rounded = std::nearbyint(v); // the default rounding mode: halves to even
    if (rounded < double(std::numeric_limits<T>::min()) ||
        rounded > double(std::numeric_limits<T>::max()))
        return -1;
    return T(rounded);
}

bool isNumberChar(QChar c)
{
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

const char lineEnds[] = {'\r', '\n', '\t', '\b', '\f'};

template <typename S> void skipLine(S &text)
{
    qsizetype i = 0;
    while (i < text.size()) {
        const auto c = text.at(i);
        bool end = false;
        for (char e : lineEnds)
            if (c == e)
                end = true;
        if (end)
            break;
        ++i;
    }
    if (i >= text.size()) {
        text.clear();
        return;
    }
    const bool cr = text.at(i) == '\r';
    ++i;
    if (cr && i < text.size() && text.at(i) == '\n')
        ++i;
    text.remove(0, i);
}

} // namespace

float TekstNaarSingle(const QString &text)
{
    QString t = text;
    t.replace(',', '.');
    bool found = false;
    const double v = leadingNumber(t, found);
    if (!found)
        return 0;
    // Checked after rounding to a single: the largest single as written ("3.4028235e+38") lies
    // a little above FLT_MAX as a double, yet rounds to it.
    const float single = float(v);
    if (!std::isfinite(single))
        return -1;
    return single;
}

double TekstNaarDouble(const QString &text)
{
    QString t = text;
    t.replace(',', '.');
    bool found = false;
    const double v = leadingNumber(t, found);
    if (!found)
        return 0;
    if (!std::isfinite(v))
        return -1;
    return v;
}

qint16 TekstNaarInteger(const QString &text) { return wholeNumber<qint16>(text); }
qint32 TekstNaarLong(const QString &text) { return wholeNumber<qint32>(text); }

bool TekstNaarBoolean(const QString &value)
{
    const QString v = trimBlanks(value).toLower();
    static const char *const falseWords[] = {"false", "faux", "vals", "onwaar",
                                             "falsch", "unwahr", "0"};
    for (const char *w : falseWords)
        if (v == QLatin1String(w))
            return false;
    return true;
}

QString DecimaalTeken() { return QLocale().decimalPoint(); }

QString PuntNaarDecimaal(const QString &text)
{
    QString t = text;
    return t.replace('.', DecimaalTeken());
}

QString NeemGetal(QString &text, int flags)
{
    while (!text.isEmpty() && !isNumberChar(text[0]) && !IsStuurteken(text.left(1), flags))
        text.remove(0, 1);
    qsizetype n = 0;
    while (n < text.size() && isNumberChar(text[n]))
        ++n;
    const QString number = text.left(n).trimmed();
    text.remove(0, n);
    return PuntNaarDecimaal(number);
}

QByteArray NeemGetal(QByteArray &text, int flags)
{
    QString t = QString::fromLatin1(text);
    const QString number = NeemGetal(t, flags);
    text = t.toLatin1();
    return number.toLatin1();
}

void VerwijderTotRegeleinde(QString &text) { skipLine(text); }
void VerwijderTotRegeleinde(QByteArray &text) { skipLine(text); }

QString ZetEenheidOm(const QByteArray &unit)
{
    QString out;
    for (char ch : unit) {
        switch (static_cast<unsigned char>(ch)) {
        case 230: out += QChar(0x00B5); break; // µ
        case 248: out += QChar(0x00B0); break; // °
        case 234: out += QLatin1String("Ohm"); break;
        case 130: out += QChar(0x00E9); break; // é
        case 131: out += QChar(0x00E2); break; // â
        case 132: out += QChar(0x00E4); break; // ä
        case 133: out += QChar(0x00E0); break; // à
        case 135: out += QChar(0x00E7); break; // ç
        case 136: out += QChar(0x00EA); break; // ê
        case 137: out += QChar(0x00EB); break; // ë
        case 138: out += QChar(0x00E8); break; // è
        case 139: out += QChar(0x00EF); break; // ï
        case 140: out += QChar(0x00EE); break; // î
        case 147: out += QChar(0x00F4); break; // ô
        case 148: out += QChar(0x00F6); break; // ö
        case 149: out += QChar(0x00F2); break; // ò
        case 150: out += QChar(0x00FB); break; // û
        case 158: out += QLatin1String("Pt"); break;
        default: out += Cp1252::decode(ch); break;
        }
    }
    return out;
}

qint16 KolomVanKanaal(qint16 kanaal) { return qint16((kanaal - 1) * 2 + 3); }

QString TijdTekst()
{
    // The character that follows the hours; formats may start with an AM/PM marker.
    const QString f = QLocale().timeFormat(QLocale::LongFormat);
    qsizetype i = 0;
    while (i < f.size() && f[i] != 'h' && f[i] != 'H')
        ++i;
    while (i < f.size() && (f[i] == 'h' || f[i] == 'H'))
        ++i;
    if (i < f.size() && !f[i].isLetter() && f[i] != '\'' && !f[i].isSpace())
        return QString(f[i]);
    return QStringLiteral(":");
}

quint8 NaarByte(qint16 value) { return quint8(value & 0xFF); }
quint8 HoogsteByte(qint16 value) { return quint8((value & 0xFF00) >> 8); }
qint16 AbsoluteWaarde(qint16 value) { return qint16(value < 0 ? -value : value); }

QString TijdInvoerMasker(const QString &scheiding)
{
    // Characters that mean something in a mask are taken literally behind a backslash.
    static const QString meta = QStringLiteral("AaNnXx90Dd#HhBb><![]{}\\;");
    QString s;
    for (QChar c : scheiding) {
        if (meta.contains(c))
            s += QLatin1Char('\\');
        s += c;
    }
    return QStringLiteral("00") + s + QStringLiteral("00") + s + QStringLiteral("00;_");
}

QString TijdMetScheidingsteken(const QDateTime &moment)
{
    if (!moment.isValid())
        return QString();
    const QTime t = moment.time();
    const QString &sep = Hoofdmodule::Tijdscheidingsteken;
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return two(t.hour()) + sep + two(t.minute()) + sep + two(t.second());
}
