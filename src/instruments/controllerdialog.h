#pragma once
#include <QDialog>
#include <QPointer>
#include <QtGlobal>
#include <array>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

// What the controller settings dialog needs of the other windows; the main window fills these
// in, tests their own. Empty hooks do nothing (the settings write falls back to the writer, the
// main window's enabled state to the registered main window).
struct ControllerDialogHooks {
    // Marks (true) or unmarks a slot's rack window as the one being edited.
    std::function<void(int slot, bool editing)> markRack;
    // The edit ended: a visible rack window clears its shown values and renews its caption.
    std::function<void(int slot)> rackEditEnded;
    std::function<void(int slot)> rackCaption; // a visible rack window renews its caption
    std::function<void()> tableCaption;
    std::function<void(bool enabled)> setMainEnabled;
    std::function<bool(const QString &path)> writeSettings;
    std::function<void(const QString &command)> startHelp;
};

ControllerDialogHooks &controllerDialogHooks();

// The next slot from `n` (wrapped into 1..31) in the direction `stap` that holds a valid
// controller; `n` itself when none does.
qint16 VolgendGeldigToestel(qint16 n, qint16 stap);
// Wraps a slot number into 1..31: above 31 gives 1, below 1 gives 31.
void OmslaanToestelnummer(qint16 &n);

// Names a controller and its channels and switches its polling on or off. Edits the slot
// record in place when applied and writes the settings file; sends nothing to the instrument.
class FormSettingsController : public QDialog {
    Q_OBJECT
public:
    // Opens the dialog for a slot without waiting (an open one moves to that slot); a channel
    // 0..3 opens on that channel's tab.
    static FormSettingsController *Tonen(int slot, int kanaal = -1);
    static FormSettingsController *geopend();

    qint16 Ti = 1;
    // The channel tab last selected, 1-based; kept while the dialog is closed.
    static inline qint16 HuidigKanaalTab = 1;

    void LaadVensterTitel();
    void LadenToestelGegevens(qint16 slot);
    void WisselToestel(qint16 stap);

    QSpinBox *UpDownController = nullptr;
    QGroupBox *FrameController = nullptr;
    QLabel *LabelController = nullptr;
    QLabel *LabelControllerIdno = nullptr;
    QLabel *LabelControllerNaam = nullptr;
    QLabel *LabelInstrument = nullptr;
    QLabel *LabelIdno = nullptr;
    QLineEdit *TextControllerNaam = nullptr;
    QCheckBox *CheckControllerIngesteld = nullptr;
    QTabWidget *SSTab = nullptr;
    std::array<QLabel *, 4> LabelNaam{};
    std::array<QLineEdit *, 4> TextNaam{};
    std::array<QLabel *, 4> LabelVoortekst{};
    std::array<QLabel *, 4> LabelInfo{};
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
    QPushButton *CommandApply = nullptr;
    QPushButton *CommandHelp = nullptr;

public slots:
    void OKButton_Click();
    void CancelButton_Click();
    void CommandApply_Click();
    void CommandHelp_Click();
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    explicit FormSettingsController(int slot);
    ~FormSettingsController() override;
    void Form_Load();
    void Form_Unload();
    int VraagWijzigingenToepassen();
    void spinnerChanged(int value);

    bool m_laden = false;
    bool m_ontladen = false;
    bool m_bewaardMeten = false;
};
