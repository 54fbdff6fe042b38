#include "mainwindow/settingsdialog.h"

#include "core/conversions.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/windowsettings.h"
#include "instruments/pollloop.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/registry.h"
#include "support/datedialog.h"
#include "support/language.h"
#include "support/mainlink.h"
#include "support/messagebox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QSet>
#include <QWindow>
#include <climits>
#include <optional>

using namespace Hoofdmodule;

SettingsDialogHooks &settingsDialogHooks()
{
    static SettingsDialogHooks hooks;
    return hooks;
}

namespace {

QPointer<frmInstellen> openDialog;

template <typename F, typename... A>
void call(const F &hook, A... args)
{
    if (hook)
        hook(args...);
}

void setMainEnabled(bool enabled)
{
    const SettingsDialogHooks &h = settingsDialogHooks();
    if (h.setMainEnabled) {
        h.setMainEnabled(enabled);
        return;
    }
    if (QWidget *main = MainLink::mainWindow())
        main->setEnabled(enabled);
}

// The hourglass for the length of a step, whatever way the step ends.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

// Editor of the identification number and of the channel count: the number with leading zeros.
// Like a field masked for that many digits, it takes any digits and nothing else, and keeps
// what was typed: the grid's rules decide what becomes of it (an identification number of 0
// empties the cell, 9 channels become 4). Its arrows stay within lowest..highest.
class PaddedSpinBox : public QSpinBox {
public:
    PaddedSpinBox(int digits, int lowest, int highest, QWidget *parent)
        : QSpinBox(parent), m_digits(digits), m_lowest(lowest), m_highest(highest)
    {
        int top = 1;
        for (int i = 0; i < digits; ++i)
            top *= 10;
        setRange(0, top - 1); // every number the digits make, so none is put back
    }

    void stepBy(int steps) override
    {
        setValue(qBound(m_lowest, value() + steps, m_highest));
        selectAll();
    }

protected:
    StepEnabled stepEnabled() const override
    {
        StepEnabled enabled = StepNone;
        if (value() > m_lowest)
            enabled |= StepDownEnabled;
        if (value() < m_highest)
            enabled |= StepUpEnabled;
        return enabled;
    }
    QValidator::State validate(QString &input, int &) const override
    {
        if (input.size() > m_digits)
            return QValidator::Invalid;
        for (QChar c : input)
            if (!c.isDigit())
                return QValidator::Invalid;
        return QValidator::Acceptable;
    }
    int valueFromText(const QString &text) const override { return text.toInt(); }
    QString textFromValue(int value) const override
    {
        return QStringLiteral("%1").arg(value, m_digits, 10, QLatin1Char('0'));
    }

private:
    int m_digits;
    int m_lowest;
    int m_highest;
};

// The model list takes no typing: a typed letter would pick the first model that starts with it
// and commit it at once, identification number and channels included.
class NoTyping : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const QString text = key->text();
            if (!text.isEmpty() && text.at(0).isPrint() && key->key() != Qt::Key_Space)
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// The floating editors of the device grid. An edit never reaches the grid's items directly:
// it goes through the dialog's rules, which rewrite the grid.
class DeviceDelegate : public QStyledItemDelegate {
public:
    explicit DeviceDelegate(frmInstellen *dialog) : QStyledItemDelegate(dialog), m_dialog(dialog) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        switch (index.column()) {
        case 1: {
            auto *combo = new QComboBox(parent);
            combo->setObjectName(QStringLiteral("ComboController"));
            combo->addItems(ModelLijst());
            auto *noTyping = new NoTyping(combo);
            combo->installEventFilter(noTyping);
            combo->view()->installEventFilter(noTyping);
            // A controller of the model no longer offered keeps its code when clicked.
            if (index.data().toString().trimmed() == OudModel)
                combo->addItem(OudModel);
            connect(combo, &QComboBox::activated, this, [this, combo] {
                auto *self = const_cast<DeviceDelegate *>(this);
                emit self->commitData(combo);
                emit self->closeEditor(combo);
            });
            return combo;
        }
        case 2: {
            auto *spin = new PaddedSpinBox(3, 1, 999, parent);
            spin->setObjectName(QStringLiteral("MaskEdBoxIdno"));
            return spin;
        }
        case 3: {
            auto *spin = new PaddedSpinBox(1, 1, 4, parent);
            spin->setObjectName(QStringLiteral("MaskEdBoxKanalen"));
            return spin;
        }
        default:
            return nullptr;
        }
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        const QString text = index.data().toString();
        if (auto *combo = qobject_cast<QComboBox *>(editor)) {
            combo->setCurrentIndex(BepaalToestelType(text));
            return;
        }
        if (auto *spin = qobject_cast<QSpinBox *>(editor)) {
            // An empty cell proposes the row number, or 4 channels.
            const int value = !text.trimmed().isEmpty() ? text.toInt()
                              : index.column() == 2  ? index.row() + 1
                                                     : 4;
            spin->setValue(value);
            spin->selectAll();
        }
    }

    void setModelData(QWidget *editor, QAbstractItemModel *,
                      const QModelIndex &index) const override
    {
        QString text;
        if (auto *combo = qobject_cast<QComboBox *>(editor))
            text = combo->currentText();
        else if (auto *spin = qobject_cast<QSpinBox *>(editor))
            text = QString::number(spin->value());
        m_dialog->commitCell(index.row() + 1, index.column(), text);
    }

    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &) const override
    {
        editor->setGeometry(option.rect);
    }

private:
    frmInstellen *m_dialog;
};

QString tijdstipTekst(const QDateTime &moment)
{
    if (!moment.isValid())
        return {};
    return QLocale().toString(moment.date(), QStringLiteral("ddd")) + u' ' +
           DateTimeText::formatDate(moment.date()) + u' ' + DateTimeText::formatTime(moment.time());
}

QString taalNaam(const TaalTabel &tabel)
{
    for (int i = 0; i < tabel.count; ++i)
        if (tabel.rows[i].index == 500)
            return QString::fromUtf16(tabel.rows[i].text);
    return {};
}

} // namespace

// ---------------------------------------------------------------------------------------------

IntervalSpinBox::IntervalSpinBox(QWidget *parent) : QSpinBox(parent)
{
    // One beyond either end, so that the step past the end can wrap.
    setRange(0, EenDag + 1);
    setAccelerated(true);
    // The text is read when the field is left (or Enter is pressed), as it then stands.
    setKeyboardTracking(false);
}

void IntervalSpinBox::ZetMasker(const QString &scheiding)
{
    lineEdit()->setInputMask(TijdInvoerMasker(scheiding));
}

QString IntervalSpinBox::textFromValue(int value) const
{
    return TijdsintervalTekst(BegrensTijdsinterval(value), Tijdscheidingsteken);
}

int IntervalSpinBox::valueFromText(const QString &text) const
{
    return LeesTijdsinterval(text, Tijdscheidingsteken);
}

QValidator::State IntervalSpinBox::validate(QString &input, int &) const
{
    // The mask keeps digits in their places; whatever they make is read as it stands ("10" is
    // ten hours, a text that is no time of day one day), never put back to the last value.
    for (QChar c : input)
        if (!c.isDigit() && c != u'_' && !Tijdscheidingsteken.contains(c))
            return QValidator::Invalid;
    return QValidator::Acceptable;
}

// ---------------------------------------------------------------------------------------------

frmInstellen::frmInstellen(QWidget *transientParent)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    Q_UNUSED(transientParent);
    MainLink::ensureResources();
    setObjectName(QStringLiteral("frmInstellen"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowIcon(QIcon(QStringLiteral(":/icons/program.png")));

    SSTab = new QTabWidget(this);
    SSTab->setObjectName(QStringLiteral("SSTab"));

    // Tab 0: log interval, start-up behaviour and schedule.
    auto *log = new QWidget;
    LblConnectionIntervalOfTime = new QLabel(log);
    TextTijdsinterval = new IntervalSpinBox(log);
    TextTijdsinterval->setObjectName(QStringLiteral("TextTijdsinterval"));
    CheckLoadFile = new QCheckBox(log);
    CheckLoadFile->setObjectName(QStringLiteral("CheckLoadFile"));
    CheckLogStartup = new QCheckBox(log);
    CheckLogStartup->setObjectName(QStringLiteral("CheckLogStartup"));
    CheckStartTijdstip = new QCheckBox(log);
    CheckStartTijdstip->setObjectName(QStringLiteral("CheckStartTijdstip"));
    CheckStopTijdstip = new QCheckBox(log);
    CheckStopTijdstip->setObjectName(QStringLiteral("CheckStopTijdstip"));
    CommandStartTijdstip = new QPushButton(QStringLiteral("..."), log);
    CommandStartTijdstip->setObjectName(QStringLiteral("CommandStartTijdstip"));
    CommandStopTijdstip = new QPushButton(QStringLiteral("..."), log);
    CommandStopTijdstip->setObjectName(QStringLiteral("CommandStopTijdstip"));
    LabelStartTijdstip = new QLabel(log);
    LabelStartTijdstip->setObjectName(QStringLiteral("LabelStartTijdstip"));
    LabelStopTijdstip = new QLabel(log);
    LabelStopTijdstip->setObjectName(QStringLiteral("LabelStopTijdstip"));
    auto *logGrid = new QGridLayout(log);
    logGrid->addWidget(LblConnectionIntervalOfTime, 0, 0);
    logGrid->addWidget(TextTijdsinterval, 0, 1, 1, 2, Qt::AlignLeft);
    logGrid->setRowMinimumHeight(1, 8);
    logGrid->addWidget(CheckLoadFile, 2, 0, 1, 4);
    logGrid->addWidget(CheckLogStartup, 3, 0, 1, 4);
    logGrid->addWidget(CheckStartTijdstip, 4, 0);
    logGrid->addWidget(CommandStartTijdstip, 4, 1);
    logGrid->addWidget(LabelStartTijdstip, 4, 2, 1, 2);
    logGrid->addWidget(CheckStopTijdstip, 5, 0);
    logGrid->addWidget(CommandStopTijdstip, 5, 1);
    logGrid->addWidget(LabelStopTijdstip, 5, 2, 1, 2);
    logGrid->setColumnStretch(3, 1);
    logGrid->setRowStretch(6, 1);

    // Tab 1: port and baud rate.
    auto *connection = new QWidget;
    lblCommPoort = new QLabel(connection);
    cboCommPoort = new QComboBox(connection);
    cboCommPoort->setObjectName(QStringLiteral("cboCommPoort"));
    cboCommPoort->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cboCommPoort->setMinimumContentsLength(8);
    CommandScan = new QPushButton(connection);
    CommandScan->setObjectName(QStringLiteral("CommandScan"));
    lblBaudrate = new QLabel(connection);
    cboBaudrate = new QComboBox(connection);
    cboBaudrate->setObjectName(QStringLiteral("cboBaudrate"));
    auto *connGrid = new QGridLayout(connection);
    connGrid->addWidget(lblCommPoort, 0, 0);
    connGrid->addWidget(cboCommPoort, 0, 1);
    connGrid->addWidget(CommandScan, 0, 2);
    connGrid->addWidget(lblBaudrate, 1, 0);
    connGrid->addWidget(cboBaudrate, 1, 1);
    connGrid->setColumnStretch(3, 1);
    connGrid->setRowStretch(2, 1);

    // Tab 2: language.
    auto *language = new QWidget;
    LabelTaal = new QLabel(language);
    ComboTaal = new QComboBox(language);
    ComboTaal->setObjectName(QStringLiteral("ComboTaal"));
    auto *langGrid = new QGridLayout(language);
    langGrid->addWidget(LabelTaal, 0, 0);
    langGrid->addWidget(ComboTaal, 1, 0);
    langGrid->setColumnStretch(1, 1);
    langGrid->setRowStretch(2, 1);

    // Tab 3: the controllers.
    auto *devices = new QWidget;
    MSHFlexGridController = new QTableWidget(0, 4, devices);
    MSHFlexGridController->setObjectName(QStringLiteral("MSHFlexGridController"));
    MSHFlexGridController->verticalHeader()->hide();
    MSHFlexGridController->setItemDelegate(new DeviceDelegate(this));
    MSHFlexGridController->setSelectionMode(QAbstractItemView::ExtendedSelection);
    MSHFlexGridController->setEditTriggers(QAbstractItemView::SelectedClicked |
                                           QAbstractItemView::EditKeyPressed |
                                           QAbstractItemView::AnyKeyPressed |
                                           QAbstractItemView::DoubleClicked);
    MSHFlexGridController->horizontalHeader()->setStretchLastSection(true);
    MSHFlexGridController->installEventFilter(this);
    connect(MSHFlexGridController, &QTableWidget::clicked, this, [this](const QModelIndex &index) {
        // One row: its cell's editor opens. Several: whole rows, ready to be emptied.
        QSet<int> rows;
        for (const QModelIndex &i : MSHFlexGridController->selectionModel()->selectedIndexes())
            rows.insert(i.row());
        if (rows.size() <= 1 && index.column() > 0)
            MSHFlexGridController->edit(index);
    });
    auto *devLayout = new QVBoxLayout(devices);
    devLayout->addWidget(MSHFlexGridController);

    SSTab->addTab(log, QString());
    SSTab->addTab(connection, QString());
    SSTab->addTab(language, QString());
    SSTab->addTab(devices, QString());

    OKButton = new QPushButton(this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CommandHelp = new QPushButton(this);
    CommandHelp->setObjectName(QStringLiteral("CommandHelp"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(CommandHelp);
    auto *main = new QVBoxLayout(this);
    main->addWidget(SSTab);
    main->addLayout(buttons);

    connect(OKButton, &QPushButton::clicked, this, &frmInstellen::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmInstellen::CancelButton_Click);
    connect(CommandHelp, &QPushButton::clicked, this, &frmInstellen::CommandHelp_Click);
    connect(CommandScan, &QPushButton::clicked, this, &frmInstellen::CommandScan_Click);
    connect(CommandStartTijdstip, &QPushButton::clicked, this,
            &frmInstellen::CommandStartTijdstip_Click);
    connect(CommandStopTijdstip, &QPushButton::clicked, this,
            &frmInstellen::CommandStopTijdstip_Click);
    connect(ComboTaal, &QComboBox::activated, this, &frmInstellen::ComboTaal_Click);
    connect(CheckLogStartup, &QCheckBox::clicked, this, [this] { InstellenTijdstipVakken(); });
    connect(TextTijdsinterval, &QSpinBox::valueChanged, this, [this](int value) {
        const qint32 s = BegrensTijdsinterval(value);
        if (s != value) {
            TextTijdsinterval->setValue(s);
            return;
        }
        if (!m_vullen)
            MeetInterval = s;
    });

    Form_Load();
}

frmInstellen::~frmInstellen()
{
    if (!m_ontladen)
        Form_Unload();
}

frmInstellen *frmInstellen::geopend() { return openDialog; }

frmInstellen *frmInstellen::Tonen(int tab)
{
    if (openDialog) {
        openDialog->raise();
        openDialog->activateWindow();
        return openDialog;
    }
    QWidget *main = MainLink::mainWindow();
    auto *dialog = new frmInstellen(main);
    openDialog = dialog;
    // No widget parent: the main window is disabled while the dialog is open.
    dialog->winId();
    if (main && main->windowHandle() && dialog->windowHandle())
        dialog->windowHandle()->setTransientParent(main->windowHandle());
    if (tab >= 0)
        dialog->SSTab->setCurrentIndex(tab);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

int frmInstellen::TonenEnWachten(int tab)
{
    QPointer<frmInstellen> dialog = Tonen(tab);
    Pump::until([&] { return !dialog || dialog->Afsluiten; });
    if (dialog && !dialog->Afsluiten)
        dialog->CancelButton_Click(); // the program is ending
    return LaatsteAntwoord;
}

void frmInstellen::Form_Load()
{
    const SettingsDialogHooks &h = settingsDialogHooks();
    call(h.closeFiles);
    BewaardMeten = MetenActief;
    Afsluiten = false;
    setMainEnabled(false);
    BewaardLoggen = LoggenActief;
    BewaardBezig = Bezig;
    LoggenActief = false;
    Bezig = true;
    ZetMetenActief(false);
    if (h.portOpen && h.portOpen())
        call(h.closePort);

    m_interval = MeetInterval;
    m_startTijd = StartTijd;
    m_stopTijd = StopTijd;

    LaadTekstenInstellen();
    InitCboCommPoort();
    InitCboBaudrate();
    TextTijdsinterval->ZetMasker(Tijdscheidingsteken);
    PlaatsTijdsinterval(MeetInterval);
    CheckLogStartup->setChecked(StartLoggen);
    CheckLoadFile->setChecked(LaadBestand);
    CheckStartTijdstip->setChecked(StartLoggenOpTijd);
    CheckStopTijdstip->setChecked(StopLoggenOpTijd);
    InstellenTijdstipVakken();

    BewaardeTaal = TaalIndex;
    ComboTaal->clear();
    ComboTaal->addItems({taalNaam(TaalEngels()), taalNaam(TaalFrans()), taalNaam(TaalNederlands())});
    ComboTaal->setCurrentIndex(BewaardeTaal);

    m_rijen = VulApparaatRijen(Toestel);
    vulGrid();

    const QString tab = Registry::read(RegisterNaam, QStringLiteral("Settings"),
                                       QStringLiteral("TabConfiguration"), QStringLiteral("1"));
    bool ok = false;
    const int index = tab.trimmed().toInt(&ok);
    SSTab->setCurrentIndex(ok && index >= 0 && index < SSTab->count() ? index : 1);
}

void frmInstellen::Form_Unload()
{
    if (m_ontladen)
        return;
    m_ontladen = true;
    const SettingsDialogHooks &h = settingsDialogHooks();
    setMainEnabled(true);
    LoggenActief = BewaardLoggen;
    Bezig = BewaardBezig;
    call(h.mainTexts);
    ZetMetenActief(BewaardMeten);
    call(h.closeFiles);
    // Logging goes on where it stood: it needs its data file open again.
    if (LoggenActief)
        call(h.reopenDataFile);
    // A schedule set here starts and stops logging at its times.
    call(h.wakeLogTimer);
    Afsluiten = true;
    if (openDialog == this)
        openDialog = nullptr;
}

void frmInstellen::LaadTekstenInstellen()
{
    QString pad = InstellingenBestandsnaam;
    if (pad.size() > 52)
        pad = QStringLiteral("...") + pad.right(49);
    setWindowTitle(pad.isEmpty() ? Taaltekst(127) : pad);
    SSTab->setTabText(0, Taaltekst(138));
    SSTab->setTabText(1, Taaltekst(128));
    SSTab->setTabText(2, Taaltekst(242));
    SSTab->setTabText(3, Taaltekst(270));
    lblCommPoort->setText(Taaltekst(130) + u':');
    lblBaudrate->setText(Taaltekst(131) + u':');
    LblConnectionIntervalOfTime->setText(Taaltekst(134) + u':');
    OKButton->setText(Taaltekst(140));
    CancelButton->setText(Taaltekst(141));
    CommandHelp->setText(Taaltekst(227));
    CommandScan->setText(Taaltekst(400));
    MSHFlexGridController->setHorizontalHeaderLabels(
        {Taaltekst(123), Taaltekst(129), Taaltekst(250), Taaltekst(135)});
    LabelTaal->setText(Taaltekst(241));
    CheckLoadFile->setText(Taaltekst(271));
    CheckLogStartup->setText(Taaltekst(272));
    CheckStartTijdstip->setText(Taaltekst(273));
    CheckStopTijdstip->setText(Taaltekst(274));
    // Column widths that fit the headings of every language.
    QHeaderView *header = MSHFlexGridController->horizontalHeader();
    const QFontMetrics fm(header->font());
    const int marge = 24;
    MSHFlexGridController->setColumnWidth(0, qMax(40, fm.horizontalAdvance(Taaltekst(123)) + marge));
    for (int c = 1; c <= 3; ++c) {
        const QString heading = MSHFlexGridController->horizontalHeaderItem(c)->text();
        MSHFlexGridController->setColumnWidth(c, qMax(80, fm.horizontalAdvance(heading) + marge));
    }
}

void frmInstellen::InitCboCommPoort()
{
    const SettingsDialogHooks &h = settingsDialogHooks();
    cboCommPoort->clear();
    const QStringList ports = h.scanPorts ? h.scanPorts() : QStringList();
    for (const QString &port : ports) {
        const QString name = port.trimmed();
        if (name.isEmpty())
            continue;
        const QString device = h.portDevice ? h.portDevice(name) : QString();
        // The number alone says little once adapters come and go: show what it stands for.
        cboCommPoort->addItem(device.isEmpty() ? name
                                               : QStringLiteral("%1  (%2)").arg(name, device),
                              name);
    }
    cboCommPoort->setCurrentIndex(cboCommPoort->findData(SeriePoort));
}

void frmInstellen::InitCboBaudrate()
{
    cboBaudrate->clear();
    cboBaudrate->addItems(BaudLijst());
    cboBaudrate->setCurrentIndex(BepaalBaudIndex(Baudrate));
}

void frmInstellen::PlaatsTijdsinterval(qint32 seconden)
{
    m_vullen = true;
    TextTijdsinterval->setValue(BegrensTijdsinterval(seconden));
    m_vullen = false;
}

void frmInstellen::InstellenTijdstipVakken()
{
    const bool atStart = CheckLogStartup->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{CheckStartTijdstip, CommandStartTijdstip,
                                                       CheckStopTijdstip, CommandStopTijdstip})
        w->setEnabled(!atStart);
    LabelStartTijdstip->setText(atStart ? QString() : tijdstipTekst(StartTijd));
    LabelStopTijdstip->setText(atStart ? QString() : tijdstipTekst(StopTijd));
}

void frmInstellen::vulGrid()
{
    QTableWidget *grid = MSHFlexGridController;
    grid->setRowCount(int(m_rijen.size()));
    for (int r = 0; r < m_rijen.size(); ++r) {
        const ApparaatRij &rij = m_rijen[r];
        const QStringList texts = {QString::number(r + 1), rij.type, rij.idno, rij.kanalen};
        for (int c = 0; c < 4; ++c) {
            QTableWidgetItem *item = grid->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
                if (c > 0)
                    flags |= Qt::ItemIsEditable;
                item->setFlags(flags);
                if (c != 1)
                    item->setTextAlignment(Qt::AlignCenter);
                grid->setItem(r, c, item);
            }
            item->setText(texts[c]);
        }
    }
}

void frmInstellen::commitCell(int rij, int kolom, const QString &tekst)
{
    switch (kolom) {
    case 1:
        KiesModel(m_rijen, rij, tekst);
        break;
    case 2:
        ZetIdno(m_rijen, rij, tekst);
        break;
    case 3:
        ZetKanalen(m_rijen, rij, tekst);
        break;
    default:
        return;
    }
    vulGrid();
}

void frmInstellen::VerwijderSelectie()
{
    const QModelIndexList selected = MSHFlexGridController->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    int first = INT_MAX, last = -1;
    for (const QModelIndex &i : selected) {
        first = qMin(first, i.row());
        last = qMax(last, i.row());
    }
    const int answer = DialogProvider::current().messageBox(
        this, Taaltekst(285), MsgBox::YesNo | MsgBox::Question, windowTitle());
    if (answer != MsgBox::Yes)
        return;
    WisRijen(m_rijen, first + 1, last + 1);
    vulGrid();
}

bool frmInstellen::eventFilter(QObject *watched, QEvent *event)
{
    // An open editor takes the keys itself; these reach the grid only between edits.
    if (watched == MSHFlexGridController && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
            VerwijderSelectie();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmInstellen::refuse(int tab, QWidget *focus)
{
    SSTab->setCurrentIndex(tab);
    if (focus)
        focus->setFocus();
}

void frmInstellen::OKButton_Click()
{
    if (m_ontladen)
        return;
    // An editor still open holds the last entry.
    if (QWidget *editor = MSHFlexGridController->focusWidget();
        editor && editor != MSHFlexGridController)
        MSHFlexGridController->setFocus();
    const SettingsDialogHooks &h = settingsDialogHooks();
    std::optional<BusyCursor> busy(std::in_place);
    LaatsteAntwoord = 1;

    // Everything is checked before anything changes: a refused OK leaves the program as it was.
    if (cboCommPoort->currentIndex() < 0) {
        busy.reset();
        LaatsteAntwoord = TonenMelding(Taaltekst(143) + u'!', MsgBox::OkOnly | MsgBox::Exclamation,
                                       Taaltekst(127));
        refuse(1, cboCommPoort);
        return;
    }
    const ApparaatControle controle = ControleerApparaten(m_rijen);
    switch (controle.soort) {
    case ApparaatControle::OngeldigNummer:
        busy.reset();
        LaatsteAntwoord = TonenMelding(
            Taaltekst(501).replace(QStringLiteral("##"), QString::number(controle.rij)),
            MsgBox::OkOnly | MsgBox::Exclamation, Taaltekst(127));
        refuse(3, MSHFlexGridController);
        MSHFlexGridController->setCurrentCell(controle.rij - 1, 2);
        return;
    case ApparaatControle::DubbelNummer:
        busy.reset();
        DialogProvider::current().messageBox(
            this, Taaltekst(311).replace(QStringLiteral("###"), AdresTekstVan(controle.idno)),
            MsgBox::OkOnly | MsgBox::Critical, windowTitle());
        refuse(3, MSHFlexGridController);
        MSHFlexGridController->setCurrentCell(controle.rij - 1, 2);
        return;
    case ApparaatControle::GeenApparaat:
        busy.reset();
        LaatsteAntwoord = TonenMelding(Taaltekst(142), MsgBox::OkOnly | MsgBox::Exclamation,
                                       Taaltekst(127));
        refuse(3, MSHFlexGridController);
        return;
    case ApparaatControle::Goed:
        break;
    }

    // The port last: it must open with the chosen settings, or nothing is taken over.
    const QString oudePoort = SeriePoort;
    const QString oudeBaudrate = Baudrate;
    SeriePoort = cboCommPoort->currentData().toString();
    Baudrate = cboBaudrate->currentIndex() < 0 ? QStringLiteral("2400") : cboBaudrate->currentText();
    call(h.initPort);
    const bool open = h.openPort ? h.openPort() : true;
    if (!open) {
        // The failure was reported by the port set-up. Measuring stays suspended: polling a
        // closed port would mark every controller failed.
        SeriePoort = oudePoort;
        Baudrate = oudeBaudrate;
        busy.reset();
        refuse(1, cboCommPoort);
        return;
    }

    qint16 taal = qint16(qMax(0, ComboTaal->currentIndex()));
    TaalIndex = taal;
    if (h.saveButton)
        h.saveButton();
    else
        WindowHost::current().saveButtonEnabled();
    LaadTaal(TaalIndex);

    StartLoggen = CheckLogStartup->isChecked();
    LaadBestand = CheckLoadFile->isChecked();
    StartLoggenOpTijd = CheckStartTijdstip->isChecked();
    StopLoggenOpTijd = CheckStopTijdstip->isChecked();
    TextTijdsinterval->interpretText();
    MeetInterval = BegrensTijdsinterval(TextTijdsinterval->value());
    Registry::write(RegisterNaam, QStringLiteral("Settings"), QStringLiteral("TabConfiguration"),
                    QString::number(SSTab->currentIndex()));

    // Controllers take their rack window's placement and fonts along to their new slot.
    WindowHost::current().collectWindowSettings();
    const auto oudRek = WindowSettings::rack;
    const ToestelTabel oudeToestellen = Toestel;
    const ApparaatBronnen bronnen = PasApparatenToe(m_rijen, Toestel);
    for (int s = 1; s <= MaxToestellen; ++s) {
        const int bron = bronnen[size_t(s)];
        if (bron > 0 && bron != s)
            WindowSettings::rack[size_t(s)] = oudRek[size_t(bron)];
    }
    for (int s = 1; s <= MaxToestellen; ++s) {
        const bool used = !Toestel[s].Type.isEmpty();
        if (used)
            call(h.deviceProtocol, s);
        call(h.rackWindow, s, used);
    }
    // A controller that moved takes its rack window's place and label fonts to its new slot,
    // shown as every used slot's window is.
    for (int s = 1; s <= MaxToestellen; ++s) {
        const int bron = bronnen[size_t(s)];
        if (bron > 0 && bron != s) {
            WindowSettings::rack[size_t(s)].visible = true;
            WindowHost::current().deviceRead(s);
        }
    }
    call(h.rackFonts, bronnen);
    call(h.tableWindow, EigenTabelRijen(bronnen, oudeToestellen, Toestel));
    LaatsteAntwoord = 1;

    if (h.writeSettings)
        h.writeSettings(InstellingenBestandsnaam);
    else
        SchrijfInstellingen(InstellingenBestandsnaam);
    busy.reset();
    Form_Unload();
    hide();
    // An opener that did not wait for the answer learns of the OK here.
    setResult(Accepted);
    emit accepted();
    deleteLater();
}

void frmInstellen::CancelButton_Click()
{
    if (m_ontladen)
        return;
    const SettingsDialogHooks &h = settingsDialogHooks();
    LaatsteAntwoord = 2;
    // What the dialog changed before OK goes back.
    MeetInterval = m_interval;
    StartTijd = m_startTijd;
    StopTijd = m_stopTijd;
    if (SeriePoort.isEmpty())
        SeriePoort = QStringLiteral("COM1");
    qint16 taal = TaalIndex;
    LaadTaal(taal);
    // The port as configured, whatever a scan left set.
    call(h.initPort);
    if (h.openPort)
        h.openPort();
    Form_Unload();
    hide();
    deleteLater();
}

void frmInstellen::reject() { CancelButton_Click(); }

void frmInstellen::closeEvent(QCloseEvent *event)
{
    if (!m_ontladen) {
        event->ignore();
        CancelButton_Click();
        return;
    }
    QDialog::closeEvent(event);
}

void frmInstellen::CommandScan_Click()
{
    cboCommPoort->clear();
    hide();
    InitCboCommPoort();
    show();
}

void frmInstellen::CommandHelp_Click()
{
    call(settingsDialogHooks().startHelp, HelpCommando() + QStringLiteral("::/Settings.htm"));
}

void frmInstellen::CommandStartTijdstip_Click()
{
    DialogInputTijdstip dialog(this);
    dialog.Tijdstip = StartTijd;
    dialog.setWindowTitle(Taaltekst(325));
    dialog.Toon();
    if (dialog.Tijdstip.isValid())
        StartTijd = dialog.Tijdstip;
    if (!StopTijd.isValid() || StopTijd <= StartTijd)
        StopTijd = StartTijd.addSecs(1);
    InstellenTijdstipVakken();
}

void frmInstellen::CommandStopTijdstip_Click()
{
    DialogInputTijdstip dialog(this);
    dialog.Tijdstip = StopTijd;
    dialog.setWindowTitle(Taaltekst(326));
    dialog.setMinimum(StartTijd.isValid() ? StartTijd.addSecs(1) : QDateTime());
    dialog.Toon();
    if (dialog.Tijdstip.isValid())
        StopTijd = dialog.Tijdstip;
    InstellenTijdstipVakken();
}

void frmInstellen::ComboTaal_Click(int index)
{
    // A trial: TaalIndex changes only with OK, Cancel loads it again.
    BewaardeTaal = qint16(index);
    LaadTaal(BewaardeTaal);
    LaadTekstenInstellen();
    call(settingsDialogHooks().mainTexts);
}
