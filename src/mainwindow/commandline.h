#pragma once
#include <QString>
#include <QStringList>

// What the command line asks for. Switches are recognised in any letter case; every other
// argument names a data file, kept exactly as given (case and "/" belong to Linux paths).
struct Opdrachtregel {
    QString configuratie = QStringLiteral("CFG"); // "CFG", or "CFG" and the character after cfg=
    bool systeemInfo = false;                     // "/sysinfo" was given
    QString gegevensbestand;                      // the last data file argument, as given
};

// Takes the program's arguments without the program name.
Opdrachtregel OntleedArgumenten(const QStringList &arguments);

// File names and the registry application name of a configuration.
struct Configuratie {
    QString InstellingenExtensie; // "." and the configuration name
    QString InstellingenBestand;  // "Qlv2" and the extension
    QString RegisterNaam;         // "QLV2-" and the configuration name
};
Configuratie ConfiguratieVan(const QString &configuratie);
