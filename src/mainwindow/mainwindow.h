#pragma once
#include "mainwindow/logclock.h"

#include <QDateTime>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;
class QToolButton;

// The program's main window: the MDI frame that holds the rack, table, graph and terminal
// windows, with the menus, toolbar, status bar and timers that everything else uses.
class mdiQLV2 : public QMainWindow {
    Q_OBJECT
public:
    explicit mdiQLV2(QWidget *parent = nullptr);
    ~mdiQLV2() override;

    // The one main window; null before it is made and after it is gone.
    static mdiQLV2 *instance();

    // Result code of the last action: 1 done or port ready, 2 failed, cancelled or port in use.
    qint16 Antwoord = 0;
    bool KopieerSetGraph = false;
    bool KopieerSetTab = false;
    qint16 Rs = 0;

    QMdiArea *mdiArea() const { return m_mdi; }
    QTimer TimerOpvragen;        // 1 s: schedule, recorder samples, record due
    QTimer TimerControleTeller;  // 250 ms: connection clock

    // Menu items other parts read or switch, by their names.
    QAction *menuItem(const QString &name) const { return m_actions.value(name); }
    // Runs the handler when the item is chosen; a choice made while a record's write waits for
    // the user's answer runs once it is given.
    void onMenuItem(const QString &name, std::function<void()> handler);
    QMenu *menu(const QString &name) const { return m_menus.value(name); }
    // Toolbar buttons by key ("tbrMeasure", "tbrLogger", ...).
    QAction *toolButton(const QString &key) const { return m_buttons.value(key); }
    // Status-bar panels by key: "Settings", "Connect", "Message", "Counter", "ConnectionTime".
    QLabel *panel(const QString &key) const { return m_panels.value(key); }
    QString panelText(const QString &key) const;
    void setPanelText(const QString &key, const QString &text);
    // A panel text made of the program's texts: `text` makes it again when the language changes.
    void setPanelText(const QString &key, std::function<QString()> text);
    // "Check 'COMn' or select other port!" for the configured port.
    static QString checkPortText();

    void LaadStrings();
    void ZetTitel();

    // Start-up: runs the whole program and returns when it is to end (false: start-up ended
    // early, after a message or the user's choice).
    bool MDIForm_Load(const QStringList &arguments);
    // Why the window closes: by the user (the settings question may come), from code (File >
    // Exit: no settings question), or unattended (a system shutdown: no question at all).
    enum class UnloadMode { User, FromCode, Unattended };
    bool MDIForm_QueryUnload(UnloadMode mode);
    void MDIForm_Unload();
    void mnuFileExit_Click();
    // Files dropped on the main window (or handed on by a child window): a data file is opened.
    void MDIForm_OLEDragDrop(const QStringList &files);
    void AfsluitenOnbewaakt();
    bool isUnloaded() const { return m_unloaded; }
    // For tests and the program: whether start-up shows the splash window.
    void setShowSplash(bool show) { m_showSplash = show; }
    // Hooks for the windows built later: before a settings reload (unload graph and rack
    // windows), settling a pending working copy at exit (false: the user cancelled).
    void setBeforeReload(std::function<void()> hook) { m_beforeReload = std::move(hook); }
    void setSettleWorkingCopy(std::function<bool()> hook) { m_settleWorkingCopy = std::move(hook); }
    void setAfterShow(std::function<void()> hook) { m_afterShow = std::move(hook); }

    // Logging control, log timer and schedule.
    void StartStopVerbinding();
    void StopVerbinding();
    void ToevoegenEindPunt();
    void PlaatsVerbindingsTijd();
    void TimerOpvragen_Timer();
    void TimerControleTeller_Timer();
    void StatusBar_PanelClick(const QString &key);
    // Indicators of the port, measuring and logging.
    void PlaatsAanduidingenCOM();
    void InstellenKnopLoggen();
    void InstellenKnopMeten();
    void InstellenKnoppenData();
    void mnuData_Click();
    // Data > Receive (a controller's log memory read back) and Data > Transfer (text the
    // controller sends captured into a file); each returns when its run has ended.
    void mnuDataReceive_Click();
    void mnuDataTransfer_Click();
    void InstellenKnopMenus();
    // Monotonic time of the last record (the countdown and the record-due test read it).
    qint64 laatsteLogMs() const { return m_laatsteLogMs; }
    const LogTicks &logTicks() const { return m_ticks; }
    // A due record is being written: its time stamp, and the start of the next interval.
    // The record the log timer found due, and its hand-over to the poll loop.
    bool recordDue() const;
    void takeRecord();
    void cycleEnded();
    void startLogTimer();
    // Starts the log timer when it rests but has work (logging, a schedule, recorder graphs).
    void wakeLogTimer();

    // Serial port set-up and connection state.
    void initCommPoort();
    void InstellenCommPoort();
    void OpenCommPoort();
    void SluitCommPoort();
    bool CommConditiesOK() const;
    bool poortOpen() const;
    void WissenBuffersComm();
    QString ZoekSerielePoorten();
    // The caption a window of the given configuration and data file bears.
    static QString TitelVoor(const QString &registerNaam, const QString &meetbestand);

signals:
    void closeRequested();
    // The window came on screen (its work area now has its size).
    void shown();
    // Start-up is done: the window is on screen, in front, and the program polls.
    void startedUp();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    UnloadMode m_unloadMode = UnloadMode::User;
    bool m_unloaded = false;
    bool m_shownOnce = false;
    bool m_declinedSecondCopy = false;
    bool m_showSplash = true;
    std::function<void()> m_beforeReload;
    std::function<bool()> m_settleWorkingCopy;
    std::function<void()> m_afterShow;
    qint64 m_verbindingsStartMs = 0;
    qint64 m_laatsteLogMs = 0;
    LogTicks m_ticks;
    bool m_recordPending = false;
    QDateTime m_recordStamp;
    QDateTime m_wallAtOrigin; // the wall time the run's ticks count from
    bool m_tickWaiting = false; // a tick waits for the work it came in to end
    bool m_inLogTimer = false;  // the log timer's handler is running (maybe in a message box)
    bool m_inStartStop = false; // StartStopVerbinding is running
    // Whether the log timer has work while logging is off: a schedule or recorder graphs.
    bool logTimerWanted() const;
    void logTick();
    void toonPoortPaneel();
    // Opens the port (again) without a word when its device is there; true when open.
    bool reopenPortQuietly();
    void keepClockInStep();
    QAction *addItem(QMenu *menu, const QString &name, const QKeySequence &shortcut = {});
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();

    QMdiArea *m_mdi = nullptr;
    QToolBar *m_toolbar = nullptr;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
    QHash<QString, QAction *> m_buttons;
    QHash<QString, QLabel *> m_panels;
    QHash<QString, std::function<QString()>> m_panelTexts;
    void showPanelText(const QString &key, const QString &text);
};
