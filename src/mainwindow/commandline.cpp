#include "mainwindow/commandline.h"

namespace {

// The configuration character becomes part of a file name and of the settings store's name:
// only a character that is harmless there is taken. Controls, invisible format marks (a
// right-to-left override turns a name around), line separators, unassigned code points and
// half a surrogate pair are refused, as are the characters a path or a file system gives a
// meaning of its own.
bool usableInFileName(char32_t c)
{
    if (c > QChar::LastValidCodePoint)
        return false;
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    if (c < 0x80 && refused.contains(QChar(char16_t(c))))
        return false;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    default:
        return !QChar::isNonCharacter(c);
    }
}

// The one whole character at the start of the text: a pair of surrogates outside the Basic
// Multilingual Plane, else one unit (a lone surrogate stays itself, to be refused).
QStringView firstCharacter(QStringView text)
{
    if (text.size() >= 2 && text[0].isHighSurrogate() && text[1].isLowSurrogate())
        return text.first(2);
    return text.first(qMin<qsizetype>(1, text.size()));
}

char32_t codePoint(QStringView character)
{
    return character.size() == 2 ? QChar::surrogateToUcs4(character[0], character[1])
                                 : char32_t(character[0].unicode());
}

} // namespace

Opdrachtregel OntleedArgumenten(const QStringList &arguments)
{
    Opdrachtregel result;
    for (const QString &argument : arguments) {
        if (argument.compare(QLatin1String("/sysinfo"), Qt::CaseInsensitive) == 0) {
            result.systeemInfo = true;
            continue;
        }
        if (argument.startsWith(QLatin1String("cfg="), Qt::CaseInsensitive)) {
            const QStringView c = firstCharacter(QStringView(argument).mid(4));
            if (!c.isEmpty() && usableInFileName(codePoint(c)))
                result.configuratie = QStringLiteral("CFG") + c.toString().toLower();
            continue;
        }
        if (!argument.trimmed().isEmpty())
            result.gegevensbestand = argument;
    }
    return result;
}

Configuratie ConfiguratieVan(const QString &configuratie)
{
    Configuratie c;
    c.InstellingenExtensie = QLatin1Char('.') + configuratie;
    c.InstellingenBestand = QStringLiteral("Qlv2") + c.InstellingenExtensie;
    c.RegisterNaam = QStringLiteral("QLV2-") + configuratie;
    return c;
}
