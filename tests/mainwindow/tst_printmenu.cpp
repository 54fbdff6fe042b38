#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "graph/graphwindow.h"
#include "instruments/protocol.h"
#include "instruments/terminal.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/wiring.h"
#include "programrig.h"
#include "platform/chart.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "printing/printdialog.h"
#include "support/language.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <optional>
#include <tuple>

using namespace Hoofdmodule;

namespace {
struct ProgramWindow : mdiQLV2 {
    ProgramWindow() { KoppelHoofdvenster(*this); }
};

// Extra > Terminal: the terminal window, the active child window.
void openTerminal(ProgramWindow &w)
{
    w.menuItem("mnuExtraTerminal")->trigger();
    w.mdiArea()->setActiveSubWindow(
        qobject_cast<QMdiSubWindow *>(frmTerminal::instance()->parentWidget()));
}

// Runs `action` on the print dialog once it is shown.
void onPrintDialog(QObject *context, std::function<void(formPrint *)> action)
{
    QTimer::singleShot(0, context, [action] {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<formPrint *>(top); d && d->isVisible())
                action(d);
    });
}

// The text of a PDF, laid out as printed; with QLV2_KEEP_PDF=folder the file is kept there too.
QString pdfText(const QString &pdf)
{
    const QString keep = qEnvironmentVariable("QLV2_KEEP_PDF");
    if (!keep.isEmpty())
        QFile::copy(pdf, QDir(keep).filePath(QFileInfo(pdf).fileName()));
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
    pdftotext.waitForFinished(30000);
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

// The printed lines that hold `word`, their runs of blanks made one.
QStringList linesWith(const QString &text, const QString &word)
{
    QStringList lines;
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (line.contains(word))
            lines << line.simplified();
    return lines;
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

    // Each test has a data folder of its own, and only the PDF file to print on.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        DataMap = m_dir->path();
        Meetbestandsnaam = inDir(QStringLiteral("run.csv"));
        Printerkode::printDialogHooks().printers = [] { return QStringList(); };
        Printerkode::printDialogHooks().standaardPrinter = [] { return QString(); };
    }
    void cleanup()
    {
        Printerkode::printDialogHooks().printers = nullptr;
        Printerkode::printDialogHooks().standaardPrinter = nullptr;
        m_dir.reset();
    }

    void printAndCopyTheTerminal()
    {
        Registry::write(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Print All"),
                        QStringLiteral("False"));
        ScriptedDialogProvider dialogs;
        const QString pdf = inDir(QStringLiteral("terminal.pdf"));
        dialogs.answerFile(pdf);

        ProgramWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QAction *print = w.menuItem("mnuFilePrint");
        QAction *copy = w.menuItem("mnuEditCopy");
        QVERIFY(print && print->isVisible());
        QVERIFY(copy && copy->isVisible());
        QVERIFY(w.toolButton("tbrPrint") && w.toolButton("tbrPrint")->isVisible());

        openTerminal(w);
        frmTerminal::instance()->ToevoegenTextBox(QStringLiteral("#001 >?\nreply 42\n"), 0);

        bool current = false;
        onPrintDialog(&w, [&current](formPrint *d) {
            current = d->OptionActiefVenster->isChecked();
            d->OKButton->click();
        });
        print->trigger();
        QVERIFY(current);
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains(QStringLiteral("Terminal window")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("reply 42")), qPrintable(text));

        copy->setEnabled(true);
        copy->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), frmTerminal::instance()->Tekst());
    }

    // The print dialog stays loaded between prints: after a print that did not finish (Cancel at
    // the file dialog) it shows what the user typed and chose, for the program's run.
    void printDialogKeepsItsValues()
    {
        Registry::write(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Operator"),
                        QStringLiteral("Jan"));
        ScriptedDialogProvider dialogs; // the file dialog answers Cancel
        ProgramWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        openTerminal(w);
        bool first = false, second = false;
        onPrintDialog(&w, [&first](formPrint *d) {
            QCOMPARE(d->TextOperator->text(), QStringLiteral("Jan"));
            d->TextOperator->setText(QStringLiteral("Ann"));
            d->TextBedrijf->setText(QStringLiteral("Lab 4"));
            d->OptionAlles->setChecked(true);
            first = true;
            d->OKButton->click();
        });
        w.menuItem("mnuFilePrint")->trigger();
        QVERIFY(first);
        QVERIFY(QDir(m_dir->path()).entryList({"*.pdf"}).isEmpty());
        onPrintDialog(&w, [&second](formPrint *d) {
            QCOMPARE(d->TextOperator->text(), QStringLiteral("Ann"));
            QCOMPARE(d->TextBedrijf->text(), QStringLiteral("Lab 4"));
            QVERIFY(d->OptionAlles->isChecked());
            second = true;
            d->CancelButton->click();
        });
        w.menuItem("mnuFilePrint")->trigger();
        QVERIFY(second);
    }

    // Cancel unloads the print dialog: what was typed or chosen in it is not shown again, not
    // printed and not stored. The next opening shows the stored settings on its first tab.
    void cancelDiscardsTheEdits()
    {
        const QString section = QStringLiteral("Printer");
        Registry::write(RegisterNaam, section, QStringLiteral("Operator"), QStringLiteral("Jan"));
        Registry::write(RegisterNaam, section, QStringLiteral("Fontname"),
                        QStringLiteral("DejaVu Sans"));
        Registry::write(RegisterNaam, section, QStringLiteral("Orientation"), QStringLiteral("1"));
        Registry::write(RegisterNaam, section, QStringLiteral("Print All"),
                        QStringLiteral("False"));
        ScriptedDialogProvider dialogs;
        dialogs.answerFont(QFont(QStringLiteral("DejaVu Serif")));
        ProgramWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        openTerminal(w);

        // What the dialog showed, read while it was open: tab, operator, font, portrait, Save
        // settings enabled.
        using Seen = std::tuple<int, QString, QString, bool, bool>;
        const auto seen = [](formPrint *d) {
            return Seen{d->SSTab->currentIndex(), d->TextOperator->text(),
                        d->LabelTonenLettertype->text(), d->OptionOrientatie[0]->isChecked(),
                        d->CommandSaveSettings->isEnabled()};
        };
        std::optional<Seen> edited;
        onPrintDialog(&w, [&](formPrint *d) {
            d->SSTab->setCurrentIndex(1);
            d->TextOperator->selectAll();
            QTest::keyClicks(d->TextOperator, QStringLiteral("CancelledOperator"));
            d->CommandPrinterFont->click();
            d->SSTab->setCurrentIndex(2);
            d->OptionOrientatie[1]->click();
            edited = seen(d);
            d->CancelButton->click();
        });
        w.menuItem("mnuFilePrint")->trigger();
        QCOMPARE(edited.value_or(Seen()),
                 Seen(2, "CancelledOperator", "DejaVu Serif", false, true));

        const QString pdf = inDir(QStringLiteral("cancelled.pdf"));
        dialogs.answerFile(pdf);
        std::optional<Seen> shown;
        onPrintDialog(&w, [&](formPrint *d) {
            shown = seen(d);
            d->OKButton->click();
        });
        w.menuItem("mnuFilePrint")->trigger();
        QCOMPARE(shown.value_or(Seen()), Seen(0, "Jan", "DejaVu Sans", true, false));
        const QString text = pdfText(pdf);
        QVERIFY2(linesWith(text, QStringLiteral("Operator:")).value(0).startsWith(
                     QStringLiteral("Operator: Jan ")),
                 qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("CancelledOperator")), qPrintable(text));
        QCOMPARE(Registry::read(RegisterNaam, section, QStringLiteral("Operator"), QString()),
                 QStringLiteral("Jan"));
        QCOMPARE(Registry::read(RegisterNaam, section, QStringLiteral("Orientation"), QString()),
                 QStringLiteral("1"));
        QCOMPARE(Registry::read(RegisterNaam, section, QStringLiteral("Fontname"), QString()),
                 QStringLiteral("DejaVu Sans"));
    }

    // File > Print of the current graph with its alarm report, over a data file whose readings
    // have gaps (a blank cell, an empty one, the model's no-value mark) and change from mg into
    // g on a line in mg. Every alarm printed is one the chart shows: a value at or beyond a
    // limit in the line's unit.
    void alarmReportOfADataFile()
    {
        ScriptedDialogProvider dialogs;

        resetReadSettings();
        WindowSettings::reset();
        AantalGrafieken = 0;
        GraphSettings &g = WindowSettings::graph[1];
        g.resetToLoadDefaults(1);
        g.caption = QStringLiteral("Weighing");
        g.SchrijfGrafiekLijnRef(1, 1, 1);
        g.SchrijfGrafiekLijnRef(1, 2, 1);
        g.AlarmLaag = true;
        g.AlarmLaagWaarde = 0.5;
        g.AlarmHoog = true;
        g.AlarmHoogWaarde = 900;
        g.LegendeKeuze = true;
        g.visible = true;
        const QString settings = inDir(QStringLiteral("balance.CFG"));
        QVERIFY(writeProgramSettings(settings, {{1, "T542", 11, 1}}, 1, false));
        resetReadSettings();

        ProgramWindow w;
        w.resize(1000, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        LeesInstellingen(settings);
        frmGrafiek *graph = GrafiekVenster.inGebruik(1);
        QVERIFY(graph);
        Toestel[1].Naam = QStringLiteral("Balance");
        // The controller now reports another quantity: its unit is not the file's.
        Toestel[1].Kanaal[1].Eenheid = QStringLiteral("pH");
        QCOMPARE(QString::fromLatin1(Protocol::GeenWaardeTeken[1]), QStringLiteral("99999"));

        // Measurement: value, unit. 4 is an empty cell, 5 a blank one, 6 the model's mark;
        // 7 and 8 are 61 mg, 9 is 0.3 mg (below 0.5 mg), 10 is 200 mg, 11 over range (above
        // 900 mg), 12 is 700 mg.
        const char *readings[][2] = {{"600", "mg"},   {"580", "mg"},     {"560", "mg"},
                                     {"", ""},        {" ", " "},        {"99999", "mg"},
                                     {"0.061", "g"},  {"0.061", "g"},    {"0.0003", "g"},
                                     {"0.2", "g"},    {"OR.", "g"},      {"700", "mg"}};
        QByteArray file = "\"Time\",\"Value CH1\",\"Unit CH1\",\"Value CH2\",\"Unit CH2\","
                          "\"Value CH3\",\"Unit CH3\",\"Value CH4\",\"Unit CH4\","
                          "\"Control\",\"Relays\",\"Remarks\"\r\n";
        int m = 0;
        for (const auto &r : readings) {
            file += QStringLiteral("\"12/10/2026 10:%1:00 AM\",\"%2\",\"%3\",\"\",\"\",\"\",\"\","
                                   "\"\",\"\",\"\",\"----\",\"\"\r\n")
                        .arg(m++, 2, 10, QLatin1Char('0'))
                        .arg(QLatin1String(r[0]), QLatin1String(r[1]))
                        .toLatin1();
        }
        const QString data = inDir(QStringLiteral("balance.csv"));
        {
            QFile out(data);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file);
        }
        dialogs.answerFile(data);
        w.menuItem("mnuFileOpen")->trigger();
        QCOMPARE(AantalRijen, 12);
        // The chart: gaps at 4 to 6 and at 11, the g readings in mg.
        const Chart &chart = *graph->Diagram();
        QCOMPARE(graph->GrafiekEenheid(1), QStringLiteral("mg"));
        for (int row : {4, 5, 6, 11})
            QVERIFY2(chart.isNull(3, row), qPrintable(QString::number(row)));
        QCOMPARE(chart.value(3, 7), 61.0);
        QCOMPARE(chart.value(3, 9), 0.3);

        for (QMdiSubWindow *sub : w.mdiArea()->subWindowList())
            if (sub->widget() == graph)
                w.mdiArea()->setActiveSubWindow(sub);
        const QString pdf = inDir(QStringLiteral("balance.pdf"));
        dialogs.answerFile(pdf);
        bool reportOffered = false;
        onPrintDialog(&w, [&reportOffered](formPrint *d) {
            d->OptionActiefVenster->setChecked(true);
            reportOffered = d->CheckAlarmRapport->isEnabled();
            d->CheckAlarmRapport->setChecked(true);
            d->OKButton->click();
        });
        w.menuItem("mnuFilePrint")->trigger();
        QVERIFY(reportOffered);
        const QString text = pdfText(pdf);
        // The report's lines after its limits, as printed.
        QStringList report;
        for (const QString &line : text.split(QLatin1Char('\n')))
            if (!line.simplified().isEmpty())
                report << line.simplified();
        report = report.mid(report.indexOf(QStringLiteral("Low limit: 0.5")) + 1);
        QCOMPARE(report, (QStringList{
            "Low limit exceeded: CH1 (g): 00009: 10 Dec 2026 - 10:08:00; 0.0003",
            "Recovered: CH1 (g): 00010: 10 Dec 2026 - 10:09:00; 0.2",
            "High limit exceeded: CH1 (g): 00011: 10 Dec 2026 - 10:10:00; OR.",
            "Recovered: CH1 (mg): 00012: 10 Dec 2026 - 10:11:00; 700",
            "CH1 (mg): Number of times the high limit was exceeded: 1",
            "CH1 (mg): Number of times the low limit was exceeded: 1"}));
        // The window's caption heads the page; no title line under the chart repeats it.
        QCOMPARE(linesWith(text, QStringLiteral("Weighing")).size(), 2);

        GrafiekVenster.Ontladen();
        ResetToestellen();
        resetReadSettings();
    }

private:
    QString inDir(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestPrintMenu)
#include "tst_printmenu.moc"
