#include "core/conversions.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/tablesink.h"
#include "graph/printablegraph.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/printdevice.h"
#include "platform/registry.h"
#include "printing/pagesetupdialog.h"
#include "printing/printdialog.h"
#include "support/language.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include "fakegraph.h"

using namespace Printerkode;
using namespace Hoofdmodule;

namespace {

const QString Sectie = QStringLiteral("Printer");

// A graph window as far as the print dialog asks: its number and its limit lines.
class AlarmGraph : public QWidget, public FakeGraph {
public:
    AlarmGraph(qint16 number, bool hoog, bool laag)
    {
        index = number;
        high = hoog;
        low = laag;
        setProperty("Tag", QStringLiteral("grafiek%1").arg(number));
    }
    QString caption() const override { return windowTitle(); }
};

// The table window as far as the print dialog asks: the tab on show and each grid's
// selected rows.
class SelectionTable : public QWidget, public TableSink {
public:
    SelectionTable() { setProperty("Tag", QStringLiteral("tabel")); }
    GridData &gridData(int) override { return m_data; }
    void StelTabelIn(bool) override {}
    void WisTabelGegevens(int) override {}
    void beginFileLoad() override {}
    void endFileLoad() override {}
    void fillFromFileLine(int, QStringView, qsizetype &, QStringView) override {}
    void InstellenZichtbaarheidTabel() override {}
    void redraw() override {}
    int Tab() const override { return shownTab; }
    qint32 Geselecteerd(int tab, qint32) const override { return selected.value(tab); }

    int shownTab = 0;
    QMap<int, qint32> selected; // grid -> selected rows

private:
    GridData m_data;
};

QByteArray registryBytes()
{
    QFile file(Registry::filePath(RegisterNaam));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// A PDF printer whose printable area is 203.2 x 287 mm upright.
void marginPrinter(QPrinter &printer, QPageLayout::Orientation orientation)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(orientation);
    const bool upright = orientation == QPageLayout::Portrait;
    printer.setPageMargins(upright ? QMarginsF(3.4, 5, 3.4, 5) : QMarginsF(5, 3.4, 5, 3.4),
                           QPageLayout::Millimeter);
}

void typeInto(MargeVeld *veld, const QString &text)
{
    veld->Tekstveld()->selectAll();
    QTest::keyClicks(veld->Tekstveld(), text);
}

void pressEnter(QWidget *widget) { QTest::keyClick(widget, Qt::Key_Return); }

} // namespace

class TestPrintDialogs : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QLocale::setDefault(QLocale::c());
        QFile::remove(Registry::filePath(RegisterNaam));
        qint16 taal = 0;
        LaadTaal(taal);
        printDialogHooks() = {};
        printDialogHooks().printers = [] {
            return QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta"),
                               QStringLiteral("Gamma")};
        };
        printDialogHooks().standaardPrinter = [] { return QStringLiteral("Beta"); };
        dataViews().activeWindow = nullptr;
        MargeBoven = MargeOnder = MargeLinks = MargeRechts = 10;
        PrintLettertype = QStringLiteral("Arial");
        PrintCursief = false;
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void defaultsWithoutPrinterSection()
    {
        formPrint dialog;
        dialog.Form_Load();
        QCOMPARE(PrintLettertype, QStringLiteral("Arial"));
        QVERIFY(!PrintCursief);
        QVERIFY(dialog.TextOperator->text().isEmpty());
        QVERIFY(dialog.TextBedrijf->text().isEmpty());
        QVERIFY(dialog.TextAfdeling->text().isEmpty());
        QVERIFY(dialog.TextNota->toPlainText().isEmpty());
        QVERIFY(dialog.OptionAlles->isChecked());
        QVERIFY(dialog.OptionOrientatie[0]->isChecked());
        QCOMPARE(dialog.ComboPrinter->currentText(), QStringLiteral("Beta"));
        QCOMPARE(MargeBoven, 0.f);
        QCOMPARE(MargeOnder, 0.f);
        QCOMPARE(MargeLinks, 0.f);
        QCOMPARE(MargeRechts, 0.f);
        QVERIFY(!dialog.CheckAlarmRapport->isChecked());
        QVERIFY(!dialog.CommandSaveSettings->isEnabled());
        QCOMPARE(dialog.SSTab->currentIndex(), 0);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Print ..."));
    }

    void printerList_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("standard");
        QTest::addColumn<int>("selected");
        QTest::newRow("default printer") << "" << "Gamma" << 2;
        QTest::newRow("no default printer: PDF") << "" << "" << 3;
        QTest::newRow("unknown default printer: PDF") << "" << "Delta" << 3;
        QTest::newRow("7 of 3 printers: first") << "7" << "Beta" << 0;
        QTest::newRow("PDF keeps its place") << "3" << "Beta" << 3;
        QTest::newRow("stored printer") << "2" << "Beta" << 2;
    }
    void printerList()
    {
        QFETCH(QString, stored);
        QFETCH(QString, standard);
        QFETCH(int, selected);
        printDialogHooks().standaardPrinter = [standard] { return standard; };
        if (!stored.isEmpty())
            Registry::write(RegisterNaam, Sectie, QStringLiteral("Device"), stored);
        formPrint dialog;
        dialog.Form_Load();
        QCOMPARE(dialog.ComboPrinter->count(), 4);
        QCOMPARE(dialog.ComboPrinter->itemText(3), QStringLiteral("PDF file"));
        QCOMPARE(dialog.ComboPrinter->currentIndex(), selected);
        QCOMPARE(PrintToestel, selected);
    }

    void decimalCommaRoundTrip_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("written");
        QTest::newRow("comma") << "nl_NL" << "12,5";
        QTest::newRow("point") << "en_US" << "12.5";
    }
    void decimalCommaRoundTrip()
    {
        QFETCH(QString, locale);
        QFETCH(QString, written);
        QLocale::setDefault(QLocale(locale));
        LadenPrinterinstellingen(Sectie);
        MargeBoven = 12.5f;
        MargeLinks = 7.25f;
        BewarenPrinterinstellingen(Sectie);
        QCOMPARE(Registry::read(RegisterNaam, Sectie, QStringLiteral("Offset top")), written);
        // Read back in the other notation too.
        QLocale::setDefault(QLocale::c());
        MargeBoven = MargeLinks = 0;
        LadenPrinterinstellingen(Sectie);
        QCOMPARE(MargeBoven, 12.5f);
        QCOMPARE(MargeLinks, 7.25f);
    }

    void orientation_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("landscape");
        QTest::newRow("1") << "1" << false;
        QTest::newRow("2") << "2" << true;
        QTest::newRow("3") << "3" << false;
        QTest::newRow("0") << "0" << false;
    }
    void orientation()
    {
        QFETCH(QString, stored);
        QFETCH(bool, landscape);
        Registry::write(RegisterNaam, Sectie, QStringLiteral("Orientation"), stored);
        formPrint dialog;
        dialog.Form_Load();
        QCOMPARE(PrintOrientatie, landscape ? 2 : 1);
        QCOMPARE(dialog.OptionOrientatie[1]->isChecked(), landscape);
        const QPixmap before = dialog.ImageOrientation->pixmap();
        QCOMPARE(before.width() > before.height(), landscape);
        // The other choice turns the icon and enables Save settings.
        dialog.OptionOrientatie[landscape ? 0 : 1]->click();
        const QPixmap after = dialog.ImageOrientation->pixmap();
        QCOMPARE(after.width() > after.height(), !landscape);
        QVERIFY(dialog.CommandSaveSettings->isEnabled());
        dialog.UitlezenPrinterinstellingen();
        QCOMPARE(PrintOrientatie, landscape ? 1 : 2);
    }

    void paperNames_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("name");
        QTest::newRow("9") << 9 << "A4, 210 x 297 mm";
        QTest::newRow("1") << 1 << "Letter, 8 1/2 x 11 in.";
        QTest::newRow("28") << 28 << "Envelope C5, 162 x 229 mm";
        QTest::newRow("41") << 41 << "German Legal Fanfold, 8 1/2 x 13 in.";
        QTest::newRow("0") << 0 << "User-defined";
        QTest::newRow("42") << 42 << "User-defined";
        QTest::newRow("256") << 256 << "User-defined";
    }
    void paperNames()
    {
        QFETCH(int, size);
        QFETCH(QString, name);
        QCOMPARE(WeergavePapierSoort(size), name);
    }

    void paperLabelFollowsThePrinter()
    {
        formPrint dialog;
        dialog.Form_Load();
        dialog.ComboPrinter->setCurrentIndex(3);
        dialog.ComboPrinter_Click();
        const std::unique_ptr<QPrinter> pdf = MaakPrinter(3, QPageLayout::Portrait);
        QCOMPARE(dialog.LabelPapier->text(),
                 QStringLiteral("Paper size: ") + WeergavePapierSoort(PapierSoort(*pdf)));
        QVERIFY(dialog.CommandSaveSettings->isEnabled());
    }

    void saveButtonFollowsChanges_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("operator") << 0;
        QTest::newRow("note") << 1;
        QTest::newRow("current window") << 2;
        QTest::newRow("alarm report") << 3;
    }
    void saveButtonFollowsChanges()
    {
        QFETCH(int, change);
        QWidget active;
        dataViews().activeWindow = [&active] { return &active; };
        formPrint dialog;
        dialog.Form_Load();
        QVERIFY(!dialog.CommandSaveSettings->isEnabled());
        switch (change) {
        case 0: QTest::keyClicks(dialog.TextOperator, QStringLiteral("Jan")); break;
        case 1: dialog.TextNota->setPlainText(QStringLiteral("x")); break;
        case 2: dialog.OptionActiefVenster->click(); break;
        default: dialog.CheckAlarmRapport->setChecked(true); break;
        }
        QVERIFY(dialog.CommandSaveSettings->isEnabled());
        dialog.CommandSaveSettings->click();
        QVERIFY(!dialog.CommandSaveSettings->isEnabled());
    }

    void alarmReportEnabling_data()
    {
        QTest::addColumn<bool>("all");
        QTest::addColumn<bool>("high");
        QTest::addColumn<bool>("low");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("current, high limit") << false << true << false << true;
        QTest::newRow("current, low limit") << false << false << true << true;
        QTest::newRow("current, no limits") << false << false << false << false;
        QTest::newRow("all, a graph with a limit") << true << true << false << true;
        QTest::newRow("all, no limits") << true << false << false << false;
    }
    void alarmReportEnabling()
    {
        QFETCH(bool, all);
        QFETCH(bool, high);
        QFETCH(bool, low);
        QFETCH(bool, enabled);
        AlarmGraph graph(5, high, low);
        graph.setWindowTitle(QStringLiteral("Oven"));
        dataViews().activeWindow = [&graph]() -> QWidget * { return &graph; };
        printDialogHooks().grafiek = [&graph](int g) -> const PrintableGraph * {
            return g == 5 ? &graph : nullptr;
        };
        Registry::write(RegisterNaam, Sectie, QStringLiteral("Print All"),
                        BooleanTekst(all));
        formPrint dialog;
        dialog.Form_Load();
        QCOMPARE(dialog.OptionActiefVenster->text(), QStringLiteral("Current window (Oven)"));
        QCOMPARE(dialog.OptionAlles->isChecked(), all);
        QCOMPARE(dialog.CheckAlarmRapport->isEnabled(), enabled);
        if (!all)
            QCOMPARE(dialog.tePrintenVenster.data(), &graph);
        dataViews().activeWindow = nullptr;
    }

    void selectionNeedsTheTable()
    {
        formPrint dialog;
        dialog.Form_Load();
        QVERIFY(!dialog.CheckEnkelSelectie->isEnabled());
        dialog.OptionActiefVenster->click();
        QVERIFY(!dialog.CheckEnkelSelectie->isEnabled());
    }

    void selectionEnabling_data()
    {
        QTest::addColumn<bool>("current");   // "Current window" chosen, the table active
        QTest::addColumn<bool>("visible");   // the table window is shown
        QTest::addColumn<int>("shownTab");
        QTest::addColumn<int>("selectedGrid");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("current, shown tab has a selection") << true << true << 1 << 1 << true;
        QTest::newRow("current, another tab has it") << true << true << 0 << 1 << false;
        QTest::newRow("all, a valid slot's grid") << false << true << 0 << 1 << true;
        QTest::newRow("all, an invalid slot's grid") << false << true << 0 << 4 << false;
        QTest::newRow("all, table hidden") << false << false << 0 << 1 << false;
    }
    void selectionEnabling()
    {
        QFETCH(bool, current);
        QFETCH(bool, visible);
        QFETCH(int, shownTab);
        QFETCH(int, selectedGrid);
        QFETCH(bool, enabled);
        ResetToestellen();
        Toestel[2].Type = "T512";
        Toestel[2].Idno = 2;
        Toestel[2].Kanalen = 1;
        SelectionTable table;
        table.shownTab = shownTab;
        table.selected[selectedGrid] = 3;
        if (visible)
            table.show();
        dataViews().tabel = &table;
        dataViews().activeWindow = [&table]() -> QWidget * { return &table; };
        Registry::write(RegisterNaam, Sectie, QStringLiteral("Print All"),
                        BooleanTekst(!current));
        formPrint dialog;
        dialog.Form_Load();
        QCOMPARE(dialog.CheckEnkelSelectie->isEnabled(), enabled);
        dataViews().tabel = nullptr;
        dataViews().activeWindow = nullptr;
        ResetToestellen();
    }

    void fontThenCancel()
    {
        Registry::write(RegisterNaam, Sectie, QStringLiteral("Fontname"),
                        QStringLiteral("DejaVu Sans"));
        Registry::write(RegisterNaam, Sectie, QStringLiteral("Note"), QStringLiteral("kept"));
        const QByteArray before = registryBytes();
        ScriptedDialogProvider provider;
        QFont chosen(QStringLiteral("DejaVu Serif"));
        chosen.setItalic(true);
        chosen.setPointSize(20);
        provider.answerFont(chosen);
        provider.answerFont(std::nullopt);
        formPrint dialog;
        dialog.Form_Load();
        QCOMPARE(PrintLettertype, QStringLiteral("DejaVu Sans"));
        dialog.CommandPrinterFont->click();
        QCOMPARE(provider.requests().last().title, QStringLiteral("Change Font"));
        QCOMPARE(PrintLettertype, QStringLiteral("DejaVu Serif"));
        QVERIFY(PrintCursief);
        QCOMPARE(dialog.LabelTonenLettertype->text(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(dialog.LabelTonenLettertype->font().pointSizeF(), 8.0);
        QVERIFY(dialog.CommandSaveSettings->isEnabled());
        // A cancelled font dialog changes nothing.
        dialog.CommandPrinterFont->click();
        QCOMPARE(PrintLettertype, QStringLiteral("DejaVu Serif"));
        dialog.TextOperator->setText(QStringLiteral("not kept"));
        dialog.CancelButton->click();
        QCOMPARE(PrintLettertype, QStringLiteral("DejaVu Sans"));
        QVERIFY(!PrintCursief);
        QVERIFY(dialog.Gesloten);
        QVERIFY(!dialog.Geprint);
        QCOMPARE(registryBytes(), before);
    }

    void fontFallback_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("fonts");
        QTest::addColumn<QString>("result");
        const QStringList all{"DejaVu Sans", "Liberation Sans", "Arial", "Zeta"};
        QTest::newRow("installed") << "Zeta" << all << "Zeta";
        QTest::newRow("Arial first") << "Nope" << all << "Arial";
        QTest::newRow("then Liberation Sans")
            << "Nope" << QStringList{"DejaVu Sans", "Liberation Sans"} << "Liberation Sans";
        QTest::newRow("then DejaVu Sans") << "" << QStringList{"Zeta", "DejaVu Sans"}
                                          << "DejaVu Sans";
        QTest::newRow("no fonts keep the name") << "Nope" << QStringList{} << "Nope";
    }
    void fontFallback()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, fonts);
        QFETCH(QString, result);
        QCOMPARE(GeldigLettertype(name, fonts), result);
    }

    void fontFallbackElseDefault()
    {
        QCOMPARE(GeldigLettertype(QStringLiteral("Nope"), {QStringLiteral("Zeta")}),
                 QApplication::font().family());
    }

    void missingFontIsReplacedWhenRead()
    {
        Registry::write(RegisterNaam, Sectie, QStringLiteral("Fontname"),
                        QStringLiteral("No Such Font"));
        Registry::write(RegisterNaam, Sectie, QStringLiteral("Fontitalic"),
                        QStringLiteral("True"));
        formPrint dialog;
        dialog.Form_Load();
        dialog.UitlezenPrinterinstellingen();
        QCOMPARE(PrintLettertype, GeldigLettertype(QStringLiteral("No Such Font"),
                                                   QFontDatabase::families()));
        QVERIFY(PrintLettertype != QStringLiteral("No Such Font"));
        QVERIFY(!PrintCursief);
    }

    void currentWindowNeedsAnActiveChild_data()
    {
        QTest::addColumn<bool>("active");
        QTest::newRow("active child") << true;
        QTest::newRow("none") << false;
    }
    void currentWindowNeedsAnActiveChild()
    {
        QFETCH(bool, active);
        QWidget window;
        window.setWindowTitle(QStringLiteral("Table"));
        if (active)
            dataViews().activeWindow = [&window] { return &window; };
        Registry::write(RegisterNaam, Sectie, QStringLiteral("Print All"), QStringLiteral("False"));
        formPrint dialog;
        dialog.Form_Load();
        QCOMPARE(dialog.OptionActiefVenster->isEnabled(), active);
        QCOMPARE(dialog.OptionActiefVenster->isChecked(), active);
        QCOMPARE(dialog.OptionAlles->isChecked(), !active);
        QCOMPARE(dialog.tePrintenVenster.data(), active ? &window : nullptr);
        QCOMPARE(dialog.OptionActiefVenster->text(),
                 active ? QStringLiteral("Current window (Table)") : QStringLiteral("Current window"));
    }

    void saveStoresTheFourteenValues()
    {
        QWidget active;
        dataViews().activeWindow = [&active] { return &active; };
        formPrint dialog;
        dialog.Form_Load();
        dialog.TextOperator->setText(QStringLiteral("Jan"));
        dialog.TextNota->setPlainText(QStringLiteral("line"));
        dialog.OptionOrientatie[1]->click();
        dialog.OptionActiefVenster->click();
        dialog.CommandSaveSettings->click();
        auto stored = [](const char *key) {
            return Registry::read(RegisterNaam, Sectie, QLatin1String(key));
        };
        QCOMPARE(stored("Operator"), QStringLiteral("Jan"));
        QCOMPARE(stored("Note"), QStringLiteral("line"));
        QCOMPARE(stored("Orientation"), QStringLiteral("2"));
        QCOMPARE(stored("Print All"), QStringLiteral("False"));
        QCOMPARE(stored("Device"), QStringLiteral("1"));
        QCOMPARE(stored("Alarm report"), QStringLiteral("False"));
        QCOMPARE(stored("Offset top"), QStringLiteral("0"));
        QCOMPARE(stored("Fontitalic"), QStringLiteral("False"));
    }

    // --- The page-margin dialog ---------------------------------------------------------

    void marginLimits_data()
    {
        QTest::addColumn<bool>("landscape");
        QTest::newRow("portrait") << false;
        QTest::newRow("landscape") << true;
    }
    void marginLimits()
    {
        QFETCH(bool, landscape);
        QPrinter printer;
        marginPrinter(printer, landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        PrinterDevice device(printer);
        formPaginaSetup dialog(device);
        MargeVeld *tall = landscape ? dialog.TextLeft : dialog.TextTop;
        MargeVeld *wide = landscape ? dialog.TextTop : dialog.TextLeft;
        QCOMPARE(qRound(tall->maximum() * 10), 957);
        QCOMPARE(qRound(wide->maximum() * 10), 677);
        QCOMPARE(dialog.LabelSizes->text(),
                 landscape ? QStringLiteral("Values in mm,\nrelative to printable area! = 287.0 x 203.2 mm")
                           : QStringLiteral("Values in mm,\nrelative to printable area! = 203.2 x 287.0 mm"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Page margins"));
        typeInto(tall, QStringLiteral("120"));
        pressEnter(tall);
        QCOMPARE(tall->text(), QStringLiteral("95.7"));
        dialog.OKButton_Click();
        QCOMPARE(landscape ? MargeLinks : MargeBoven, 287.f * 0.33333334f);
    }

    void marginTyping_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<float>("stored");
        QTest::newRow("12") << "12" << "12.0" << 12.f;
        QTest::newRow("above the limit") << "120" << "95.7" << 287.f * 0.33333334f;
        QTest::newRow("negative") << "-3" << "0.0" << 0.f;
        QTest::newRow("letters") << "abc" << "0.0" << 0.f;
        QTest::newRow("decimal comma") << "12,34" << "12.3" << 12.3f;
        QTest::newRow("decimal point") << "7.25" << "7.3" << 7.3f;
    }
    void marginTyping()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(float, stored);
        QPrinter printer;
        marginPrinter(printer, QPageLayout::Portrait);
        PrinterDevice device(printer);
        formPaginaSetup dialog(device);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.TextBottom->setFocus();
        typeInto(dialog.TextBottom, typed);
        // Nothing is rewritten while typing.
        QCOMPARE(dialog.TextBottom->text(), typed);
        // Leaving the field ends the editing.
        dialog.TextRight->setFocus();
        QCOMPARE(dialog.TextBottom->text(), shown);
        dialog.OKButton_Click();
        QVERIFY(!dialog.CancelGeklikt);
        QCOMPARE(MargeOnder, stored);
    }

    void okReadsTextStillBeingTyped()
    {
        QPrinter printer;
        marginPrinter(printer, QPageLayout::Portrait);
        PrinterDevice device(printer);
        formPaginaSetup dialog(device);
        typeInto(dialog.TextLeft, QStringLiteral("12"));
        dialog.OKButton->click();
        QCOMPARE(MargeLinks, 12.f);
    }

    void spinnerStepsTenths()
    {
        MargeRechts = 5;
        QPrinter printer;
        marginPrinter(printer, QPageLayout::Portrait);
        PrinterDevice device(printer);
        formPaginaSetup dialog(device);
        QCOMPARE(dialog.TextRight->text(), QStringLiteral("5.0"));
        dialog.TextRight->stepUp();
        QCOMPARE(dialog.TextRight->text(), QStringLiteral("5.1"));
        dialog.TextRight->stepDown();
        dialog.TextRight->stepDown();
        QCOMPARE(dialog.TextRight->text(), QStringLiteral("4.9"));
        dialog.OKButton_Click();
        QCOMPARE(MargeRechts, 4.9f);
    }

    void storedMarginAboveTheLimit()
    {
        QPrinter printer;
        marginPrinter(printer, QPageLayout::Portrait);
        PrinterDevice device(printer);
        {
            MargeBoven = 120;
            formPaginaSetup dialog(device);
            QCOMPARE(dialog.TextTop->text(), QStringLiteral("95.7"));
            dialog.CancelButton_Click();
            QVERIFY(dialog.CancelGeklikt);
            QCOMPARE(MargeBoven, 120.f);
        }
        formPaginaSetup dialog(device);
        dialog.OKButton_Click();
        QCOMPARE(MargeBoven, 287.f * 0.33333334f);
    }

    void marginsInTheLocaleNotation()
    {
        QLocale::setDefault(QLocale(QStringLiteral("nl_NL")));
        MargeBoven = 12.5f;
        QPrinter printer;
        marginPrinter(printer, QPageLayout::Portrait);
        PrinterDevice device(printer);
        formPaginaSetup dialog(device);
        QCOMPARE(dialog.TextTop->text(), QStringLiteral("12,5"));
        QVERIFY(dialog.LabelSizes->text().endsWith(QStringLiteral("203,2 x 287,0 mm")));
        dialog.TextTop->stepUp();
        QCOMPARE(dialog.TextTop->text(), QStringLiteral("12,6"));
    }

    void frameCloseIsCancel_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("frame") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("Cancel") << 2;
        QTest::newRow("OK") << 3;
    }
    void frameCloseIsCancel()
    {
        QFETCH(int, how);
        MargeBoven = 20;
        QPrinter printer;
        marginPrinter(printer, QPageLayout::Portrait);
        PrinterDevice device(printer);
        QTimer::singleShot(0, this, [how] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *dialog = qobject_cast<formPaginaSetup *>(w);
                if (!dialog || !dialog->isVisible())
                    continue;
                dialog->TextTop->Tekstveld()->setText(QStringLiteral("30"));
                if (how == 0)
                    dialog->close();
                else if (how == 1)
                    QTest::keyClick(dialog, Qt::Key_Escape);
                else
                    (how == 2 ? dialog->CancelButton : dialog->OKButton)->click();
            }
        });
        const bool ok = formPaginaSetup::TonenEnWachten(device, nullptr);
        QCOMPARE(ok, how == 3);
        QCOMPARE(MargeBoven, how == 3 ? 30.f : 20.f);
    }

    void printDialogShownAndWaited()
    {
        QTimer::singleShot(0, this, [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *dialog = qobject_cast<formPrint *>(w); dialog && dialog->isVisible())
                    dialog->OKButton->click();
        });
        formPrint dialog;
        QVERIFY(dialog.TonenEnWachten());
        QVERIFY(!dialog.isVisible());
        QVERIFY(PrintAlles);
    }

    // The dialog is made once and shown again for every print: each time it names the paper
    // of the chosen printer, as it did the first time.
    void paperShownEveryTime()
    {
        formPrint dialog;
        const std::unique_ptr<QPrinter> beta = MaakPrinter(1, QPageLayout::Portrait);
        const QString paper = QStringLiteral("Paper size: ") + WeergavePapierSoort(PapierSoort(*beta));
        for (int time = 1; time <= 2; ++time) {
            QString shown;
            QTimer::singleShot(0, this, [&shown] {
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (auto *d = qobject_cast<formPrint *>(w); d && d->isVisible()) {
                        shown = d->LabelPapier->text();
                        d->CancelButton->click();
                    }
            });
            QVERIFY(!dialog.TonenEnWachten());
            QVERIFY2(shown == paper, qPrintable(QStringLiteral("time %1: \"%2\"").arg(time).arg(shown)));
        }
    }

    void pictures()
    {
        const QString dir = QDir::home().filePath(QStringLiteral("pictures"));
        QDir().mkpath(dir);
        for (qint16 taal : {qint16(0), qint16(2)}) {
            LaadTaal(taal);
            formPrint dialog;
            dialog.Form_Load();
            dialog.resize(dialog.sizeHint());
            dialog.show();
            for (int tab = 0; tab < 3; ++tab) {
                dialog.SSTab->setCurrentIndex(tab);
                QVERIFY(dialog.grab().save(
                    QStringLiteral("%1/print-%2-tab%3.png").arg(dir).arg(taal).arg(tab)));
            }
        }
        QPrinter printer;
        marginPrinter(printer, QPageLayout::Portrait);
        PrinterDevice device(printer);
        formPaginaSetup dialog(device);
        dialog.show();
        QVERIFY(dialog.grab().save(dir + QStringLiteral("/margins.png")));
    }
};

QTEST_MAIN(TestPrintDialogs)
#include "tst_printdialogs.moc"
