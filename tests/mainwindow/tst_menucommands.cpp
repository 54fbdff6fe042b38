#include "boxcloser.h"

#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/datafilereader.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "instruments/pollloop.h"
#include "instruments/terminal.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/menucommands.h"
#include "mainwindow/sysinfo.h"
#include "mainwindow/wiring.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/registry.h"
#include "support/language.h"
#include "support/messagebox.h"
#include "support/wrappers.h"
#include "views/rack.h"
#include "views/table.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolBar>
#include <QSignalSpy>
#include <QtTest>

using namespace Hoofdmodule;

namespace {
struct ProgramWindow : mdiQLV2 {
    ProgramWindow() { KoppelHoofdvenster(*this); }
};

// A stand-in for a graph window: what the main window's commands see of one.
QMdiSubWindow *addGraph(mdiQLV2 &w, int number, const QString &caption)
{
    // In use before it shows: its activation sets the toolbar by the graphs in use.
    WindowSettings::graph[size_t(number)].resetToLoadDefaults(number);
    WindowSettings::graph[size_t(number)].GrafiekIndex = qint16(number);
    WindowSettings::graph[size_t(number)].caption = caption;
    ++AantalGrafieken;
    auto *graph = new QWidget;
    graph->setProperty("Tag", QStringLiteral("grafiek%1").arg(number));
    graph->setWindowTitle(caption);
    QMdiSubWindow *sub = w.mdiArea()->addSubWindow(graph);
    sub->resize(300, 200);
    sub->show();
    return sub;
}

QMdiSubWindow *subOf(QWidget *w) { return qobject_cast<QMdiSubWindow *>(w->parentWidget()); }

void openEdit(mdiQLV2 &w) { emit w.menu("mnuEdit")->aboutToShow(); }

void slot(int d, const char *name)
{
    Toestel[d].Type = QStringLiteral("T512");
    Toestel[d].Idno = qint32(d);
    Toestel[d].Kanalen = 2;
    Toestel[d].Actief = true;
    Toestel[d].Naam = QString::fromLatin1(name);
}

QStringList recent() { return RecenteBestanden(); }

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
void setRecent(const QStringList &names)
{
    for (int n = 1; n <= 4; ++n)
        Registry::remove(RegisterNaam, "Recent Files", QStringLiteral("RecentFile%1").arg(n));
    for (int n = 0; n < names.size(); ++n)
        Registry::write(RegisterNaam, "Recent Files", QStringLiteral("RecentFile%1").arg(n + 1),
                        names[n]);
}

// Every visible item of a menu, sub-menus included.
void collectItems(QMenu *menu, QList<QAction *> &out)
{
    for (QAction *a : menu->actions()) {
        if (a->isSeparator() || !a->isVisible())
            continue;
        out << a;
        if (a->menu())
            collectItems(a->menu(), out);
    }
}
} // namespace

// The commands of the main window's menus and toolbar, with the windows they act on.
class TestMenuCommands : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    QTimer boxCloser;
    std::unique_ptr<ScriptedDialogProvider> dialogs;
    std::unique_ptr<ProgramWindow> w;

    frmTabel *table() { return TabelVenster(); }
    QMdiSubWindow *tableSub() { return subOf(table()); }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        QStandardPaths::setTestModeEnabled(true);
        RegisterNaam = QStringLiteral("QLV2-MENUCOMMANDS");
        DataMap = home.path();
        qint16 english = 0;
        LaadTaal(english);
        closeMessageBoxesEvery(boxCloser);
    }
    void init()
    {
        ResetToestellen();
        slot(1, "Oven");
        slot(5, "Dryer");
        WindowSettings::reset();
        AantalGrafieken = 0;
        LoggenActief = false;
        MetenActief = false;
        AlleenLezen = false;
        RelatieveTijd = false;
        Meetbestandsnaam = home.filePath("run.csv");
        dialogs = std::make_unique<ScriptedDialogProvider>();
        w = std::make_unique<ProgramWindow>();
        w->resize(1000, 700);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        table()->StelTabelIn(false);
    }
    void cleanup()
    {
        menuHooks() = MenuHooks();
        w.reset();
        dialogs.reset();
    }

    // Ctrl+W is File > Save as, also while a child window is active: its own window menu does
    // not claim the key as well (with two owners Qt runs neither).
    void saveAsShortcutWithAChildActive()
    {
        tableSub()->show();
        w->mdiArea()->setActiveSubWindow(tableSub());
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        emit w->menu("mnuFile")->aboutToShow();
        QVERIFY(w->menuItem("mnuFileSaveAs")->isEnabled());
        QSignalSpy saveAs(w->menuItem("mnuFileSaveAs"), &QAction::triggered);
        QTest::keyClick(table(), Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(saveAs.size(), 1);
    }

    void editMenuFollowsTheActiveWindow()
    {
        openEdit(*w);
        QVERIFY(!w->menuItem("mnuEditCopySettings")->isEnabled()); // no child window yet
        tableSub()->show();
        w->mdiArea()->setActiveSubWindow(tableSub());
        openEdit(*w);
        // (Items of commands built with other windows count only once they are shown.)
        for (const char *item : {"mnuEditCopy", "mnuEditInfo", "mnuClearLine", "mnuDeleteLine",
                                 "mnuRelatieveTijd", "mnuEditCopySettings"})
            QVERIFY2(w->menuItem(item)->isEnabled() || !w->menuItem(item)->isVisible(), item);
        QVERIFY(!w->menuItem("mnuEditPasteSettings")->isEnabled());
        QVERIFY(!w->menuItem("mnuTimeOrigin")->isEnabled());
        QCOMPARE(w->menuItem("mnuEditCopySettings")->text(), QStringLiteral("C&opy settings (Table)"));
        QCOMPARE(w->menuItem("mnuEditPasteSettings")->text(), QStringLiteral("Repl&ace settings (Table)"));

        LoggenActief = true;
        openEdit(*w);
        for (QAction *a : w->menu("mnuEdit")->actions())
            if (!a->isSeparator())
                QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        LoggenActief = false;

        QMdiSubWindow *graph = addGraph(*w, 3, "Oven graph");
        w->mdiArea()->setActiveSubWindow(graph);
        openEdit(*w);
        QVERIFY(w->menuItem("mnuEditCopySettings")->isEnabled());
        QVERIFY(!w->menuItem("mnuEditInfo")->isEnabled());
        QVERIFY(!w->menuItem("mnuClearLine")->isEnabled());
        QCOMPARE(w->menuItem("mnuEditCopySettings")->text(), QStringLiteral("C&opy settings (Graph)"));
        // The toolbar followed the activation: graph settings on, font off.
        QAction *graphSettings = w->menuItem("mnuExtraSettingsGraph");
        QVERIFY(graphSettings->isEnabled() || !graphSettings->isVisible());
        QVERIFY(!w->toolButton("tbrFont")->isEnabled());
        QVERIFY(w->toolButton("tbrSaveSettings")->isEnabled());
    }

    void pasteBetweenTables_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No changes nothing") << int(MsgBox::No);
        QTest::newRow("Yes copies") << int(MsgBox::Yes);
    }
    void pasteBetweenTables()
    {
        QFETCH(int, answer);
        tableSub()->show();
        w->mdiArea()->setActiveSubWindow(tableSub());
        GridData &source = table()->MSHFlexGrid(0)->data();
        GridData &target = table()->MSHFlexGrid(4)->data();
        source.setColWidth(3, 0); // hidden columns are copied too
        source.setColWidth(13, 2345);
        QFont big("DejaVu Serif");
        big.setPointSizeF(14);
        big.setBold(true);
        source.setFont(big);
        source.setForeColor(QColor(0, 0, 200));
        const int widthBefore = target.colWidth(3);
        const QFont fontBefore = target.font();

        table()->setTab(0);
        w->menuItem("mnuEditCopySettings")->trigger();
        QVERIFY(w->KopieerSetTab);
        QVERIFY(!w->KopieerSetGraph);
        table()->setTab(4);
        dialogs->answerMessage(answer);
        w->menuItem("mnuEditPasteSettings")->trigger();
        QCOMPARE(dialogs->requests().size(), 1);
        const ScriptedDialogProvider::Request &q = dialogs->requests().first();
        QCOMPARE(q.text, QStringLiteral("Replace the settings from table 'Dryer'\r\nwith those from 'Oven' ?"));
        QCOMPARE(q.title, QStringLiteral("Replace settings"));
        QCOMPARE(q.flags, MsgBox::YesNo | MsgBox::Question);
        QCOMPARE(w->Antwoord, qint16(answer));
        if (answer == MsgBox::No) {
            QCOMPARE(target.colWidth(3), widthBefore);
            QCOMPARE(target.font(), fontBefore);
        } else {
            QCOMPARE(target.colWidth(3), 0);
            QCOMPARE(target.colWidth(13), 2345);
            QCOMPARE(target.font().family(), big.family());
            QCOMPARE(target.font().pointSizeF(), 14.0);
            QVERIFY(target.font().bold());
            QCOMPARE(target.foreColor(), QColor(0, 0, 200));
        }
        QVERIFY(w->KopieerSetTab); // the same copy can be pasted again
    }

    void pasteBetweenGraphs_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No changes nothing") << int(MsgBox::No);
        QTest::newRow("Yes copies") << int(MsgBox::Yes);
    }
    void pasteBetweenGraphs()
    {
        QFETCH(int, answer);
        QMdiSubWindow *three = addGraph(*w, 3, "Oven graph");
        QMdiSubWindow *five = addGraph(*w, 5, "Dryer graph");
        GraphSettings &from = WindowSettings::graph[3];
        from.AutomatischeSchaal = false;
        from.GrafiekMaximum = 250;
        from.AlarmHoog = true;
        from.AlarmHoogWaarde = 230;
        from.LegendeKeuze = true;
        from.ZetDiagramKleur(7, 0x00FF00);
        from.SchrijfGrafiekLijnRef(1, 1, 1); // source: slot 1
        from.SchrijfGrafiekLijnRef(1, 4, 1); // maximum line on
        from.TitelWaardenas = QStringLiteral("°C");
        GraphSettings &to = WindowSettings::graph[5];
        to.SchrijfGrafiekLijnRef(1, 1, 5);
        to.TitelWaardenas = QStringLiteral("%RH");
        const GraphSettings before = to;
        QList<int> applied;
        menuHooks().graphApply = [&applied](int g) { applied << g; };

        w->mdiArea()->setActiveSubWindow(three);
        w->menuItem("mnuEditCopySettings")->trigger();
        QVERIFY(w->KopieerSetGraph);
        QCOMPARE(w->Rs, qint16(3));
        w->mdiArea()->setActiveSubWindow(five);
        openEdit(*w);
        QVERIFY(w->menuItem("mnuEditPasteSettings")->isEnabled());
        dialogs->answerMessage(answer);
        w->menuItem("mnuEditPasteSettings")->trigger();
        QCOMPARE(dialogs->messageTexts(),
                 QStringList{"Replace the settings from graph 'Dryer graph'\r\nwith those from 'Oven graph' ?"});
        if (answer == MsgBox::No) {
            QVERIFY(to == before);
            QVERIFY(applied.isEmpty());
            return;
        }
        QCOMPARE(applied, QList<int>{5});
        QVERIFY(!to.AutomatischeSchaal);
        QCOMPARE(to.GrafiekMaximum, 250.0);
        QVERIFY(to.AlarmHoog);
        QCOMPARE(to.AlarmHoogWaarde, 230.0);
        QVERIFY(to.LegendeKeuze);
        QCOMPARE(to.GrafiekKleur(7), 0x00FF00);
        QCOMPARE(to.LeesGrafiekLijnRef(1, 4), qint16(1)); // the statistics switch came along
        QCOMPARE(to.LeesGrafiekLijnRef(1, 1), qint16(5)); // the line keeps its own source
        QCOMPARE(to.TitelWaardenas, QStringLiteral("%RH"));
        QCOMPARE(to.caption, QStringLiteral("Dryer graph"));
    }

    void copyOnOtherWindowsClearsTheCopy()
    {
        tableSub()->show();
        w->mdiArea()->setActiveSubWindow(tableSub());
        w->menuItem("mnuEditCopySettings")->trigger();
        QVERIFY(w->KopieerSetTab);
        QMdiSubWindow *graph = addGraph(*w, 2, "G");
        w->mdiArea()->setActiveSubWindow(graph);
        w->menuItem("mnuEditCopySettings")->trigger();
        QVERIFY(!w->KopieerSetTab); // only one kind can be pasted at a time
        QVERIFY(w->KopieerSetGraph);
        frmTerminal::instance()->mnuExtraTerminal_Click();
        w->mdiArea()->setActiveSubWindow(subOf(frmTerminal::instance()));
        openEdit(*w);
        QVERIFY(!w->menuItem("mnuEditCopySettings")->isEnabled());
        mnuEditCopySettings_Click(*w); // as the command would if it were reached
        QVERIFY(!w->KopieerSetTab);
        QVERIFY(!w->KopieerSetGraph);
        w->menuItem("mnuEditPasteSettings")->trigger();
        QVERIFY(dialogs->requests().isEmpty());
    }

    void recentFiles_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("new name on top, the fifth dropped")
            << QStringList{"/d/B.csv", "/d/C.csv", "/d/D.csv", "/d/E.csv"} << "/d/A.csv"
            << QStringList{"/d/A.csv", "/d/B.csv", "/d/C.csv", "/d/D.csv"};
        QTest::newRow("second, other letter case, moves to the top")
            << QStringList{"/d/A.csv", "/d/B.csv", "/d/C.csv"} << "/d/b.CSV"
            << QStringList{"/d/b.CSV", "/d/A.csv", "/d/C.csv"};
        QTest::newRow("last moves to the top")
            << QStringList{"/d/A.csv", "/d/B.csv", "/d/C.csv", "/d/D.csv"} << "/d/D.csv"
            << QStringList{"/d/D.csv", "/d/A.csv", "/d/B.csv", "/d/C.csv"};
        QTest::newRow("first stays") << QStringList{"/d/A.csv", "/d/B.csv"} << "/d/A.csv"
                                     << QStringList{"/d/A.csv", "/d/B.csv"};
        QTest::newRow("empty list") << QStringList{} << "/d/A.csv" << QStringList{"/d/A.csv"};
        const QString today = VervangDatum(QStringLiteral("/d/run#date#.csv"));
        QTest::newRow("date filled in") << QStringList{"/d/A.csv"} << "/d/run#date#.csv"
                                        << QStringList{today, "/d/A.csv"};
    }
    void recentFiles()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, opened);
        QFETCH(QStringList, after);
        setRecent(before);
        UpdateFileMenu(opened);
        QCOMPARE(recent(), after);
        for (int i = 0; i < 4; ++i) {
            QAction *entry = w->menuItem(QStringLiteral("mnuRecentFile%1").arg(i));
            QCOMPARE(entry->isVisible(), i < after.size());
            if (i < after.size())
                QCOMPARE(entry->text(), after[i]);
        }
        QVERIFY(w->menuItem("SeparatorRecentFiles")->isVisible());
    }

    void removedLastNameEmptiesTheMenu()
    {
        setRecent({"/d/A.csv"});
        VulRecenteBestanden();
        QVERIFY(w->menuItem("mnuRecentFile0")->isVisible());
        VerwijderRecentBestand(QStringLiteral("/d/A.csv"));
        QVERIFY(recent().isEmpty());
        QVERIFY(!w->menuItem("SeparatorRecentFiles")->isVisible());
        for (int i = 0; i < 4; ++i)
            QVERIFY(!w->menuItem(QStringLiteral("mnuRecentFile%1").arg(i))->isVisible());
    }

    void fileOpenAddsTheFileOnce()
    {
        const QString a = home.filePath("a.csv");
        QFile file(a);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\"Time\"\r\n");
        file.close();
        setRecent({"/d/B.csv", a});
        dialogs->answerFile(a);
        w->menuItem("mnuFileOpen")->trigger();
        QCOMPARE(Meetbestandsnaam, a);
        QCOMPARE(recent(), (QStringList{a, "/d/B.csv"}));
    }

    // A write-protected data file takes no edits, whichever road opened it.
    void openedReadOnlyByEveryRoad_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<bool>("protectedFile");
        for (const char *road : {"File > Open", "recent entry"}) {
            QTest::addRow("%s, write-protected", road) << QString::fromLatin1(road) << true;
            QTest::addRow("%s, writable", road) << QString::fromLatin1(road) << false;
        }
    }
    void openedReadOnlyByEveryRoad()
    {
        QFETCH(QString, road);
        QFETCH(bool, protectedFile);
        const QString a = home.filePath(protectedFile ? "protected.csv" : "open.csv");
        QFile::setPermissions(a, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(writeBytes(a, "\"Time\"\r\n"));
        if (protectedFile)
            QVERIFY(QFile::setPermissions(a, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        AlleenLezen = !protectedFile;
        if (road == QLatin1String("File > Open")) {
            dialogs->answerFile(a);
            w->menuItem("mnuFileOpen")->trigger();
        } else {
            setRecent({a});
            VulRecenteBestanden();
            w->menuItem("mnuRecentFile0")->trigger();
        }
        QCOMPARE(Meetbestandsnaam, a);
        QCOMPARE(AlleenLezen, protectedFile);
        emit w->menu("mnuFile")->aboutToShow();
        QCOMPARE(w->menuItem("mnuFileSaveAs")->isEnabled(), !protectedFile);
        AlleenLezen = false;
    }

    void openOffersTheDatedWorkingCopy()
    {
        Meetbestandsnaam = home.filePath("run#date#.csv");
        const QString data = VervangDatum(Meetbestandsnaam);
        for (const QString &name : {data, data + QStringLiteral(".new")}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("x\r\n");
        }
        dialogs->answerMessage(MsgBox::Cancel);
        w->menuItem("mnuFileOpen")->trigger();
        QVERIFY(!dialogs->requests().isEmpty());
        QCOMPARE(dialogs->requests().first().kind, QStringLiteral("message"));
        for (const ScriptedDialogProvider::Request &r : dialogs->requests())
            QVERIFY(r.kind != QLatin1String("open")); // Cancel ends File > Open
        QCOMPARE(Meetbestandsnaam, home.filePath("run#date#.csv"));
    }

    // File > Save as and File > New settle a pending working copy first; Cancel ends them with
    // nothing changed and no file dialog.
    void newAndSaveAsSettleTheWorkingCopy_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        for (const char *command : {"mnuFileSaveAs", "mnuFileNew"}) {
            QTest::addRow("%s, Cancel", command) << QString::fromLatin1(command) << int(MsgBox::Cancel);
            QTest::addRow("%s, Yes", command) << QString::fromLatin1(command) << int(MsgBox::Yes);
            QTest::addRow("%s, No", command) << QString::fromLatin1(command) << int(MsgBox::No);
        }
    }
    void newAndSaveAsSettleTheWorkingCopy()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        Meetbestandsnaam = home.filePath("run#date#.csv");
        const QString data = VervangDatum(Meetbestandsnaam);
        QFile::remove(BackupNaam(data));
        QVERIFY(writeBytes(data, "\"Time\",\"old\"\r\n"));
        QVERIFY(writeBytes(data + ".new", "\"Time\",\"edited\"\r\n"));
        dialogs->answerMessage(answer);
        dialogs->answerMessage(MsgBox::Ok);
        dialogs->answerFile(QString()); // the file dialog, when it comes, is cancelled
        w->menuItem(command)->trigger();
        QVERIFY(!dialogs->requests().isEmpty());
        QCOMPARE(dialogs->requests().first().kind, QStringLiteral("message"));
        QCOMPARE(dialogs->requests().first().text, Taaltekst(424));
        QCOMPARE(dialogs->requests().first().title, data);
        bool fileDialog = false;
        for (const ScriptedDialogProvider::Request &r : dialogs->requests())
            fileDialog = fileDialog || r.kind == QLatin1String("save");
        QCOMPARE(fileDialog, answer != MsgBox::Cancel);
        QCOMPARE(Meetbestandsnaam, home.filePath("run#date#.csv"));
        if (answer == MsgBox::Yes) {
            QCOMPARE(readFile(data), QByteArray("\"Time\",\"edited\"\r\n"));
            QCOMPARE(readFile(BackupNaam(data)), QByteArray("\"Time\",\"old\"\r\n"));
        } else {
            QCOMPARE(readFile(data), QByteArray("\"Time\",\"old\"\r\n"));
            QVERIFY(!QFile::exists(BackupNaam(data)));
        }
        QCOMPARE(QFile::exists(data + ".new"), answer == MsgBox::Cancel);
    }

    void readSettingsTakesOnlyAFileThatIsThere_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::newRow("there: read") << true;
        QTest::newRow("deleted meanwhile: nothing changes") << false;
    }
    void readSettingsTakesOnlyAFileThatIsThere()
    {
        QFETCH(bool, exists);
        const QString chosen = home.filePath(exists ? "other.CFG" : "gone.CFG");
        if (exists) {
            QFile file(chosen);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        InstellingenBestandsnaam = home.filePath("Qlv2.CFG");
        InstellingenHerladen = false;
        dialogs->answerFile(chosen);
        w->menuItem("mnuReadSettings")->trigger();
        QCOMPARE(InstellingenHerladen, exists);
        QCOMPARE(InstellingenBestandsnaam, exists ? chosen : home.filePath("Qlv2.CFG"));
        InstellingenHerladen = false;
    }

    // Read settings starts from the settings file in use: after Save settings as into another
    // folder, in that folder with that file.
    void readSettingsStartsAtTheFileInUse()
    {
        QVERIFY(QDir(home.path()).mkpath("elsewhere"));
        const QString saved = home.filePath("elsewhere/Mine.CFG");
        InstellingenBestandsnaam = home.filePath("Qlv2.CFG");
        dialogs->answerFile(saved);
        w->menuItem("mnuSaveSettingsAs")->trigger();
        QCOMPARE(InstellingenBestandsnaam, saved);
        dialogs->answerFile(QString());
        w->menuItem("mnuReadSettings")->trigger();
        QCOMPARE(dialogs->requests().last().kind, QStringLiteral("open"));
        QCOMPARE(dialogs->requests().last().text, saved);
        QVERIFY(!InstellingenHerladen);
    }

    void rackFontKeepsTheUnitSizes()
    {
        FormRack *rack = RackVenster[1];
        QMdiSubWindow *sub = subOf(rack);
        sub->show();
        w->mdiArea()->setActiveSubWindow(sub);
        QFont value = rack->LabelWaarde(0)->font();
        value.setPointSize(14);
        rack->LabelWaarde(0)->setFont(value);
        for (int i = 0; i < 4; ++i) {
            QLabel *unit = rack->LabelEenheid(i);
            QFont f = unit->font();
            f.setPointSize(8);
            unit->setFont(f);
            QPalette p = unit->palette();
            p.setColor(QPalette::WindowText, Qt::blue);
            unit->setPalette(p);
        }
        FontChoice choice;
        choice.font = QFont("DejaVu Serif", 30);
        choice.font.setBold(true);
        dialogs->answerFontChoice(choice);
        w->toolButton("tbrFont")->trigger();
        QCOMPARE(dialogs->requests().size(), 1);
        QVERIFY(dialogs->requests().first().font.sizeLocked);
        QVERIFY(!dialogs->requests().first().font.effects);
        for (int i = 0; i < 4; ++i) {
            const QFont v = rack->LabelWaarde(i)->font();
            QCOMPARE(v.family(), QStringLiteral("DejaVu Serif"));
            QCOMPARE(v.pointSize(), 14);
            QVERIFY(v.bold());
            const QFont u = rack->LabelEenheid(i)->font();
            QCOMPARE(u.family(), QStringLiteral("DejaVu Serif"));
            QVERIFY(u.bold());
            QCOMPARE(u.pointSize(), 8);
            QCOMPARE(rack->LabelEenheid(i)->palette().color(QPalette::WindowText), QColor(Qt::blue));
        }
    }

    // Every road that opens a data file judges it by one rule: stray bytes in a data file are
    // read as blanks and told once, zeros at its end as well, and a file that is no data file is
    // refused, never becomes the data file and does not go on the recent-files list.
    void everyRoadJudgesAlike_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("records"); // -1: refused
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("cleaned");
        const QByteArray header = "\"Time\",\"Value Oven\"\r\n";
        auto record = [](int i, const QByteArray &remark) {
            const QDateTime t = QDateTime(QDate(2026, 1, 5), QTime(9, 0)).addSecs(i);
            QByteArray line = "\"" + t.toString("yyyy-MM-dd HH:mm:ss").toLatin1() + "\"";
            for (int f = 0; f < 10; ++f)
                line += ",\"" + QByteArray::number(i % 97 + f) + "\"";
            return line + ",\"" + remark + "\"\r\n";
        };
        QByteArray nul = header + record(0, "a") + record(1, QByteArray("b\0c", 3)) + record(2, "d");
        QByteArray powerLoss = header;
        for (int i = 0; i < 6000; ++i)
            powerLoss += record(i, QByteArray(150, char('a' + i % 26)));
        powerLoss += QByteArray(1 << 16, '\0');
        QByteArray random(20'000, Qt::Uninitialized);
        QRandomGenerator generator(29);
        for (char &c : random)
            c = char(generator.bounded(256));
        for (const char *road :
             {"command line", "start-up", "File > Open", "recent entry", "drop", "reload"}) {
            QTest::addRow("%s, one NUL in a remark", road) << QString::fromLatin1(road) << nul << 3 << 0 << 1;
            QTest::addRow("%s, zeros past the first MiB", road)
                << QString::fromLatin1(road) << powerLoss << 6000 << 1 << 0;
            QTest::addRow("%s, random bytes", road) << QString::fromLatin1(road) << random << -1 << 0 << 0;
        }
    }
    void everyRoadJudgesAlike()
    {
        QFETCH(QString, road);
        QFETCH(QByteArray, bytes);
        QFETCH(int, records);
        QFETCH(int, skipped);
        QFETCH(int, cleaned);
        if (records == 6000) // the zeros start past the first MiB
            QVERIFY(bytes.indexOf('\0') > (1 << 20));
        static int files = 0;
        const QString path = home.filePath(QStringLiteral("road%1.csv").arg(++files));
        QVERIFY(writeBytes(path, bytes));
        setRecent({"/d/B.csv"});
        // The program's own boxes, read and closed as they come (some do not wait), by this test
        // alone: the fixture's closer would take some away unread.
        boxCloser.stop();
        struct Restart {
            QTimer &t;
            ~Restart() { t.start(); }
        } restart{boxCloser};
        QStringList texts;
        auto readBoxes = [&texts] {
            for (FormMelding *box : FormMelding::openBoxes()) {
                if (!box->isVisible())
                    continue;
                texts << box->MijnMelding;
                box->close();
            }
        };
        QTimer reader;
        connect(&reader, &QTimer::timeout, this, readBoxes);
        reader.start(5);
        if (road == "command line" || road == "start-up") {
            (road == "command line" ? BestandOpCommando : LaadBestand) = true;
            Meetbestandsnaam = path;
            pollHooks().loadDataFile();
            pollHooks().addRecentFile(Meetbestandsnaam);
            BestandOpCommando = LaadBestand = false;
        } else if (road == "File > Open") {
            dialogs->answerFile(path);
            w->menuItem("mnuFileOpen")->trigger();
        } else if (road == "recent entry") {
            setRecent({path, "/d/B.csv"});
            VulRecenteBestanden();
            w->menuItem("mnuRecentFile0")->trigger();
        } else if (road == "drop") {
            w->MDIForm_OLEDragDrop({path});
        } else {
            Meetbestandsnaam = path;
            LaadMeetbestand();
        }
        readBoxes();
        texts << dialogs->messageTexts();
        QCOMPARE(texts.contains(Taaltekst(312)), records < 0);
        QCOMPARE(readFile(path), bytes);
        if (records < 0) {
            QVERIFY(Meetbestandsnaam != path);
            QCOMPARE(recent().contains(path), road == "recent entry");
            return;
        }
        QCOMPARE(Meetbestandsnaam, path);
        QCOMPARE(AantalRijen, records);
        QCOMPARE(table()->MSHFlexGrid(0)->data().textMatrix(2, KolomOpmerking).trimmed(),
                 cleaned ? QStringLiteral("b c") : QString(150, QLatin1Char('b')));
        if (road != "reload")
            QCOMPARE(recent().value(0), path);
        QVERIFY2(texts.contains(StrayBytesMessage(path, skipped, cleaned)), qPrintable(texts.join(" | ")));
    }

    void missingCommandLineFileIsNotAdded()
    {
        setRecent({"/d/B.csv"});
        BestandOpCommando = true;
        pollHooks().addRecentFile(home.filePath("not-there.csv"));
        BestandOpCommando = false;
        QCOMPARE(recent(), QStringList{"/d/B.csv"});
    }

    void captionsAndTipsInEveryLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 0;
        QTest::newRow("French") << 1;
        QTest::newRow("Dutch") << 2;
    }
    void captionsAndTipsInEveryLanguage()
    {
        QFETCH(int, language);
        qint16 index = qint16(language);
        LaadTaal(index);
        QList<QAction *> items;
        for (QAction *title : w->menuBar()->actions()) {
            QVERIFY2(!title->text().isEmpty(), qPrintable(title->menu()->objectName()));
            collectItems(title->menu(), items);
        }
        for (QAction *a : items)
            QVERIFY2(!a->text().trimmed().isEmpty(), qPrintable(a->objectName()));
        for (QAction *b : w->findChild<QToolBar *>("Toolbar")->actions()) {
            if (b->isSeparator())
                continue;
            QVERIFY2(!b->toolTip().isEmpty() && !b->toolTip().contains(QLatin1Char('&')),
                     qPrintable(b->objectName()));
            QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
        }
        for (QAction *entry : w->toolButton("tbrGraph")->menu()->actions())
            QVERIFY(!entry->text().isEmpty() && !entry->text().contains(QLatin1Char('&')));
        for (const char *panel : {"Settings", "Connect", "Counter", "ConnectionTime"})
            QVERIFY2(!w->panel(panel)->toolTip().isEmpty(), panel);
        QCOMPARE(w->toolButton("tbrGraph")->menu()->actions().at(0)->text(), Taaltekst(357));
        index = 0;
        LaadTaal(index);
    }

    void windowMenuListsTheOpenWindows()
    {
        tableSub()->show();
        QMdiSubWindow *graph = addGraph(*w, 4, "Pressure");
        w->mdiArea()->setActiveSubWindow(graph);
        QMenu *menu = w->menu("mnuWindow");
        emit menu->aboutToShow();
        QAction *first = menu->findChild<QAction *>("mnuWindowList1");
        QAction *second = menu->findChild<QAction *>("mnuWindowList2");
        QVERIFY(first && second);
        QVERIFY(!menu->findChild<QAction *>("mnuWindowList3")); // hidden windows are not listed
        QVERIFY(first->text().endsWith(tableSub()->windowTitle()));
        QVERIFY(!first->isChecked());
        QVERIFY(second->text().endsWith(QStringLiteral("Pressure")));
        QVERIFY(second->isChecked());
        QVERIFY(!w->menuItem("mnuWindowFont")->isEnabled()); // a graph is active
        first->trigger();
        QCOMPARE(w->mdiArea()->activeSubWindow(), tableSub());
        emit menu->aboutToShow(); // built anew, not added to
        QVERIFY(menu->findChild<QAction *>("mnuWindowList1")->isChecked());
        QVERIFY(!menu->findChild<QAction *>("mnuWindowList3"));
        QVERIFY(w->menuItem("mnuWindowFont")->isEnabled());
    }

    void fontStopsLoggingAndShowsIt()
    {
        tableSub()->show();
        w->mdiArea()->setActiveSubWindow(tableSub());
        LoggenActief = true;
        w->InstellenKnopLoggen();
        QCOMPARE(w->panelText("Connect"), Taaltekst(151));
        FontChoice choice;
        choice.font = QFont("DejaVu Serif", 13);
        choice.font.setItalic(true);
        choice.colour = QColor(200, 0, 0);
        dialogs->answerFontChoice(choice);
        w->menuItem("mnuWindowFont")->trigger();
        QVERIFY(!LoggenActief);
        QCOMPARE(w->panelText("Connect"), Taaltekst(150));
        QVERIFY(!w->toolButton("tbrLogger")->isChecked());
        const GridData &g = table()->MSHFlexGrid(table()->Tab())->data();
        QCOMPARE(g.font().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(g.font().pointSizeF(), 13.0);
        QVERIFY(g.font().italic());
        QCOMPARE(g.foreColor(), QColor(200, 0, 0));
        QCOMPARE(dialogs->requests().size(), 1);
        QVERIFY(!dialogs->requests().first().font.sizeLocked);
    }

    void fontButtonWithoutWindowDoesNothing()
    {
        w->toolButton("tbrFont")->trigger();
        QVERIFY(dialogs->requests().isEmpty());
        QVERIFY(!w->menuItem("mnuWindowFont")->isEnabled());
    }

    void toolbarSwitch()
    {
        QToolBar *bar = w->findChild<QToolBar *>("Toolbar");
        QAction *item = w->menuItem("mnuWindowToolbar");
        item->setChecked(true);
        bar->show();
        QCOMPARE(item->shortcut(), QKeySequence("F5"));
        item->trigger();
        QVERIFY(!bar->isVisible());
        QCOMPARE(Registry::read(RegisterNaam, "Settings", "Toolbar"), QStringLiteral("False"));
        item->trigger();
        QVERIFY(bar->isVisible());
        QCOMPARE(Registry::read(RegisterNaam, "Settings", "Toolbar"), QStringLiteral("True"));
    }

    void tilesPlaceTheWindowsByBands()
    {
        tableSub()->show();
        frmTerminal::instance()->mnuExtraTerminal_Click();
        QMdiSubWindow *terminal = subOf(frmTerminal::instance());
        QMdiSubWindow *g1 = addGraph(*w, 1, "one");
        QMdiSubWindow *g2 = addGraph(*w, 2, "two");
        tableSub()->showMaximized();
        InstellingenGewijzigd = false;
        const QSize area = w->mdiArea()->viewport()->size();

        w->menuItem("mnuWindowTileVertical")->trigger();
        QVERIFY(!tableSub()->isMaximized());
        QCOMPARE(tableSub()->geometry().topLeft(), QPoint(0, 0));
        QCOMPARE(terminal->geometry().left(), 0);
        QCOMPARE(terminal->geometry().top(), tableSub()->geometry().bottom() + 1);
        // No racks: the graphs start right of the table column.
        QCOMPARE(g1->geometry().left(), tableSub()->geometry().right() + 1);
        QCOMPARE(g2->geometry().left(), g1->geometry().left());
        QCOMPARE(g2->geometry().top(), g1->geometry().bottom() + 1);

        w->menuItem("mnuWindowTileHorizontal")->trigger();
        QCOMPARE(tableSub()->geometry().topLeft(), QPoint(0, 0));
        QCOMPARE(terminal->geometry().left(), tableSub()->geometry().right() + 1);
        QCOMPARE(g1->geometry().top(), tableSub()->geometry().bottom() + 1);
        QCOMPARE(g2->geometry().top(), g1->geometry().top());
        QCOMPARE(g1->geometry().width() + g2->geometry().width(), area.width());

        w->menuItem("mnuWindowCascade")->trigger();
        QVERIFY(InstellingenGewijzigd);
        QCOMPARE(g1->size(), g2->size()); // sizes kept from the tiling
        QVERIFY(g1->pos() != g2->pos());
    }

    // Four racks, the table and the terminal, as the program makes them: each band is judged by
    // its own windows' smallest size, so the racks are placed below the table, not left under it.
    void racksTiledBesideTableAndTerminal_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::newRow("horizontal") << false;
        QTest::newRow("vertical") << true;
    }
    void racksTiledBesideTableAndTerminal()
    {
        QFETCH(bool, vertical);
        tableSub()->show();
        frmTerminal::instance()->mnuExtraTerminal_Click();
        QMdiSubWindow *terminal = subOf(frmTerminal::instance());
        for (int d = 1; d <= 4; ++d) {
            slot(d, "R");
            subOf(RackVenster[d])->show();
            subOf(RackVenster[d])->move(0, 0);
        }
        w->resize(1024, 700);
        QTest::qWait(20);
        w->menuItem(vertical ? "mnuWindowTileVertical" : "mnuWindowTileHorizontal")->trigger();
        const QRect table = tableSub()->geometry();
        QVERIFY(!table.intersects(terminal->geometry()));
        for (int d = 1; d <= 4; ++d) {
            const QRect rack = subOf(RackVenster[d])->geometry();
            QVERIFY2(!rack.intersects(table) && !rack.intersects(terminal->geometry()),
                     qPrintable(QStringLiteral("rack %1 at %2,%3").arg(d).arg(rack.x()).arg(rack.y())));
            QVERIFY(rack.width() >= subOf(RackVenster[d])->minimumSizeHint().width());
            QVERIFY(rack.height() >= subOf(RackVenster[d])->minimumSizeHint().height());
        }
    }

    // With the table, the terminal, racks and graphs shown, both tile commands give the
    // terminal its place under (vertical) or beside (horizontal) the table, on a main window
    // of the usual sizes.
    void terminalTiledWithTheRest_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("width");
        for (int width : {1024, 1280, 1600}) {
            QTest::addRow("vertical, %d", width) << true << width;
            QTest::addRow("horizontal, %d", width) << false << width;
        }
    }
    void terminalTiledWithTheRest()
    {
        QFETCH(bool, vertical);
        QFETCH(int, width);
        tableSub()->show();
        frmTerminal::instance()->mnuExtraTerminal_Click();
        QMdiSubWindow *terminal = subOf(frmTerminal::instance());
        for (int d = 1; d <= 4; ++d) {
            slot(d, "R");
            subOf(RackVenster[d])->show();
        }
        addGraph(*w, 1, "one");
        addGraph(*w, 2, "two");
        w->resize(width, 700);
        QTest::qWait(20);
        terminal->setGeometry(500, 400, 120, 90); // somewhere the tiling does not put it
        w->menuItem(vertical ? "mnuWindowTileVertical" : "mnuWindowTileHorizontal")->trigger();
        const QRect table = tableSub()->geometry();
        const QRect placed = terminal->geometry();
        if (vertical) {
            QCOMPARE(placed.topLeft(), QPoint(0, table.bottom() + 1));
            QCOMPARE(placed.width(), table.width());
        } else {
            QCOMPARE(placed.topLeft(), QPoint(table.right() + 1, 0));
            QCOMPARE(placed.height(), table.height());
        }
    }

    void racksTiledInRows()
    {
        for (int d = 1; d <= 7; ++d) {
            slot(d, "R");
            subOf(RackVenster[d])->show();
        }
        w->resize(1200, 800);
        QTest::qWait(20);
        w->menuItem("mnuWindowTileHorizontal")->trigger();
        const QSize area = w->mdiArea()->viewport()->size();
        QList<QRect> places;
        for (int d = 1; d <= 7; ++d)
            places << subOf(RackVenster[d])->geometry();
        // Two rows, of four and of three windows, over the whole work area.
        for (int d = 0; d < 4; ++d) {
            QCOMPARE(places[d].top(), 0);
            QCOMPARE(places[d].width(), area.width() / 4);
        }
        for (int d = 4; d < 7; ++d) {
            QCOMPARE(places[d].top(), places[0].bottom() + 1);
            QCOMPARE(places[d].width(), area.width() / 3);
        }
        QCOMPARE(places[0].height() * 2, area.height() / 2 * 2);
    }

    void tilingIsNoChangeOfTheSettings()
    {
        addGraph(*w, 1, "one");
        addGraph(*w, 2, "two");
        InstellingenGewijzigd = false;
        w->menuItem("mnuWindowTileHorizontal")->trigger();
        w->menuItem("mnuWindowTileVertical")->trigger();
        QVERIFY(!InstellingenGewijzigd);
        w->menuItem("mnuWindowArrangeIcons")->trigger();
        QVERIFY(InstellingenGewijzigd);
    }

    void arrangeIconsLinesUpTheMinimised()
    {
        QMdiSubWindow *g1 = addGraph(*w, 1, "one");
        QMdiSubWindow *g2 = addGraph(*w, 2, "two");
        g1->move(300, 40);
        g2->move(50, 100);
        g1->showMinimized();
        g2->showMinimized();
        w->menuItem("mnuWindowArrangeIcons")->trigger();
        const int bottom = w->mdiArea()->viewport()->height();
        QCOMPARE(g1->geometry().bottom() + 1, bottom);
        QCOMPARE(g2->geometry().bottom() + 1, bottom);
        QCOMPARE(g1->x(), 0);
        QCOMPARE(g2->x(), g1->width());
    }

    void graphButtonCyclesTheGraphs()
    {
        addGraph(*w, 2, "two");
        QMdiSubWindow *five = addGraph(*w, 5, "five");
        QMdiSubWindow *nine = addGraph(*w, 9, "nine");
        w->mdiArea()->setActiveSubWindow(nine);
        w->toolButton("tbrGraph")->trigger();
        QCOMPARE(w->mdiArea()->activeSubWindow()->widget()->windowTitle(), QStringLiteral("two"));
        w->mdiArea()->setActiveSubWindow(five);
        five->showMinimized();
        w->mdiArea()->setActiveSubWindow(nine);
        w->menuItem("mnuViewGraph")->trigger();
        QCOMPARE(w->mdiArea()->activeSubWindow()->widget()->windowTitle(), QStringLiteral("two"));
        w->toolButton("tbrGraph")->trigger();
        QCOMPARE(w->mdiArea()->activeSubWindow(), five);
        QVERIFY(!five->isMinimized()); // restored before it is activated
    }

    void relativeClockWithoutSelectedRowStaysOff()
    {
        tableSub()->show();
        w->mdiArea()->setActiveSubWindow(tableSub());
        table()->MSHFlexGrid(0)->data().setSelection(0, 0, 0, 0);
        w->menuItem("mnuRelatieveTijd")->trigger();
        QVERIFY(!RelatieveTijd);
        QVERIFY(!w->menuItem("mnuRelatieveTijd")->isChecked());
        QCOMPARE(Registry::read(RegisterNaam, "Time", "Relative"), QStringLiteral("0"));
    }

    void relativeClock_data()
    {
        QTest::addColumn<bool>("dateFilled");
        QTest::addColumn<bool>("baseMoves");
        QTest::addColumn<int>("milliseconds");
        QTest::newRow("row with date and time: relative to it") << true << true << 0;
        // A row logged live: the reference is the second its cells show.
        QTest::newRow("row held to the millisecond") << true << true << 700;
        QTest::newRow("row without a date: on, the old reference stays") << false << false << 0;
    }
    void relativeClock()
    {
        QFETCH(bool, dateFilled);
        QFETCH(bool, baseMoves);
        QFETCH(int, milliseconds);
        tableSub()->show();
        w->mdiArea()->setActiveSubWindow(tableSub());
        table()->setTab(0);
        GridData &g = table()->MSHFlexGrid(0)->data();
        const qint32 row = g.appendNumberedRow();
        const QDateTime moment(QDate(2026, 1, 5), QTime(10, 30, 0));
        g.setRowTime(row, moment.addMSecs(milliseconds));
        g.setTextMatrix(row, 1, dateFilled ? QStringLiteral("5-1-2026") : QString());
        g.setTextMatrix(row, 2, QStringLiteral("10:30:00"));
        g.setSelection(row, 1, row, 1);
        const QDateTime oldBase(QDate(2025, 1, 1), QTime(0, 0));
        TijdBasis = oldBase;
        w->menuItem("mnuRelatieveTijd")->trigger();
        QVERIFY(RelatieveTijd);
        QVERIFY(w->menuItem("mnuRelatieveTijd")->isChecked());
        QCOMPARE(Registry::read(RegisterNaam, "Time", "Relative"), QStringLiteral("-1"));
        QCOMPARE(TijdBasis, baseMoves ? moment : oldBase);
        openEdit(*w);
        QVERIFY(w->menuItem("mnuTimeOrigin")->isEnabled());
        RelatieveTijd = false;
    }

    void viewMenuNeedsAController()
    {
        QMenu *view = w->menu("mnuView");
        emit view->aboutToShow();
        QVERIFY(w->menuItem("mnuDataRack")->isEnabled());
        QVERIFY(w->menuItem("mnuDataTabel")->isEnabled());
        ResetToestellen();
        emit view->aboutToShow();
        QVERIFY(!w->menuItem("mnuDataRack")->isEnabled());
        QVERIFY(!w->menuItem("mnuDataTabel")->isEnabled());
    }

    void fileMenuRules()
    {
        QMenu *file = w->menu("mnuFile");
        emit file->aboutToShow();
        QVERIFY(w->menuItem("mnuFileSaveAs")->isEnabled());
        QVERIFY(!w->menuItem("mnuFilePrint")->isEnabled()); // nothing shown to print
        AlleenLezen = true;
        tableSub()->show();
        emit file->aboutToShow();
        QVERIFY(!w->menuItem("mnuFileSaveAs")->isEnabled());
        QAction *print = w->menuItem("mnuFilePrint");
        QVERIFY(print->isEnabled() || !print->isVisible());
    }

    void systemInformationWindow()
    {
        w->menuItem("mnuSysInfo")->trigger();
        auto *info = QApplication::activeModalWidget() ? nullptr : w->findChild<SysteemInfoVenster *>();
        QVERIFY(info);
        QVERIFY(info->isVisible());
        const QString text = info->tekst()->toPlainText();
        QVERIFY(text.contains(QStringLiteral("Qt version: ") + QString::fromLatin1(qVersion())));
        QVERIFY(text.contains(QStringLiteral("Serial ports: ")));
        QVERIFY(text.contains(QStringLiteral("Data folder: ") + DataMap));
        QVERIFY(!text.contains(QStringLiteral("Windows")));
        QVERIFY(dialogs->requests().isEmpty()); // no message that a tool is missing
        info->close();

        QStringList args{"/SysInfo", "run.csv"};
        VerzamelSysteemInfo(args);
        QCOMPARE(args, QStringList{"run.csv"});
        QVERIFY(info->isVisible());
        QVERIFY(dialogs->requests().isEmpty());
    }
};

QTEST_MAIN(TestMenuCommands)
#include "tst_menucommands.moc"
