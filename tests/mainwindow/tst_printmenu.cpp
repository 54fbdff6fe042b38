#include "core/shared.h"
#include "instruments/terminal.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "printing/printdialog.h"
#include "support/language.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Hoofdmodule;

namespace {
struct ProgramWindow : mdiQLV2 {
    ProgramWindow() { KoppelHoofdvenster(*this); }
};

QMdiSubWindow *terminalSub()
{
    return qobject_cast<QMdiSubWindow *>(frmTerminal::instance()->parentWidget());
}
} // namespace

// File > Print and Edit > Copy of the main window, on the terminal window.
class TestPrintMenu : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        qint16 english = 0;
        LaadTaal(english);
    }

    void printAndCopyTheTerminal()
    {
        QTemporaryDir dir;
        DataMap = dir.path();
        Meetbestandsnaam = dir.filePath(QStringLiteral("run.csv"));
        Printerkode::printDialogHooks().printers = [] { return QStringList(); };
        Printerkode::printDialogHooks().standaardPrinter = [] { return QString(); };
        Registry::write(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Print All"),
                        QStringLiteral("False"));
        ScriptedDialogProvider dialogs;
        const QString pdf = dir.filePath(QStringLiteral("terminal.pdf"));
        dialogs.answerFile(pdf);

        ProgramWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QAction *print = w.menuItem("mnuFilePrint");
        QAction *copy = w.menuItem("mnuEditCopy");
        QVERIFY(print && print->isVisible());
        QVERIFY(copy && copy->isVisible());
        QVERIFY(w.toolButton("tbrPrint") && w.toolButton("tbrPrint")->isVisible());

        w.menuItem("mnuExtraTerminal")->trigger();
        w.mdiArea()->setActiveSubWindow(terminalSub());
        frmTerminal::instance()->ToevoegenTextBox(QStringLiteral("#001 >?\nreply 42\n"), 0);

        QTimer::singleShot(0, &w, [] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *d = qobject_cast<formPrint *>(top); d && d->isVisible()) {
                    QVERIFY(d->OptionActiefVenster->isChecked());
                    d->OKButton->click();
                }
        });
        print->trigger();
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
        QVERIFY(pdftotext.waitForFinished(30000));
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY2(text.contains(QStringLiteral("Terminal window")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("reply 42")), qPrintable(text));

        copy->setEnabled(true);
        copy->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), frmTerminal::instance()->Tekst());
        Printerkode::printDialogHooks().printers = nullptr;
        Printerkode::printDialogHooks().standaardPrinter = nullptr;
    }
};

QTEST_MAIN(TestPrintMenu)
#include "tst_printmenu.moc"
