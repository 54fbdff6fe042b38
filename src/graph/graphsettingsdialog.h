#pragma once
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QtGlobal>

class ArrowPair;
class CurveLijnenGrid;
class NumberField;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

// Shows the graph settings dialog for graph `graph` (1..32, its settings in WindowSettings::graph)
// and waits until it has closed; returns the main window's Antwoord it leaves: 1 after OK (the
// caller rebuilds the graph), 2 after Cancel or any other close. `window`, when given, is the
// graph's window: should it close while the dialog is open, the dialog closes as Cancel. `tab`
// selects a tab (-1: the one the dialog was last closed on). While the dialog is open, a call
// for any graph only brings it forward and returns 2 at once, without waiting.
qint16 ToonGrafiekInstellingen(int graph, QWidget *window = nullptr, int tab = -1);
// The dialog is open (for some graph).
bool GrafiekInstellenOpen();
// Brings the open dialog to the front; nothing when none is open.
void BrengGrafiekInstellenNaarVoren();

// The graph settings dialog. One exists at a time, bound to its graph (and window) from the
// moment it opens. At load it copies the graph's settings into its fields; OK writes them back,
// saves the settings file and closes; everything else closes without writing (line sources
// confirmed in the curves grid stay, they are written when chosen).
class frmGrafiekInstellen : public QDialog {
    Q_OBJECT
public:
    frmGrafiekInstellen(int graph, QWidget *window);
    ~frmGrafiekInstellen() override;

    // The open dialog, or nullptr.
    static frmGrafiekInstellen *geopend();

    int graphNumber() const { return m_graph; }

    void PlaatsTussentijd(qint32 TePlaatsentijd);
    void InstellenSchaalEnables();

    // The controls, by their names.
    QTabWidget *SSTab = nullptr;
    // Tab 0.
    QLabel *LabelGraphName = nullptr;
    QLineEdit *TextGraphName = nullptr;
    QCheckBox *CheckLegenda = nullptr;
    QGroupBox *FrameRecorder = nullptr;
    QCheckBox *CheckRecorder = nullptr;
    QLabel *LabelTussentijd = nullptr;
    QLineEdit *TextTussentijd = nullptr;
    ArrowPair *UpDownTussentijd = nullptr;
    QCheckBox *CheckPrintGraph = nullptr;
    QGroupBox *FrameAlarm = nullptr;
    QCheckBox *CheckAlarmHoog = nullptr;
    NumberField *UpDownAlarmHoog = nullptr; // its field: TextAlarmHoog
    QPushButton *CommandKleurHoog = nullptr;
    QCheckBox *CheckAlarmLaag = nullptr;
    NumberField *UpDownAlarmLaag = nullptr; // its field: TextAlarmLaag
    QPushButton *CommandKleurLaag = nullptr;
    // Tab 1.
    QLabel *LabelTijdsTitel = nullptr;
    QLineEdit *TextTijdsTitel = nullptr;
    QLabel *labelGrafiekpunten = nullptr;
    NumberField *UpDownGrafiekPunten = nullptr;     // textGrafiekPunten
    QLabel *labelTijdVerdelingen = nullptr;
    NumberField *UpDownTijdVerdelingen = nullptr;   // textTijdVerdelingen
    QGroupBox *FrameLabels = nullptr;
    QRadioButton *OptionLabels[4] = {};
    // Tab 2.
    QLabel *LabelWaardenAs = nullptr;
    QLineEdit *TextWaardenAs = nullptr;
    QCheckBox *checkAutoSchaal = nullptr;
    QLabel *labelGrafiekMax = nullptr;
    NumberField *UpDownGrafiekMax = nullptr;        // textGrafiekMaximum
    QLabel *labelGrafiekMin = nullptr;
    NumberField *UpDownGrafiekMin = nullptr;        // textGrafiekMinimum
    QLabel *labelWaardenVerdelingen = nullptr;
    NumberField *UpDownWaardenVerdelingen = nullptr;       // textWaardenVerdelingen
    QLabel *labelWaardenOnderverdelingen = nullptr;
    NumberField *UpDownWaardenOnderverdelingen = nullptr;  // textWaardenOnderverdelingen
    // Tab 3.
    CurveLijnenGrid *MSHFlexCurveLijnen = nullptr;
    // Every tab.
    QPushButton *CmdOK = nullptr;
    QPushButton *CmdCancel = nullptr;
    QPushButton *CommandHelp = nullptr;

    qint32 KleurHoog = 0;
    qint32 KleurLaag = 0;
    qint32 Tussentijd = 0;

public slots:
    void CmdOK_Click();
    void CmdCancel_Click();
    void CommandHelp_Click();
    void reject() override; // Escape: Cancel

protected:
    void closeEvent(QCloseEvent *event) override; // the frame: Cancel

private:
    void Form_Load();
    void Form_Unload();
    void sluitAf();
    void LaadTekstenGrafiekInstellen();
    void InstellenRecorder();
    void InstellenAlarmHoogVakken(qint32 kleur);
    void InstellenAlarmLaagVakken(qint32 kleur);
    void InstellenAlarmVakken(QCheckBox *check, NumberField *field, QPushButton *button,
                              qint32 kleur);
    void KiesKleurIndienOK(qint32 &kleur);
    void TussentijdTekstGewijzigd();
    // The interval field is left: it shows the value taken, told when it is not what was typed.
    void TussentijdVerlaten();
    // Tells, at OK, which value axis the chart takes when the bounds cannot be used as typed.
    void MeldWaardenas();
    void TussentijdSpinnerGewijzigd(int waarde);
    void AlarmHoogStap(int richting);
    void AlarmLaagStap(int richting);

    int m_graph;
    QPointer<QWidget> m_window;
    bool m_ontladen = false;
    bool m_sluitend = false; // OK or Cancel under way: the fields are no longer left
};
