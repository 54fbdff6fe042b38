#include "graph/graphsettingsdialog.h"

#include "core/conversions.h"
#include "core/services.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/windowsettings.h"
#include "graph/curvesgrid.h"
#include "graph/graphsettingsrules.h"
#include "platform/chart.h"
#include "platform/pump.h"
#include "platform/registry.h"
#include "platform/updown.h"
#include "support/helpwindow.h"
#include "support/language.h"
#include "support/mainlink.h"
#include "support/messagebox.h"
#include "support/utilities.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindow>

using namespace Hoofdmodule;

namespace {

QPointer<frmGrafiekInstellen> openDialog;

const QString RegisterSectie = QStringLiteral("Graph settings");
const QString RegisterSleutel = QStringLiteral("Tab");

NumberField *numberField(const char *name, const char *fieldName, int minimum, int maximum,
                         QWidget *parent)
{
    auto *field = new NumberField(QLatin1String(fieldName), parent);
    field->setObjectName(QLatin1String(name));
    field->arrows()->setRange(minimum, maximum);
    field->edit()->setMaximumWidth(110);
    return field;
}

QPushButton *colourButton(const char *name, QWidget *parent)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setFixedSize(44, 22);
    return b;
}

// A colour button shows its colour as its face.
void showColour(QPushButton *button, const QColor &colour)
{
    button->setProperty("kleur", colour);
    button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid "
                                         "palette(dark); }")
                              .arg(colour.name()));
}

} // namespace

qint16 ToonGrafiekInstellingen(int graph, QWidget *window, int tab)
{
    if (openDialog) {
        BrengGrafiekInstellenNaarVoren();
        return 2;
    }
    if (graph < 1 || graph > MaxGrafieken)
        return 2;
    GekozenNummer = qint16(graph);
    auto *dialog = new frmGrafiekInstellen(graph, window);
    openDialog = dialog;
    // No widget parent: a dialog parented to the main window would be disabled with it.
    if (QWidget *main = MainLink::mainWindow()) {
        dialog->winId();
        if (main->windowHandle() && dialog->windowHandle())
            dialog->windowHandle()->setTransientParent(main->windowHandle());
    }
    if (tab >= 0 && tab < dialog->SSTab->count())
        dialog->SSTab->setCurrentIndex(tab);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    QPointer<frmGrafiekInstellen> guard = dialog;
    Pump::until([&] { return GrafiekInstellenGesloten || !guard; });
    if (guard && !GrafiekInstellenGesloten)
        guard->CmdCancel_Click(); // the program is ending
    return Antwoord();
}

bool GrafiekInstellenOpen() { return !openDialog.isNull(); }

void BrengGrafiekInstellenNaarVoren()
{
    if (!openDialog)
        return;
    openDialog->show();
    openDialog->raise();
    openDialog->activateWindow();
}

frmGrafiekInstellen *frmGrafiekInstellen::geopend() { return openDialog; }

frmGrafiekInstellen::frmGrafiekInstellen(int graph, QWidget *window)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_graph(qBound(1, graph, MaxGrafieken)), m_window(window)
{
    MainLink::ensureResources();
    setObjectName(QStringLiteral("frmGrafiekInstellen"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowIcon(QIcon(QStringLiteral(":/icons/program.png")));

    SSTab = new QTabWidget(this);
    SSTab->setObjectName(QStringLiteral("SSTab"));

    // Tab 0: name, legend, recorder and alarm limits.
    auto *algemeen = new QWidget;
    LabelGraphName = new QLabel(algemeen);
    LabelGraphName->setObjectName(QStringLiteral("LabelGraphName"));
    TextGraphName = new QLineEdit(algemeen);
    TextGraphName->setObjectName(QStringLiteral("TextGraphName"));
    CheckLegenda = new QCheckBox(algemeen);
    CheckLegenda->setObjectName(QStringLiteral("CheckLegenda"));

    FrameRecorder = new QGroupBox(algemeen);
    FrameRecorder->setObjectName(QStringLiteral("FrameRecorder"));
    CheckRecorder = new QCheckBox(FrameRecorder);
    CheckRecorder->setObjectName(QStringLiteral("CheckRecorder"));
    LabelTussentijd = new QLabel(FrameRecorder);
    LabelTussentijd->setObjectName(QStringLiteral("LabelTussentijd"));
    TextTussentijd = new QLineEdit(FrameRecorder);
    TextTussentijd->setObjectName(QStringLiteral("TextTussentijd"));
    TextTussentijd->setMaximumWidth(90);
    UpDownTussentijd = new ArrowPair(FrameRecorder);
    UpDownTussentijd->setObjectName(QStringLiteral("UpDownTussentijd"));
    // One beyond either end of 1..3600, so that a step past an end wraps around.
    UpDownTussentijd->setRange(0, 3601);
    CheckPrintGraph = new QCheckBox(FrameRecorder);
    CheckPrintGraph->setObjectName(QStringLiteral("CheckPrintGraph"));
    auto *recorder = new QGridLayout(FrameRecorder);
    recorder->addWidget(CheckRecorder, 0, 0, 1, 4);
    recorder->addWidget(LabelTussentijd, 1, 0);
    auto *interval = new QHBoxLayout;
    interval->setSpacing(1);
    interval->addWidget(TextTussentijd);
    interval->addWidget(UpDownTussentijd);
    recorder->addLayout(interval, 1, 1);
    recorder->addWidget(CheckPrintGraph, 2, 0, 1, 4);
    recorder->setColumnStretch(3, 1);

    FrameAlarm = new QGroupBox(algemeen);
    FrameAlarm->setObjectName(QStringLiteral("FrameAlarm"));
    CheckAlarmHoog = new QCheckBox(FrameAlarm);
    CheckAlarmHoog->setObjectName(QStringLiteral("CheckAlarmHoog"));
    UpDownAlarmHoog = numberField("UpDownAlarmHoog", "TextAlarmHoog", -65536, 65536, FrameAlarm);
    CommandKleurHoog = colourButton("CommandKleurHoog", FrameAlarm);
    CheckAlarmLaag = new QCheckBox(FrameAlarm);
    CheckAlarmLaag->setObjectName(QStringLiteral("CheckAlarmLaag"));
    UpDownAlarmLaag = numberField("UpDownAlarmLaag", "TextAlarmLaag", -65535, 65536, FrameAlarm);
    CommandKleurLaag = colourButton("CommandKleurLaag", FrameAlarm);
    auto *alarm = new QGridLayout(FrameAlarm);
    alarm->addWidget(CheckAlarmHoog, 0, 0);
    alarm->addWidget(UpDownAlarmHoog, 0, 1);
    alarm->addWidget(CommandKleurHoog, 0, 2);
    alarm->addWidget(CheckAlarmLaag, 1, 0);
    alarm->addWidget(UpDownAlarmLaag, 1, 1);
    alarm->addWidget(CommandKleurLaag, 1, 2);
    alarm->setColumnStretch(3, 1);

    auto *tab0 = new QGridLayout(algemeen);
    tab0->addWidget(LabelGraphName, 0, 0);
    tab0->addWidget(TextGraphName, 0, 1);
    tab0->addWidget(CheckLegenda, 1, 0, 1, 2);
    tab0->addWidget(FrameRecorder, 2, 0, 1, 2);
    tab0->addWidget(FrameAlarm, 3, 0, 1, 2);
    tab0->setColumnStretch(1, 1);
    tab0->setRowStretch(4, 1);

    // Tab 1: the time axis.
    auto *tijdas = new QWidget;
    LabelTijdsTitel = new QLabel(tijdas);
    LabelTijdsTitel->setObjectName(QStringLiteral("LabelTijdsTitel"));
    TextTijdsTitel = new QLineEdit(tijdas);
    TextTijdsTitel->setObjectName(QStringLiteral("TextTijdsTitel"));
    labelGrafiekpunten = new QLabel(tijdas);
    labelGrafiekpunten->setObjectName(QStringLiteral("labelGrafiekpunten"));
    UpDownGrafiekPunten =
        numberField("UpDownGrafiekPunten", "textGrafiekPunten", 50, 30000, tijdas);
    labelTijdVerdelingen = new QLabel(tijdas);
    labelTijdVerdelingen->setObjectName(QStringLiteral("labelTijdVerdelingen"));
    UpDownTijdVerdelingen =
        numberField("UpDownTijdVerdelingen", "textTijdVerdelingen", 1, 20, tijdas);
    FrameLabels = new QGroupBox(tijdas);
    FrameLabels->setObjectName(QStringLiteral("FrameLabels"));
    auto *labels = new QVBoxLayout(FrameLabels);
    auto *labelGroup = new QButtonGroup(this);
    for (int k = 0; k < 4; ++k) {
        OptionLabels[k] = new QRadioButton(FrameLabels);
        OptionLabels[k]->setObjectName(QStringLiteral("OptionLabels%1").arg(k));
        labelGroup->addButton(OptionLabels[k], k);
        labels->addWidget(OptionLabels[k]);
    }
    auto *tab1 = new QGridLayout(tijdas);
    tab1->addWidget(LabelTijdsTitel, 0, 0);
    tab1->addWidget(TextTijdsTitel, 0, 1, 1, 2);
    tab1->addWidget(labelGrafiekpunten, 1, 0);
    tab1->addWidget(UpDownGrafiekPunten, 1, 1);
    tab1->addWidget(labelTijdVerdelingen, 2, 0);
    tab1->addWidget(UpDownTijdVerdelingen, 2, 1);
    tab1->addWidget(FrameLabels, 3, 0, 1, 2);
    tab1->setColumnStretch(2, 1);
    tab1->setRowStretch(4, 1);

    // Tab 2: the value axis.
    auto *waardeas = new QWidget;
    LabelWaardenAs = new QLabel(waardeas);
    LabelWaardenAs->setObjectName(QStringLiteral("LabelWaardenAs"));
    TextWaardenAs = new QLineEdit(waardeas);
    TextWaardenAs->setObjectName(QStringLiteral("TextWaardenAs"));
    checkAutoSchaal = new QCheckBox(waardeas);
    checkAutoSchaal->setObjectName(QStringLiteral("checkAutoSchaal"));
    labelGrafiekMax = new QLabel(waardeas);
    labelGrafiekMax->setObjectName(QStringLiteral("labelGrafiekMax"));
    UpDownGrafiekMax =
        numberField("UpDownGrafiekMax", "textGrafiekMaximum", -32768, 32767, waardeas);
    labelGrafiekMin = new QLabel(waardeas);
    labelGrafiekMin->setObjectName(QStringLiteral("labelGrafiekMin"));
    UpDownGrafiekMin =
        numberField("UpDownGrafiekMin", "textGrafiekMinimum", -32768, 32767, waardeas);
    labelWaardenVerdelingen = new QLabel(waardeas);
    labelWaardenVerdelingen->setObjectName(QStringLiteral("labelWaardenVerdelingen"));
    UpDownWaardenVerdelingen =
        numberField("UpDownWaardenVerdelingen", "textWaardenVerdelingen", 1, 20, waardeas);
    labelWaardenOnderverdelingen = new QLabel(waardeas);
    labelWaardenOnderverdelingen->setObjectName(QStringLiteral("labelWaardenOnderverdelingen"));
    UpDownWaardenOnderverdelingen = numberField(
        "UpDownWaardenOnderverdelingen", "textWaardenOnderverdelingen", 1, 20, waardeas);
    auto *tab2 = new QGridLayout(waardeas);
    tab2->addWidget(LabelWaardenAs, 0, 0);
    tab2->addWidget(TextWaardenAs, 0, 1, 1, 2);
    tab2->addWidget(checkAutoSchaal, 1, 0, 1, 3);
    tab2->addWidget(labelGrafiekMax, 2, 0);
    tab2->addWidget(UpDownGrafiekMax, 2, 1);
    tab2->addWidget(labelGrafiekMin, 3, 0);
    tab2->addWidget(UpDownGrafiekMin, 3, 1);
    tab2->addWidget(labelWaardenVerdelingen, 4, 0);
    tab2->addWidget(UpDownWaardenVerdelingen, 4, 1);
    tab2->addWidget(labelWaardenOnderverdelingen, 5, 0);
    tab2->addWidget(UpDownWaardenOnderverdelingen, 5, 1);
    tab2->setColumnStretch(2, 1);
    tab2->setRowStretch(6, 1);

    // Tab 3: the lines.
    auto *lijnen = new QWidget;
    MSHFlexCurveLijnen = new CurveLijnenGrid(lijnen);
    auto *tab3 = new QVBoxLayout(lijnen);
    tab3->addWidget(MSHFlexCurveLijnen);

    SSTab->addTab(algemeen, QString());
    SSTab->addTab(tijdas, QString());
    SSTab->addTab(waardeas, QString());
    SSTab->addTab(lijnen, QString());

    CmdOK = new QPushButton(this);
    CmdOK->setObjectName(QStringLiteral("CmdOK"));
    CmdOK->setDefault(true);
    CmdCancel = new QPushButton(this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    CommandHelp = new QPushButton(this);
    CommandHelp->setObjectName(QStringLiteral("CommandHelp"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);
    buttons->addWidget(CommandHelp);
    auto *main = new QVBoxLayout(this);
    main->addWidget(SSTab);
    main->addLayout(buttons);
    // Wide enough for the curves grid to show a source description whole in each language
    // while the controllers carry the names the program gives them (model and address).
    resize(520, 440);

    connect(CmdOK, &QPushButton::clicked, this, &frmGrafiekInstellen::CmdOK_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &frmGrafiekInstellen::CmdCancel_Click);
    connect(CommandHelp, &QPushButton::clicked, this, &frmGrafiekInstellen::CommandHelp_Click);
    connect(checkAutoSchaal, &QCheckBox::clicked, this, [this] { InstellenSchaalEnables(); });
    connect(CheckRecorder, &QCheckBox::clicked, this, [this] { InstellenRecorder(); });
    connect(CheckAlarmHoog, &QCheckBox::clicked, this,
            [this] { InstellenAlarmHoogVakken(KleurHoog); });
    connect(CheckAlarmLaag, &QCheckBox::clicked, this,
            [this] { InstellenAlarmLaagVakken(KleurLaag); });
    connect(CommandKleurHoog, &QPushButton::clicked, this, [this] {
        KiesKleurIndienOK(KleurHoog);
        InstellenAlarmHoogVakken(KleurHoog);
    });
    connect(CommandKleurLaag, &QPushButton::clicked, this, [this] {
        KiesKleurIndienOK(KleurLaag);
        InstellenAlarmLaagVakken(KleurLaag);
    });
    connect(TextTussentijd, &QLineEdit::textChanged, this,
            [this] { TussentijdTekstGewijzigd(); });
    connect(TextTussentijd, &QLineEdit::editingFinished, this, [this] { TussentijdVerlaten(); });
    connect(UpDownTussentijd, &ArrowPair::aboutToStep, this, [this] { TussentijdVerlaten(); });
    connect(UpDownTussentijd, &ArrowPair::valueChanged, this,
            [this](int waarde) { TussentijdSpinnerGewijzigd(waarde); });
    connect(UpDownAlarmHoog->arrows(), &ArrowPair::stepped, this,
            [this](int richting) { AlarmHoogStap(richting); });
    connect(UpDownAlarmLaag->arrows(), &ArrowPair::stepped, this,
            [this](int richting) { AlarmLaagStap(richting); });
    if (m_window)
        // The dialog belongs to its graph: when the graph goes, so does the dialog.
        connect(m_window, &QObject::destroyed, this, [this] { CmdCancel_Click(); });

    Form_Load();
    // The main window stays in use while the dialog is open: the language may change under it.
    connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded, this, [this] {
        LaadTekstenGrafiekInstellen();
        MSHFlexCurveLijnen->LaadStrings();
    });
}

frmGrafiekInstellen::~frmGrafiekInstellen()
{
    if (!m_ontladen)
        Form_Unload();
}

void frmGrafiekInstellen::Form_Load()
{
    const GraphSettings &g = WindowSettings::graph[size_t(m_graph)];
    GrafiekInstellenGesloten = false;
    TextTussentijd->setInputMask(TussentijdMasker(Tijdscheidingsteken));
    UpDownGrafiekPunten->setText(QString::number(g.MaxGrafiekZichtbaar));
    UpDownGrafiekPunten->arrows()->setMaximum(30000);
    checkAutoSchaal->setChecked(g.AutomatischeSchaal);
    TextTijdsTitel->setText(g.TitelTijdsas);
    TextWaardenAs->setText(g.TitelWaardenas);
    UpDownGrafiekMax->setText(InstellingGetal(g.GrafiekMaximum));
    UpDownGrafiekMin->setText(InstellingGetal(g.GrafiekMinimum));
    UpDownWaardenVerdelingen->setText(QString::number(g.AantalWaardenVerdelingen));
    UpDownTijdVerdelingen->setText(QString::number(g.AantalTijdVerdelingen));
    UpDownWaardenOnderverdelingen->setText(QString::number(g.AantalWaardenOnderverdelingen));
    CheckAlarmHoog->setChecked(g.AlarmHoog);
    CheckAlarmLaag->setChecked(g.AlarmLaag);
    UpDownAlarmHoog->setText(InstellingGetal(g.AlarmHoogWaarde));
    UpDownAlarmLaag->setText(InstellingGetal(g.AlarmLaagWaarde));
    KleurLaag = g.GrafiekKleur(1);
    KleurHoog = g.GrafiekKleur(2);
    // A label style outside the four options selects none; OK then keeps it.
    if (g.LabelKeuze >= 0 && g.LabelKeuze <= 3)
        OptionLabels[g.LabelKeuze]->setChecked(true);
    CheckLegenda->setChecked(g.LegendeKeuze);
    CheckRecorder->setChecked(g.XYrecorder);
    PlaatsTussentijd(g.RecorderTussentijd);
    CheckPrintGraph->setChecked(g.AfdrukkenRecorder);
    const QString naam = g.caption.isEmpty() ? StandaardGrafiekTitel(m_graph, g.XYrecorder)
                                             : g.caption;
    TextGraphName->setText(naam);
    InstellenRecorder();
    LaadTekstenGrafiekInstellen();
    InstellenSchaalEnables();
    InstellenAlarmHoogVakken(KleurHoog);
    InstellenAlarmLaagVakken(KleurLaag);
    MSHFlexCurveLijnen->Vullen(m_graph, naam);
    bool ok = false;
    const int tab = Registry::read(RegisterNaam, RegisterSectie, RegisterSleutel, QStringLiteral("3"))
                        .trimmed()
                        .toInt(&ok);
    SSTab->setCurrentIndex(ok && tab >= 0 && tab < SSTab->count() ? tab : 3);
}

void frmGrafiekInstellen::Form_Unload()
{
    if (m_ontladen)
        return;
    m_ontladen = true;
    Registry::write(RegisterNaam, RegisterSectie, RegisterSleutel,
                    QString::number(SSTab->currentIndex()));
    if (openDialog == this)
        openDialog = nullptr;
    GrafiekInstellenGesloten = true;
}

void frmGrafiekInstellen::LaadTekstenGrafiekInstellen()
{
    const GraphSettings &g = WindowSettings::graph[size_t(m_graph)];
    setWindowTitle(g.caption.isEmpty() ? StandaardGrafiekTitel(m_graph, g.XYrecorder) : g.caption);
    SSTab->setTabText(0, Taaltekst(333));
    SSTab->setTabText(1, Taaltekst(171));
    SSTab->setTabText(2, Taaltekst(170));
    SSTab->setTabText(3, Taaltekst(332));
    const QChar colon = u':';
    labelGrafiekpunten->setText(Taaltekst(168));
    checkAutoSchaal->setText(Taaltekst(169));
    labelGrafiekMax->setText(Taaltekst(172) + colon);
    labelGrafiekMin->setText(Taaltekst(173) + colon);
    labelWaardenVerdelingen->setText(Taaltekst(174) + colon);
    labelTijdVerdelingen->setText(Taaltekst(174) + colon);
    labelWaardenOnderverdelingen->setText(Taaltekst(176) + colon);
    LabelGraphName->setText(Taaltekst(339) + colon);
    LabelWaardenAs->setText(Taaltekst(346) + colon);
    LabelTijdsTitel->setText(Taaltekst(346) + colon);
    LabelTussentijd->setText(Taaltekst(134) + colon);
    CmdOK->setText(Taaltekst(140));
    CmdCancel->setText(Taaltekst(141));
    CommandHelp->setText(Taaltekst(227));
    CheckAlarmHoog->setText(Taaltekst(221));
    CheckAlarmLaag->setText(Taaltekst(222));
    CheckRecorder->setText(Taaltekst(354));
    CheckPrintGraph->setText(Taaltekst(436));
    FrameRecorder->setTitle(VerwijderAmpersand(Taaltekst(344), QString()));
    FrameAlarm->setTitle(Taaltekst(220));
    FrameLabels->setTitle(Taaltekst(438));
    CheckLegenda->setText(Taaltekst(437));
    CommandKleurHoog->setText(QString());
    CommandKleurLaag->setText(QString());
    OptionLabels[0]->setText(Taaltekst(124) + u'+' + Taaltekst(125));
    OptionLabels[1]->setText(Taaltekst(125));
    OptionLabels[2]->setText(Taaltekst(124));
    OptionLabels[3]->setText(Taaltekst(123));
}

void frmGrafiekInstellen::InstellenRecorder()
{
    const bool aan = CheckRecorder->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{LabelTussentijd, TextTussentijd,
                                                       UpDownTussentijd, CheckPrintGraph})
        w->setEnabled(aan);
}

void frmGrafiekInstellen::InstellenSchaalEnables()
{
    const bool handmatig = !checkAutoSchaal->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{
             UpDownGrafiekMax, UpDownGrafiekMin, UpDownWaardenVerdelingen,
             UpDownWaardenOnderverdelingen, labelGrafiekMax, labelGrafiekMin,
             labelWaardenVerdelingen, labelWaardenOnderverdelingen})
        w->setEnabled(handmatig);
}

void frmGrafiekInstellen::InstellenAlarmVakken(QCheckBox *check, NumberField *field,
                                               QPushButton *button, qint32 kleur)
{
    const bool aan = check->isChecked();
    field->setEnabled(aan);
    button->setEnabled(aan);
    showColour(button, aan ? KleurNaarQColor(kleur)
                           : button->palette().color(QPalette::Disabled, QPalette::WindowText));
}

void frmGrafiekInstellen::InstellenAlarmHoogVakken(qint32 kleur)
{
    InstellenAlarmVakken(CheckAlarmHoog, UpDownAlarmHoog, CommandKleurHoog, kleur);
}

void frmGrafiekInstellen::InstellenAlarmLaagVakken(qint32 kleur)
{
    InstellenAlarmVakken(CheckAlarmLaag, UpDownAlarmLaag, CommandKleurLaag, kleur);
}

void frmGrafiekInstellen::KiesKleurIndienOK(qint32 &kleur)
{
    qint32 gekozen = kleur;
    KiesKleur(gekozen);
    if (LaatsteAntwoord == 1)
        kleur = gekozen;
}

void frmGrafiekInstellen::PlaatsTussentijd(qint32 TePlaatsentijd)
{
    TextTussentijd->setText(TussentijdTekst(qMin<qint32>(TePlaatsentijd, 86400),
                                            Tijdscheidingsteken));
}

void frmGrafiekInstellen::TussentijdTekstGewijzigd()
{
    const qint32 t =
        BegrensTussentijd(LeesTussentijd(TextTussentijd->displayText(), Tijdscheidingsteken));
    if (t == Tussentijd)
        return;
    Tussentijd = t;
    UpDownTussentijd->setValue(t);
    // Typing goes on undisturbed; the field shows the wrapped value once it is left.
    if (!TextTussentijd->hasFocus())
        PlaatsTussentijd(t);
}

void frmGrafiekInstellen::TussentijdVerlaten()
{
    // While the user types, a wrapped value waits until the field is left (or the arrows or OK
    // act on it); then the field shows the value that counts.
    const QString getypt = TextTussentijd->displayText();
    const QString genomen = TussentijdTekst(Tussentijd, Tijdscheidingsteken);
    if (m_sluitend || getypt == genomen)
        return;
    PlaatsTussentijd(Tussentijd);
    // A press on Cancel takes the focus from the field before its click: Cancel drops the value
    // anyway, and a box here would swallow the click.
    if (QApplication::focusWidget() == CmdCancel)
        return;
    // A time of day wraps around the interval's range as the user knows it will; digits that are
    // no time of day give a value they could not foresee.
    if (!TussentijdIsTijdstip(getypt, Tijdscheidingsteken))
        MeldGenomenInPlaatsVan(this, Taaltekst(134), getypt, genomen, windowTitle());
}

void frmGrafiekInstellen::MeldWaardenas()
{
    if (checkAutoSchaal->isChecked())
        return;
    const double maximum = LeesGetal(UpDownGrafiekMax->text());
    const double minimum = LeesGetal(UpDownGrafiekMin->text());
    const auto [onder, boven] = fixedValueAxisRange(minimum, maximum);
    if (onder == minimum && boven == maximum)
        return;
    // The bounds are kept as typed; the chart draws the axis it can.
    auto grenzen = [](double max, double min) {
        return Taaltekst(172) + u' ' + InstellingGetal(max) + QStringLiteral(", ") +
               Taaltekst(173) + u' ' + InstellingGetal(min);
    };
    MeldGenomenInPlaatsVan(this, Taaltekst(170), grenzen(maximum, minimum), grenzen(boven, onder),
                           windowTitle());
}

void frmGrafiekInstellen::TussentijdSpinnerGewijzigd(int waarde)
{
    const qint32 t = BegrensTussentijd(waarde);
    if (t != waarde) {
        UpDownTussentijd->setValue(t); // the arrows wrap with the field
        return;
    }
    if (t == Tussentijd)
        return;
    Tussentijd = t;
    PlaatsTussentijd(t);
}

void frmGrafiekInstellen::AlarmHoogStap(int richting)
{
    ArrowPair *hoog = UpDownAlarmHoog->arrows();
    UpDownAlarmLaag->syncFromText();
    ArrowPair *laag = UpDownAlarmLaag->arrows();
    if (richting < 0 && hoog->value() > laag->value())
        hoog->setMinimum(laag->value());
    laag->setMaximum(hoog->value());
}

void frmGrafiekInstellen::AlarmLaagStap(int richting)
{
    ArrowPair *laag = UpDownAlarmLaag->arrows();
    UpDownAlarmHoog->syncFromText();
    ArrowPair *hoog = UpDownAlarmHoog->arrows();
    if (richting > 0 && laag->value() < hoog->value())
        laag->setMaximum(hoog->value());
    hoog->setMinimum(laag->value());
}

void frmGrafiekInstellen::CmdOK_Click()
{
    if (m_ontladen || m_sluitend)
        return;
    // What cannot be used as typed is told while the fields are still in view.
    QPointer<frmGrafiekInstellen> self = this;
    TussentijdVerlaten();
    if (self && !m_ontladen)
        MeldWaardenas();
    if (!self || m_ontladen)
        return; // the graph closed meanwhile
    m_sluitend = true;
    hide();
    GraphSettings &g = WindowSettings::graph[size_t(m_graph)];
    g.AutomatischeSchaal = checkAutoSchaal->isChecked();
    if (!g.AutomatischeSchaal) {
        g.GrafiekMaximum = LeesGetal(UpDownGrafiekMax->text());
        g.GrafiekMinimum = LeesGetal(UpDownGrafiekMin->text());
        g.AantalWaardenVerdelingen = BegrensVerdelingen(UpDownWaardenVerdelingen->text());
        g.AantalWaardenOnderverdelingen = BegrensVerdelingen(UpDownWaardenOnderverdelingen->text());
    }
    g.AlarmHoog = CheckAlarmHoog->isChecked();
    if (g.AlarmHoog) {
        g.AlarmHoogWaarde = TekstNaarDouble(UpDownAlarmHoog->text());
        g.ZetDiagramKleur(2, KleurHoog);
    }
    g.AlarmLaag = CheckAlarmLaag->isChecked();
    if (g.AlarmLaag) {
        g.AlarmLaagWaarde = TekstNaarDouble(UpDownAlarmLaag->text());
        g.ZetDiagramKleur(1, KleurLaag);
    }
    g.MaxGrafiekZichtbaar = BegrensGrafiekPunten(UpDownGrafiekPunten->text());
    g.AantalTijdVerdelingen = BegrensVerdelingen(UpDownTijdVerdelingen->text());
    MSHFlexCurveLijnen->Toepassen();
    for (int k = 0; k < 4; ++k)
        if (OptionLabels[k]->isChecked()) {
            g.LabelKeuze = qint16(k);
            break;
        }
    g.TitelTijdsas = trimBlanks(TextTijdsTitel->text());
    g.TitelWaardenas = trimBlanks(TextWaardenAs->text());
    g.LegendeKeuze = CheckLegenda->isChecked();
    g.XYrecorder = CheckRecorder->isChecked();
    g.RecorderTussentijd =
        BegrensTussentijd(LeesTussentijd(TextTussentijd->displayText(), Tijdscheidingsteken));
    g.AfdrukkenRecorder = CheckPrintGraph->isChecked();
    g.caption = trimBlanks(TextGraphName->text());
    ZetAntwoord(1);
    SchrijfInstellingen(InstellingenBestandsnaam);
    sluitAf();
}

void frmGrafiekInstellen::CmdCancel_Click()
{
    if (m_ontladen)
        return;
    m_sluitend = true;
    hide();
    ZetAntwoord(2);
    sluitAf();
}

void frmGrafiekInstellen::sluitAf()
{
    Form_Unload();
    // The line-source dialog (when the graph closes under it) waits inside the curves grid: the
    // dialog goes once that wait has ended.
    if (MSHFlexCurveLijnen->BronOpen()) {
        connect(MSHFlexCurveLijnen, &CurveLijnenGrid::bronGesloten, this, &QObject::deleteLater);
        MSHFlexCurveLijnen->SluitBron();
        return;
    }
    deleteLater();
}

void frmGrafiekInstellen::CommandHelp_Click()
{
    ToonHelp(HelpCommando() + QStringLiteral("::/graph_settings.htm"));
}

void frmGrafiekInstellen::reject() { CmdCancel_Click(); }

void frmGrafiekInstellen::closeEvent(QCloseEvent *event)
{
    if (!m_ontladen) {
        event->ignore();
        CmdCancel_Click();
        return;
    }
    QDialog::closeEvent(event);
}
