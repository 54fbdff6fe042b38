#pragma once
#include "core/slots.h"
#include "mainwindow/settingsrules.h"

#include <QDateTime>
#include <QDialog>
#include <QPointer>
#include <QSpinBox>
#include <QStringList>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;

// What the general settings dialog needs of the main window, the port, the files and the other
// windows. The main window fills these in; tests fill in their own. A hook left empty does
// nothing (the settings write falls back to the settings writer, the main window's enabled state
// to the registered main window).
struct SettingsDialogHooks {
    // Port.
    std::function<bool()> portOpen;
    std::function<void()> closePort;
    // The port names the system offers ("COM1", "COM3", ...), increasing; may show its own
    // progress window.
    std::function<QStringList()> scanPorts;
    // The device a port name stands for, shown beside it ("/dev/ttyUSB0"); empty when unknown.
    std::function<QString(const QString &port)> portDevice;
    // Sets the port up from SeriePoort and Baudrate without opening it.
    std::function<void()> initPort;
    // Opens the port as set up; reports a failure itself (text 152). True when open.
    std::function<bool()> openPort;
    // Files.
    std::function<void()> closeFiles;     // every file the program holds open
    std::function<void()> reopenDataFile; // logging goes on: the data file again, for appending
    // The log timer runs again when what was set needs it (a schedule, logging going on).
    std::function<void()> wakeLogTimer;
    std::function<bool(const QString &path)> writeSettings;
    // Windows.
    std::function<void(bool enabled)> setMainEnabled;
    std::function<void()> mainTexts;  // re-caption the main window (LaadStrings)
    // A slot's rack window: created when needed, re-captioned, laid out, shown or hidden.
    std::function<void(int slot, bool shown)> rackWindow;
    std::function<void(int slot)> deviceProtocol; // the slot's protocol texts
    // The controllers were placed in their slots anew (per slot the slot it came from, 0: a new
    // one): the rack fonts set with Window > Font go with each controller, and a new one starts
    // with the default fonts.
    std::function<void(const ApparaatBronnen &bronnen)> rackFonts;
    // Rebuild the table's tabs, keeping the column widths; the grid of a slot whose rows are not
    // its controller's own (per slot 1..31) is emptied first.
    std::function<void(const std::array<bool, MaxToestellen + 1> &eigenRijen)> tableWindow;
    std::function<void()> saveButton;             // enable the save-settings button
    std::function<void(const QString &command)> startHelp;
};

SettingsDialogHooks &settingsDialogHooks();

// The log interval: a spin box that shows hours, minutes and seconds with the locale's time
// separator and wraps around one day (never 0). Its field is masked as "hh:mm:ss": typed digits
// take their places, and the field is read when it is left.
class IntervalSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit IntervalSpinBox(QWidget *parent = nullptr);
    // The mask with the given time separator.
    void ZetMasker(const QString &scheiding);

protected:
    QString textFromValue(int value) const override;
    int valueFromText(const QString &text) const override;
    QValidator::State validate(QString &input, int &pos) const override;
};

// The general settings dialog: port and baud rate, log interval and schedule, language and the
// controllers on the line. Shown without modality; polling and logging stand still and the main
// window is disabled while it is open. Nothing it holds reaches the program before OK, except
// the log interval and the schedule times, which Cancel (or a close by the frame) restores.
class frmInstellen : public QDialog {
    Q_OBJECT
public:
    explicit frmInstellen(QWidget *transientParent = nullptr);
    ~frmInstellen() override;

    // The open dialog, or nullptr.
    static frmInstellen *geopend();
    // Shows the dialog (a fresh one, or raises the open one) without waiting; `tab` selects a tab
    // (-1: the stored one).
    static frmInstellen *Tonen(int tab = -1);
    // Shows the dialog and waits until it has closed; returns LaatsteAntwoord (1 OK, 2 Cancel).
    static int TonenEnWachten(int tab = -1);

    bool Afsluiten = false;

    void InitCboCommPoort();
    void InitCboBaudrate();
    void PlaatsTijdsinterval(qint32 seconden);

    // Controls, by their names.
    QTabWidget *SSTab = nullptr;
    QLabel *lblCommPoort = nullptr;
    QComboBox *cboCommPoort = nullptr;
    QLabel *lblBaudrate = nullptr;
    QComboBox *cboBaudrate = nullptr;
    QPushButton *CommandScan = nullptr;
    QLabel *LblConnectionIntervalOfTime = nullptr;
    IntervalSpinBox *TextTijdsinterval = nullptr;
    QCheckBox *CheckLogStartup = nullptr;
    QCheckBox *CheckLoadFile = nullptr;
    QCheckBox *CheckStartTijdstip = nullptr;
    QCheckBox *CheckStopTijdstip = nullptr;
    QPushButton *CommandStartTijdstip = nullptr;
    QPushButton *CommandStopTijdstip = nullptr;
    QLabel *LabelStartTijdstip = nullptr;
    QLabel *LabelStopTijdstip = nullptr;
    QLabel *LabelTaal = nullptr;
    QComboBox *ComboTaal = nullptr;
    QTableWidget *MSHFlexGridController = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
    QPushButton *CommandHelp = nullptr;

    // The device grid's edit buffer.
    const ApparaatRijen &rijen() const { return m_rijen; }
    // Commits an edit of grid row `rij`, column 1..3, as the floating editors do.
    void commitCell(int rij, int kolom, const QString &tekst);
    // Empties the selected rows after asking (Backspace or Delete on the grid).
    void VerwijderSelectie();

public slots:
    void OKButton_Click();
    void CancelButton_Click();
    void CommandScan_Click();
    void CommandHelp_Click();
    void CommandStartTijdstip_Click();
    void CommandStopTijdstip_Click();
    void ComboTaal_Click(int index);
    void reject() override; // Escape and the frame close: Cancel

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void Form_Unload();
    void LaadTekstenInstellen();
    void InstellenTijdstipVakken();
    void vulGrid();
    void refuse(int tab, QWidget *focus);

    ApparaatRijen m_rijen;
    bool BewaardMeten = false;
    bool BewaardLoggen = false;
    bool BewaardBezig = false;
    qint16 BewaardeTaal = 0;
    // What the dialog changes before OK, to put back on Cancel.
    qint32 m_interval = 1;
    QDateTime m_startTijd, m_stopTijd;
    bool m_vullen = false;
    bool m_ontladen = false;
};
