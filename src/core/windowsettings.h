#pragma once
#include <QSizeF>
#include <QString>
#include <QtGlobal>
#include <array>

// The settings of the windows that the settings file keeps, held as plain data so that the file
// round-trips whole whether or not a window exists. A window copies its own placement and fonts
// in here before the file is written (WindowHost::collectWindowSettings) and takes them from
// here after the file was read. Positions and sizes are in twips (1/1440 inch), as the file
// keeps them; child windows relative to the main window's client area.

struct WindowPlacement {
    qint16 state = 0; // 0 normal, 1 minimised, 2 maximised
    float top = 600;
    float left = 600;
    float height = 7500;
    float width = 7500;
    bool operator==(const WindowPlacement &) const = default;
};

struct FontSettings {
    QString name = QStringLiteral("MS Sans Serif");
    float size = 8;
    bool bold = false;
    bool italic = false;
    bool strikeThrough = false;
    bool underline = false;
    qint32 colour = 0; // fore colour, red + 256 * green + 65536 * blue
    bool operator==(const FontSettings &) const = default;
};

// One slot's rack window.
struct RackWindowSettings {
    bool visible = false;
    WindowPlacement placement;
    std::array<FontSettings, 4> channelLabelFonts; // LabelKanaal 0..3
    bool operator==(const RackWindowSettings &) const = default;
};

constexpr int MaxGrafieken = 32;
constexpr int MaxGrafiekLijnen = 32;
constexpr int GrafiekReeksen = MaxGrafiekLijnen + 2; // series 1 low limit, 2 high limit, n + 2 line n

// One graph window: its public settings, line table and series colours.
struct GraphSettings {
    qint16 GrafiekIndex = 0;  // the window's own number while in use; 0 = entry only created
    bool NieuweGrafiek = false;
    QString caption;          // the graph's name
    WindowPlacement placement; // state = the window state
    bool visible = false;

    QString TitelWaardenas;
    QString TitelTijdsas;
    bool AutomatischeSchaal = true;
    double GrafiekMinimum = -100.0;
    double GrafiekMaximum = 100.0;
    double AlarmHoogWaarde = 0;
    double AlarmLaagWaarde = 0;
    qint16 AantalWaardenVerdelingen = 10;
    qint16 AantalWaardenOnderverdelingen = 1;
    qint16 AantalTijdVerdelingen = 7;
    qint16 MaxGrafiekZichtbaar = 99;
    qint16 LabelKeuze = 0;
    bool LegendeKeuze = false;
    bool XYrecorder = false;
    bool AfdrukkenRecorder = false;
    bool AlarmHoog = false;
    bool AlarmLaag = false;
    qint32 RecorderTussentijd = 5; // seconds

    // [line 1..32][entry 1..5]: slot, channel, minimum, maximum and mean switches; index 0 unused.
    std::array<std::array<qint16, 6>, MaxGrafiekLijnen + 1> lineTable{};
    // Pen colour of series 1..34 (index 0 unused).
    std::array<qint32, GrafiekReeksen + 1> seriesColour{};

    GraphSettings();
    // The values a window takes when it is loaded as graph `number`.
    void resetToLoadDefaults(int number);

    qint16 LeesGrafiekLijnRef(int lijn, int index) const;
    void SchrijfGrafiekLijnRef(int lijn, int index, qint16 waarde);
    qint32 GrafiekKleur(int serie) const;
    void ZetDiagramKleur(int serie, qint32 kleur);

    bool operator==(const GraphSettings &) const = default;
};

// The default pen colour of a chart series (1 low limit blue, 2 high limit red, lines from the
// 15-colour palette).
qint32 defaultSeriesColour(int serie);

struct TerminalSettings {
    WindowPlacement placement;
    FontSettings font;        // of the text box; the file keeps size and attributes only
    bool menuChecked = false; // the terminal menu item: the window is shown
    bool operator==(const TerminalSettings &) const = default;
};

constexpr int TabelKolommen = 14; // columns 0..13 of a table grid

struct TableGridSettings {
    FontSettings font;
    std::array<qint32, TabelKolommen> columnWidths{};
    TableGridSettings();
    // The widths the table window sets when it is set up (the remarks column keeps its own).
    void setDefaultColumnWidths();
    bool operator==(const TableGridSettings &) const = default;
};

struct TableSettings {
    bool TabelTonen = false; // the table window is shown
    WindowPlacement placement;
    std::array<TableGridSettings, 31> grids; // grid i for slot i + 1
    bool operator==(const TableSettings &) const = default;
};

// The one store of window settings (one thread; the windows read and write it directly).
namespace WindowSettings {
inline WindowPlacement mainWindow;
inline std::array<RackWindowSettings, 32> rack;     // index 1..31
inline std::array<GraphSettings, MaxGrafieken + 1> graph; // index 1..32 (GrafiekVenster)
inline TerminalSettings terminal;
inline TableSettings table;
// Back to the state of a program that has no windows yet.
void reset();
} // namespace WindowSettings

// What the settings file, the default settings and the data file ask of the windows. The main
// window installs its own; until then (and in tests) this default does nothing visible, answers
// the general settings dialog with OK (there is no dialog to fill in yet) and routes messages
// through the dialog provider.
class WindowHost {
public:
    virtual ~WindowHost() = default;

    // Before the settings file is written: every existing window stores its placement, fonts,
    // column widths and graph settings in WindowSettings.
    virtual void collectWindowSettings() {}
    // Before a settings file is read: rack and table windows hidden (their data already is).
    virtual void hideWindows() {}
    // A settings section was read into WindowSettings: apply it to the windows.
    virtual void mainWindowRead() {}
    virtual void deviceRead(int slot) { Q_UNUSED(slot); } // protocol texts, rack window
    virtual void graphRead(int graph) { Q_UNUSED(graph); } // rebuild the chart, show it
    virtual void terminalRead() {}
    virtual void tableRead() {}
    // The save-settings toolbar button is enabled.
    virtual void saveButtonEnabled() {}
    // The main window renews its caption.
    virtual void titleChanged() {}

    // The general settings dialog, shown and waited for; returns 1 (OK) or 2 (Cancel).
    virtual int generalSettingsDialog() { return 1; }
    virtual void reloadTexts() {}
    virtual void tileWindows() {}

    // The screen and the main window's client area, in twips.
    virtual QSizeF screenTwips() const;
    virtual QSizeF mainClientTwips() const { return screenTwips(); }

    // The program's message box; with MsgBox::DoNotWait it returns 0 at once.
    virtual int message(const QString &text, int flags, const QString &title);

    static WindowHost &current();
    // Installs a host (not owned); nullptr restores the default.
    static void install(WindowHost *host);
};
