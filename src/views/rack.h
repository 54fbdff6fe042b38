#pragma once
#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <array>
#include <functional>

class QStatusBar;

// The round activity lamp in the top band of a rack window.
class RackLamp : public QWidget {
    Q_OBJECT
public:
    explicit RackLamp(QWidget *parent = nullptr);
    QColor colour() const { return m_colour; }
    void setColour(const QColor &colour);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_colour;
};

// The live face of one controller: its name, one block per channel (name, value, unit), an
// activity lamp and a status bar of four panels (stop, control texts, relays, time of reading).
// The blocks and their fonts scale with the window. Sizes are worked out in twips, the unit the
// saved window geometry uses, and converted to pixels only when placed.
class FormRack : public QWidget {
    Q_OBJECT
public:
    explicit FormRack(qint16 slot, QWidget *parent = nullptr);

    qint16 Ti = 0; // slot 1..31 shown
    qint16 Ki = 0; // held for callers

    void LaadStrings();
    void Form_Resize();
    void FormInstellenControls();
    void WissenVensterMetingen();
    void LaadVensterTitel();
    void FormCopy();
    // Puts a window that lies off the screen back at the left or top edge, re-labels it and
    // tells the main window (geactiveerd) that it became the active one.
    void Form_Activate();

    // The controls the reading display and the settings file work on; k is the channel - 1.
    QLabel *LabelModule() const { return m_module; }
    QLabel *LabelKanaal(int k) const { return m_kanaal[size_t(k)]; }
    QLabel *LabelWaarde(int k) const { return m_waarde[size_t(k)]; }
    QLabel *LabelEenheid(int k) const { return m_eenheid[size_t(k)]; }
    RackLamp *ShapeLED() const { return m_lamp; }

    // The values' font, chosen with Window > Font: every value label takes it whole, the unit
    // labels its family and style with their own size and colour. A controller takes it along
    // to another slot.
    QFont WaardeLettertype() const { return m_waarde[0]->font(); }
    void ZetWaardeLettertype(const QFont &font);
    // The fonts a new rack window starts with.
    static QFont StandaardWaardeLettertype();
    static QFont StandaardKanaalLettertype();
    // The value and unit labels' fonts as they are: a controller moved to another slot takes
    // them along, so a rack never given a font keeps its units' plain face.
    struct Lettertypen {
        std::array<QFont, 4> waarde, eenheid;
    };
    Lettertypen HuidigeLettertypen() const;
    void ZetLettertypen(const Lettertypen &lettertypen);
    // Back to the fonts (and black channel texts) a new rack window starts with: a new
    // controller in the slot has nothing of the one before.
    void StandaardLettertypen();
    QStatusBar *StatusBar() const { return m_statusBar; }
    // Panels 1..4 of the status bar.
    QLabel *Panel(int n) const { return m_panels[size_t(n - 1)]; }

    // Panel 1's two looks: raised with "STOP" (stop is offered) or sunken with the stop picture.
    void ToonStopPaneel(bool gestopt);
    bool StopPaneelIngedrukt() const { return m_stopSunken; }
    // A click on status-bar panel 1..4: panel 1 ("Stop") offers to stop or reactivate the
    // controller's regulation while polling is on.
    void StatusBar_PanelClick(int Panel);
    // The status bar as one full-width text, or back to its panels.
    void ToonStatusTekst(const QString &text);
    void ToonPanelen();
    QString StatusTekst() const;

    // Whether the window is shown by the program's own choice (its container is not hidden),
    // independent of whether the main window is on screen yet.
    bool Zichtbaar() const;
    // Lets the program end unload the window instead of hiding it.
    void setAfsluitenToegestaan(bool allowed) { m_allowClose = allowed; }

    // Design client size in twips.
    static constexpr int DesignWidth = 3780;
    static constexpr int DesignHeight = 2280;
    // Current geometry of a control in twips (what the layout computed).
    QRect twipsOf(const QWidget *control) const;
    int twipsPerPixel() const;

    static QPixmap stopPicture();
    static QColor greyTextColour();

signals:
    void instellingenGewijzigd();
    void geactiveerd();
    void bestandGesleept(const QString &path);
    void instellingenGevraagd(int slot, int channelTab);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Placed {
        QWidget *widget = nullptr;
        QRect tw; // twips
    };
    Placed &placed(const QWidget *control);
    void apply(Placed &p);
    void setFontPoints(QLabel *label, int points);
    // The layout of Form_Resize without marking the settings changed; false when it did not run.
    bool layOut();
    // The status bar's height at the window's width: one text may take two lines.
    int statusBarHeight();
    void fitStatusBar();
    QWidget *container() const;

    QWidget *m_picture = nullptr;
    QWidget *m_band = nullptr;
    QLabel *m_module = nullptr;
    RackLamp *m_lamp = nullptr;
    std::array<QLabel *, 4> m_kanaal{};
    std::array<QLabel *, 4> m_waarde{};
    std::array<QLabel *, 4> m_eenheid{};
    QStatusBar *m_statusBar = nullptr;
    std::array<QLabel *, 4> m_panels{};
    QLabel *m_statusText = nullptr;
    int m_panelBarHeight = 0; // the status bar's height while it shows its panels
    std::vector<Placed> m_placed;
    bool m_stopSunken = false;
    bool m_stopShown = false; // panel 1 has been given one of its looks
    bool m_allowClose = false;
    bool m_inLayout = false;
};

// The window table of the rack windows, slots 1..31; an entry is created when first looked at.
class RackVensterTabel {
public:
    FormRack *operator[](int slot);
    // The window of a slot when it exists, without creating one.
    FormRack *bestaand(int slot) const;
    // Unloads every rack window (before a settings reload and at the end).
    void Ontladen();
    // Called with each new window, so the main window can put it in its work area.
    void setMaker(std::function<void(FormRack *)> maker) { m_maker = std::move(maker); }

private:
    std::array<QPointer<FormRack>, 32> m_windows;
    std::function<void(FormRack *)> m_maker;
};

extern RackVensterTabel RackVenster;

// "#" and the identification number in three digits ("#007"); 1000 shows as "#1000".
QString RackAdresTekst(qint32 idno);
