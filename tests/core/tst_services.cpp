#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "support/language.h"
#include "support/progress.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

using namespace Hoofdmodule;

class TestServices : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QStringList recentKeys() const
    {
        QStringList out;
        for (int n = 1; n <= 4; ++n) {
            const QString key = QStringLiteral("RecentFile%1").arg(n);
            if (Registry::contains(RegisterNaam, "Recent Files", key))
                out << key + "=" + Registry::read(RegisterNaam, "Recent Files", key);
        }
        return out;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        RegisterNaam = QStringLiteral("QLV2-SERVICES-TEST");
        QVERIFY(m_dir.isValid());
        DataMap = m_dir.path();
        qint16 english = 0;
        LaadTaal(english);
    }

    void init()
    {
        for (int n = 1; n <= 4; ++n)
            Registry::remove(RegisterNaam, "Recent Files", QStringLiteral("RecentFile%1").arg(n));
        dataViews() = DataViews();
        LaatsteMap = DataMap;
        AlleenLezen = false;
        InstellingenGewijzigd = false;
    }

    void kortPad_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("result");
        const QString forty = "C:\\data\\measurements\\2026\\january\\r1.csv";
        QTest::newRow("40 characters at 25") << forty << 25 << forty.left(5) + "..." + forty.right(16);
        QTest::newRow("length below 6 becomes 25") << forty << 3 << forty.left(5) + "..." + forty.right(16);
        QTest::newRow("short path unchanged") << "C:\\a.csv" << 25 << "C:\\a.csv";
    }

    void kortPad()
    {
        QFETCH(QString, path);
        QFETCH(int, length);
        QFETCH(QString, result);
        QCOMPARE(KortPad(path, qint16(length)), result);
    }

    void splitsPad_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("network");
        QTest::newRow("drive and folder") << "C:\\data\\run.csv" << "C:\\data\\" << false;
        QTest::newRow("Linux folder") << "/home/u/run.csv" << "/home/u/" << false;
        QTest::newRow("name alone") << "run.csv" << "<data>/" << false;
        QTest::newRow("empty") << "" << "<data>/" << false;
        QTest::newRow("network share") << "\\\\server\\share\\run.csv" << "\\\\server\\share\\" << true;
        QTest::newRow("network share, slashes") << "//server/share/run.csv" << "//server/share/" << true;
    }

    void splitsPad()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(bool, network);
        bool flag = !network;
        folder.replace("<data>", DataMap);
        QCOMPARE(SplitsPad(path, &flag), folder);
        QCOMPARE(flag, network);
    }

    void vensterSoort_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("kind");
        QTest::newRow("rack") << "meting12" << 12;
        QTest::newRow("graph") << "grafiek3" << 3;
        QTest::newRow("table") << "tabel" << 0;
        QTest::newRow("terminal") << "terminal" << 0;
    }

    void vensterSoort()
    {
        QFETCH(QString, tag);
        QFETCH(int, kind);
        QCOMPARE(VensterSoort(tag), kind);
    }

    void controleerTussentijd_data()
    {
        QTest::addColumn<int>("in");
        QTest::addColumn<int>("out");
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("86401") << 86401 << 1;
        QTest::newRow("86400") << 86400 << 86400;
        QTest::newRow("negative") << -5 << 1;
    }

    void controleerTussentijd()
    {
        QFETCH(int, in);
        QFETCH(int, out);
        QCOMPARE(ControleerTussentijd(in), out);
    }

    void volgendToestel()
    {
        ResetToestellen();
        qint16 slot = 0;
        QVERIFY(!VolgendToestel(slot));
        QCOMPARE(slot, qint16(32));
        QCOMPARE(AantalToestellen(), 0);
        for (int d : {4, 9}) {
            Toestel[d].Type = "T542";
            Toestel[d].Idno = d;
            Toestel[d].Kanalen = 1;
        }
        slot = 0;
        QVERIFY(VolgendToestel(slot));
        QCOMPARE(slot, qint16(4));
        slot = 5;
        QVERIFY(!VolgendToestel(slot));
        QCOMPARE(slot, qint16(6));
        QCOMPARE(AantalToestellen(), 2);
        ResetToestellen();
    }

    void readOnlyByPermissionBits()
    {
        const QString path = m_dir.filePath("ro.csv");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(!IsAlleenLezen(path));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(IsAlleenLezen(path)); // also when we are root and could write it
        QVERIFY(!IsAlleenLezen(m_dir.filePath("missing.csv")));

        ScriptedDialogProvider dialogs;
        dialogs.answerFile(path);
        QCOMPARE(KiesBestandOpenen("x.csv", ".csv", 182), path);
        QCOMPARE(LaatsteAntwoord, qint16(1));
        QCOMPARE(LaatsteMap, m_dir.path());
        QCOMPARE(dialogs.requests()[0].title, Taaltekst(187));
        // Choosing only names the file; File > Open, which opens it as the data file, sets the
        // flag.
        QVERIFY(!AlleenLezen);
        dialogs.answerFile(path);
        QString name = m_dir.filePath("x.csv");
        OpenMeetbestand(name);
        QCOMPARE(Meetbestandsnaam, path);
        QVERIFY(AlleenLezen);
    }

    void openCancelled()
    {
        ScriptedDialogProvider dialogs;
        QCOMPARE(KiesBestandOpenen("x.csv", ".csv", 182), QString());
        QCOMPARE(LaatsteAntwoord, qint16(2));
        QString name = "/keep/this.csv";
        Meetbestandsnaam = name;
        OpenMeetbestand(name);
        QCOMPARE(Meetbestandsnaam, QStringLiteral("/keep/this.csv"));
    }

    void saveDialogRefusesNetworkFolders_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Retry, then a local folder") << int(MsgBox::Retry);
        QTest::newRow("Cancel") << int(MsgBox::Cancel);
    }

    void saveDialogRefusesNetworkFolders()
    {
        QFETCH(int, answer);
        ScriptedDialogProvider dialogs;
        dialogs.answerFile("//server/share/run.csv");
        dialogs.answerMessage(answer);
        dialogs.answerFile(m_dir.filePath("local.csv"));
        AlleenLezen = true;
        const QString chosen = KiesBestandOpslaan("run.csv", ".csv", 182, 186, 0);
        QCOMPARE(dialogs.messageTexts(), QStringList{Taaltekst(189)});
        if (answer == MsgBox::Retry) {
            QCOMPARE(chosen, m_dir.filePath("local.csv"));
            QCOMPARE(LaatsteAntwoord, qint16(1));
            // The dialog names a file, it does not open one: the data's read-only state is
            // left to whoever takes the name as the data file (Data > Transfer does not).
            QVERIFY(AlleenLezen);
        } else {
            QCOMPARE(chosen, QStringLiteral("Untitled.csv"));
            QCOMPARE(LaatsteAntwoord, qint16(2));
        }
    }

    void colourDialog()
    {
        ScriptedDialogProvider dialogs;
        dialogs.answerColour(QColor(1, 2, 3));
        dialogs.answerColour(std::nullopt);
        qint32 kleur = 0xFF0000; // blue
        KiesKleur(kleur);
        QCOMPARE(kleur, 1 + 2 * 256 + 3 * 65536);
        QCOMPARE(LaatsteAntwoord, qint16(1));
        KiesKleur(kleur);
        QCOMPARE(kleur, 1 + 2 * 256 + 3 * 65536);
        QCOMPARE(LaatsteAntwoord, qint16(2));
        QCOMPARE(RoodDeel(kleur), 1);
        QCOMPARE(GroenDeel(kleur), 2);
        QCOMPARE(BlauwDeel(kleur), 3);
    }

    void fontDialog_data()
    {
        QTest::addColumn<bool>("effects");
        QTest::addColumn<bool>("freeSize");
        QTest::addColumn<bool>("richText");
        QTest::newRow("fixed size, no effects") << false << false << false;
        QTest::newRow("free size with effects") << true << true << false;
        QTest::newRow("fixed size with effects") << true << false << false;
        QTest::newRow("rich-text box keeps its colour") << true << true << true;
    }

    void fontDialog()
    {
        QFETCH(bool, effects);
        QFETCH(bool, freeSize);
        QFETCH(bool, richText);
        mdiQLV2 main;
        KoppelDataDiensten(main);
        main.toolButton("tbrSaveSettings")->setEnabled(false);
        int stops = 0;
        dataViews().stopVerbinding = [&] { ++stops; };
        QLabel label;
        QTextEdit box;
        QWidget &target = richText ? static_cast<QWidget &>(box) : label;
        QFont start("DejaVu Sans", 10);
        target.setFont(start);
        const QColor startColour(0, 0, 128);
        QPalette palette = target.palette();
        palette.setColor(QPalette::WindowText, startColour);
        target.setPalette(palette);
        QFont chosen("DejaVu Serif", 20);
        chosen.setBold(true);
        chosen.setUnderline(true);
        ScriptedDialogProvider dialogs;
        dialogs.answerFontChoice(FontChoice{chosen, QColor(Qt::red)});
        KiesLettertype(&target, effects, freeSize);
        QCOMPARE(stops, 1);

        // The dialog is told what it may offer.
        QCOMPARE(dialogs.requests().size(), 1);
        const FontRequest &asked = dialogs.requests().constFirst().font;
        QCOMPARE(asked.title, QStringLiteral("Change Font"));
        QCOMPARE(asked.font.family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(asked.sizeLocked, !freeSize);
        QCOMPARE(asked.effects, effects);
        QCOMPARE(asked.colour, richText ? QColor() : startColour);

        QCOMPARE(target.font().family(), QStringLiteral("DejaVu Serif"));
        QVERIFY(target.font().bold());
        QCOMPARE(target.font().pointSize(), freeSize ? 20 : 10);
        QCOMPARE(target.font().underline(), effects);
        const QColor expected = effects && !richText ? QColor(Qt::red) : startColour;
        QCOMPARE(target.palette().color(QPalette::WindowText), expected);
        QVERIFY(InstellingenGewijzigd);
        QVERIFY(main.toolButton("tbrSaveSettings")->isEnabled());

        // Cancel changes nothing, but logging was stopped all the same.
        InstellingenGewijzigd = false;
        KiesLettertype(&target, effects, freeSize);
        QCOMPARE(stops, 2);
        QCOMPARE(target.font().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(target.palette().color(QPalette::WindowText), expected);
        QVERIFY(!InstellingenGewijzigd);
    }

    void askToSaveSettings_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("unchanged: no question") << false << 0 << false;
        QTest::newRow("No") << true << int(MsgBox::No) << false;
        QTest::newRow("Cancel") << true << int(MsgBox::Cancel) << true;
    }

    void askToSaveSettings()
    {
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(bool, cancelled);
        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(answer);
        InstellingenGewijzigd = changed;
        bool cancel = false;
        VraagBewarenInstellingen(&cancel);
        QCOMPARE(cancel, cancelled);
        QCOMPARE(dialogs.requests().size(), changed ? 1 : 0);
        if (changed) {
            QCOMPARE(dialogs.requests()[0].flags, MsgBox::YesNoCancel | MsgBox::Question);
            QCOMPARE(LaatsteAntwoord, qint16(answer));
        }
    }

    void recentFiles()
    {
        mdiQLV2 main;
        KoppelDataDiensten(main);
        for (const char *n : {"a.csv", "b.csv", "c.csv", "d.csv", "e.csv"})
            ToevoegenRecentBestand(n);
        QCOMPARE(recentKeys(), (QStringList{"RecentFile1=e.csv", "RecentFile2=d.csv",
                                            "RecentFile3=c.csv", "RecentFile4=b.csv"}));
        ToevoegenRecentBestand("d.csv"); // no look for duplicates
        QCOMPARE(RecenteBestanden(), (QStringList{"d.csv", "e.csv", "d.csv", "c.csv"}));
        VerwijderRecentBestand("e.csv");
        QCOMPARE(recentKeys(), (QStringList{"RecentFile1=d.csv", "RecentFile2=d.csv",
                                            "RecentFile3=c.csv"}));
        QVERIFY(main.menuItem("SeparatorRecentFiles")->isVisible());
        QCOMPARE(main.menuItem("mnuRecentFile2")->text(), QStringLiteral("c.csv"));
        QVERIFY(!main.menuItem("mnuRecentFile3")->isVisible());
        VerwijderRecentBestand("d.csv");
        VerwijderRecentBestand("c.csv");
        // An emptied list leaves no stale entry on the menu.
        QVERIFY(recentKeys().isEmpty());
        QVERIFY(!main.menuItem("SeparatorRecentFiles")->isVisible());
        QVERIFY(!main.menuItem("mnuRecentFile0")->isVisible());
    }

    void toolbarButtonsByIndex()
    {
        mdiQLV2 main;
        KoppelDataDiensten(main);
        WerkbalkKnoppenUit(13);
        QVERIFY(!main.toolButton("tbrMeasure")->isEnabled());
        WerkbalkKnoppenAan(13);
        QVERIFY(main.toolButton("tbrMeasure")->isEnabled());
        WerkbalkKnoppenUit(6);
        QVERIFY(!main.toolButton("tbrCopy")->isEnabled());
        WerkbalkKnoppenUit(5); // a separator: nothing
        AantalRijen = 0;
        InstellenWerkbalk(); // no active window
        QVERIFY(!main.toolButton("tbrCopy")->isEnabled());
        QVERIFY(!main.menuItem("mnuEditCopy")->isEnabled());
    }

    void progressWindow()
    {
        ToonVoortgang(0, 100, 0, "Working");
        QVERIFY(FrmVoortgang::isLoaded());
        QCOMPARE(FrmVoortgang::instance().LabelVoortgang->text(), QStringLiteral("Working"));
        bool cancelled = true;
        StapVoortgang(140, &cancelled); // a growing file passes its first length
        QVERIFY(!cancelled);
        QCOMPARE(FrmVoortgang::instance().ProgressBar->value(), 100);
        QTimer::singleShot(0, [] {
            QTest::mouseClick(FrmVoortgang::instance().CommandCancel, Qt::LeftButton);
        });
        StapVoortgang(50, &cancelled);
        QVERIFY(cancelled);
        QVERIFY(AfbrekenLaden);
        SluitVoortgang();
        QVERIFY(!FrmVoortgang::isLoaded());
        ToonVoortgang(0, 10, 0, "Again");
        QVERIFY(!AfbrekenLaden);
        SluitVoortgang();
    }
};

QTEST_MAIN(TestServices)
#include "tst_services.moc"
