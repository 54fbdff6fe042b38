#include "support/language.h"

#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

namespace {

using Table = QMap<int, QString>;

Table rowsOf(const TaalTabel &table)
{
    Table result;
    for (int i = 0; i < table.count; ++i)
        result.insert(table.rows[i].index, QString::fromUtf16(table.rows[i].text));
    return result;
}

Table tableOf(int language)
{
    switch (language) {
    case 1:
        return rowsOf(TaalFrans());
    case 2:
        return rowsOf(TaalNederlands());
    default:
        return rowsOf(TaalEngels());
    }
}

// The indexes no language writes; callers rely on them reading as empty (a tool tip that must
// stay blank, for one).
QSet<int> neverWritten()
{
    const QList<QPair<int, int>> ranges = {
        {324, 324}, {328, 331}, {361, 379}, {381, 383}, {385, 388}, {390, 399}, {403, 413},
        {415, 417}, {426, 426}, {430, 435}, {439, 439}, {441, 441}, {447, 448}, {450, 469},
        {478, 479}, {482, 498}};
    QSet<int> result;
    for (const auto &[from, to] : ranges)
        for (int i = from; i <= to; ++i)
            result.insert(i);
    return result;
}

// What callers replace in a text, sorted so that a translation may reorder them.
QStringList placeholders(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("#+|\\$\\$|XX|YY"));
    QStringList found;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    return found;
}

// The layout that message boxes depend on: the lines between CR LF pairs, each reduced to whether
// it is empty, its indentation and whether it ends in a blank (texts are joined to names).
QStringList shape(const QString &text)
{
    QStringList result;
    for (const QString &line : text.split(QStringLiteral("\r\n"))) {
        qsizetype indent = 0;
        while (indent < line.size() && line[indent] == u' ')
            ++indent;
        result << QStringLiteral("%1/%2/%3")
                      .arg(line.isEmpty() ? QStringLiteral("empty") : QStringLiteral("text"))
                      .arg(indent)
                      .arg(line.endsWith(u' ') ? QStringLiteral("blank") : QString());
    }
    return result;
}

} // namespace

class TestLanguage : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        qint16 english = 0;
        LaadTaal(english);
    }

    void englishTableCoversTheVocabulary()
    {
        const Table english = tableOf(0);
        const QSet<int> never = neverWritten();
        QCOMPARE(never.size(), 105);
        // 307 older texts, 12 of the system-information window, 2 of printing, 1 of entries taken
        // instead, 2 of data files read with changes or changed under pending edits, 1 for the
        // name of edits kept apart, 3 of the terminal, 4 of the counts of such changes in the
        // singular and the plural
        QCOMPARE(english.size(), 332);
        for (int i = 99; i <= 510; ++i)
            QVERIFY2(english.contains(i) != never.contains(i), qPrintable(QString::number(i)));
    }

    void tableRowsAreWellFormed_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 0;
        QTest::newRow("French") << 1;
        QTest::newRow("Dutch") << 2;
    }
    void tableRowsAreWellFormed()
    {
        QFETCH(int, language);
        const TaalTabel table = language == 1 ? TaalFrans() : language == 2 ? TaalNederlands()
                                                                             : TaalEngels();
        QSet<int> seen;
        for (int i = 0; i < table.count; ++i) {
            const int index = table.rows[i].index;
            const QString text = QString::fromUtf16(table.rows[i].text);
            const QByteArray where = QByteArray::number(index);
            QVERIFY2(index >= 99 && index <= 599, where);
            QVERIFY2(!seen.contains(index), "index written twice: " + where);
            seen.insert(index);
            QVERIFY2(!text.isEmpty(), where);
            // A lone CR or LF shows as a box or breaks differently from the others.
            QString withoutPairs = text;
            withoutPairs.remove(QStringLiteral("\r\n"));
            QVERIFY2(!withoutPairs.contains(u'\r') && !withoutPairs.contains(u'\n'), where);
            // An access-key mark must mark a character.
            for (qsizetype at = text.indexOf(u'&'); at >= 0; at = text.indexOf(u'&', at + 1))
                QVERIFY2(at + 1 < text.size() && text[at + 1].isLetterOrNumber(), where);
        }
        QCOMPARE(table.rows[table.count - 1].index, 571);
    }

    void translationMatchesEnglish_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("French") << 1;
        QTest::newRow("Dutch") << 2;
    }
    void translationMatchesEnglish()
    {
        QFETCH(int, language);
        const Table english = tableOf(0);
        const Table translated = tableOf(language);
        QCOMPARE(QList<int>(translated.keys()), QList<int>(english.keys()));
        for (auto it = english.cbegin(); it != english.cend(); ++it) {
            const QString &text = translated[it.key()];
            const QByteArray where = QByteArray::number(it.key()) + ": " + text.toUtf8();
            QVERIFY2(placeholders(text) == placeholders(it.value()), where);
            QVERIFY2(text.count(u'&') == it.value().count(u'&'), where);
            QVERIFY2(text.count(u'|') == it.value().count(u'|'), where);
            QVERIFY2(shape(text) == shape(it.value()), where);
            QVERIFY2(text.startsWith(u'\'') == it.value().startsWith(u'\''), where);
            QVERIFY2(text.endsWith(u'\'') == it.value().endsWith(u'\''), where);
        }
        // Placeholders that turn up where English has none would be replaced by accident.
        QVERIFY(!translated[344].contains(QStringLiteral("XX")));
    }

    void fixedTexts_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("french");
        QTest::addColumn<QString>("dutch");
        auto row = [](int index, const char *en, const char *fr, const char *nl) {
            QTest::addRow("%d", index) << index << QString::fromUtf8(en) << QString::fromUtf8(fr)
                                       << QString::fromUtf8(nl);
        };
        row(99, "&Yes", "&Oui", "&Ja");
        row(100, "&No", "&Non", "&Nee");
        row(140, "&OK", "&OK", "&OK");
        row(141, "&Cancel", "&Annuler", "&Annuleren");
        row(279, "&Retry", "&Réessayer", "&Opnieuw");
        row(280, "&Ignore", "&Ignorer", "&Negeren");
        row(183, "Do you wish to save the settings?", "Voulez vous sauvegarder la configuration?",
            "Wenst u de instellingen op te slaan?");
        row(294, "Reading error", "Erreur de lecture", "Fout bij uitlezen");
        row(298, "Message", "Message", "Melding");
        row(299, "Error", "Erreur", "Fout");
        row(317, "Relays", "Relais", "Relais");
        row(318, "Remarks", "Remarques", "Opmerkingen");
        row(319, "Control", "Régulation", "Regeling");
        row(327, "Set a stop time passing the time to start!",
            "Mettez un temps d'arrêt qui dépasse le moment du début!",
            "Geef een stoptijdstip voorbij het starttijdstip in!");
        row(238, "Version", "Version", "Versie");
        row(239, "Qelvane", "Qelvane", "Qelvane");
        row(500, "English", "Français", "Nederlands");
        row(501, "Device row ## has no valid identification number (1 to 999)!",
            "L'appareil de la ligne ## n'a pas de numéro d'identification valable (1 à 999)!",
            "Apparaat in rij ## heeft geen geldig identificatienummer (1 tot 999)!");
        row(502, "Records not written: ##", "Enregistrements non écrits : ##",
            "Niet geschreven metingen: ##");
        row(503, "The disk is full: # cannot be written!",
            "Le disque est plein : impossible d'écrire # !",
            "De schijf is vol: # kan niet geschreven worden!");
        row(504, "No permission to write #!", "Pas d'autorisation d'écrire # !",
            "Geen toestemming om # te schrijven!");
        row(505, "# cannot be written!", "Impossible d'écrire # !", "# kan niet geschreven worden!");
        row(507, "This application is already active!", "Cette application est déjà active !",
            "Deze toepassing is al actief!");
        row(508, "PDF file", "Fichier PDF", "PDF-bestand");
        row(510, "The settings file # was damaged when it was read. Write the present settings over it?",
            "Le fichier de configuration # était endommagé à la lecture. Écraser ce fichier avec la "
            "configuration actuelle ?",
            "Het instellingenbestand # was beschadigd toen het gelezen werd. De huidige instellingen "
            "eroverheen schrijven?");
        row(520, "$$: # cannot be used as typed; ## is used instead.",
            "$$ : # ne peut pas être utilisé tel quel ; ## est utilisé à la place.",
            "$$: # kan niet gebruikt worden zoals ingevoerd; in plaats daarvan wordt ## gebruikt.");
        row(530, "Outgoing", "Sortant", "Uitgaand");
        row(531, "Incoming", "Entrant", "Inkomend");
        row(532, "Hexadecimal", "Hexadécimal", "Hexadecimaal");
    }
    void fixedTexts()
    {
        QFETCH(int, index);
        QFETCH(QString, english);
        QFETCH(QString, french);
        QFETCH(QString, dutch);
        const QStringList expected = {english, french, dutch};
        for (qint16 language = 0; language <= 2; ++language) {
            qint16 variable = language;
            LaadTaal(variable);
            QCOMPARE(Taaltekst(index), expected[language]);
        }
    }

    void makerNameStays()
    {
        for (qint16 language = 0; language <= 2; ++language) {
            qint16 variable = language;
            LaadTaal(variable);
            QVERIFY2(Taaltekst(244).contains(QStringLiteral("MARQUEL")), qPrintable(Taaltekst(244)));
        }
    }

    void loadFillsEveryIndex_data()
    {
        QTest::addColumn<qint16>("language");
        QTest::addColumn<QString>("helpFile");
        QTest::newRow("English") << qint16(0) << "Qlv2EN.chm";
        QTest::newRow("French") << qint16(1) << "Qlv2FR.chm";
        QTest::newRow("Dutch") << qint16(2) << "Qlv2NL.chm";
    }
    void loadFillsEveryIndex()
    {
        QFETCH(qint16, language);
        QFETCH(QString, helpFile);
        qint16 variable = language;
        LaadTaal(variable);
        QCOMPARE(variable, language);
        QCOMPARE(HelpBestand(), helpFile);
        QVERIFY(HelpCommando().endsWith(helpFile));
        const Table expected = tableOf(language);
        const QSet<int> never = neverWritten();
        for (int i = 99; i <= 510; ++i) {
            QCOMPARE(Taaltekst(i), expected.value(i));
            if (never.contains(i))
                QVERIFY(Taaltekst(i).isEmpty());
        }
        QVERIFY(Taaltekst(98).isEmpty());
        QVERIFY(Taaltekst(511).isEmpty());
    }

    void unknownIndexLoadsEnglish_data()
    {
        QTest::addColumn<qint16>("language");
        QTest::newRow("3") << qint16(3);
        QTest::newRow("-1") << qint16(-1);
        QTest::newRow("32767") << qint16(32767);
    }
    void unknownIndexLoadsEnglish()
    {
        QFETCH(qint16, language);
        qint16 french = 1;
        LaadTaal(french);
        qint16 variable = language;
        LaadTaal(variable);
        QCOMPARE(variable, qint16(0));
        QCOMPARE(Taaltekst(500), QStringLiteral("English"));
        QCOMPARE(Taaltekst(141), QStringLiteral("&Cancel"));
        QCOMPARE(HelpBestand(), QStringLiteral("Qlv2EN.chm"));
    }

    void switchLeavesNothingOfThePreviousLanguage()
    {
        qint16 french = 1;
        LaadTaal(french);
        qint16 dutch = 2;
        LaadTaal(dutch);
        const Table expected = tableOf(2);
        for (int i = 99; i <= 510; ++i)
            QCOMPARE(Taaltekst(i), expected.value(i));
        QVERIFY(Taaltekst(398).isEmpty());
    }

    void findLanguage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint16>("expected");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("English") << "English" << qint16(0) << "English";
        QTest::newRow("French") << "Français" << qint16(1) << "Français";
        QTest::newRow("Dutch") << "Nederlands" << qint16(2) << "Nederlands";
        QTest::newRow("case differs") << "français" << qint16(0) << "English";
        QTest::newRow("accent differs") << "Francais" << qint16(0) << "English";
        QTest::newRow("trailing blank") << "Nederlands " << qint16(0) << "English";
        QTest::newRow("unknown") << "Deutsch" << qint16(0) << "English";
        QTest::newRow("empty") << "" << qint16(0) << "English";
    }
    void findLanguage()
    {
        QFETCH(QString, name);
        QFETCH(qint16, expected);
        QFETCH(QString, loaded);
        qint16 french = 1;
        LaadTaal(french);
        QCOMPARE(ZoekTaalIndex(name), expected);
        QCOMPARE(Taaltekst(500), loaded);
        QCOMPARE(Taaltekst(141), tableOf(expected).value(141));
    }

    void loadSignalsEveryLoad_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("loads");
        QTest::newRow("English") << "English" << 1;
        QTest::newRow("French") << "Français" << 2;
        QTest::newRow("Dutch") << "Nederlands" << 3;
        QTest::newRow("no match, English again") << "Deutsch" << 4;
    }
    void loadSignalsEveryLoad()
    {
        QFETCH(QString, name);
        QFETCH(int, loads);
        QSignalSpy spy(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded);
        qint16 dutch = 2;
        LaadTaal(dutch);
        QCOMPARE(spy.count(), 1);
        spy.clear();
        // Windows re-label themselves from the signal, so the new texts must be in place by then.
        QStringList seen;
        auto connection = QObject::connect(&LanguageNotifier::instance(),
                                           &LanguageNotifier::languageLoaded,
                                           [&seen] { seen << Taaltekst(500); });
        ZoekTaalIndex(name);
        QObject::disconnect(connection);
        QCOMPARE(spy.count(), loads);
        QCOMPARE(seen.size(), loads);
        QCOMPARE(seen.last(), Taaltekst(500));
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
