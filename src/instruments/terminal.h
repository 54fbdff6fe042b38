#pragma once
#include <QByteArray>
#include <QString>
#include <QWidget>

class PrintDevice;
class QCheckBox;
class QFrame;
class QPlainTextEdit;
class InstrumentConnection;
struct TerminalSettings;

// The text the terminal shows for bytes of the line: NUL dropped, every byte mapped once by the
// unit table (0xF8 "C" reads "°C", 0x88 "ê").
QString TerminalTekst(const QByteArray &bytes);
// The family the terminal writes in: the one asked for when it is installed, otherwise the
// system's fixed-pitch font ("Courier New" is missing on most Linux systems).
QString TerminalFamilie(const QString &requested);
class QFont;
// Whether every character of the font takes the same width.
bool VasteBreedte(const QFont &font);
// The system's fixed-pitch font family.
QString SysteemVasteBreedte();

// The terminal window: the serial traffic as coloured text, sent frames and received bytes each
// when its check box asks for them. Appending works only while the window is open (the View
// menu's terminal item is checked); closing it only hides it and empties its text.
class frmTerminal : public QWidget {
    Q_OBJECT
public:
    explicit frmTerminal(QWidget *parent = nullptr);
    ~frmTerminal() override;
    // The one terminal window; null before it is made.
    static frmTerminal *instance();

    // The text keeps the newest MaxRegels lines; older ones go TrimBlok at a time.
    static constexpr int MaxRegels = 20000;
    static constexpr int TrimBlok = 1000;

    void Herladen();
    // The check boxes' captions in the current language.
    void LaadStrings();
    void ToevoegenTextBox(const QString &ToeTeVoegen, qint32 Kleur, const QString &FontNaam = {},
                          qint16 Fontgrootte = 0, bool Fontvet = false, bool Fontschuin = false,
                          bool Fontonderlijn = false);
    // Bytes of the line, converted to text once.
    void ToevoegenBytes(const QByteArray &bytes, qint32 Kleur);
    void CopyTerminal();
    // The page engine's word wrap (printer, left X, right X, text); it lives above this layer.
    using TekstTerugloop = void (*)(PrintDevice &printer, float links, float rechts, QString tekst);
    // Prints the text word-wrapped between PrintLinks and PrintRechts from the printer's current
    // position on, breaking pages as the wrap routine does.
    void PrintTerminalTekst(PrintDevice &printer, TekstTerugloop terugloop) const;
    // Herladen, tag, menu item checked, shown.
    void Form_Load();
    void Form_Resize();
    // The user (or the program) closes the window: it hides, empties and takes nothing more.
    void Form_QueryUnload();

    // The check mark of the View menu's terminal item: the window is open and takes text.
    bool MenuAangevinkt() const { return m_menuChecked; }
    // The terminal item was chosen: shows (and loads, the first time) or hides the window.
    void mnuExtraTerminal_Click();
    void ZetMenuAangevinkt(bool checked);

    // The settings file's terminal block was read: the window is loaded (the first time), takes
    // the block's font size and attributes, echo flags and check mark, and is emptied when the
    // mark is off. Placing it is the main window's work.
    void InstellingenToepassen(const TerminalSettings &settings);
    // The font and check mark the settings file keeps.
    void InstellingenBewaren(TerminalSettings &settings) const;

    // Shows what the connection sends and receives.
    void VolgVerbinding(InstrumentConnection &connection);

    QPlainTextEdit *TxtLineInput() const { return m_text; }
    QCheckBox *CheckOutgoing() const { return m_outgoing; }
    QCheckBox *CheckIncoming() const { return m_incoming; }
    QCheckBox *CheckHexadecimaal() const { return m_hex; }
    QString Tekst() const;
    // The window or the MDI frame around it.
    QWidget *container() const;

signals:
    void menuAangevinkt(bool checked);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    void trim();

    QPlainTextEdit *m_text = nullptr;
    QCheckBox *m_outgoing = nullptr;
    QCheckBox *m_incoming = nullptr;
    QCheckBox *m_hex = nullptr;
    QFrame *m_frameSerialPort = nullptr;
    QCheckBox *m_information = nullptr;
    QWidget *m_bar = nullptr;
    bool m_menuChecked = false;
    bool m_loaded = false;
    bool m_pendingCr = false; // the last text ended in CR: an LF that follows ends the same line
};
