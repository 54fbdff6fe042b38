#include "mainwindow/mainwindow.h"

#include "instruments/pollloop.h"
#include "mainwindow/graphwiring.h"

#include "core/shared.h"
#include "support/language.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace {
mdiQLV2 *theWindow = nullptr;

QString withoutAmpersand(const QString &text)
{
    QString t = text;
    return t.remove(QLatin1Char('&')).trimmed();
}
} // namespace

mdiQLV2::mdiQLV2(QWidget *parent) : QMainWindow(parent)
{
    theWindow = this;
    setObjectName("mdiQLV2");
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName("mdiArea");
    setCentralWidget(m_mdi);
    buildMenus();
    buildToolbar();
    buildStatusBar();

    setAcceptDrops(true);
    // A double click on the empty work area opens the settings; the right button pops up the
    // Window menu.
    m_mdi->viewport()->installEventFilter(this);

    // Each tick aims the next one at the next whole second of the ticks' phase, so a late tick
    // does not shift the ones after it.
    TimerOpvragen.setSingleShot(true);
    TimerOpvragen.setTimerType(Qt::PreciseTimer);
    // Single shots aimed at the next second the clock panels show: a precise timer never wakes
    // just before the second turns and then again just after it.
    TimerControleTeller.setSingleShot(true);
    TimerControleTeller.setTimerType(Qt::PreciseTimer);
    TimerControleTeller.setInterval(1000);

    connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded, this,
            &mdiQLV2::LaadStrings);
    LaadStrings();
    resize(1000, 700);
}

mdiQLV2::~mdiQLV2()
{
    if (theWindow == this)
        theWindow = nullptr;
}

mdiQLV2 *mdiQLV2::instance() { return theWindow; }

QAction *mdiQLV2::addItem(QMenu *menu, const QString &name, const QKeySequence &shortcut)
{
    QAction *action = menu->addAction(name);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    m_actions.insert(name, action);
    return action;
}

void mdiQLV2::buildMenus()
{
    auto addMenu = [this](const QString &name) {
        QMenu *m = menuBar()->addMenu(name);
        m->setObjectName(name);
        m_menus.insert(name, m);
        return m;
    };
    QMenu *file = addMenu("mnuFile");
    addItem(file, "mnuFileNew", QKeySequence("Ctrl+N"));
    addItem(file, "mnuFileOpen", QKeySequence("Ctrl+O"));
    addItem(file, "mnuFileSaveAs", QKeySequence("Ctrl+W"));
    file->addSeparator();
    addItem(file, "mnuFileSettings", QKeySequence("Ctrl+U"));
    addItem(file, "mnuReadSettings");
    addItem(file, "mnuFileSaveSettings", QKeySequence("Ctrl+S"));
    addItem(file, "mnuSaveSettingsAs");
    file->addSeparator();
    addItem(file, "mnuFilePrint", QKeySequence("Ctrl+P"));
    file->addSeparator();
    addItem(file, "mnuFileExit", QKeySequence("Ctrl+X"));
    QAction *recentSeparator = file->addSeparator();
    recentSeparator->setObjectName("SeparatorRecentFiles");
    m_actions.insert("SeparatorRecentFiles", recentSeparator);
    recentSeparator->setVisible(false);
    for (int i = 0; i < 4; ++i)
        addItem(file, QStringLiteral("mnuRecentFile%1").arg(i))->setVisible(false);

    QMenu *edit = addMenu("mnuEdit");
    addItem(edit, "mnuEditCopy", QKeySequence("Ctrl+C"));
    addItem(edit, "mnuEditInfo", QKeySequence("Ctrl+E"));
    edit->addSeparator();
    addItem(edit, "mnuClearLine");
    addItem(edit, "mnuDeleteLine");
    edit->addSeparator();
    addItem(edit, "mnuRelatieveTijd");
    addItem(edit, "mnuTimeOrigin");
    edit->addSeparator();
    addItem(edit, "mnuEditCopySettings");
    addItem(edit, "mnuEditPasteSettings");

    QMenu *data = addMenu("mnuData");
    addItem(data, "mnuDataMeasure", QKeySequence("Ctrl+M"))->setCheckable(true);
    addItem(data, "mnuDatalogging", QKeySequence("Ctrl+L"))->setCheckable(true);
    addItem(data, "mnuDataReceive")->setCheckable(true);
    addItem(data, "mnuDataTransfer")->setCheckable(true);

    QMenu *graph = addMenu("mnuGraph");
    addItem(graph, "mnuExtraSettingsGraph");
    auto separator = [this](QMenu *menu, const QString &name) {
        QAction *line = menu->addSeparator();
        line->setObjectName(name);
        m_actions.insert(name, line);
    };
    separator(graph, "linegraph1");
    QMenu *graphNew = graph->addMenu(QStringLiteral("mnuGraphNew"));
    graphNew->setObjectName("mnuGraphNew");
    m_menus.insert("mnuGraphNew", graphNew);
    graphNew->menuAction()->setObjectName("mnuGraphNew");
    m_actions.insert("mnuGraphNew", graphNew->menuAction());
    addItem(graphNew, "mnuGraphNewTable");
    addItem(graphNew, "mnuGraphNewRecorder");
    separator(graph, "linegraph2");
    addItem(graph, "mnuGraphCopy");
    addItem(graph, "mnuGraphPrint");
    separator(graph, "linegraph3");
    addItem(graph, "mnuGraphCopySettings");
    addItem(graph, "mnuGraphPasteSettings");

    QMenu *view = addMenu("mnuView");
    addItem(view, "mnuDataRack");
    addItem(view, "mnuDataTabel");
    addItem(view, "mnuViewGraph");
    view->addSeparator();
    addItem(view, "mnuExtraTerminal")->setCheckable(true);

    QMenu *window = addMenu("mnuWindow");
    addItem(window, "mnuWindowFont");
    window->addSeparator();
    addItem(window, "mnuWindowToolbar", QKeySequence("F5"))->setCheckable(true);
    window->addSeparator();
    addItem(window, "mnuWindowTileHorizontal");
    addItem(window, "mnuWindowTileVertical");
    addItem(window, "mnuWindowCascade");
    addItem(window, "mnuWindowArrangeIcons");

    QMenu *help = addMenu("mnuHelp");
    addItem(help, "mnuHelpContents", QKeySequence("F1"));
    help->addSeparator();
    addItem(help, "mnuHelpInfo", QKeySequence("F2"));
    help->addSeparator();
    addItem(help, "mnuSysInfo");

}

void mdiQLV2::buildToolbar()
{
    m_toolbar = addToolBar("Toolbar");
    m_toolbar->setObjectName("Toolbar");
    m_toolbar->setMovable(false);
    struct Button {
        const char *key;
        QStyle::StandardPixmap icon;
        bool checkable;
    };
    const Button buttons[] = {
        {"tbrNew", QStyle::SP_FileIcon, false},
        {"tbrOpen", QStyle::SP_DialogOpenButton, false},
        {"tbrSave", QStyle::SP_DialogSaveButton, false},
        {"tbrPrint", QStyle::SP_FileDialogDetailedView, false},
        {nullptr, {}, false},
        {"tbrCopy", QStyle::SP_FileDialogContentsView, false},
        {nullptr, {}, false},
        {"tbrProperties", QStyle::SP_FileDialogInfoView, false},
        {"tbrGraphSettings", QStyle::SP_FileDialogListView, false},
        {"tbrFont", QStyle::SP_DesktopIcon, false},
        {"tbrSaveSettings", QStyle::SP_DriveFDIcon, false},
        {nullptr, {}, false},
        {"tbrMeasure", QStyle::SP_MediaPlay, true},
        {"tbrLogger", QStyle::SP_DialogApplyButton, true},
        {"tbrReceive", QStyle::SP_ArrowDown, true},
        {"tbrTransfer", QStyle::SP_ArrowRight, true},
        {nullptr, {}, false},
        {"tbrTable", QStyle::SP_FileDialogDetailedView, false},
        {"tbrRack", QStyle::SP_ComputerIcon, false},
        {"tbrGraph", QStyle::SP_TitleBarShadeButton, false},
        {"tbrTerminal", QStyle::SP_TitleBarNormalButton, false},
        {nullptr, {}, false},
        {"tbrHor", QStyle::SP_ToolBarHorizontalExtensionButton, false},
        {"tbrVer", QStyle::SP_ToolBarVerticalExtensionButton, false},
        {"tbrCascade", QStyle::SP_TitleBarMaxButton, false},
        {nullptr, {}, false},
        {"tbrHelp", QStyle::SP_DialogHelpButton, false},
    };
    for (const Button &b : buttons) {
        if (!b.key) {
            m_toolbar->addSeparator();
            continue;
        }
        QAction *a = m_toolbar->addAction(style()->standardIcon(b.icon), QString());
        a->setObjectName(b.key);
        a->setCheckable(b.checkable);
        m_buttons.insert(b.key, a);
    }
}

void mdiQLV2::buildStatusBar()
{
    const char *keys[] = {"Settings", "Connect", "Message", "Counter", "ConnectionTime"};
    for (const char *key : keys) {
        auto *label = new QLabel(statusBar());
        label->setObjectName(key);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(110);
        const bool stretch = QLatin1String(key) == QLatin1String("Message");
        statusBar()->addWidget(label, stretch ? 1 : 0);
        m_panels.insert(key, label);
    }
    // The two clocks change every second: at a fixed size (and painting their own background)
    // a new text repaints only its panel instead of laying out the whole status bar again.
    for (const char *key : {"Counter", "ConnectionTime"}) {
        QLabel *label = m_panels.value(key);
        label->setAutoFillBackground(true);
        label->setText(QStringLiteral("88:88:88 "));
        label->setFixedWidth(qMax(label->minimumWidth(), label->sizeHint().width()));
        label->clear();
    }
}

QString mdiQLV2::panelText(const QString &key) const
{
    QLabel *p = m_panels.value(key);
    return p ? p->text() : QString();
}

void mdiQLV2::onMenuItem(const QString &name, std::function<void()> handler)
{
    if (QAction *a = menuItem(name))
        connect(a, &QAction::triggered, this,
                [this, handler = std::move(handler)] { AfterRecordWrite(this, handler); });
}

void mdiQLV2::setPanelText(const QString &key, const QString &text)
{
    m_panelTexts.remove(key);
    showPanelText(key, text);
}

void mdiQLV2::setPanelText(const QString &key, std::function<QString()> text)
{
    showPanelText(key, text());
    m_panelTexts.insert(key, std::move(text));
}

void mdiQLV2::showPanelText(const QString &key, const QString &text)
{
    QLabel *p = m_panels.value(key);
    if (!p || p->text() == text)
        return;
    const bool sameLength = p->text().size() == text.size();
    p->setText(text);
    if (p->minimumWidth() != p->maximumWidth())
        return;
    // A clock panel keeps the height the status bar gave it once shown, and grows wider for a
    // longer text (a connection of days), never narrower.
    if (p->isVisible() && p->minimumHeight() != p->maximumHeight())
        p->setFixedHeight(p->height());
    // Digits are equally wide: a clock that only counts on needs no new measure, only a longer
    // text does.
    if (!sameLength && p->sizeHint().width() > p->minimumWidth())
        p->setFixedWidth(p->sizeHint().width());
}

void mdiQLV2::LaadStrings()
{
    struct Caption {
        const char *name;
        int entry;
        const char *before;
        const char *after;
    };
    const Caption captions[] = {
        {"mnuFile", 101, "", ""},           {"mnuFileNew", 102, "", ""},
        {"mnuFileOpen", 103, "", ""},       {"mnuFileSaveAs", 105, "", ""},
        {"mnuFileSettings", 114, "", "..."}, {"mnuFileSaveSettings", 104, "", ""},
        {"mnuSaveSettingsAs", 314, "", ""}, {"mnuReadSettings", 315, "", ""},
        {"mnuFilePrint", 106, "", ""},      {"mnuFileExit", 108, "", ""},
        {"mnuEdit", 109, "", ""},           {"mnuEditCopy", 214, "", ""},
        {"mnuEditCopySettings", 342, "", ""}, {"mnuEditPasteSettings", 343, "", ""},
        {"mnuRelatieveTijd", 445, "", ""},  {"mnuTimeOrigin", 446, "", ""},
        {"mnuData", 112, "", ""},           {"mnuDataMeasure", 428, "", ""},
        {"mnuDatalogging", 113, "", ""},    {"mnuDataReceive", 133, "", ""},
        {"mnuDataTransfer", 236, "", ""},   {"mnuGraph", 121, "&", ""},
        {"mnuExtraSettingsGraph", 157, "", "..."}, {"mnuGraphNew", 427, "", ""},
        {"mnuGraphNewTable", 357, "&", ""}, {"mnuGraphNewRecorder", 344, "&", ""},
        {"mnuGraphCopy", 214, "", ""},      {"mnuGraphCopySettings", 342, "", ""},
        {"mnuGraphPasteSettings", 343, "", ""}, {"mnuGraphPrint", 106, "", ""},
        {"mnuView", 429, "", ""},           {"mnuExtraTerminal", 185, "", ""},
        {"mnuViewGraph", 121, "&", ""},     {"mnuDataRack", 297, "&", ""},
        {"mnuDataTabel", 122, "&", ""},     {"mnuWindow", 158, "", ""},
        {"mnuWindowTileHorizontal", 159, "", ""}, {"mnuWindowTileVertical", 160, "", ""},
        {"mnuWindowCascade", 161, "", ""},  {"mnuWindowArrangeIcons", 162, "", ""},
        {"mnuWindowFont", 163, "&", ""},    {"mnuWindowToolbar", 179, "", ""},
        {"mnuHelp", 227, "", ""},           {"mnuHelpContents", 243, "", ""},
        {"mnuSysInfo", 246, "", ""},        {"mnuClearLine", 423, "", ""},
        {"mnuDeleteLine", 422, "", ""},
    };
    for (const Caption &c : captions) {
        const QString text = QLatin1String(c.before) + Taaltekst(c.entry) + QLatin1String(c.after);
        if (QMenu *m = m_menus.value(c.name))
            m->setTitle(text);
        else if (QAction *a = m_actions.value(c.name))
            a->setText(text);
    }
    m_actions["mnuEditInfo"]->setText("&Info");
    m_actions["mnuHelpInfo"]->setText("&Info...");

    struct Tip {
        const char *key;
        int entry;
    };
    const Tip tips[] = {
        {"tbrNew", 253},       {"tbrOpen", 254},          {"tbrSave", 255},
        {"tbrPrint", 106},     {"tbrCopy", 266},          {"tbrProperties", 257},
        {"tbrGraphSettings", 258}, {"tbrFont", 259},      {"tbrSaveSettings", 260},
        {"tbrMeasure", 420},   {"tbrLogger", 261},        {"tbrReceive", 262},
        {"tbrTransfer", 263},  {"tbrTerminal", 265},      {"tbrHor", 159},
        {"tbrVer", 160},       {"tbrCascade", 161},       {"tbrHelp", 227},
        {"tbrGraph", 358},     {"tbrTable", 359},         {"tbrRack", 360},
    };
    for (const Tip &t : tips)
        if (QAction *a = m_buttons.value(t.key)) {
            a->setToolTip(withoutAmpersand(Taaltekst(t.entry)));
            a->setText(withoutAmpersand(Taaltekst(t.entry)));
        }

    // A child window's system menu is made once, in Qt's language of that moment: the menus
    // take the texts of a new one.
    const QMdiSubWindow fresh;
    const QList<QAction *> source = fresh.systemMenu()->actions();
    for (QMdiSubWindow *sub : m_mdi->subWindowList())
        if (QMenu *menu = sub->systemMenu()) {
            const QList<QAction *> target = menu->actions();
            for (qsizetype i = 0; i < qMin(source.size(), target.size()); ++i)
                target[i]->setText(source[i]->text());
        }

    // Named where the main window's pop-up lists the bars it can show.
    m_toolbar->setWindowTitle(withoutAmpersand(Taaltekst(179)));

    // The status texts in the new language: those made of the program's texts are made again,
    // and the connection panel says again whether logging is on.
    for (auto it = m_panelTexts.cbegin(); it != m_panelTexts.cend(); ++it)
        showPanelText(it.key(), it.value()());
    if (!m_panelTexts.contains(QStringLiteral("Connect")) && !panelText("Connect").isEmpty())
        InstellenKnopLoggen();

    m_panels["Settings"]->setToolTip(Taaltekst(130));
    m_panels["Connect"]->setToolTip(Taaltekst(309));
    m_panels["Counter"]->setToolTip(Taaltekst(306));
    m_panels["ConnectionTime"]->setToolTip(Taaltekst(307));

    // The Graph menu offers only its settings and New; its other commands are reached from
    // the graph windows' pop-up.
    HerstelGrafiekMenu(*this);
}

QString mdiQLV2::TitelVoor(const QString &registerNaam, const QString &meetbestand)
{
    const QString tail = QStringLiteral(" (") + meetbestand + QLatin1Char(')');
    if (registerNaam.toLower() == QLatin1String("qlv2-cfg"))
        return QStringLiteral("Marquel QLV-2 ") + tail;
    return registerNaam.right(4) + QStringLiteral(": Marquel QLV-2 ") + tail;
}

void mdiQLV2::ZetTitel()
{
    setWindowTitle(TitelVoor(Hoofdmodule::RegisterNaam, Hoofdmodule::Meetbestandsnaam));
}

void mdiQLV2::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // Let the layout give the work area its size before the children are placed in it.
        QTimer::singleShot(0, this, &mdiQLV2::shown);
    }
}
