#include "boxcloser.h"

#include "core/services.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "instruments/controllerdialog.h"
#include "instruments/pollloop.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/settingsdialog.h"
#include "mainwindow/shutdownsignals.h"
#include "mainwindow/wiring.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/pump.h"
#include "platform/registry.h"
#include "platform/serialport.h"
#include "support/language.h"
#include "support/wrappers.h"
#include "views/rack.h"
#include "views/readingdisplay.h"
#include "views/table.h"
#include "simulator.h"

#include <QAction>
#include <QApplication>
#include <QLockFile>
#include <QAbstractButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using namespace Hoofdmodule;

namespace {
struct ProgramWindow : mdiQLV2 {
    ProgramWindow()
    {
        KoppelHoofdvenster(*this);
        setShowSplash(false);
    }
};

void useSlots(const QList<int> &used)
{
    ResetToestellen();
    for (int s : used) {
        Toestel[s].Type = QStringLiteral("T512");
        Toestel[s].Idno = s;
        Toestel[s].Kanalen = 2;
        Toestel[s].Actief = true;
        Toestel[s].Naam = QStringLiteral("Slot %1").arg(s);
        Toestel[s].Kanaal[1].Waarde = QStringLiteral("7.0");
        Toestel[s].Kanaal[2].Waarde = QStringLiteral("25.0");
        Toestel[s].Kanaal[1].GeenWaarde = false;
        Toestel[s].Kanaal[2].GeenWaarde = false;
    }
}

void closeDialogs()
{
    if (FormSettingsController *d = FormSettingsController::geopend())
        d->CancelButton_Click();
    if (frmInstellen *d = frmInstellen::geopend())
        d->CancelButton_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QColor textColour(const QLabel *label) { return label->palette().color(QPalette::WindowText); }

// A main window on a simulated line, with scripted dialogs; torn down window first.
struct SimulatedLine {
    Sim::Simulator sim;
    ScriptedDialogProvider dialogs;
    ProgramWindow w;
};
} // namespace

// The measuring and logging indicators of the main window and the rack windows, and the
// dialogs that pause polling.
class TestIndicators : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    // Answers the program's own message boxes as their Escape button would.
    QTimer boxCloser;

    // A shown main window with shown rack windows for the given slots.
    void showWith(ProgramWindow &w, const QList<int> &used)
    {
        useSlots(used);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (int s : used) {
            FormRack *rack = RackVenster[s];
            rack->FormInstellenControls();
            qobject_cast<QMdiSubWindow *>(rack->parentWidget())->show();
        }
        MetenActief = true;
        w.PlaatsAanduidingenCOM();
    }

    // As showWith, with slot 1 polled on port 9 from the simulated controller. False when the
    // line did not open.
    bool openLine(SimulatedLine &line)
    {
        if (!line.sim.start())
            return false;
        line.sim.add("T512", 1, 2);
        SerialPortTable::bind(9, line.sim.devicePath());
        SeriePoort = "COM9";
        Baudrate = "9600";
        showWith(line.w, {1});
        line.w.initCommPoort();
        line.w.OpenCommPoort();
        return line.w.poortOpen();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_DOCUMENTS_DIR", (home.path() + "/Documents").toLocal8Bit());
        const QString settings = home.path() + "/Documents/Marquel/QLV-2/Settings";
        QDir().mkpath(settings);
        useSlots({1});
        SeriePoort = "COM9";
        Baudrate = "9600";
        QVERIFY(SchrijfInstellingen(settings + "/Qlv2.CFG"));
        QStandardPaths::setTestModeEnabled(true);
        RegisterNaam = QStringLiteral("QLV2-INDICATORS");
        InstellingenBestandsnaam = home.filePath(QStringLiteral("Qlv2.CFG"));
        DataMap = home.path();
        Meetbestandsnaam = home.filePath(QStringLiteral("run.csv"));
        SerialPortTable::setRegistryApplication("QLV2-PORTS-indicators");
        closeMessageBoxesEvery(boxCloser);
    }

    void init()
    {
        Pump::setEnding(false);
        qint16 english = 0;
        LaadTaal(english);
        MetenActief = false;
        LoggenActief = false;
        Bezig = false;
        AlleenLezen = false;
        AantalRijen = 0;
    }

    void cleanup()
    {
        closeDialogs();
        RackVenster.Ontladen();
    }

    // The clocks in the status bar tick every second: a new text repaints its own panel and
    // nothing else, an equal text nothing at all, and a longer text (days) still fits.
    void clockPanelRepaintsAlone_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("repainted");
        QTest::newRow("counter ticks") << "Counter" << "00:00:02 " << "00:00:01 " << true;
        QTest::newRow("counter same") << "Counter" << "00:00:02 " << "00:00:02 " << false;
        QTest::newRow("time ticks") << "ConnectionTime" << "00:00:09 " << "00:00:10 " << true;
        QTest::newRow("time same") << "ConnectionTime" << "00:00:09 " << "00:00:09 " << false;
        QTest::newRow("time in days") << "ConnectionTime" << "23:59:59 "
                                      << "12" + Taaltekst(308) + "00:00:00 " << true;
    }
    void clockPanelRepaintsAlone()
    {
        QFETCH(QString, key);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, repainted);
        mdiQLV2 w;
        w.resize(900, 500);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.setPanelText(key, before);
        QTest::qWait(50);
        struct Paints : QObject {
            int count = 0;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    ++count;
                return false;
            }
        } own, bar, others;
        w.panel(key)->installEventFilter(&own);
        w.statusBar()->installEventFilter(&bar);
        for (const char *k : {"Settings", "Connect", "Message", "Counter", "ConnectionTime"})
            if (key != QLatin1String(k))
                w.panel(k)->installEventFilter(&others);
        w.setPanelText(key, after);
        QTest::qWait(50);
        QCOMPARE(own.count > 0, repainted);
        QCOMPARE(bar.count, 0);
        QCOMPARE(others.count, 0);
        QCOMPARE(w.panelText(key), after);
        QVERIFY(w.panel(key)->width() >= w.panel(key)->sizeHint().width());
        QCOMPARE(w.panel(key)->geometry().top(), w.panel("Settings")->geometry().top());
        QCOMPARE(w.panel(key)->height(), w.panel("Settings")->height());
    }

    // A double-click on a rack's name or on a channel opens the controller dialog only (on
    // the channel's tab), not the general settings behind it.
    void rackDoubleClickOpensOneDialog_data()
    {
        QTest::addColumn<int>("channel"); // -1: the controller's name
        QTest::newRow("name") << -1;
        QTest::newRow("value of channel 2") << 1;
    }
    void rackDoubleClickOpensOneDialog()
    {
        QFETCH(int, channel);
        ScriptedDialogProvider dialogs;
        ProgramWindow w;
        showWith(w, {1});
        FormSettingsController::HuidigKanaalTab = 1;
        FormRack *rack = RackVenster[1];
        QLabel *target = channel < 0 ? rack->LabelModule() : rack->LabelWaarde(channel);
        QTest::mouseDClick(target, Qt::LeftButton);
        QCoreApplication::processEvents();
        FormSettingsController *d = FormSettingsController::geopend();
        QVERIFY(d);
        QVERIFY(!frmInstellen::geopend());
        QCOMPARE(d->Ti, qint16(1));
        QCOMPARE(d->SSTab->currentIndex(), qMax(0, channel));
    }

    // Switching Measure off shows every rack's values in grey text, not only the one polled.
    void measureOffGreysEveryRack()
    {
        ScriptedDialogProvider dialogs;
        ProgramWindow w;
        showWith(w, {1, 2});
        for (qint16 s : {qint16(1), qint16(2)}) {
            bool leeg = false;
            TonenMeting(s, leeg);
            QCOMPARE(textColour(RackVenster[s]->LabelWaarde(0)), RackKleur::Groen);
        }
        Toestellen::HuidigToestel = 1;
        StartStopMeten();
        QVERIFY(!MetenActief);
        for (int s : {1, 2})
            for (int k = 0; k < 2; ++k)
                QCOMPARE(textColour(RackVenster[s]->LabelWaarde(k)), FormRack::greyTextColour());
    }

    // The Measure item follows the flag with no child window active, so closing the controller
    // dialog does not switch polling on again.
    void controllerDialogKeepsMeasuringOff()
    {
        ScriptedDialogProvider dialogs;
        ProgramWindow w;
        showWith(w, {1});
        w.mdiArea()->setActiveSubWindow(nullptr);
        MetenActief = false;
        w.mnuData_Click();
        QVERIFY(!w.menuItem("mnuDataMeasure")->isChecked());
        FormSettingsController::Tonen(1);
        FormSettingsController::geopend()->CancelButton_Click();
        QVERIFY(!MetenActief);
        QVERIFY(!w.menuItem("mnuDataMeasure")->isChecked());
        QVERIFY(!w.toolButton("tbrMeasure")->isChecked());
    }

    // Right after Cancel in the general settings the Measure item and button show the flag.
    void settingsCancelShowsMeasuringAtOnce()
    {
        ScriptedDialogProvider dialogs;
        ProgramWindow w;
        showWith(w, {1});
        w.Antwoord = 1;
        w.menuItem("mnuFileSettings")->trigger();
        QVERIFY(frmInstellen::geopend());
        QVERIFY(!MetenActief);
        frmInstellen::geopend()->CancelButton_Click();
        QVERIFY(MetenActief);
        QVERIFY(w.menuItem("mnuDataMeasure")->isChecked());
        QVERIFY(w.toolButton("tbrMeasure")->isChecked());
    }

    // The controller dialog marks its slot's lamp busy and every other rack's lamp idle.
    void controllerDialogMarksAllRacks()
    {
        ScriptedDialogProvider dialogs;
        ProgramWindow w;
        showWith(w, {1, 2});
        RackVenster[2]->ShapeLED()->setColour(RackKleur::Grijs);
        FormSettingsController::Tonen(1);
        QCOMPARE(RackVenster[1]->ShapeLED()->colour(), RackKleur::Groen);
        QCOMPARE(RackVenster[2]->ShapeLED()->colour(), RackKleur::Donkergroen);
    }

    // Starting logging leaves no selection in any controller's grid.
    void loggingStartClearsSelections()
    {
        SimulatedLine line;
        QVERIFY(openLine(line));
        ProgramWindow &w = line.w;
        frmTabel *tabel = TabelVenster();
        GridData &g = tabel->MSHFlexGrid(0)->data();
        g.setRows(6);
        g.setSelection(1, 1, 4, 3);
        QCOMPARE(tabel->Geselecteerd(0), 4);
        AantalRijen = 4;
        w.StartStopVerbinding();
        QVERIFY(LoggenActief);
        QCOMPARE(tabel->Geselecteerd(0), 1);
        QCOMPARE(g.rowSel(), g.row());
        w.StopVerbinding();
        w.SluitCommPoort();
    }

    // Data > Log shows its state on the Log button (pressed, and its picture) and in the status
    // bar's logging panel (its text, and pressed in while logging).
    void logIndicatorFollowsLogging()
    {
        SimulatedLine line;
        QVERIFY(openLine(line));
        ProgramWindow &w = line.w;
        QAction *button = w.toolButton("tbrLogger");
        QLabel *panel = w.panel("Connect");
        const auto picture = [button] { return button->icon().pixmap(QSize(32, 32)).toImage(); };
        const QImage idle = picture();
        QCOMPARE(panel->text(), Taaltekst(150));
        QCOMPARE(panel->frameShadow(), QFrame::Raised);
        QVERIFY(!button->isChecked());

        button->trigger();
        QVERIFY(LoggenActief);
        QCOMPARE(panel->text(), Taaltekst(151));
        QCOMPARE(panel->frameShadow(), QFrame::Sunken);
        QVERIFY(button->isChecked());
        QVERIFY(picture() != idle);

        button->trigger();
        QVERIFY(!LoggenActief);
        QCOMPARE(panel->text(), Taaltekst(150));
        QCOMPARE(panel->frameShadow(), QFrame::Raised);
        QVERIFY(!button->isChecked());
        QCOMPARE(picture(), idle);
        w.SluitCommPoort();
    }

    // File > Settings marks the settings changed only when its dialog is confirmed, whatever
    // an earlier action left in the main window's answer; after Cancel the program ends
    // without asking to save them.
    void settingsChangedOnlyByOK_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("Cancel") << false;
        QTest::newRow("OK") << true;
    }
    void settingsChangedOnlyByOK()
    {
        QFETCH(bool, ok);
        SimulatedLine line;
        QVERIFY(openLine(line));
        ProgramWindow &w = line.w;
        QCOMPARE(w.Antwoord, qint16(1));
        InstellingenGewijzigd = false;

        w.menuItem("mnuFileSettings")->trigger();
        frmInstellen *d = frmInstellen::geopend();
        QVERIFY(d);
        QVERIFY(!InstellingenGewijzigd);
        if (ok)
            d->OKButton->click();
        else
            d->CancelButton->click();
        QVERIFY(!frmInstellen::geopend());
        QCOMPARE(InstellingenGewijzigd, ok);

        line.dialogs.answerMessage(MsgBox::No);
        QVERIFY(w.MDIForm_QueryUnload(mdiQLV2::UnloadMode::User));
        QCOMPARE(line.dialogs.messageTexts().count(Taaltekst(183)), ok ? 1 : 0);
        w.SluitCommPoort();
    }

    // After a port that would not open, the panel names the port that did: the one polled.
    void portPanelFollowsThePortInUse()
    {
        Sim::Simulator sim;
        QVERIFY(sim.start());
        sim.add("T512", 1, 1);
        SerialPortTable::bind(9, sim.devicePath());
        SerialPortTable::bind(8, home.filePath("no-such-device"));
        Baudrate = "9600";
        ScriptedDialogProvider dialogs;
        ProgramWindow w;
        showWith(w, {1});
        SeriePoort = "COM8";
        w.initCommPoort();
        w.OpenCommPoort();
        QVERIFY(!w.poortOpen());
        QVERIFY(w.panel("Settings")->text().contains("COM8"));
        SeriePoort = "COM9";
        w.initCommPoort();
        w.OpenCommPoort();
        QVERIFY(w.poortOpen());
        QCOMPARE(w.panel("Settings")->text(), QStringLiteral("COM9, 9600 bps."));
        w.SluitCommPoort();
        SerialPortTable::unbind(8);
    }

    // The second copy's question speaks the chosen language only, with its own title.
    void secondCopyQuestionInLanguage()
    {
        // The settings file chooses Dutch.
        Registry::write("QLV2-CFG", "Settings", "Language", "2");
        qint16 dutch = 2;
        LaadTaal(dutch);
        TaalIndex = 2;
        useSlots({1});
        SeriePoort = "COM9";
        QVERIFY(SchrijfInstellingen(home.path() + "/Documents/Marquel/QLV-2/Settings/Qlv2.CFG"));
        const QString question = Taaltekst(507);
        qint16 english = 0;
        LaadTaal(english);
        QVERIFY(!question.isEmpty());
        QVERIFY(question != Taaltekst(507));

        const QString caption = mdiQLV2::TitelVoor("QLV2-CFG", home.filePath("second.csv"));
        QLockFile other(instanceLockPath(caption));
        other.setStaleLockTime(0);
        QVERIFY(other.tryLock());
        ScriptedDialogProvider dialogs;
        dialogs.answerMessage(MsgBox::No);
        ProgramWindow w;
        QVERIFY(!w.MDIForm_Load({home.filePath("second.csv")}));
        Registry::write("QLV2-CFG", "Settings", "Language", "0");
        const auto asked = dialogs.requests();
        QVERIFY(!asked.isEmpty());
        QCOMPARE(asked.last().title, question);
        QCOMPARE(asked.last().text, question + Taaltekst(499));
    }

    // SIGTERM while the second copy's question waits answers it: the copy ends.
    void secondCopyQuestionEndsOnSignal()
    {
        const QString data = home.filePath("third.csv");
        const QString caption = mdiQLV2::TitelVoor("QLV2-CFG", data);
        QLockFile other(instanceLockPath(caption));
        other.setStaleLockTime(0);
        QVERIFY(other.tryLock());
        ProgramWindow w;
        ShutdownSignals signalsOfSystem;
        QObject::connect(&signalsOfSystem, &ShutdownSignals::requested, &w,
                         [&w](int) { w.AfsluitenOnbewaakt(); });
        bool sawBox = false;
        bool forced = false;
        QTimer poke;
        QObject::connect(&poke, &QTimer::timeout, [&] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (qobject_cast<QMessageBox *>(top) && top->isVisible()) {
                    if (!sawBox) {
                        sawBox = true;
                        std::raise(SIGTERM);
                    }
                }
        });
        poke.start(50);
        QTimer::singleShot(5000, [&] {
            // Left waiting: end the test rather than hang.
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(top); box && box->isVisible()) {
                    forced = true;
                    box->button(QMessageBox::No)->click();
                }
        });
        QVERIFY(!w.MDIForm_Load({data}));
        QVERIFY(sawBox);
        QVERIFY(!forced);
        QVERIFY(w.isUnloaded());
    }
};

QTEST_MAIN(TestIndicators)
#include "tst_indicators.moc"
