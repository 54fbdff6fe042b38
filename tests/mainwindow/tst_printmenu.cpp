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
#include <QDir>
#include <QLineEdit>
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

    // The print dialog stays loaded between prints: after a print that did not finish (Cancel at
    // the file dialog) it shows what the user typed and chose, for the program's run.
    void printDialogKeepsItsValues()
    {
        QTemporaryDir dir;
        DataMap = dir.path();
        Meetbestandsnaam = dir.filePath(QStringLiteral("run.csv"));
        Printerkode::printDialogHooks().printers = [] { return QStringList(); };
        Printerkode::printDialogHooks().standaardPrinter = [] { return QString(); };
        Registry::write(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Operator"),
                        QStringLiteral("Jan"));
        ScriptedDialogProvider dialogs; // the file dialog answers Cancel
        ProgramWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.menuItem("mnuExtraTerminal")->trigger();
        w.mdiArea()->setActiveSubWindow(terminalSub());
        const auto onDialog = [&w](std::function<void(formPrint *)> action) {
            QTimer::singleShot(0, &w, [action] {
                for (QWidget *top : QApplication::topLevelWidgets())
                    if (auto *d = qobject_cast<formPrint *>(top); d && d->isVisible())
                        action(d);
            });
        };
        bool first = false, second = false;
        onDialog([&first](formPrint *d) {
            QCOMPARE(d->TextOperator->text(), QStringLiteral("Jan"));
            d->TextOperator->setText(QStringLiteral("Ann"));
            d->TextBedrijf->setText(QStringLiteral("Lab 4"));
            d->OptionAlles->setChecked(true);
            first = true;
            d->OKButton->click();
        });
        w.menuItem("mnuFilePrint")->trigger();
        QVERIFY(first);
        QVERIFY(QDir(dir.path()).entryList({"*.pdf"}).isEmpty());
        onDialog([&second](formPrint *d) {
            QCOMPARE(d->TextOperator->text(), QStringLiteral("Ann"));
            QCOMPARE(d->TextBedrijf->text(), QStringLiteral("Lab 4"));
            QVERIFY(d->OptionAlles->isChecked());
            second = true;
            d->CancelButton->click();
        });
        w.menuItem("mnuFilePrint")->trigger();
        QVERIFY(second);
        Printerkode::printDialogHooks().printers = nullptr;
        Printerkode::printDialogHooks().standaardPrinter = nullptr;
    }
};

QTEST_MAIN(TestPrintMenu)
#include "tst_printmenu.moc"
