#include "printwindows.h"

#include "core/shared.h"
#include "instruments/terminal.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "printing/pageengine.h"
#include "printing/printdialog.h"
#include "printing/printrun.h"
#include "support/language.h"
#include "views/rack.h"
#include "views/table.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Printerkode;
using namespace Hoofdmodule;

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pages(const QString &pdf)
{
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                           .match(run(QStringLiteral("pdfinfo"), {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QByteArray registryBytes()
{
    QFile file(Registry::filePath(RegisterNaam));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// Answers the print dialog as soon as it is shown: clicks the button `choose` names.
void answerPrintDialog(std::function<QPushButton *(formPrint &)> choose)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, choose] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<formPrint *>(w);
            if (dialog && dialog->isVisible()) {
                timer->stop();
                timer->deleteLater();
                choose(*dialog)->click();
                return;
            }
        }
    });
    timer->start(10);
}

QPushButton *print(formPrint &dialog) { return dialog.OKButton; }

} // namespace

// Printing to PDF files from the print dialog and by direct print, with the real table and
// terminal windows; the graphs are stand-ins that fill their chart with a colour.
class TestPrintPdf : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<PrintWindows> m_windows;
    std::unique_ptr<frmTabel> m_table;
    std::unique_ptr<ScriptedDialogProvider> m_dialogs;
    QStringList m_status;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        qint16 english = 0;
        LaadTaal(english);
    }
    void init()
    {
        QFile::remove(Registry::filePath(RegisterNaam));
        // The same font whatever else the machine has installed.
        Registry::write(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Fontname"),
                        QStringLiteral("DejaVu Sans"));
        StandaardPrintInstellingen();
        PrintEnkelSelectie = false;
        DataMap = m_dir.path();
        Meetbestandsnaam = m_dir.filePath(QStringLiteral("run.csv"));
        for (const QString &f : QDir(m_dir.path()).entryList({"*.pdf"}))
            QFile::remove(m_dir.filePath(f));
        // Only the PDF file: the printers of the machine play no part.
        printDialogHooks().printers = [] { return QStringList(); };
        printDialogHooks().standaardPrinter = [] { return QString(); };
        m_status.clear();
        printRunHooks().statusMelding = [this](const std::function<QString()> &text) {
            m_status << text();
        };
        m_dialogs = std::make_unique<ScriptedDialogProvider>();

        m_windows = std::make_unique<PrintWindows>();
        for (int slot : {2, 5}) {
            Toestel[slot].Kanalen = 2;
            Toestel[slot].Kanaal[1].Naam = QStringLiteral("CH1");
            Toestel[slot].Kanaal[1].Waarde = QStringLiteral("21.5");
            Toestel[slot].Kanaal[1].Eenheid = QStringLiteral("C");
        }
        m_table = std::make_unique<frmTabel>();
        m_table->StelTabelIn(true);
        for (int row = 1; row <= 3; ++row) {
            AantalRijen = row;
            MeetTijdstip = QDateTime(QDate(2026, 1, 5), QTime(10, 0, row));
            m_table->VulTabellenAan(QString());
        }
        m_table->show();
        dataViews().tabel = m_table.get();
    }
    void cleanup()
    {
        dataViews().tabel = nullptr;
        m_table.reset();
        m_windows.reset();
        m_dialogs.reset();
        printRunHooks().statusMelding = nullptr;
        printDialogHooks() = {};
    }

    void allWindows_data()
    {
        QTest::addColumn<QString>("orientation");
        QTest::addColumn<QString>("pageSize");
        QTest::newRow("portrait") << "1" << "595 x 842 pts (A4)";
        QTest::newRow("landscape") << "2" << "842 x 595 pts (A4)";
    }
    void allWindows()
    {
        QFETCH(QString, orientation);
        QFETCH(QString, pageSize);
        Registry::write(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Orientation"),
                        orientation);
        Registry::write(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Offset left"),
                        QStringLiteral("15"));
        Registry::write(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Operator"),
                        QStringLiteral("Jan"));
        m_windows->graph(1);
        GraphWindow &kiln = m_windows->graph(3);
        kiln.title = QStringLiteral("Kiln");
        kiln.chartTitleText = QStringLiteral("Kiln temperatures");
        kiln.legend = true;
        kiln.high = true;
        kiln.legends[2] = QStringLiteral("High limit");
        kiln.lines[1] = {2, 1};
        kiln.legends[3] = QStringLiteral("C CH1");
        const QString pdf = m_dir.filePath(QStringLiteral("all.pdf"));
        m_dialogs->answerFile(pdf);
        answerPrintDialog(print);
        AfdrukkenMetDialoog(nullptr);

        // The file was asked for in the data folder under the data file's name.
        QCOMPARE(m_dialogs->requests().size(), 1);
        QCOMPARE(m_dialogs->requests()[0].kind, QStringLiteral("save"));
        QCOMPARE(m_dialogs->requests()[0].text, m_dir.filePath(QStringLiteral("run.pdf")));
        QCOMPARE(pages(pdf), 4);
        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY2(info.contains(QStringLiteral("Page size:       ") + pageSize), qPrintable(info));

        const QStringList text = run(QStringLiteral("pdftotext"), {"-layout", pdf, "-"})
                                     .split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QCOMPARE(text.size(), 4);
        const QStringList expected{"Graph:\\s+g1", "Graph:\\s+Kiln", "Table:\\s+Oven",
                                   "Table:\\s+Press"};
        for (int page = 0; page < 4; ++page) {
            QVERIFY2(text[page].contains(QRegularExpression(expected[page])),
                     qPrintable(text[page]));
            QVERIFY(text[page].contains(QRegularExpression(QStringLiteral("Operator:\\s+Jan"))));
            // The text tool may split a long name where the glyphs stand apart, so spaces are
            // not compared (the temporary folder's name is random).
            QString firstText = text[page].trimmed();
            firstText.remove(QRegularExpression(QStringLiteral("[ \t]")));
            QVERIFY2(firstText.startsWith(QDir::toNativeSeparators(Meetbestandsnaam)),
                     qPrintable(Meetbestandsnaam + QStringLiteral("\n") + text[page]));
        }
        QVERIFY(text[1].contains(QStringLiteral("Kiln temperatures")));
        QVERIFY(text[1].contains(QStringLiteral("High limit")));
        QVERIFY(text[1].contains(QStringLiteral("Oven: C CH1")));
        QVERIFY(text[2].contains(QRegularExpression(QStringLiteral("10:00:03\\s+21.5\\s+C"))));

        // The page title stands where PrintLinks puts it, on the paper with Qt's border.
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const double border = printer.pageLayout().paintRect(QPageLayout::Millimeter).left();
        const QString bbox = run(QStringLiteral("pdftotext"), {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
        const auto word = QRegularExpression(QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\"[^>]*>([^<]*)</word>"))
                              .match(bbox);
        QVERIFY2(word.hasMatch(), qPrintable(bbox.left(500)));
        QCOMPARE(word.captured(3), Meetbestandsnaam);
        const double x = word.captured(1).toDouble() * 25.4 / 72;
        QVERIFY2(qAbs(x - (border + 15)) < 0.5, qPrintable(QString::number(x)));

        // The run stored the settings it printed with.
        QCOMPARE(Registry::read(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Device")),
                 QStringLiteral("0"));
        QCOMPARE(Registry::read(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Orientation")),
                 orientation);

        // Pictures of the pages to look at (pdftoppm).
        const QString pictures = QStringLiteral(QLV2_BINARY_DIR "/pictures");
        QDir().mkpath(pictures);
        run(QStringLiteral("pdftoppm"),
            {"-png", "-r", "50", pdf, pictures + QStringLiteral("/print-all-") + orientation});
    }

    void emptyRunWritesNoFile()
    {
        m_table->hide();
        const QString pdf = m_dir.filePath(QStringLiteral("empty.pdf"));
        m_dialogs->answerFile(pdf);
        answerPrintDialog(print);
        AfdrukkenMetDialoog(nullptr);
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(m_dialogs->messageTexts().isEmpty());
        // Printing nothing is still a completed run.
        QCOMPARE(Registry::read(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Print All")),
                 QStringLiteral("True"));
    }

    void cancelKeepsTheSettings_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("dialog Cancel") << 0;
        QTest::newRow("file dialog Cancel") << 1;
    }
    void cancelKeepsTheSettings()
    {
        QFETCH(int, how);
        Registry::write(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Operator"),
                        QStringLiteral("Jan"));
        const QByteArray before = registryBytes();
        m_windows->graph(1);
        answerPrintDialog([how](formPrint &dialog) {
            dialog.TextOperator->setText(QStringLiteral("Piet"));
            return how == 0 ? dialog.CancelButton : dialog.OKButton;
        });
        m_dialogs->answerFile(QString());
        AfdrukkenMetDialoog(nullptr);
        QCOMPARE(registryBytes(), before);
        QVERIFY(QDir(m_dir.path()).entryList({"*.pdf"}).isEmpty());
    }

    void unwritablePathGivesOneMessage()
    {
        m_windows->graph(1);
        m_windows->graph(3);
        const QByteArray before = registryBytes();
        m_dialogs->answerFile(m_dir.filePath(QStringLiteral("no/such/folder/x.pdf")));
        answerPrintDialog(print);
        AfdrukkenMetDialoog(nullptr);
        QCOMPARE(m_dialogs->messageTexts().size(), 1);
        QVERIFY2(m_dialogs->messageTexts()[0].startsWith(QStringLiteral("The printout could not be made: ")),
                 qPrintable(m_dialogs->messageTexts()[0]));
        QCOMPARE(registryBytes(), before);
        QVERIFY(!RunBezig());
    }

    void terminalText()
    {
        frmTerminal terminal;
        terminal.Form_Load();
        QStringList lines;
        for (int i = 1; i <= 90; ++i)
            lines << QStringLiteral("#%1 reply %2").arg(i, 3, 10, QLatin1Char('0')).arg(i * 7);
        terminal.ToevoegenTextBox(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'), 0);
        dataViews().activeWindow = [&terminal] { return &terminal; };
        Registry::write(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Print All"),
                        QStringLiteral("False"));
        const QString pdf = m_dir.filePath(QStringLiteral("terminal.pdf"));
        m_dialogs->answerFile(pdf);
        answerPrintDialog(print);
        AfdrukkenMetDialoog(nullptr);

        const QString text = run(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
        QVERIFY(pages(pdf) >= 2);
        QVERIFY(text.contains(QStringLiteral("Terminal window")));
        qsizetype at = -1;
        for (const QString &line : lines) {
            const qsizetype next = text.indexOf(line);
            QVERIFY2(next > at, qPrintable(line));
            at = next;
        }
    }

    void rackPicture()
    {
        FormRack rack(2);
        rack.resize(500, 300);
        rack.show();
        rack.LaadVensterTitel();
        rack.FormInstellenControls();
        dataViews().activeWindow = [&rack] { return &rack; };
        Registry::write(RegisterNaam, QStringLiteral("Printer"), QStringLiteral("Print All"),
                        QStringLiteral("False"));
        const QString pdf = m_dir.filePath(QStringLiteral("rack.pdf"));
        m_dialogs->answerFile(pdf);
        answerPrintDialog(print);
        AfdrukkenMetDialoog(nullptr);
        QCOMPARE(pages(pdf), 1);
        // No heading block: the page holds only the window's picture.
        QVERIFY(!run(QStringLiteral("pdftotext"), {pdf, "-"}).contains(QStringLiteral("Operator")));
        const QString pictures = QStringLiteral(QLV2_BINARY_DIR "/pictures");
        QDir().mkpath(pictures);
        run(QStringLiteral("pdftoppm"), {"-png", "-r", "50", pdf, pictures + QStringLiteral("/print-rack")});
    }

    void directPrint()
    {
        Clock::current(); // the real clock names the file
        m_windows->graph(3);
        PrintDirect(m_windows->graph(3).window());
        const QStringList files = QDir(m_dir.path()).entryList({"run-*.pdf"});
        QCOMPARE(files.size(), 1);
        QVERIFY2(files[0].contains(QRegularExpression(QStringLiteral("^run-\\d{8}-\\d{6}\\.pdf$"))),
                 qPrintable(files[0]));
        // No file dialog: the status bar names the file.
        QVERIFY(m_dialogs->requests().isEmpty());
        QCOMPARE(m_status, QStringList{"Printed to " + QDir::toNativeSeparators(m_dir.filePath(files[0]))});
        QCOMPARE(pages(m_dir.filePath(files[0])), 1);
    }

    void directPrintDuringARunWaits()
    {
        QStringList writtenInTheRun;
        m_windows->graph(1).whileDrawn = [this, &writtenInTheRun] {
            if (!RunBezig())
                return;
            PrintDirect(&m_windows->graph(3));
            writtenInTheRun = QDir(m_dir.path()).entryList({"run-*.pdf"});
        };
        m_windows->graph(3);
        const QString pdf = m_dir.filePath(QStringLiteral("all.pdf"));
        m_dialogs->answerFile(pdf);
        answerPrintDialog(print);
        AfdrukkenMetDialoog(nullptr);
        QCOMPARE(pages(pdf), 4);
        QVERIFY(writtenInTheRun.isEmpty());
        const QStringList direct = QDir(m_dir.path()).entryList({"run-*.pdf"});
        QCOMPARE(direct.size(), 1);
        QCOMPARE(pages(m_dir.filePath(direct[0])), 1);
        QVERIFY(!RunBezig());
    }
};

QTEST_MAIN(TestPrintPdf)
#include "tst_printpdf.moc"
