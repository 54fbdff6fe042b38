// The Graph menu's rules: what it enables, which items it shows, and how a new graph is made.
#include "core/services.h"
#include "core/shared.h"
#include "core/windowsettings.h"
#include "graph/graphsettingsdialog.h"
#include "mainwindow/graphmenu.h"
#include "platform/dialogs.h"
#include "support/language.h"
#include "support/messagebox.h"

#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Hoofdmodule;

namespace {

GraphSettings &graph(int n) { return WindowSettings::graph[size_t(n)]; }

void useGraphs(const QList<int> &numbers)
{
    for (int g : numbers) {
        graph(g).resetToLoadDefaults(g);
        ++AantalGrafieken;
    }
}

} // namespace

class TestGraphMenu : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // Stand-ins for the graph windows the hooks make and destroy.
    QMap<int, QPointer<QWidget>> m_windows;
    QList<int> m_loaded, m_rebuilt, m_unloaded;
    int m_tabShown = -1;
    QString m_answerWith; // "ok" or "cancel"

    NewGraphHooks hooks()
    {
        NewGraphHooks h;
        h.loadNewWindow = [this](int g) {
            m_loaded << g;
            auto *w = new QWidget;
            m_windows[g] = w;
            w->show();
            // What the window's load does: its settings dialog on the lines, bound to it.
            QTimer::singleShot(0, qApp, [this] {
                frmGrafiekInstellen *d = frmGrafiekInstellen::geopend();
                if (!d)
                    return;
                m_tabShown = d->SSTab->currentIndex();
                (m_answerWith == QLatin1String("ok") ? d->CmdOK : d->CmdCancel)->click();
            });
            return ToonGrafiekInstellingen(g, w, 3);
        };
        h.herInitialiseer = [this](int g) { m_rebuilt << g; };
        h.unloadWindow = [this](int g) {
            m_unloaded << g;
            delete m_windows.value(g);
        };
        return h;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale::c());
        qint16 english = 0;
        LaadTaal(english);
        QVERIFY(m_dir.isValid());
        InstellingenBestandsnaam = m_dir.filePath(QStringLiteral("Menu.CFG"));
    }

    void init()
    {
        WindowSettings::reset();
        AantalGrafieken = 0;
        InstellingenGewijzigd = false;
        m_loaded.clear();
        m_rebuilt.clear();
        m_unloaded.clear();
        m_tabShown = -1;
        m_answerWith = QStringLiteral("ok");
    }

    void cleanup()
    {
        for (QPointer<QWidget> &w : m_windows)
            delete w;
        m_windows.clear();
    }

    void enabling_data()
    {
        QTest::addColumn<bool>("validController");
        QTest::addColumn<int>("graphs");
        QTest::addColumn<QString>("activeTag");
        QTest::addColumn<bool>("settings");
        QTest::addColumn<bool>("newGraph");
        QTest::newRow("no valid controller") << false << 2 << "grafiek1" << false << false;
        QTest::newRow("table window active") << true << 2 << "tabel" << false << true;
        QTest::newRow("graph active") << true << 2 << "grafiek2" << true << true;
        QTest::newRow("graph tag in capitals") << true << 1 << "Grafiek12" << true << true;
        QTest::newRow("no active child") << true << 2 << "" << false << true;
        QTest::newRow("rack window active") << true << 1 << "meting3" << false << true;
        QTest::newRow("no graphs counted") << true << 0 << "grafiek1" << false << true;
        QTest::newRow("short tag") << true << 1 << "grafi" << false << true;
    }
    void enabling()
    {
        QFETCH(bool, validController);
        QFETCH(int, graphs);
        QFETCH(QString, activeTag);
        QFETCH(bool, settings);
        QFETCH(bool, newGraph);
        const GraphMenuEnabling e = GraphMenuRules(validController, graphs, activeTag);
        QCOMPARE(e.settings, settings);
        QCOMPARE(e.newGraph, newGraph);
    }

    void visibility_data()
    {
        QTest::addColumn<bool>("popup");
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QStringList>("shown");
        const QStringList all = {"mnuGraphCopy", "mnuGraphPrint", "mnuGraphCopySettings",
                                 "mnuGraphPasteSettings"};
        QTest::newRow("menu, after the captions or a left release")
            << false << all << QStringList{"mnuExtraSettingsGraph", "linegraph1", "mnuGraphNew"};
        QTest::newRow("right-button pop-up, nothing but settings yet")
            << true << QStringList{} << QStringList{"mnuExtraSettingsGraph"};
        QTest::newRow("pop-up with printing")
            << true << QStringList{"mnuGraphPrint"}
            << QStringList{"mnuExtraSettingsGraph", "linegraph2", "mnuGraphPrint"};
        QTest::newRow("pop-up with everything")
            << true << all
            << QStringList{"mnuExtraSettingsGraph", "linegraph2", "mnuGraphCopy", "mnuGraphPrint",
                           "linegraph3", "mnuGraphCopySettings", "mnuGraphPasteSettings"};
    }
    void visibility()
    {
        QFETCH(bool, popup);
        QFETCH(QStringList, offered);
        QFETCH(QStringList, shown);
        const QHash<QString, bool> v =
            GraphMenuVisibility(popup, [&](const QString &item) { return offered.contains(item); });
        QStringList visible;
        for (const QString &item : GraphMenuItems()) {
            QVERIFY(v.contains(item));
            if (v.value(item))
                visible << item;
        }
        QCOMPARE(visible, shown);
    }

    void unloadingGraphWindows_data()
    {
        QTest::addColumn<bool>("all");
        QTest::addColumn<QList<int>>("unloaded");
        QTest::newRow("those not in use") << false << QList<int>{2, 5};
        QTest::newRow("all") << true << QList<int>{1, 2, 3, 5};
    }
    void unloadingGraphWindows()
    {
        QFETCH(bool, all);
        QFETCH(QList<int>, unloaded);
        useGraphs({1, 3, 4});
        const QList<int> windows = {1, 2, 3, 5};
        QList<int> got;
        WissenNietGrafieken(
            all, [&](int g) { return windows.contains(g); }, [&](int g) { got << g; });
        QCOMPARE(got, unloaded);
    }

    void settingsCommand_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("answer"); // what the user does in the dialog
        QTest::addColumn<int>("shownFor");   // the graph the dialog opened for, 0: none
        QTest::addColumn<QList<int>>("rebuilt");
        QTest::newRow("OK") << "grafiek7" << "ok" << 7 << QList<int>{7};
        QTest::newRow("Cancel") << "grafiek7" << "cancel" << 7 << QList<int>{};
        QTest::newRow("table window") << "tabel" << "ok" << 0 << QList<int>{};
        QTest::newRow("no active child") << "" << "ok" << 0 << QList<int>{};
    }
    void settingsCommand()
    {
        QFETCH(QString, tag);
        QFETCH(QString, answer);
        QFETCH(int, shownFor);
        QFETCH(QList<int>, rebuilt);
        useGraphs({7});
        QWidget window;
        int shown = 0;
        // Tied to the window: no dialog, and the answer never runs.
        QTimer::singleShot(0, &window, [&] {
            if (frmGrafiekInstellen *d = frmGrafiekInstellen::geopend()) {
                shown = d->graphNumber();
                (answer == QLatin1String("ok") ? d->CmdOK : d->CmdCancel)->click();
            }
        });
        QList<int> got;
        const qint16 result =
            GrafiekInstellingenCommando(&window, tag, [&](int g) { got << g; });
        QCOMPARE(shown, shownFor);
        QCOMPARE(got, rebuilt);
        QCOMPARE(result, qint16(answer == QLatin1String("ok") && shownFor ? 1 : 2));
    }

    void lowestFreeNumber()
    {
        useGraphs({1, 2, 4});
        // What an earlier graph 3 left behind does not carry over.
        graph(3).MaxGrafiekZichtbaar = 777;
        graph(3).SchrijfGrafiekLijnRef(1, 1, 5);
        graph(3).caption = QStringLiteral("old");
        GraphSettings seen;
        NewGraphHooks h = hooks();
        h.loadNewWindow = [&](int g) {
            m_loaded << g;
            seen = graph(g);
            return qint16(1);
        };
        QCOMPARE(NieuweGrafiek(true, h), 3);
        QCOMPARE(m_loaded, QList<int>{3});
        QCOMPARE(seen.GrafiekIndex, 3);
        QVERIFY(seen.NieuweGrafiek);
        QVERIFY(seen.XYrecorder);
        QCOMPARE(seen.MaxGrafiekZichtbaar, 99);
        QCOMPARE(seen.LeesGrafiekLijnRef(1, 1), 0);
        QCOMPARE(seen.caption, QStringLiteral("XY-recorder 3"));
        QCOMPARE(AantalGrafieken, 4);
        QVERIFY(GrafiekInGebruik(3));
    }

    void allNumbersTaken()
    {
        for (int g = 1; g <= MaxGrafieken; ++g)
            useGraphs({g});
        const auto before = WindowSettings::graph;
        QString text, title;
        QTimer::singleShot(0, qApp, [&] {
            FormMelding *box = FormMelding::openBoxes().value(0);
            QVERIFY(box);
            text = box->MijnMelding;
            title = box->MijnTitel;
            box->knop(MsgBox::Ok)->click();
        });
        QCOMPARE(NieuweGrafiek(false, hooks()), 0);
        QCOMPARE(text, Taaltekst(335));
        QVERIFY(text.startsWith(QStringLiteral("The maximum number of graphs has been reached!")));
        QCOMPARE(title, QStringLiteral("New graph"));
        QVERIFY(m_loaded.isEmpty());
        QVERIFY(m_unloaded.isEmpty());
        QCOMPARE(AantalGrafieken, MaxGrafieken);
        QVERIFY(WindowSettings::graph == before);
    }

    void newGraphConfirmed()
    {
        useGraphs({1});
        m_answerWith = QStringLiteral("ok");
        QCOMPARE(NieuweGrafiek(false, hooks()), 2);
        QCOMPARE(m_tabShown, 3);
        QCOMPARE(m_rebuilt, QList<int>{2});
        QVERIFY(m_unloaded.isEmpty());
        QVERIFY(GrafiekInGebruik(2));
        QCOMPARE(AantalGrafieken, 2);
        QVERIFY(!graph(2).NieuweGrafiek);
        QCOMPARE(graph(2).caption, QStringLiteral("Graph 2"));
        QVERIFY(QFile::exists(InstellingenBestandsnaam));
        QVERIFY(InstellingenGewijzigd);
        QVERIFY(m_windows.value(2));
    }

    void newGraphCancelled()
    {
        useGraphs({1});
        m_answerWith = QStringLiteral("cancel");
        QCOMPARE(NieuweGrafiek(true, hooks()), 0);
        QCOMPARE(m_tabShown, 3);
        QCOMPARE(m_unloaded, QList<int>{2});
        QVERIFY(m_rebuilt.isEmpty());
        QVERIFY(!m_windows.value(2));
        QVERIFY(!GrafiekInGebruik(2));
        QCOMPARE(AantalGrafieken, 1);
        QVERIFY(!InstellingenGewijzigd);
        // The number is free again.
        m_answerWith = QStringLiteral("ok");
        QCOMPARE(NieuweGrafiek(false, hooks()), 2);
    }

    // While the settings dialog is open for one graph, New only brings it forward.
    void newWhileTheDialogIsOpen()
    {
        useGraphs({1});
        int made = -1;
        QTimer::singleShot(0, qApp, [&] {
            made = NieuweGrafiek(false, hooks());
            frmGrafiekInstellen::geopend()->CmdCancel->click();
        });
        ToonGrafiekInstellingen(1);
        QCOMPARE(made, 0);
        QVERIFY(m_loaded.isEmpty());
        QCOMPARE(AantalGrafieken, 1);
    }
};

QTEST_MAIN(TestGraphMenu)
#include "tst_graphmenu.moc"
