#include "printing/printdialog.h"

#include "core/conversions.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/tablesink.h"
#include "graph/printablegraph.h"
#include "platform/dialogs.h"
#include "platform/printdevice.h"
#include "platform/pump.h"
#include "platform/registry.h"
#include "printing/pageengine.h"
#include "printing/pagesetupdialog.h"
#include "support/language.h"
#include "support/utilities.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageSize>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindow>
#include <utility>
#include <iterator>

namespace Printerkode {

using Hoofdmodule::RegisterNaam;

PrintDialogHooks &printDialogHooks()
{
    static PrintDialogHooks hooks;
    return hooks;
}

namespace {

QStringList SysteemPrinters()
{
    const auto &hooks = printDialogHooks();
    return hooks.printers ? hooks.printers() : QPrinterInfo::availablePrinterNames();
}

QString SysteemStandaard()
{
    const auto &hooks = printDialogHooks();
    return hooks.standaardPrinter ? hooks.standaardPrinter() : QPrinterInfo::defaultPrinterName();
}

} // namespace

QStringList PrinterLijst() { return SysteemPrinters() << Taaltekst(508); }

int PdfIndex() { return int(SysteemPrinters().size()); }

int BepaalPrinterIndex(int opgeslagen)
{
    const QStringList lijst = SysteemPrinters();
    if (opgeslagen != -1)
        return opgeslagen >= 0 && opgeslagen <= lijst.size() ? opgeslagen : 0;
    const QString standaard = SysteemStandaard();
    const int i = standaard.isEmpty() ? -1 : int(lijst.indexOf(standaard));
    return i >= 0 ? i : int(lijst.size());
}

std::unique_ptr<QPrinter> MaakPrinter(int index, QPageLayout::Orientation orientatie)
{
    const QStringList lijst = SysteemPrinters();
    std::unique_ptr<QPrinter> printer;
    if (index >= 0 && index < lijst.size()) {
        printer = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(lijst.at(index)),
                                             QPrinter::HighResolution);
    } else {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
    }
    printer->setPageOrientation(orientatie);
    return printer;
}

QString WeergavePapierSoort(int soort)
{
    static const char *const namen[] = {
        "Letter, 8 1/2 x 11 in.",
        "Letter Small, 8 1/2 x 11 in.",
        "Tabloid, 11 x 17 in.",
        "Ledger, 17 x 11 in.",
        "Legal, 8 1/2 x 14 in.",
        "Statement, 5 1/2 x 8 1/2 in.",
        "Executive, 7 1/2 x 10 1/2 in.",
        "A3, 297 x 420 mm",
        "A4, 210 x 297 mm",
        "A4 Small, 210 x 297 mm",
        "A5, 148 x 210 mm",
        "B4, 250 x 354 mm",
        "B5, 182 x 257 mm",
        "Folio, 8 1/2 x 13 in.",
        "Quarto, 215 x 275 mm",
        "10 x 14 in.",
        "11 x 17 in.",
        "Note, 8 1/2 x 11 in.",
        "Envelope #9, 3 7/8 x 8 7/8 in.",
        "Envelope #10, 4 1/8 x 9 1/2 in.",
        "Envelope #11, 4 1/2 x 10 3/8 in.",
        "Envelope #12, 4 1/2 x 11 in.",
        "Envelope #14, 5 x 11 1/2 in.",
        "C size sheet",
        "D size sheet",
        "E size sheet",
        "Envelope DL, 110 x 220 mm",
        "Envelope C5, 162 x 229 mm",
        "Envelope C3, 324 x 458 mm",
        "Envelope C4, 229 x 324 mm",
        "Envelope C6, 114 x 162 mm",
        "Envelope C65, 114 x 229 mm",
        "Envelope B4, 250 x 353 mm",
        "Envelope B5, 176 x 250 mm",
        "Envelope B6, 176 x 125 mm",
        "Envelope, 110 x 230 mm",
        "Envelope Monarch, 3 7/8 x 7 1/2 in.",
        "Envelope, 3 5/8 x 6 1/2 in.",
        "U.S. Standard Fanfold, 14 7/8 x 11 in.",
        "German Standard Fanfold, 8 1/2 x 12 in.",
        "German Legal Fanfold, 8 1/2 x 13 in.",
    };
    if (soort >= 1 && soort <= int(std::size(namen)))
        return QString::fromLatin1(namen[soort - 1]);
    return QStringLiteral("User-defined");
}

int PapierSoort(const QPrinter &printer) { return printer.pageLayout().pageSize().windowsId(); }

QString GeldigLettertype(const QString &naam, const QStringList &lettertypes)
{
    if (lettertypes.isEmpty() || (!naam.isEmpty() && lettertypes.contains(naam)))
        return naam;
    for (const char *reserve : {"Arial", "Liberation Sans", "DejaVu Sans"}) {
        if (lettertypes.contains(QLatin1String(reserve)))
            return QLatin1String(reserve);
    }
    return QApplication::font().family();
}

namespace {

constexpr auto Fontname = "Fontname", Fontitalic = "Fontitalic", Operator = "Operator",
               Department = "Department", Company = "Company", PrintAll = "Print All",
               OffsetTop = "Offset top", OffsetBottom = "Offset bottom",
               OffsetLeft = "Offset left", OffsetRight = "Offset right", Note = "Note",
               Orientation = "Orientation", Device = "Device", AlarmReport = "Alarm report";

QString Lezen(const QString &sectie, const char *sleutel, const QString &standaard)
{
    return Registry::read(RegisterNaam, sectie, QLatin1String(sleutel), standaard);
}

void Schrijven(const QString &sectie, const char *sleutel, const QString &waarde)
{
    Registry::write(RegisterNaam, sectie, QLatin1String(sleutel), waarde);
}

QString GetalTekst(float waarde) { return PuntNaarDecimaal(QString::number(double(waarde))); }

} // namespace

void BewarenPrinterinstellingen(const QString &sectie)
{
    Schrijven(sectie, Fontname, PrintLettertype);
    Schrijven(sectie, Fontitalic, BooleanTekst(PrintCursief));
    Schrijven(sectie, Operator, PrintOperator);
    Schrijven(sectie, Department, PrintAfdeling);
    Schrijven(sectie, Company, PrintBedrijf);
    Schrijven(sectie, PrintAll, BooleanTekst(PrintAlles));
    Schrijven(sectie, OffsetTop, GetalTekst(MargeBoven));
    Schrijven(sectie, OffsetBottom, GetalTekst(MargeOnder));
    Schrijven(sectie, OffsetLeft, GetalTekst(MargeLinks));
    Schrijven(sectie, OffsetRight, GetalTekst(MargeRechts));
    Schrijven(sectie, Note, PrintNota);
    Schrijven(sectie, Orientation, QString::number(PrintOrientatie));
    Schrijven(sectie, Device, QString::number(PrintToestel));
    Schrijven(sectie, AlarmReport, BooleanTekst(PrintAlarmRapport));
}

void LadenPrinterinstellingen(const QString &sectie)
{
    const QString nul = QStringLiteral("0");
    PrintLettertype = Lezen(sectie, Fontname, QStringLiteral("Arial"));
    PrintCursief = TekstNaarBoolean(Lezen(sectie, Fontitalic, QStringLiteral("False")));
    PrintOperator = Lezen(sectie, Operator, QString());
    PrintAfdeling = Lezen(sectie, Department, QString());
    PrintBedrijf = Lezen(sectie, Company, QString());
    PrintAlles = TekstNaarBoolean(Lezen(sectie, PrintAll, QStringLiteral("True")));
    MargeBoven = TekstNaarSingle(Lezen(sectie, OffsetTop, nul));
    MargeOnder = TekstNaarSingle(Lezen(sectie, OffsetBottom, nul));
    MargeLinks = TekstNaarSingle(Lezen(sectie, OffsetLeft, nul));
    MargeRechts = TekstNaarSingle(Lezen(sectie, OffsetRight, nul));
    PrintNota = Lezen(sectie, Note, QString());
    // Anything but landscape prints portrait.
    PrintOrientatie = TekstNaarInteger(Lezen(sectie, Orientation, QStringLiteral("1"))) == 2 ? 2 : 1;
    PrintToestel = TekstNaarInteger(Lezen(sectie, Device, QStringLiteral("-1")));
    PrintAlarmRapport = TekstNaarBoolean(Lezen(sectie, AlarmReport, QStringLiteral("False")));
}

} // namespace Printerkode

using namespace Printerkode;
using namespace Hoofdmodule;

namespace {

const QString Sectie = QStringLiteral("Printer");

// A sheet of paper with lines of text, upright or on its side.
QPixmap OrientatieIcoon(bool liggend)
{
    const QSize maat = liggend ? QSize(40, 30) : QSize(30, 40);
    QPixmap pixmap(maat);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(QRect(QPoint(0, 0), maat - QSize(1, 1)));
    for (int y = 6; y < maat.height() - 4; y += 5)
        painter.drawLine(5, y, maat.width() - 6, y);
    return pixmap;
}

bool GrafiekMetAlarm(const PrintableGraph *grafiek)
{
    return grafiek && (grafiek->AlarmHoog() || grafiek->AlarmLaag());
}

} // namespace

formPrint::formPrint(QWidget *parent) : QDialog(parent)
{
    SSTab = new QTabWidget(this);

    auto *tab0 = new QWidget;
    auto *keuze = new QGroupBox(tab0);
    OptionAlles = new QRadioButton(keuze);
    OptionActiefVenster = new QRadioButton(keuze);
    CheckEnkelSelectie = new QCheckBox(keuze);
    CheckAlarmRapport = new QCheckBox(keuze);
    auto *keuzeLayout = new QVBoxLayout(keuze);
    keuzeLayout->addWidget(OptionAlles);
    keuzeLayout->addWidget(OptionActiefVenster);
    keuzeLayout->addSpacing(8);
    keuzeLayout->addWidget(CheckEnkelSelectie);
    keuzeLayout->addWidget(CheckAlarmRapport);
    keuzeLayout->addStretch();
    (new QVBoxLayout(tab0))->addWidget(keuze);

    auto *tab1 = new QWidget;
    auto *hoofding = new QGroupBox(tab1);
    TextOperator = new QLineEdit(hoofding);
    TextBedrijf = new QLineEdit(hoofding);
    TextAfdeling = new QLineEdit(hoofding);
    TextNota = new QPlainTextEdit(hoofding);
    TextNota->setTabChangesFocus(true);
    LabelOperator = new QLabel(hoofding);
    LabelBedrijf = new QLabel(hoofding);
    LabelAfdeling = new QLabel(hoofding);
    LabelNota = new QLabel(hoofding);
    LabelOperator->setBuddy(TextOperator);
    LabelBedrijf->setBuddy(TextBedrijf);
    LabelAfdeling->setBuddy(TextAfdeling);
    LabelNota->setBuddy(TextNota);
    CommandPrinterFont = new QPushButton(hoofding);
    LabelTonenLettertype = new QLabel(hoofding);
    auto *velden = new QFormLayout(hoofding);
    velden->addRow(LabelOperator, TextOperator);
    velden->addRow(LabelBedrijf, TextBedrijf);
    velden->addRow(LabelAfdeling, TextAfdeling);
    velden->addRow(LabelNota, TextNota);
    auto *lettertype = new QHBoxLayout;
    lettertype->addWidget(CommandPrinterFont);
    lettertype->addWidget(LabelTonenLettertype, 1);
    velden->addRow(lettertype);
    (new QVBoxLayout(tab1))->addWidget(hoofding);

    auto *tab2 = new QWidget;
    auto *printerGroep = new QGroupBox(tab2);
    LabelPrinter = new QLabel(printerGroep);
    ComboPrinter = new QComboBox(printerGroep);
    LabelPrinter->setBuddy(ComboPrinter);
    LabelPapier = new QLabel(printerGroep);
    auto *printerLayout = new QGridLayout(printerGroep);
    printerLayout->addWidget(LabelPrinter, 0, 0);
    printerLayout->addWidget(ComboPrinter, 0, 1);
    printerLayout->addWidget(LabelPapier, 1, 0, 1, 2);
    printerLayout->setColumnStretch(1, 1);
    auto *orientatieGroep = new QGroupBox(tab2);
    FrameOrientatie = new QLabel(orientatieGroep);
    OptionOrientatie[0] = new QRadioButton(orientatieGroep);
    OptionOrientatie[1] = new QRadioButton(orientatieGroep);
    ImageOrientation = new QLabel(orientatieGroep);
    ImageOrientation->setFixedSize(44, 44);
    ImageOrientation->setAlignment(Qt::AlignCenter);
    auto *orientatieLayout = new QGridLayout(orientatieGroep);
    orientatieLayout->addWidget(FrameOrientatie, 0, 0, 1, 2);
    orientatieLayout->addWidget(OptionOrientatie[0], 1, 0);
    orientatieLayout->addWidget(OptionOrientatie[1], 2, 0);
    orientatieLayout->addWidget(ImageOrientation, 1, 1, 2, 1);
    orientatieLayout->setColumnStretch(0, 1);
    CommandPagina = new QPushButton(tab2);
    auto *tab2Layout = new QVBoxLayout(tab2);
    tab2Layout->addWidget(printerGroep);
    tab2Layout->addWidget(orientatieGroep);
    auto *paginaRij = new QHBoxLayout;
    paginaRij->addStretch();
    paginaRij->addWidget(CommandPagina);
    tab2Layout->addLayout(paginaRij);
    tab2Layout->addStretch();

    SSTab->addTab(tab0, QString());
    SSTab->addTab(tab1, QString());
    SSTab->addTab(tab2, QString());

    OKButton = new QPushButton(this);
    CancelButton = new QPushButton(this);
    CommandHelp = new QPushButton(this);
    CommandSaveSettings = new QPushButton(this);
    for (QPushButton *knop : {OKButton, CancelButton, CommandHelp, CommandSaveSettings})
        knop->setAutoDefault(false);
    auto *knoppen = new QHBoxLayout;
    knoppen->addWidget(CommandSaveSettings);
    knoppen->addWidget(CommandHelp);
    knoppen->addStretch();
    knoppen->addWidget(OKButton);
    knoppen->addWidget(CancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(SSTab);
    layout->addLayout(knoppen);

    connect(OKButton, &QPushButton::clicked, this, &formPrint::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &formPrint::CancelButton_Click);
    connect(CommandHelp, &QPushButton::clicked, this, &formPrint::CommandHelp_Click);
    connect(CommandPagina, &QPushButton::clicked, this, &formPrint::CommandPagina_Click);
    connect(CommandSaveSettings, &QPushButton::clicked, this,
            &formPrint::CommandSaveSettings_Click);
    connect(CommandPrinterFont, &QPushButton::clicked, this,
            &formPrint::CommandPrinterFont_Click);
    connect(ComboPrinter, &QComboBox::activated, this, &formPrint::ComboPrinter_Click);
    for (QRadioButton *optie : {OptionAlles, OptionActiefVenster}) {
        connect(optie, &QRadioButton::toggled, this, [this](bool aan) {
            if (!aan)
                return;
            InstellenEnkelSelectie();
            InstellenAlarmRapport();
            Gewijzigd();
        });
    }
    for (QRadioButton *optie : OptionOrientatie) {
        connect(optie, &QRadioButton::toggled, this, [this](bool aan) {
            if (!aan)
                return;
            ToonOrientatieIcoon();
            Gewijzigd();
        });
    }
    for (QCheckBox *vak : {CheckEnkelSelectie, CheckAlarmRapport})
        connect(vak, &QCheckBox::toggled, this, &formPrint::Gewijzigd);
    for (QLineEdit *veld : {TextOperator, TextBedrijf, TextAfdeling})
        connect(veld, &QLineEdit::textChanged, this, &formPrint::Gewijzigd);
    connect(TextNota, &QPlainTextEdit::textChanged, this, &formPrint::Gewijzigd);
}

formPrint::~formPrint() = default;

void formPrint::Gewijzigd()
{
    if (!m_laden)
        CommandSaveSettings->setEnabled(true);
}

void formPrint::LaadTekstenPrint()
{
    setWindowTitle(VerwijderAmpersand(Taaltekst(106), QString()) + QStringLiteral(" ..."));
    SSTab->setTabText(0, Taaltekst(355));
    SSTab->setTabText(1, Taaltekst(240));
    SSTab->setTabText(2, Taaltekst(348));
    OptionAlles->setText(Taaltekst(204));
    QString actief = Taaltekst(205);
    const QWidget *venster = dataViews().activeWindow ? dataViews().activeWindow() : nullptr;
    if (venster)
        actief += QStringLiteral(" (") + venster->windowTitle() + QStringLiteral(")");
    OptionActiefVenster->setText(actief);
    CheckEnkelSelectie->setText(Taaltekst(206));
    CheckAlarmRapport->setText(Taaltekst(223));
    LabelOperator->setText(Taaltekst(195));
    LabelBedrijf->setText(Taaltekst(196));
    LabelAfdeling->setText(Taaltekst(197));
    LabelNota->setText(Taaltekst(198));
    CommandPrinterFont->setText(QStringLiteral("&") + Taaltekst(163));
    LabelPrinter->setText(Taaltekst(348) + QStringLiteral(":"));
    // The texts are laid again each time the dialog is shown: the paper's name goes with them.
    ZetPapiersoort(-1);
    FrameOrientatie->setText(Taaltekst(350));
    CommandPagina->setText(QStringLiteral("&") + Taaltekst(211));
    OKButton->setText(Taaltekst(106));
    CancelButton->setText(Taaltekst(141));
    CommandHelp->setText(Taaltekst(227));
    CommandSaveSettings->setText(Taaltekst(260));
}

void formPrint::Form_Load()
{
    m_laden = true;
    LaadTekstenPrint();
    LadenPrinterinstellingen(Sectie);
    BewaardLettertype = PrintLettertype;
    BewaardCursief = BooleanTekst(PrintCursief);
    TonenLettertype();
    TextOperator->setText(PrintOperator);
    TextBedrijf->setText(PrintBedrijf);
    TextAfdeling->setText(PrintAfdeling);
    TextNota->setPlainText(PrintNota);

    ComboPrinter->clear();
    ComboPrinter->addItems(PrinterLijst());
    PrintToestel = BepaalPrinterIndex(PrintToestel);
    ComboPrinter->setCurrentIndex(PrintToestel);
    ComboPrinter_Click();

    InstellenOrientatie(PrintOrientatie);
    CheckAlarmRapport->setChecked(PrintAlarmRapport);
    InstellenAlarmRapport();
    if (!PrintDirekt)
        InstellenVensterKeuze();
    SSTab->setCurrentIndex(0);
    m_laden = false;
    m_geladen = true;
    CommandSaveSettings->setEnabled(false);
}

void formPrint::InstellenVensterKeuze()
{
    // With no active child window there is no current window to print.
    const bool actief = dataViews().activeWindow && dataViews().activeWindow();
    OptionActiefVenster->setEnabled(actief);
    if (PrintAlles || !actief) {
        OptionAlles->setChecked(true);
    } else {
        OptionActiefVenster->setChecked(true);
        tePrintenVenster = dataViews().activeWindow ? dataViews().activeWindow() : nullptr;
    }
    CheckEnkelSelectie->setChecked(PrintEnkelSelectie);
    InstellenEnkelSelectie();
    InstellenAlarmRapport();
}

bool formPrint::TonenEnWachten()
{
    QWidget *main = parentWidget();
    if (!m_geladen || PrintDirekt) {
        Form_Load();
    } else {
        const bool laden = std::exchange(m_laden, true);
        LaadTekstenPrint();
        InstellenVensterKeuze();
        m_laden = laden;
    }
    if (PrintDirekt)
        return true;
    Geprint = Gesloten = false;
    setWindowModality(Qt::ApplicationModal);
    if (main) {
        winId();
        if (main->windowHandle() && windowHandle())
            windowHandle()->setTransientParent(main->windowHandle());
    }
    show();
    raise();
    activateWindow();
    QPointer<formPrint> zelf = this;
    Pump::until([&] { return !zelf || zelf->Gesloten; });
    if (zelf && !zelf->Gesloten)
        zelf->CancelButton_Click(); // the program is ending
    return zelf && zelf->Geprint;
}

void formPrint::TonenLettertype()
{
    QFont font(PrintLettertype);
    font.setPointSizeF(8);
    font.setItalic(PrintCursief);
    font.setBold(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    LabelTonenLettertype->setFont(font);
    LabelTonenLettertype->setText(PrintLettertype);
}

void formPrint::InstellenOrientatie(int Orientatie)
{
    OptionOrientatie[0]->setText(Taaltekst(351));
    OptionOrientatie[1]->setText(Taaltekst(352));
    OptionOrientatie[Orientatie == 2 ? 1 : 0]->setChecked(true);
    ToonOrientatieIcoon();
}

void formPrint::ToonOrientatieIcoon()
{
    ImageOrientation->setPixmap(OrientatieIcoon(OptionOrientatie[1]->isChecked()));
}

void formPrint::InstellenEnkelSelectie()
{
    CheckEnkelSelectie->setEnabled(false);
    const DataViews &views = dataViews();
    TableSink *tabel = views.tabel;
    if (!tabel)
        return;
    QWidget *actief = views.activeWindow ? views.activeWindow() : nullptr;
    if (OptionActiefVenster->isChecked() && actief) {
        if (actief->property("Tag").toString() == QLatin1String("tabel")
            && tabel->Geselecteerd(tabel->Tab()) > 0)
            CheckEnkelSelectie->setEnabled(true);
        return;
    }
    const auto *venster = dynamic_cast<const QWidget *>(tabel);
    if (!venster || !venster->isVisible())
        return;
    for (int j = 1; j <= 31; ++j) {
        if (ToestelGeldig(j) && tabel->Geselecteerd(j - 1) > 0) {
            CheckEnkelSelectie->setEnabled(true);
            return;
        }
    }
}

void formPrint::InstellenAlarmRapport()
{
    CheckAlarmRapport->setEnabled(false);
    if (OptionAlles->isChecked()) {
        const auto &grafiek = printDialogHooks().grafiek;
        if (!grafiek)
            return;
        for (int g = 1; g <= 32; ++g) {
            const PrintableGraph *venster = grafiek(g);
            if (venster && venster->GrafiekIndex() == g && GrafiekMetAlarm(venster)) {
                CheckAlarmRapport->setEnabled(true);
                return;
            }
        }
    } else if (OptionActiefVenster->isChecked()) {
        QWidget *actief = dataViews().activeWindow ? dataViews().activeWindow() : nullptr;
        if (GrafiekMetAlarm(dynamic_cast<const PrintableGraph *>(actief)))
            CheckAlarmRapport->setEnabled(true);
    }
}

void formPrint::CommandPrinterFont_Click()
{
    QFont begin(PrintLettertype);
    begin.setPointSizeF(10);
    begin.setBold(false);
    begin.setItalic(PrintCursief);
    begin.setUnderline(false);
    begin.setStrikeOut(false);
    const std::optional<QFont> gekozen =
        DialogProvider::current().chooseFont(this, begin, Taaltekst(188));
    if (!gekozen)
        return;
    // Only the name and the slant count: the printout sets its own size and weight.
    PrintLettertype = gekozen->family();
    PrintCursief = gekozen->italic();
    TonenLettertype();
    CommandSaveSettings->setEnabled(true);
    InstellingenGewijzigd = true;
    ActiverenKnopBewaren();
}

void formPrint::ZetPapiersoort(int PrintNr)
{
    std::unique_ptr<QPrinter> ander;
    const QPrinter *printer = m_printer.get();
    if (PrintNr >= 0) {
        ander = MaakPrinter(PrintNr, QPageLayout::Portrait);
        printer = ander.get();
    }
    LabelPapier->setText(printer ? Taaltekst(349) + WeergavePapierSoort(PapierSoort(*printer))
                                 : Taaltekst(349));
}

void formPrint::ComboPrinter_Click()
{
    const int index = ComboPrinter->currentIndex();
    if (index < 0)
        return;
    m_printer = MaakPrinter(index, OptionOrientatie[1]->isChecked() ? QPageLayout::Landscape
                                                                     : QPageLayout::Portrait);
    HuidigePrinter = ComboPrinter->currentText();
    ZetPapiersoort(-1);
    Gewijzigd();
}

void formPrint::UitlezenPrinterinstellingen()
{
    PrintOperator = TextOperator->text();
    PrintBedrijf = TextBedrijf->text();
    PrintAfdeling = TextAfdeling->text();
    PrintNota = TextNota->toPlainText();
    PrintOrientatie = OptionOrientatie[1]->isChecked() ? 2 : 1;
    PrintToestel = ComboPrinter->currentIndex();
    HuidigePrinter = ComboPrinter->currentText();
    if (!PrintDirekt) {
        PrintAlles = OptionAlles->isChecked();
        if (!PrintAlles && dataViews().activeWindow && dataViews().activeWindow())
            tePrintenVenster = dataViews().activeWindow();
    }
    PrintEnkelSelectie = CheckEnkelSelectie->checkState() != Qt::Unchecked;
    PrintAlarmRapport = CheckAlarmRapport->checkState() != Qt::Unchecked;
    const QString lettertype = GeldigLettertype(PrintLettertype, QFontDatabase::families());
    if (lettertype != PrintLettertype) {
        PrintLettertype = lettertype;
        PrintCursief = false;
    }
}

void formPrint::OKButton_Click()
{
    UitlezenPrinterinstellingen();
    Geprint = true;
    Gesloten = true;
    hide();
}

void formPrint::CancelButton_Click()
{
    PrintLettertype = BewaardLettertype;
    PrintCursief = TekstNaarBoolean(BewaardCursief);
    // Unloaded: the next opening loads the stored settings again, and nothing typed or chosen
    // here is shown or printed.
    m_geladen = false;
    Gesloten = true;
    hide();
}

void formPrint::CommandHelp_Click()
{
    if (printDialogHooks().startHelp)
        printDialogHooks().startHelp(HelpCommando() + QStringLiteral("::/print_window.htm"));
}

void formPrint::CommandPagina_Click()
{
    UitlezenPrinterinstellingen();
    if (!m_printer)
        return;
    m_printer->setPageOrientation(PrintOrientatie == 2 ? QPageLayout::Landscape
                                                       : QPageLayout::Portrait);
    PrinterDevice apparaat(*m_printer);
    if (formPaginaSetup::TonenEnWachten(apparaat, this))
        CommandSaveSettings->setEnabled(true);
}

void formPrint::CommandSaveSettings_Click()
{
    BewaardLettertype = PrintLettertype;
    BewaardCursief = BooleanTekst(PrintCursief);
    UitlezenPrinterinstellingen();
    BewarenPrinterinstellingen(Sectie);
    CommandSaveSettings->setEnabled(false);
}

void formPrint::closeEvent(QCloseEvent *event)
{
    if (!Gesloten)
        CancelButton_Click();
    QDialog::closeEvent(event);
}

void formPrint::reject() { CancelButton_Click(); }
