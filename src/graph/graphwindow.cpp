#include "graph/graphwindow.h"

#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "graph/graphsettingsrules.h"
#include "graph/unitconversion.h"
#include "platform/chart.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/turns.h"
#include "support/language.h"
#include "support/messagebox.h"
#include "support/utilities.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QPointer>
#include <QDropEvent>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cmath>
#include <vector>

using namespace Hoofdmodule;

GrafiekVensterTabel GrafiekVenster;

namespace {

constexpr int EersteLijnSerie = 3;
constexpr int PenTwips = 25;   // the old control's pen width
constexpr int MarkerGrootte = 200; // the old control's marker size

// A flag that is set while a scope runs.
struct Vlag {
    explicit Vlag(bool &v) : m_v(v) { m_v = true; }
    ~Vlag() { m_v = false; }
    bool &m_v;
};

// The windows whose move-on waits for its turn: one window a turn of the event loop, as the
// charts' replots go.
OnePerTurn &verschuivingen()
{
    static OnePerTurn rij;
    return rij;
}

// Keeps a window from input while it takes its sample (and prints a full page), and gives it
// back. A disabled window drops the focus it holds in its top-level window; when that one is
// activated again (the print's progress window closes), Qt hands the focus to the next widget in
// the chain, which in the work area is another child window: that one would become the active
// child, and stay it. The focus comes back to where it was, unless something else took it.
class BuitenGebruik {
public:
    explicit BuitenGebruik(QWidget &venster) : m_venster(venster)
    {
        // The top-level window's focus widget: it is kept also while another window is active.
        if (QWidget *focus = venster.window()->focusWidget();
            focus && (focus == &venster || venster.isAncestorOf(focus)))
            m_focus = focus;
        venster.setEnabled(false);
    }
    ~BuitenGebruik()
    {
        m_venster.setEnabled(true);
        if (m_focus && !m_venster.window()->focusWidget())
            m_focus->setFocus(Qt::OtherFocusReason);
    }
    BuitenGebruik(const BuitenGebruik &) = delete;
    BuitenGebruik &operator=(const BuitenGebruik &) = delete;

private:
    QWidget &m_venster;
    QPointer<QWidget> m_focus;
};

} // namespace

std::function<qint16(int graph)> &graphSettingsDialogHook()
{
    static std::function<qint16(int)> hook;
    return hook;
}

std::function<void(frmGrafiek &graph)> &graphDirectPrintHook()
{
    static std::function<void(frmGrafiek &)> hook;
    return hook;
}

// ---- window ----

frmGrafiek::frmGrafiek(qint16 nummer, QWidget *parent)
    : QWidget(parent), m_nummer(nummer), m_chart(new Chart(this)),
      m_scrollBar(new QScrollBar(Qt::Horizontal, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    setMouseTracking(true);
    setProperty("Tag", QStringLiteral("grafiek%1").arg(nummer));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_chart, 1);
    layout->addWidget(m_scrollBar);
    resize(500, 350);

    connect(m_chart, &Chart::pointSelected, this, &frmGrafiek::puntGekozen);
    connect(m_chart, &Chart::selectionCleared, this, &frmGrafiek::selectieGewist);
    connect(m_chart, &Chart::doubleClicked, this, [this] {
        GekozenNummer = m_nummer;
        auto &dialoog = graphSettingsDialogHook();
        // The window may be closed while its dialog waits.
        const QPointer<frmGrafiek> zelf = this;
        const qint16 antwoord = dialoog ? dialoog(m_nummer) : qint16(2);
        if (!zelf)
            return;
        ZetAntwoord(antwoord);
        if (antwoord == 1)
            HerInitialiseerGrafiek();
    });
    connect(m_chart, &Chart::mouseReleased, this,
            [this](Qt::MouseButton button, const QPoint &position) {
                setFocus();
                if (button == Qt::RightButton)
                    emit menuGevraagd(m_chart->mapToGlobal(position));
            });
    // Only the user's move arrives here: the program sets the bar with its signals blocked.
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &frmGrafiek::scrollBarBewogen);
    connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded, this,
            &frmGrafiek::LaadStrings);
}

void frmGrafiek::LaadStrings()
{
    const Chart::Hold hold(*m_chart);
    grensLegendes();
    if (!m_chart->isFootnoteVisible())
        return;
    // The footnote names a limit, or a line's mean, in the program's words.
    if (m_geselecteerdeSerie >= 1 && m_geselecteerdeSerie < EersteLijnSerie) {
        m_puntTekst = grensPuntTekst(m_geselecteerdeSerie, m_geselecteerdPunt);
        toonVoetnoot();
    } else {
        BepaalMinMaxima();
    }
}

QString frmGrafiek::grensPuntTekst(int serie, int punt) const
{
    return Taaltekst(serie == 1 ? 222 : 221) + QStringLiteral(": ")
           + VoetnootGetal(m_chart->value(serie, punt)) + QLatin1Char(' ');
}

frmGrafiek::~frmGrafiek() = default;

GraphSettings &frmGrafiek::instellingen() const
{
    return WindowSettings::graph[size_t(qBound(0, int(m_nummer), MaxGrafieken))];
}

qint32 frmGrafiek::aantalRijenGrafiek() const
{
    return GeldigAantalPunten(instellingen().MaxGrafiekZichtbaar);
}

QWidget *frmGrafiek::container() const
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        return sub;
    return const_cast<frmGrafiek *>(this);
}

bool frmGrafiek::Form_Load()
{
    GraphSettings &g = instellingen();
    if (g.caption.isEmpty())
        g.caption = StandaardGrafiekTitel(m_nummer, g.XYrecorder);
    setWindowTitle(g.caption);
    m_geselecteerdeSerie = m_geselecteerdPunt = 0;
    StelNieuweGrafiekIn();
    UitschakelenMarkers();
    if (g.NieuweGrafiek) {
        GekozenNummer = m_nummer;
        auto &dialoog = graphSettingsDialogHook();
        // The user may close this window while its dialog waits: it is gone afterwards.
        const QPointer<frmGrafiek> zelf = this;
        const qint16 antwoord = dialoog ? dialoog(m_nummer) : qint16(1);
        if (!zelf) {
            ZetAntwoord(2);
            return false;
        }
        ZetAntwoord(antwoord);
        if (antwoord != 1 || m_ontladen)
            return false;
        instellingen().NieuweGrafiek = false;
        HerInitialiseerGrafiek();
        if (!instellingen().XYrecorder)
            HerladenGrafiek();
    } else {
        HerInitialiseerGrafiek();
    }
    LadenGrafiek();
    m_geladen = true;
    ZetAntwoord(1);
    return true;
}

// ---- line table ----

qint16 frmGrafiek::LeesGrafiekLijnRef(int lijn, int index) const
{
    return instellingen().LeesGrafiekLijnRef(lijn, index);
}

void frmGrafiek::SchrijfGrafiekLijnRef(int lijn, int index, qint16 waarde)
{
    instellingen().SchrijfGrafiekLijnRef(lijn, index, waarde);
}

frmGrafiek::Bron frmGrafiek::bron(int lijn) const
{
    const int slot = LeesGrafiekLijnRef(lijn, 1);
    const int kanaal = LeesGrafiekLijnRef(lijn, 2);
    // A slot or channel outside the tables is no source at all.
    if (slot < 1 || slot > MaxToestellen || kanaal < 1 || kanaal > MaxKanalen)
        return {};
    return {slot, kanaal};
}

PrintableGraph::Lijn frmGrafiek::LezenGrafiekIndexen(qint16 nr) const
{
    const Bron b = bron(nr);
    return {qint16(b.slot), qint16(b.kanaal)};
}

int frmGrafiek::BepaalStatistiekVlag(int lijn) const
{
    return (LeesGrafiekLijnRef(lijn, 3) != 0 ? Chart::Minimum : 0)
           | (LeesGrafiekLijnRef(lijn, 4) != 0 ? Chart::Maximum : 0)
           | (LeesGrafiekLijnRef(lijn, 5) != 0 ? Chart::Mean : 0);
}

GridData *frmGrafiek::tabelGrid(int slot) const
{
    TableSink *tabel = dataViews().tabel;
    if (!tabel || slot < 1 || slot > MaxToestellen)
        return nullptr;
    return &tabel->gridData(slot - 1);
}

QString frmGrafiek::kanaalNaam(const Bron &b) const
{
    return b.geldig() ? Toestel[b.slot].Kanaal[size_t(b.kanaal)].Naam.trimmed() : QString();
}

QString frmGrafiek::lijnLegende(int lijn, const Bron &b) const
{
    return m_eenheid[size_t(lijn)] + QStringLiteral(" (") + kanaalNaam(b) + QLatin1Char(')');
}

QString frmGrafiek::GrafiekEenheid(int lijn) const
{
    return lijn >= 1 && lijn <= MaxGrafiekLijnen ? m_eenheid[size_t(lijn)] : QString();
}

// ---- chart set-up ----

void frmGrafiek::InitScrollBar()
{
    const QSignalBlocker blocker(m_scrollBar);
    m_scrollBar->setMinimum(1);
    m_scrollBar->setMaximum(1);
    m_scrollBar->setValue(1);
    m_scrollBar->setSingleStep(1);
    m_scrollBar->setPageStep(1);
    const bool recorder = instellingen().XYrecorder;
    m_scrollBar->setEnabled(!recorder);
    m_scrollBar->setVisible(!recorder);
}

void frmGrafiek::StelNieuweGrafiekIn()
{
    m_stand = VensterStand();
    m_verschuiving.reset();
    const Chart::Hold hold(*m_chart);
    // The series' look.
    InitScrollBar();
    m_chart->setRowCount(aantalRijenGrafiek());
    m_chart->setBackgroundColour(QColor(192, 192, 192));
    for (int s = 1; s <= Chart::SeriesCount; ++s) {
        m_chart->setPenWidth(s, Chart::penPixels(PenTwips));
        m_chart->setPenColour(s, KleurNaarQColor(instellingen().GrafiekKleur(s)));
        if (s >= EersteLijnSerie) {
            m_chart->setMarkers(s, false);
            m_chart->setStatistics(s, 0);
            m_chart->clearSeries(s);
        }
    }
    for (int r = 1; r <= m_chart->rowCount(); ++r)
        m_chart->setRowLabel(r, QString());
    m_chart->setLegendVisible(true);
    // The time axis.
    m_chart->setLabelStep(LabelStap(instellingen().MaxGrafiekZichtbaar,
                                    instellingen().AantalTijdVerdelingen));
}

void frmGrafiek::WisGrafiekGegevens()
{
    const Chart::Hold hold(*m_chart);
    m_stand = VensterStand();
    m_verschuiving.reset();
    InitScrollBar();
    m_chart->setRowCount(aantalRijenGrafiek());
    for (int s = EersteLijnSerie; s <= Chart::SeriesCount; ++s)
        m_chart->clearSeries(s);
    for (int r = 1; r <= m_chart->rowCount(); ++r)
        m_chart->setRowLabel(r, QString());
    m_eenheidGezocht.fill(0);
    // The point the footnote told of is gone with the data.
    puntLoslaten();
}

void frmGrafiek::ReInitGrafiekData()
{
    m_stand.EersteMeting = 1;
    WisGrafiekGegevens();
    HerInitialiseerGrafiek();
}

void frmGrafiek::InstellenAlarmen()
{
    const GraphSettings &g = instellingen();
    const Chart::Hold hold(*m_chart);
    const double nan = qQNaN();
    for (int r = 1; r <= m_chart->rowCount(); ++r) {
        m_chart->setValue(1, r, g.AlarmLaag ? g.AlarmLaagWaarde : nan);
        m_chart->setValue(2, r, g.AlarmHoog ? g.AlarmHoogWaarde : nan);
    }
    m_chart->setStatistics(2, 0);
    m_chart->setSeriesVisible(2, g.AlarmHoog);
    m_chart->setStatistics(1, 0);
    m_chart->setSeriesVisible(1, g.AlarmLaag);
    grensLegendes();
}

void frmGrafiek::grensLegendes()
{
    const GraphSettings &g = instellingen();
    m_chart->setLegendText(2, g.AlarmHoog ? Taaltekst(221) : QString());
    m_chart->setLegendText(1, g.AlarmLaag ? Taaltekst(222) : QString());
}

void frmGrafiek::HerInitialiseerGrafiek()
{
    const GraphSettings &g = instellingen();
    const Chart::Hold hold(*m_chart);
    const qint32 max = aantalRijenGrafiek();
    m_chart->setRowCount(max);
    m_chart->setLabelStep(LabelStap(g.MaxGrafiekZichtbaar, g.AantalTijdVerdelingen));
    if (!g.XYrecorder) // the labelled rows may have changed with the step
        for (qint32 r = 1; r <= max; ++r)
            m_chart->setRowLabel(r, QString());
    m_chart->setBackgroundColour(Qt::white);
    setWindowTitle(g.caption);
    if (g.XYrecorder) {
        m_stand.AantalPunten = 0;
        m_volgendeRecorderMs =
            Clock::current().monotonicMs() + qint64(qMax(1, g.RecorderTussentijd)) * 1000;
        m_scrollBar->hide();
        m_scrollBar->setEnabled(false);
        emit recorderGestart();
    } else {
        if (m_stand.AantalPunten > max)
            m_stand.AantalPunten = max;
        m_scrollBar->setEnabled(true);
        m_scrollBar->show();
    }
    for (int s = 1; s <= Chart::SeriesCount; ++s)
        m_chart->setPenColour(s, KleurNaarQColor(g.GrafiekKleur(s)));
    for (int n = 1; n <= MaxGrafiekLijnen; ++n) {
        const Bron b = bron(n);
        // A line given another source finds its unit again.
        if (m_eenheidBron[size_t(n)].slot != b.slot || m_eenheidBron[size_t(n)].kanaal != b.kanaal) {
            m_eenheid[size_t(n)].clear();
            m_eenheidGezocht[size_t(n)] = 0;
            m_eenheidBron[size_t(n)] = b;
        }
        const int serie = n + 2;
        m_chart->setStatistics(serie, BepaalStatistiekVlag(n));
        m_chart->setSeriesVisible(serie, b.geldig());
        m_chart->setLegendText(serie, b.geldig() ? lijnLegende(n, b) : QString());
        if (!b.geldig())
            m_chart->clearSeries(serie);
    }
    m_chart->setXAxisTitle(g.TitelTijdsas.trimmed());
    m_chart->setYAxisTitle(g.TitelWaardenas.trimmed());
    if (g.AutomatischeSchaal)
        m_chart->setValueAxisAutomatic();
    else
        m_chart->setValueAxisFixed(g.GrafiekMinimum, g.GrafiekMaximum,
                                   qMax<int>(1, g.AantalWaardenVerdelingen),
                                   qMax<int>(1, g.AantalWaardenOnderverdelingen));
    m_chart->setLegendVisible(g.LegendeKeuze);
    InstellenAlarmen();
    HertekenGrafiek();
}

void frmGrafiek::InstellenGrafiekEenheid(int lijn)
{
    if (lijn < 1 || lijn > MaxGrafiekLijnen || !m_eenheid[size_t(lijn)].isEmpty())
        return;
    const Bron b = bron(lijn);
    m_eenheidBron[size_t(lijn)] = b;
    if (!b.geldig() || !ToestelGeldig(b.slot))
        return;
    if (instellingen().XYrecorder) {
        m_eenheid[size_t(lijn)] = Toestel[b.slot].Kanaal[size_t(b.kanaal)].Eenheid.trimmed();
        return;
    }
    const GridData *grid = tabelGrid(b.slot);
    if (!grid)
        return;
    // Rows looked at before hold no unit: the search goes on from where it stopped.
    const int kolom = (b.kanaal - 1) * 2 + 4;
    qint32 &gezocht = m_eenheidGezocht[size_t(lijn)];
    for (qint32 r = qMax(1, gezocht + 1); r < grid->rows(); ++r) {
        gezocht = r;
        const QString eenheid = grid->textMatrix(r, kolom).trimmed();
        if (!eenheid.isEmpty()) {
            m_eenheid[size_t(lijn)] = eenheid;
            return;
        }
    }
}

void frmGrafiek::ControleGrafiekEenheid(int lijn)
{
    if (lijn < 1 || lijn > MaxGrafiekLijnen || !m_eenheid[size_t(lijn)].isEmpty())
        return;
    InstellenGrafiekEenheid(lijn);
    const Bron b = bron(lijn);
    const QString legende = lijnLegende(lijn, b);
    m_chart->setSeriesVisible(lijn + 2, true);
    if (m_chart->legendText(lijn + 2) != legende)
        m_chart->setLegendText(lijn + 2, legende);
}

// ---- points ----

const GridData *frmGrafiek::rijBron(int lijn, qint32 meting, Bron &b) const
{
    b = bron(lijn);
    if (!b.geldig() || !ToestelGeldig(b.slot) || b.kanaal > Toestel[b.slot].Kanalen)
        return nullptr;
    const GridData *grid = tabelGrid(b.slot);
    if (!grid || meting < 1 || meting >= grid->rows())
        return nullptr;
    return grid;
}

bool frmGrafiek::gelabeldeRij(qint32 rij) const
{
    // A normal-mode row is labelled only where the time axis shows its label: the labels come
    // from the table's date and time, and writing them for every row would cost more than the
    // values themselves. A recorder keeps every sample's time.
    return instellingen().XYrecorder || (rij - 1) % m_chart->labelStep() == 0;
}

double frmGrafiek::omgerekend(int lijn, const QString &waarde, const QString &eenheid)
{
    Factor &f = m_factor[size_t(lijn)];
    if (!f.bekend || f.eenheid != eenheid || f.lijnEenheid != m_eenheid[size_t(lijn)]) {
        f.eenheid = eenheid;
        f.lijnEenheid = m_eenheid[size_t(lijn)];
        f.factor = OmrekenFactor(f.lijnEenheid, eenheid);
        f.bekend = true;
    }
    return OmrekenenMetFactor(waarde, f.factor);
}

void frmGrafiek::labelRij(qint32 rij, qint32 meting, const GridData &grid)
{
    bool geen = false;
    const QString label = RijLabel(instellingen().LabelKeuze, grid.textMatrix(meting, 0),
                                   grid.textMatrix(meting, 1), grid.textMatrix(meting, 2), &geen);
    if (!geen)
        m_chart->setRowLabel(rij, label);
}

void frmGrafiek::VulGrafiekRij(qint32 rij, qint32 meting)
{
    if (rij < 1 || rij > m_chart->rowCount())
        return;
    bool gelabeld = !gelabeldeRij(rij);
    for (int n = 1; n <= MaxGrafiekLijnen; ++n) {
        if (!bron(n).geldig())
            continue;
        ControleGrafiekEenheid(n);
        Bron b;
        const GridData *grid = rijBron(n, meting, b);
        if (!grid)
            continue;
        const int kolom = (b.kanaal - 1) * 2 + 3;
        const QString waarde = grid->textMatrix(meting, kolom).trimmed();
        double punt = qQNaN();
        if (ReadingOf(waarde, b.slot) == CellReading::Number)
            punt = omgerekend(n, waarde, grid->textMatrix(meting, kolom + 1));
        m_chart->setValue(n + 2, rij, punt);
        if (!gelabeld) {
            gelabeld = true;
            labelRij(rij, meting, *grid);
        }
    }
}

void frmGrafiek::wisRijenVanaf(qint32 eerste)
{
    const qint32 max = m_chart->rowCount();
    if (eerste <= 1) {
        for (int s = EersteLijnSerie; s <= Chart::SeriesCount; ++s)
            m_chart->clearSeries(s);
    } else {
        for (int s = EersteLijnSerie; s <= Chart::SeriesCount; ++s)
            for (qint32 r = eerste; r <= max; ++r)
                m_chart->setNull(s, r);
    }
    for (qint32 r = qMax(1, eerste); r <= max; ++r)
        m_chart->setRowLabel(r, QString());
}

void frmGrafiek::HertekenGrafiek()
{
    if (m_stand.AantalPunten < 0)
        return;
    // Every row is drawn from the window's position: a move-on waiting for its turn is done.
    m_verschuiving.reset();
    const Chart::Hold hold(*m_chart);
    const qint32 punten = qMin(m_stand.AantalPunten, m_chart->rowCount());
    if (!instellingen().XYrecorder)
        for (qint32 r = 1; r <= punten; ++r)
            VulGrafiekRij(r, m_stand.EersteMeting + r - 1);
    wisRijenVanaf(punten + 1);
    puntVolgen();
    BepaalMinMaxima();
}

void frmGrafiek::schuifOp(const VensterStand &oud)
{
    // Rows still shown after the move keep their points, moved left; only the rest is read
    // from the table again. What is drawn is what a full redraw draws.
    const qint32 max = m_chart->rowCount();
    const qint32 punten = qMin(m_stand.AantalPunten, max);
    const qint32 d = m_stand.EersteMeting - oud.EersteMeting;
    const qint32 behouden = d < 0 ? 0 : qMax(0, qMin(punten, qMin(oud.AantalPunten, max) - d));
    if (behouden == 0) {
        HertekenGrafiek();
        return;
    }
    const Chart::Hold hold(*m_chart);
    for (int s = EersteLijnSerie; s <= Chart::SeriesCount; ++s)
        for (qint32 r = 1; r <= behouden; ++r)
            m_chart->setValue(s, r, m_chart->value(s, r + d));
    for (qint32 r = 1; r <= behouden; ++r) {
        if (!gelabeldeRij(r))
            continue;
        const qint32 meting = m_stand.EersteMeting + r - 1;
        for (int n = 1; n <= MaxGrafiekLijnen; ++n) {
            Bron b;
            if (const GridData *grid = rijBron(n, meting, b)) {
                labelRij(r, meting, *grid);
                break;
            }
        }
    }
    for (qint32 r = behouden + 1; r <= punten; ++r)
        VulGrafiekRij(r, m_stand.EersteMeting + r - 1);
    wisRijenVanaf(punten + 1);
    puntVolgen();
    BepaalMinMaxima();
}

void frmGrafiek::VulGrafiekAan(qint32 nr)
{
    // An automatic print pumps events: a record arriving meanwhile must not feed the window
    // in the middle of its own sample.
    if (m_inVoeding || m_ontladen)
        return;
    const Vlag bezig(m_inVoeding);
    const GraphSettings &g = instellingen();
    if (g.XYrecorder) {
        if (RecorderMoment(m_volgendeRecorderMs, Clock::current().monotonicMs(),
                           g.RecorderTussentijd))
            VoegRecorderPuntToe();
        return;
    }
    // The rows take the measurements in their order: an earlier move-on comes first.
    verschuivingAfmaken();
    const Chart::Hold hold(*m_chart);
    const VensterStand oud = m_stand;
    if (VerschuifVenster(m_stand, m_chart->rowCount(), nr)) {
        const VensterStand verschoven = m_stand;
        m_stand.AantalPunten = qMax(1, m_stand.AantalPunten + 1);
        m_verschuiving = Verschuiving{oud, verschoven};
        // A window whose rows something else already brought up, or that was closed, takes
        // no turn.
        verschuivingen().add(this, [this] {
            if (isOntladen() || !verschuivingWacht())
                return false;
            verschuivingAfmaken();
            return true;
        });
    } else {
        m_stand.AantalPunten = qMax(1, m_stand.AantalPunten + 1);
        VulGrafiekRij(m_stand.AantalPunten, m_stand.EersteMeting + m_stand.AantalPunten - 1);
    }
    AanpassenScrollBar();
}

void frmGrafiek::verschuivingAfmaken()
{
    if (!m_verschuiving)
        return;
    const Verschuiving v = *m_verschuiving;
    m_verschuiving.reset();
    const Chart::Hold hold(*m_chart);
    // The move's redraw sees the window as the move left it, before the newest measurement
    // came in: its statistics cover the rows kept.
    const VensterStand nu = m_stand;
    m_stand = v.verschoven;
    schuifOp(v.oud);
    m_stand = nu;
    VulGrafiekRij(m_stand.AantalPunten, m_stand.EersteMeting + m_stand.AantalPunten - 1);
}

void frmGrafiek::bijgewerkt() const
{
    // The rows are the window's picture of its position, brought up to date where read.
    const_cast<frmGrafiek *>(this)->verschuivingAfmaken();
}

void frmGrafiek::VoegRecorderPuntToe()
{
    if (!MetenActief)
        return;
    const GraphSettings &g = instellingen();
    const BuitenGebruik buiten(*this);
    {
        const Chart::Hold hold(*m_chart);
        const qint32 max = m_chart->rowCount();
        bool labelsVerschoven = false;
        for (int n = 1; n <= MaxGrafiekLijnen; ++n) {
            const int serie = n + 2;
            const Bron b = bron(n);
            if (!b.geldig()) {
                VernieuwPuntInfo(serie);
                continue;
            }
            ControleGrafiekEenheid(n);
            for (qint32 r = 2; r <= max; ++r)
                m_chart->setValue(serie, r - 1, m_chart->value(serie, r));
            double punt = qQNaN();
            if (ToestelGeldig(b.slot) && Toestel[b.slot].Actief
                && b.kanaal <= Toestel[b.slot].Kanalen) {
                const KanaalGegevens &k = Toestel[b.slot].Kanaal[size_t(b.kanaal)];
                const QString waarde = k.Waarde.trimmed();
                if (!k.GeenWaarde && ReadingOf(waarde, b.slot) == CellReading::Number)
                    punt = omgerekend(n, waarde, k.Eenheid);
            }
            m_chart->setValue(serie, max, punt);
            if (!labelsVerschoven) {
                labelsVerschoven = true;
                for (qint32 r = 2; r <= max; ++r)
                    m_chart->setRowLabel(r - 1, m_chart->rowLabel(r));
                m_chart->setRowLabel(max, RecorderLabel(g.LabelKeuze, Clock::current().now(),
                                                        m_stand.AantalPunten));
            }
            VernieuwPuntInfo(serie);
        }
        if (m_geselecteerdeSerie >= EersteLijnSerie && m_chart->isFootnoteVisible())
            BepaalMinMaxima();
    }
    ++m_stand.AantalPunten;
    if (m_stand.AantalPunten >= m_chart->rowCount()) {
        if (g.AfdrukkenRecorder && graphDirectPrintHook())
            graphDirectPrintHook()(*this);
        m_stand.AantalPunten = 0;
    }
}

// ---- scrolling ----

void frmGrafiek::AanpassenScrollBar()
{
    const QSignalBlocker blocker(m_scrollBar);
    const ScrollBarStand stand = AanpassenScrollBarStand(m_stand.EersteMeting, AantalRijen);
    m_scrollBar->setRange(stand.minimum, stand.maximum);
    m_scrollBar->setValue(stand.waarde);
    const qint64 pagina = AantalRijen >= ScrollBereik
                              ? qint64(m_chart->rowCount()) * ScrollBereik / AantalRijen
                              : m_chart->rowCount();
    m_scrollBar->setPageStep(int(qMax<qint64>(1, pagina)));
}

void frmGrafiek::scrollBarBewogen(int waarde)
{
    m_stand = ScrollStand(waarde, m_chart->rowCount(), AantalRijen);
    HertekenGrafiek();
}

void frmGrafiek::LadenGrafiek()
{
    if (instellingen().XYrecorder)
        return;
    // Another file's rows: the point the footnote told of is not among them.
    puntLoslaten();
    m_stand = LadenGrafiekStand(m_chart->rowCount(), AantalRijen);
    HertekenGrafiek();
    AanpassenScrollBar();
}

void frmGrafiek::HerladenGrafiek()
{
    ReInitGrafiekData();
    if (AantalRijen <= 0 || instellingen().XYrecorder)
        return;
    // Feeding measurements 1..N one by one leaves the window where this arithmetic does; the
    // rows are then drawn once instead of at every move.
    VensterStand stand = m_stand;
    const qint32 max = m_chart->rowCount();
    for (qint32 nr = 1; nr <= AantalRijen; ++nr)
        VolgendePunt(stand, max, AantalRijen);
    m_stand = stand;
    HertekenGrafiek();
    AanpassenScrollBar();
}

// ---- statistics and point inspection ----

void frmGrafiek::BepaalMinMaxima()
{
    if (LadenBezig)
        return;
    verschuivingAfmaken();
    const QString voor = m_statistiekTekst;
    m_statistiekTekst.clear();
    if (m_geselecteerdeSerie >= EersteLijnSerie && m_geselecteerdeSerie <= Chart::SeriesCount) {
        const int lijn = m_geselecteerdeSerie - 2;
        // A recorder's samples sit at the right end: all its rows count.
        const qint32 rijen = instellingen().XYrecorder
                                 ? m_chart->rowCount()
                                 : qMin(m_stand.AantalPunten, m_chart->rowCount());
        std::vector<double> waarden(size_t(qMax(0, rijen)));
        for (qint32 r = 1; r <= rijen; ++r)
            waarden[size_t(r - 1)] = m_chart->value(m_geselecteerdeSerie, r);
        m_statistiekTekst = StatistiekTekst(waarden, BepaalStatistiekVlag(lijn),
                                            m_eenheid[size_t(lijn)], Taaltekst(191));
    }
    if (m_statistiekTekst != voor)
        toonVoetnoot();
}

void frmGrafiek::toonVoetnoot()
{
    m_chart->setFootnote(m_puntTekst + m_statistiekTekst);
}

void frmGrafiek::UitschakelenMarkers()
{
    const Chart::Hold hold(*m_chart);
    for (int s = EersteLijnSerie; s <= Chart::SeriesCount; ++s)
        if (m_chart->markersVisible(s))
            m_chart->setMarkers(s, false);
    m_puntTekst.clear();
    m_statistiekTekst.clear();
    m_chart->setFootnote(QString());
    m_chart->setFootnoteVisible(false);
}

void frmGrafiek::puntGekozen(int serie, int punt)
{
    if (LoggenActief)
        return;
    verschuivingAfmaken();
    const Chart::Hold hold(*m_chart);
    UitschakelenMarkers();
    m_geselecteerdeSerie = serie;
    m_geselecteerdPunt = punt;
    if (serie < EersteLijnSerie) {
        m_chart->setFootnoteVisible(true);
        m_puntTekst = grensPuntTekst(serie, punt);
        toonVoetnoot();
        return;
    }
    if (instellingen().XYrecorder) {
        ToonPuntInfo(serie, punt);
    } else {
        const int lijn = serie - 2;
        const qint32 meting = m_stand.EersteMeting + punt - 1;
        m_geselecteerdeMeting = meting;
        const Bron b = bron(lijn);
        QString datum, tijd;
        if (const GridData *grid = tabelGrid(b.slot); grid && meting < grid->rows()) {
            datum = grid->textMatrix(meting, 1);
            tijd = grid->textMatrix(meting, 2);
        }
        m_chart->setFootnoteVisible(true);
        m_puntTekst = kanaalNaam(b) + QStringLiteral(": No.") + QString::number(meting)
                      + QLatin1Char('(') + datum + QLatin1Char(' ') + tijd + QStringLiteral("): ")
                      + VoetnootGetal(m_chart->value(serie, punt)) + m_eenheid[size_t(lijn)];
        toonVoetnoot();
        BepaalMinMaxima();
    }
    m_chart->setMarkers(serie, true, QColor(0, 0, 125), Chart::markerPixels(MarkerGrootte));
}

void frmGrafiek::ToonPuntInfo(int serie, int punt)
{
    if (serie < EersteLijnSerie || serie > Chart::SeriesCount)
        return;
    const int lijn = serie - 2;
    m_chart->setFootnoteVisible(true);
    m_puntTekst = kanaalNaam(bron(lijn)) + QStringLiteral(": ") + m_chart->rowLabel(punt)
                  + QStringLiteral(": ") + VoetnootGetal(m_chart->value(serie, punt))
                  + m_eenheid[size_t(lijn)];
    toonVoetnoot();
    BepaalMinMaxima();
}

void frmGrafiek::VernieuwPuntInfo(int serie)
{
    if (m_chart->isFootnoteVisible() && instellingen().XYrecorder
        && serie == m_geselecteerdeSerie)
        ToonPuntInfo(m_geselecteerdeSerie, m_geselecteerdPunt);
}

void frmGrafiek::selectieGewist() { UitschakelenMarkers(); }

void frmGrafiek::puntLoslaten()
{
    UitschakelenMarkers();
    m_geselecteerdeSerie = m_geselecteerdPunt = 0;
    m_geselecteerdeMeting = 0;
}

void frmGrafiek::puntVolgen()
{
    // The footnote of a line's point tells one measurement: while the window shows it, the
    // selection follows its row; when the window no longer shows it, the footnote goes.
    if (instellingen().XYrecorder || m_geselecteerdeSerie < EersteLijnSerie
        || m_geselecteerdeMeting < 1)
        return;
    const qint32 rij = m_geselecteerdeMeting - m_stand.EersteMeting + 1;
    if (rij < 1 || rij > qMin(m_stand.AantalPunten, m_chart->rowCount()))
        puntLoslaten();
    else
        m_geselecteerdPunt = rij;
}

// ---- colours ----

void frmGrafiek::ZetDiagramKleur(int serie, qint32 kleur)
{
    instellingen().ZetDiagramKleur(serie, kleur);
    m_chart->setPenColour(serie, KleurNaarQColor(kleur));
}

int frmGrafiek::LeesDiagramRood(int serie) const { return RoodDeel(instellingen().GrafiekKleur(serie)); }
int frmGrafiek::LeesDiagramGroen(int serie) const { return GroenDeel(instellingen().GrafiekKleur(serie)); }
int frmGrafiek::LeesDiagramBlauw(int serie) const { return BlauwDeel(instellingen().GrafiekKleur(serie)); }

// ---- printable graph ----

qint16 frmGrafiek::GrafiekIndex() const { return m_ontladen ? 0 : instellingen().GrafiekIndex; }
QString frmGrafiek::caption() const { return windowTitle(); }
bool frmGrafiek::XYrecorder() const { return instellingen().XYrecorder; }
qint32 frmGrafiek::RecorderTussentijd() const { return instellingen().RecorderTussentijd; }
qint16 frmGrafiek::MaxGrafiekZichtbaar() const { return qint16(m_chart->rowCount()); }
bool frmGrafiek::AlarmHoog() const { return instellingen().AlarmHoog; }
bool frmGrafiek::AlarmLaag() const { return instellingen().AlarmLaag; }
double frmGrafiek::AlarmHoogWaarde() const { return instellingen().AlarmHoogWaarde; }
double frmGrafiek::AlarmLaagWaarde() const { return instellingen().AlarmLaagWaarde; }
QColor frmGrafiek::seriesColour(int serie) const { return m_chart->penColour(serie); }
QString frmGrafiek::legendText(int serie) const { return m_chart->legendText(serie); }
double frmGrafiek::chartValue(int serie, int punt) const
{
    bijgewerkt();
    return m_chart->value(serie, punt);
}

bool frmGrafiek::isNull(int serie, int punt) const
{
    bijgewerkt();
    return m_chart->isNull(serie, punt);
}

QString frmGrafiek::rowLabel(int punt) const
{
    bijgewerkt();
    return m_chart->rowLabel(punt);
}

// The chart carries no title of its own: the caption is the window's, not the chart's.
QString frmGrafiek::chartTitle() const { return m_chart->title(); }
bool frmGrafiek::legendShown() const { return m_chart->isLegendVisible(); }

void frmGrafiek::renderChart(QPainter &painter, const QRectF &target, bool title, bool legend) const
{
    if (target.width() <= 0 || target.height() <= 0)
        return;
    bijgewerkt();
    // The chart is laid out as wide as on screen and as high as the target's shape asks, then
    // scaled onto the target: text and lines keep their size relative to the chart.
    const double breedte = m_chart->width() > 50 ? m_chart->width() : 640;
    const double schaal = target.width() / breedte;
    const QRectF scherm(0, 0, breedte, target.height() / schaal);
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(schaal, schaal);
    Chart::RenderOptions options;
    options.title = title;
    options.legend = legend;
    m_chart->render(painter, scherm, options);
    painter.restore();
}

// ---- events ----

void frmGrafiek::SluitDoorCode()
{
    m_doorCode = true;
    container()->close();
    if (!m_ontladen) // a window outside a work area that refused to close
        Form_Unload();
}

void frmGrafiek::closeEvent(QCloseEvent *event)
{
    if (!m_doorCode && !m_ontladen) {
        const qint16 antwoord = TonenMelding(Taaltekst(345), MsgBox::YesNoCancel | MsgBox::Question,
                                             windowTitle());
        if (antwoord == MsgBox::No) {
            event->ignore();
            container()->showMinimized();
            return;
        }
        if (antwoord != MsgBox::Yes) {
            event->ignore();
            return;
        }
    }
    event->accept();
    Form_Unload();
}

void frmGrafiek::Form_Unload()
{
    if (m_ontladen)
        return;
    m_ontladen = true;
    InstellingenGewijzigd = true;
    GraphSettings &g = instellingen();
    if (g.GrafiekIndex == m_nummer) {
        g.GrafiekIndex = 0;
        AantalGrafieken = qint16(qMax(0, AantalGrafieken - 1));
    }
    setProperty("Tag", QStringLiteral("grafiek0"));
    emit ontladen(m_nummer);
}

void frmGrafiek::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Window sizes are part of the saved settings.
    if (m_geladen && isVisible() && !container()->isMinimized())
        InstellingenGewijzigd = true;
}

void frmGrafiek::mouseMoveEvent(QMouseEvent *event)
{
    InstellingenGewijzigd = true;
    QWidget::mouseMoveEvent(event);
}

void frmGrafiek::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void frmGrafiek::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    if (!urls.isEmpty() && urls.first().isLocalFile())
        emit bestandGesleept(urls.first().toLocalFile());
}

bool frmGrafiek::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        emit geactiveerd();
    return QWidget::event(event);
}

// ---- the table of windows ----

frmGrafiek *GrafiekVensterTabel::operator[](int nummer)
{
    if (nummer < 1 || nummer > MaxGrafieken)
        return nullptr;
    QPointer<frmGrafiek> &entry = m_windows[size_t(nummer)];
    if (!entry || entry->isOntladen()) {
        entry = new frmGrafiek(qint16(nummer));
        if (m_maker)
            m_maker(entry);
    }
    return entry;
}

frmGrafiek *GrafiekVensterTabel::bestaand(int nummer) const
{
    if (nummer < 1 || nummer > MaxGrafieken)
        return nullptr;
    frmGrafiek *w = m_windows[size_t(nummer)];
    return w && !w->isOntladen() ? w : nullptr;
}

frmGrafiek *GrafiekVensterTabel::inGebruik(int nummer) const
{
    frmGrafiek *w = bestaand(nummer);
    return w && w->GrafiekIndex() == nummer ? w : nullptr;
}

void GrafiekVensterTabel::Ontladen()
{
    for (int n = 1; n <= MaxGrafieken; ++n)
        if (frmGrafiek *w = bestaand(n))
            w->SluitDoorCode();
}

void GrafiekVensterTabel::VulGrafiekenAan(qint32 nr)
{
    for (int n = 1; n <= MaxGrafieken; ++n)
        if (frmGrafiek *w = inGebruik(n))
            w->VulGrafiekAan(nr);
}

void GrafiekVensterTabel::BemonsterRecorders(qint32 nr)
{
    for (int n = 1; n <= MaxGrafieken; ++n)
        if (frmGrafiek *w = inGebruik(n); w && w->XYrecorder())
            w->VulGrafiekAan(nr);
}

bool GrafiekVensterTabel::RecordersActief() const
{
    for (int n = 1; n <= MaxGrafieken; ++n)
        if (frmGrafiek *w = inGebruik(n); w && w->XYrecorder())
            return true;
    return false;
}

frmGrafiek *LaadNieuweGrafiek(int nummer)
{
    // The load waits for the settings dialog, and the user may close the window meanwhile.
    QPointer<frmGrafiek> w = GrafiekVenster[nummer];
    w->container()->show();
    const bool geladen = w->Form_Load();
    if (!w)
        return nullptr;
    if (!geladen) {
        w->SluitDoorCode();
        return nullptr;
    }
    return w;
}

frmGrafiek *NieuweGrafiek(bool recorder)
{
    const int nummer = NeemNieuweGrafiek(recorder);
    frmGrafiek *w = nummer ? LaadNieuweGrafiek(nummer) : nullptr;
    if (w)
        InstellingenGewijzigd = true;
    return w;
}
