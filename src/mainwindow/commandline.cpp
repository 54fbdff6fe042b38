#include "mainwindow/commandline.h"

namespace {

// The configuration character becomes part of a file name and of the settings store's name:
// only a character that is harmless there is taken.
bool usableInFileName(QChar c)
{
    if (c.isNull() || c.unicode() < 32)
        return false;
    static const QString refused = QStringLiteral("/\\:*?\"<>|");
    return !refused.contains(c);
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
            const QChar c = argument.size() > 4 ? argument[4] : QChar();
            if (usableInFileName(c))
                result.configuratie = QStringLiteral("CFG") + c.toLower();
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
