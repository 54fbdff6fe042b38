#include "boxcloser.h"

#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "instruments/controllerdialog.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/settingsdialog.h"
#include "mainwindow/wiring.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/serialport.h"
#include "support/helpwindow.h"
#include "support/language.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace Hoofdmodule;

namespace {
struct ProgramWindow : mdiQLV2 {
    ProgramWindow()
    {
        KoppelHoofdvenster(*this);
        setShowSplash(false);
    }
};

QString shownPage()
{
    return HelpWindow::instance().browser()->source().path().section(QLatin1Char('/'), -2);
}

void closeDialogs()
{
    if (FormSettingsController *d = FormSettingsController::geopend())
        d->CancelButton_Click();
    if (frmInstellen *d = frmInstellen::geopend())
        d->CancelButton_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace

// The commands that open the program's help reach the help window at their own topic.
class TestHelpCommands : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    // The dialogs reach the main window through its hooks: it outlives them.
    std::unique_ptr<ProgramWindow> main;
    // Answers the program's own message boxes as their Escape button would.
    QTimer boxCloser;

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        QStandardPaths::setTestModeEnabled(true);
        RegisterNaam = QStringLiteral("QLV2-HELPCOMMANDS");
        InstellingenBestandsnaam = home.filePath(QStringLiteral("Qlv2.CFG"));
        DataMap = home.path();
        Meetbestandsnaam = home.filePath(QStringLiteral("run.csv"));
        SerialPortTable::setRegistryApplication("QLV2-PORTS-helpcommands");
        ResetToestellen();
        Toestel[1].Type = QStringLiteral("T512");
        Toestel[1].Idno = 1;
        Toestel[1].Kanalen = 2;
        Toestel[1].Actief = true;
        SeriePoort = "COM9";
        Baudrate = "9600";
        QVERIFY(SchrijfInstellingen(InstellingenBestandsnaam));
        closeMessageBoxesEvery(boxCloser);
    }
    void init()
    {
        Pump::setEnding(false);
        qint16 english = 0;
        LaadTaal(english);
        HelpWindow::instance().hide();
        main = std::make_unique<ProgramWindow>();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
    }
    void cleanup()
    {
        closeDialogs();
        main.reset();
    }

    void commandOpensItsTopic_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("page");
        QTest::newRow("Help > Contents") << "menu" << 0 << "en/main_window.htm";
        QTest::newRow("Help > Contents, French") << "menu" << 1 << "fr/main_window.htm";
        QTest::newRow("toolbar Help, Dutch") << "toolbar" << 2 << "nl/main_window.htm";
        QTest::newRow("general settings") << "settings" << 0 << "en/Settings.htm";
        QTest::newRow("general settings, Dutch") << "settings" << 2 << "nl/Settings.htm";
        QTest::newRow("controller dialog") << "controller" << 0 << "en/SettingsDevice.htm";
        QTest::newRow("controller dialog, French") << "controller" << 1 << "fr/SettingsDevice.htm";
    }
    void commandOpensItsTopic()
    {
        QFETCH(QString, command);
        QFETCH(int, language);
        QFETCH(QString, page);
        ScriptedDialogProvider dialogs;
        qint16 index = qint16(language);
        LaadTaal(index);
        mdiQLV2 &w = *main;
        if (command == "menu") {
            QAction *item = w.menuItem("mnuHelpContents");
            QVERIFY(item->isVisible());
            QCOMPARE(item->shortcut(), QKeySequence(Qt::Key_F1));
            item->trigger();
        } else if (command == "toolbar") {
            QAction *button = w.toolButton("tbrHelp");
            QVERIFY(button->isVisible());
            button->trigger();
        } else if (command == "settings") {
            frmInstellen *d = frmInstellen::Tonen();
            QVERIFY(d);
            QTest::mouseClick(d->CommandHelp, Qt::LeftButton);
        } else {
            FormSettingsController *d = FormSettingsController::Tonen(1);
            QVERIFY(d);
            QTest::mouseClick(d->CommandHelp, Qt::LeftButton);
        }
        HelpWindow &help = HelpWindow::instance();
        QVERIFY(help.isVisible());
        // Usable while a dialog holds the main window disabled.
        QVERIFY(help.isEnabled());
        QCOMPARE(shownPage(), page);
    }

    // Trying another language in the general settings brings the help along.
    void settingsLanguageTrialMovesTheHelp()
    {
        ScriptedDialogProvider dialogs;
        frmInstellen *d = frmInstellen::Tonen();
        QTest::mouseClick(d->CommandHelp, Qt::LeftButton);
        QCOMPARE(shownPage(), "en/Settings.htm");
        d->ComboTaal->setCurrentIndex(1);
        d->ComboTaal_Click(1);
        QCOMPARE(shownPage(), "fr/Settings.htm");
        d->CancelButton_Click();
        QCOMPARE(shownPage(), "en/Settings.htm");
    }
};

QTEST_MAIN(TestHelpCommands)
#include "tst_helpcommands.moc"
