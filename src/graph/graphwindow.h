#pragma once
#include "core/windowsettings.h"
#include "graph/printablegraph.h"
#include "graph/graphrules.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class Chart;
class QScrollBar;
class GridData;

// A graph window: up to 32 lines, each one channel of one controller, with a high and a low
// limit line, plotted from the logged rows of the table window (normal mode) or sampled on the
// window's own clock (recorder mode).
//
// The window's public settings, line table and series colours are WindowSettings::graph[n]:
// the settings file reads and writes them there, the settings dialog edits them there, and the
// window reads them whenever it (re)builds its chart. The window itself keeps only its private
// state: which measurements it shows, the unit of each line, the selected point and the
// recorder's next moment.
class frmGrafiek : public QWidget, public PrintableGraph {
    Q_OBJECT
public:
    explicit frmGrafiek(qint16 nummer, QWidget *parent = nullptr);
    ~frmGrafiek() override;

    // The settings of this window (WindowSettings::graph[its number]).
    GraphSettings &instellingen() const;
    qint16 nummer() const { return m_nummer; }

    // Load: a new window (NieuweGrafiek) first asks the settings dialog; false when that was
    // not confirmed (the creator then unloads it). A window from the settings file takes what
    // the file stored, shows the last window of measurements and leaves Antwoord 1.
    bool Form_Load();

    // Line table (line 1..32, entry 1..5).
    qint16 LeesGrafiekLijnRef(int lijn, int index) const;
    void SchrijfGrafiekLijnRef(int lijn, int index, qint16 waarde);

    void WisGrafiekGegevens();
    void ReInitGrafiekData();
    void InstellenAlarmen();
    // The program's own texts in the chart (the limits' legends, a footnote's words) in the
    // current language.
    void LaadStrings();
    // The statistics flags of a line: 1 minimum + 2 maximum + 4 mean.
    int BepaalStatistiekVlag(int lijn) const;
    void InstellenGrafiekEenheid(int lijn);
    void ControleGrafiekEenheid(int lijn);
    void HerInitialiseerGrafiek();
    void InitScrollBar();
    void HertekenGrafiek();
    // A new measurement (number nr = AantalRijen) in normal mode; a due sample in recorder mode.
    // A measurement that moves the window on sets its position and scroll bar at once; the
    // chart's rows follow on the window's own turn of the event loop (verschuivingAfmaken).
    void VulGrafiekAan(qint32 nr);
    // A move-on whose chart rows wait for their turn.
    bool verschuivingWacht() const { return m_verschuiving.has_value(); }
    // Brings the chart's rows to the window's position now. The window's turn calls it, and so
    // does everything here that reads or rewrites the rows; Diagram() shows the rows as they are.
    void verschuivingAfmaken();
    void AanpassenScrollBar();
    void LadenGrafiek();
    void StelNieuweGrafiekIn();
    void HerladenGrafiek();
    void BepaalMinMaxima();
    void UitschakelenMarkers();

    // Pen colours of the chart series (1 low limit, 2 high limit, n + 2 line n).
    void ZetDiagramKleur(int serie, qint32 kleur);
    int LeesDiagramRood(int serie) const;
    int LeesDiagramGroen(int serie) const;
    int LeesDiagramBlauw(int serie) const;

    // Closes the window without the user's question (settings reload, program end).
    void SluitDoorCode();
    // The window was unloaded and is on its way out; its number may already serve another.
    bool isOntladen() const { return m_ontladen; }
    // The window's frame in the work area (itself outside one).
    QWidget *container() const;

    // Private state, for the program's other windows and for tests.
    qint32 EersteMeting() const { return m_stand.EersteMeting; }
    qint32 AantalPunten() const { return m_stand.AantalPunten; }
    int GeselecteerdeSerie() const { return m_geselecteerdeSerie; }
    int GeselecteerdPunt() const { return m_geselecteerdPunt; }
    Chart *Diagram() const { return m_chart; }
    QScrollBar *HorScrollBar() const { return m_scrollBar; }
    // The footnote's point text and statistics text.
    QString puntTekst() const { return m_puntTekst; }
    QString statistiekTekst() const { return m_statistiekTekst; }
    // Monotonic moment of the recorder's next sample.
    qint64 volgendeRecorderMs() const { return m_volgendeRecorderMs; }

    // PrintableGraph.
    qint16 GrafiekIndex() const override;
    QString caption() const override;
    bool XYrecorder() const override;
    qint32 RecorderTussentijd() const override;
    qint16 MaxGrafiekZichtbaar() const override;
    bool AlarmHoog() const override;
    bool AlarmLaag() const override;
    double AlarmHoogWaarde() const override;
    double AlarmLaagWaarde() const override;
    Lijn LezenGrafiekIndexen(qint16 nr) const override;
    QString GrafiekEenheid(int lijn) const override;
    QColor seriesColour(int serie) const override;
    QString legendText(int serie) const override;
    double chartValue(int serie, int punt) const override;
    bool isNull(int serie, int punt) const override;
    QString rowLabel(int punt) const override;
    QString chartTitle() const override;
    bool legendShown() const override;
    void renderChart(QPainter &painter, const QRectF &target, bool title,
                     bool legend) const override;

    // The chart's selection events (a click on a point, anywhere else).
    void puntGekozen(int serie, int punt);
    void selectieGewist();

signals:
    void geactiveerd();
    // A data file was dropped on the window.
    void bestandGesleept(const QString &path);
    // The right button was released over the chart: the Graph menu pops up there.
    void menuGevraagd(const QPoint &globalPos);
    // The window was unloaded; its number is free again.
    void ontladen(int nummer);
    // A recorder was (re)built: it needs the one-second tick to sample.
    void recorderGestart();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool event(QEvent *event) override;

private:
    struct Bron {
        int slot = 0;
        int kanaal = 0;
        bool geldig() const { return slot > 0; }
    };
    Bron bron(int lijn) const;
    GridData *tabelGrid(int slot) const;
    QString lijnLegende(int lijn, const Bron &b) const;
    QString kanaalNaam(const Bron &b) const;
    // The table grid holding line `lijn`'s reading of measurement `meting`, when the row fill
    // takes one from it; `b` gets the line's source.
    const GridData *rijBron(int lijn, qint32 meting, Bron &b) const;
    bool gelabeldeRij(qint32 rij) const;
    double omgerekend(int lijn, const QString &waarde, const QString &eenheid);
    void labelRij(qint32 rij, qint32 meting, const GridData &grid);
    void VulGrafiekRij(qint32 rij, qint32 meting);
    void wisRijenVanaf(qint32 eerste);
    // The redraw after the window moved on from `oud`.
    void schuifOp(const VensterStand &oud);
    // verschuivingAfmaken for the readers that printing calls.
    void bijgewerkt() const;
    void VoegRecorderPuntToe();
    void ToonPuntInfo(int serie, int punt);
    void VernieuwPuntInfo(int serie);
    void toonVoetnoot();
    // The selected point is gone: no marks, no footnote, nothing selected.
    void puntLoslaten();
    // After the window moved: the selection keeps its measurement, or goes with it.
    void puntVolgen();
    void grensLegendes();
    QString grensPuntTekst(int serie, int punt) const;
    void Form_Unload();
    void scrollBarBewogen(int waarde);
    qint32 aantalRijenGrafiek() const; // MaxGrafiekZichtbaar, at least 1

    qint16 m_nummer;
    Chart *m_chart = nullptr;
    QScrollBar *m_scrollBar = nullptr;
    VensterStand m_stand;
    // A move-on waiting for its turn: the rows still show `oud`; the window moved on to
    // `verschoven` and then took the newest measurement into row m_stand.AantalPunten.
    struct Verschuiving {
        VensterStand oud;
        VensterStand verschoven;
    };
    std::optional<Verschuiving> m_verschuiving;
    std::array<QString, MaxGrafiekLijnen + 1> m_eenheid;     // GrafiekEenheid, 1..32
    std::array<Bron, MaxGrafiekLijnen + 1> m_eenheidBron;    // the source the unit was found for
    std::array<qint32, MaxGrafiekLijnen + 1> m_eenheidGezocht{}; // table rows searched for it
    struct Factor { // the last unit conversion of a line
        QString lijnEenheid;
        QString eenheid;
        double factor = 1;
        bool bekend = false;
    };
    std::array<Factor, MaxGrafiekLijnen + 1> m_factor;
    int m_geselecteerdeSerie = 0;
    int m_geselecteerdPunt = 0;
    qint32 m_geselecteerdeMeting = 0; // the measurement a line's selected point shows
    QString m_puntTekst;
    QString m_statistiekTekst;
    qint64 m_volgendeRecorderMs = 0;
    bool m_geladen = false;
    bool m_doorCode = false;
    bool m_ontladen = false;
    bool m_inVoeding = false;
};

// Shows the graph settings dialog for graph n and returns its answer (1 OK, 2 Cancel); the
// main window installs the dialog. Without one a new graph keeps its defaults (answer 1).
std::function<qint16(int graph)> &graphSettingsDialogHook();
// Prints a full recorder at once (the print dialog's direct print); without it a full recorder
// only starts counting again.
std::function<void(frmGrafiek &graph)> &graphDirectPrintHook();

// The table of graph windows, numbers 1..32; an entry is created when first looked at.
class GrafiekVensterTabel {
public:
    frmGrafiek *operator[](int nummer);
    // The window of a number when it exists, without creating one.
    frmGrafiek *bestaand(int nummer) const;
    // The window of a number when it is in use (its GrafiekIndex is its number).
    frmGrafiek *inGebruik(int nummer) const;
    // Closes every graph window without questions (before a settings reload).
    void Ontladen();
    // Called with each new window, so the main window can put it in its work area.
    void setMaker(std::function<void(frmGrafiek *)> maker) { m_maker = std::move(maker); }

    // The record hand-over: every graph in use, in number order; recorders only sample when due.
    void VulGrafiekenAan(qint32 nr);
    // The one-second tick: every recorder in use.
    void BemonsterRecorders(qint32 nr);
    bool RecordersActief() const;

private:
    std::array<QPointer<frmGrafiek>, MaxGrafieken + 1> m_windows;
    std::function<void(frmGrafiek *)> m_maker;
};

extern GrafiekVensterTabel GrafiekVenster;

// Graph > New: the lowest free number, its load defaults, the settings dialog, shown. Null
// when no number is free or the dialog was cancelled (the window is gone again).
frmGrafiek *NieuweGrafiek(bool recorder);
// Makes and shows the window of graph `nummer`, whose settings are prepared for a new graph,
// and loads it (the settings dialog first); null when that was not confirmed (the window is
// gone again).
frmGrafiek *LaadNieuweGrafiek(int nummer);
