#include "support/utilities.h"

#include "core/conversions.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/registry.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QLocale>
#include <QWidget>
#include <charconv>

QString trimBlanks(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == u' ')
        ++b;
    while (e > b && text[e - 1] == u' ')
        --e;
    return text.mid(b, e - b);
}

QByteArray trimBlanks(const QByteArray &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == ' ')
        ++b;
    while (e > b && text[e - 1] == ' ')
        --e;
    return text.mid(b, e - b);
}

QString VervangNulTekens(const QString &text, const QString &vervanging)
{
    QString t = text;
    t = trimBlanks(t.replace(QChar(0), vervanging));
    // Code 255 of the Windows code page is the same character in Unicode.
    return trimBlanks(t.replace(QChar(0xFF), vervanging));
}

QByteArray VervangNulTekens(const QByteArray &data, const QByteArray &vervanging)
{
    QByteArray t = data;
    t = trimBlanks(t.replace('\0', vervanging));
    return trimBlanks(t.replace('\xFF', vervanging));
}

QString VervangEnTrim(const QString &text, const QString &zoek, const QString &vervanging)
{
    QString t = text;
    // An empty search text finds nothing (Qt would insert the replacement between all letters).
    if (!zoek.isEmpty())
        t.replace(zoek, vervanging, Qt::CaseSensitive);
    return trimBlanks(t);
}

QString VerwijderAmpersand(const QString &text, const QString &vervanging)
{
    return VervangEnTrim(text, QStringLiteral("&"), vervanging);
}

bool MaakMap(const QString &pad)
{
    if (pad.isEmpty())
        return false;
    if (QFileInfo(pad).isDir())
        return true;
    // mkpath walks the levels from the top, skips those that exist and stops at the first it
    // cannot make; what it made stays.
    QDir().mkpath(pad);
    return QFileInfo(pad).isDir();
}

void ToepassenLettertype(QWidget *object, const FontRecord &lettertype)
{
    if (!object)
        return;
    QFont f = object->font();
    f.setFamily(lettertype.Naam);
    f.setBold(lettertype.Vet);
    f.setItalic(lettertype.Cursief);
    f.setUnderline(lettertype.Onderstreept);
    f.setStrikeOut(lettertype.Doorgestreept);
    if (lettertype.Grootte > 0)
        f.setPointSizeF(lettertype.Grootte);
    object->setFont(f);
}

qint16 LeesPoortNummer(const QString &poort)
{
    return TekstNaarInteger(poort.mid(3));
}

QString settingText(const QVariant &value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::Bool:
        return BooleanTekst(value.toBool());
    case QMetaType::Float: {
        // Formatted as a float, so that 0.1 stays "0.1" and does not become 0.10000000149.
        char buf[32];
        const float f = value.toFloat();
        const auto r = std::to_chars(buf, buf + sizeof buf, f);
        const double d = QByteArray(buf, r.ptr - buf).toDouble();
        return locale.toString(d, 'g', QLocale::FloatingPointShortest);
    }
    case QMetaType::Double:
        return locale.toString(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        return QString::number(value.toULongLong());
    case QMetaType::QDateTime:
        return DateTimeText::format(value.toDateTime());
    case QMetaType::QDate:
        return DateTimeText::formatDate(value.toDate());
    case QMetaType::QTime:
        return DateTimeText::formatTime(value.toTime());
    default:
        return value.toString();
    }
}

void BewaarSetting(const QString &applicatie, const QString &sectie, const QString &sleutel,
                   const QVariant &waarde)
{
    Registry::write(applicatie, sectie, sleutel, settingText(waarde));
}

QString LeesSetting(const QString &applicatie, const QString &sectie, const QString &sleutel,
                    const QVariant &standaard)
{
    return Registry::read(applicatie, sectie, sleutel, settingText(standaard));
}

QString LeesRegel(QIODevice &bestand, bool *ok)
{
    if (ok)
        *ok = true;
    if (!bestand.isOpen() || !bestand.isReadable()) {
        if (ok)
            *ok = false;
        return {};
    }
    QByteArray line;
    char c = 0;
    while (bestand.getChar(&c)) {
        if (c == '\r') {
            char next = 0;
            if (bestand.peek(&next, 1) == 1 && next == '\n')
                bestand.getChar(&next);
            break;
        }
        line.append(c);
    }
    return Cp1252::decode(line);
}

QString TekstNaScheiding(const QString &text, QChar scheiding)
{
    const qsizetype at = text.indexOf(scheiding);
    if (at < 0)
        return trimBlanks(text);
    return trimBlanks(text.mid(at + 1));
}
