#pragma once
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

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
    QMenu *menu(const QString &name) const { return m_menus.value(name); }
    // Toolbar buttons by key ("tbrMeasure", "tbrLogger", ...).
    QAction *toolButton(const QString &key) const { return m_buttons.value(key); }
    // Status-bar panels by key: "Settings", "Connect", "Message", "Counter", "ConnectionTime".
    QLabel *panel(const QString &key) const { return m_panels.value(key); }
    QString panelText(const QString &key) const;
    void setPanelText(const QString &key, const QString &text);

    void LaadStrings();
    void ZetTitel();
    // The caption a window of the given configuration and data file bears.
    static QString TitelVoor(const QString &registerNaam, const QString &meetbestand);

signals:
    void closeRequested();

private:
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
};
