#include "support/language.h"

#include <QCoreApplication>
#include <array>

namespace {
constexpr int First = 99;
constexpr int Last = 599;
std::array<QString, Last - First + 1> table;
QString helpFile = QStringLiteral("Qlv2EN.chm");
} // namespace

QString Taaltekst(int index)
{
    if (index < First || index > Last)
        return {};
    return table[size_t(index - First)];
}

void LaadTaal(qint16 &index)
{
    for (QString &t : table)
        t.clear();
    TaalTabel source;
    switch (index) {
    case 1:
        source = TaalFrans();
        helpFile = QStringLiteral("Qlv2FR.chm");
        break;
    case 2:
        source = TaalNederlands();
        helpFile = QStringLiteral("Qlv2NL.chm");
        break;
    default:
        index = 0;
        source = TaalEngels();
        helpFile = QStringLiteral("Qlv2EN.chm");
        break;
    }
    for (int i = 0; i < source.count; ++i)
        table[size_t(source.rows[i].index - First)] = QString::fromUtf16(source.rows[i].text);
    emit LanguageNotifier::instance().languageLoaded();
}

qint16 ZoekTaalIndex(const QString &name)
{
    for (qint16 i = 0; i <= 2; ++i) {
        qint16 index = i;
        LaadTaal(index);
        if (Taaltekst(500) == name)
            return i;
    }
    qint16 english = 0;
    LaadTaal(english);
    return 0;
}

QString HelpBestand() { return helpFile; }

QString HelpCommando()
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + helpFile;
}

LanguageNotifier &LanguageNotifier::instance()
{
    static LanguageNotifier notifier;
    return notifier;
}
