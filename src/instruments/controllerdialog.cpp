#include "instruments/controllerdialog.h"

#include "core/conversions.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "instruments/pollloop.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "support/language.h"
#include "support/mainlink.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindow>

using namespace Hoofdmodule;

ControllerDialogHooks &controllerDialogHooks()
{
    static ControllerDialogHooks hooks;
    return hooks;
}

namespace {

QPointer<FormSettingsController> openDialog;
constexpr int NaamLengte = 30;

template <typename F, typename... A>
void call(const F &hook, A... args)
{
    if (hook)
        hook(args...);
}

void setMainEnabled(bool enabled)
{
    const ControllerDialogHooks &h = controllerDialogHooks();
    if (h.setMainEnabled) {
        h.setMainEnabled(enabled);
        return;
    }
    if (QWidget *main = MainLink::mainWindow())
        main->setEnabled(enabled);
}

int aantalToestellen()
{
    int n = 0;
    for (int s = 1; s <= MaxToestellen; ++s)
        if (ToestelGeldig(s))
            ++n;
    return n;
}

double twipsPerPixel(const QWidget *w)
{
    const int dpi = w->logicalDpiY();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

} // namespace

void OmslaanToestelnummer(qint16 &n)
{
    if (n > MaxToestellen)
        n = 1;
    else if (n < 1)
        n = MaxToestellen;
}

qint16 VolgendGeldigToestel(qint16 n, qint16 stap)
{
    OmslaanToestelnummer(n);
    const qint16 start = n;
    // At most one round: with no valid slot the search stops where it began.
    for (int i = 0; i < MaxToestellen && !ToestelGeldig(n); ++i) {
        n = qint16(n + (stap < 0 ? -1 : 1));
        OmslaanToestelnummer(n);
    }
    return ToestelGeldig(n) ? n : start;
}

FormSettingsController *FormSettingsController::geopend() { return openDialog; }

FormSettingsController *FormSettingsController::Tonen(int slot, int kanaal)
{
    if (kanaal >= 0 && kanaal < 4)
        HuidigKanaalTab = qint16(kanaal + 1);
    if (openDialog) {
        openDialog->Ti = qint16(slot);
        openDialog->LadenToestelGegevens(openDialog->Ti);
        if (kanaal >= 0 && kanaal < 4 && openDialog->SSTab->isTabEnabled(kanaal))
            openDialog->SSTab->setCurrentIndex(kanaal);
        openDialog->raise();
        return openDialog;
    }
    auto *dialog = new FormSettingsController(slot);
    openDialog = dialog;
    return dialog;
}

FormSettingsController::FormSettingsController(int slot)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    MainLink::ensureResources();
    setObjectName(QStringLiteral("FormSettingsController"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/program.png")));
    Ti = qint16(qBound(1, slot, MaxToestellen));

    UpDownController = new QSpinBox(this);
    UpDownController->setObjectName(QStringLiteral("UpDownController"));
    UpDownController->setKeyboardTracking(false);

    FrameController = new QGroupBox(this);
    LabelController = new QLabel(FrameController);
    LabelControllerIdno = new QLabel(FrameController);
    LabelControllerNaam = new QLabel(FrameController);
    LabelInstrument = new QLabel(FrameController);
    LabelInstrument->setObjectName(QStringLiteral("LabelInstrument"));
    LabelIdno = new QLabel(FrameController);
    LabelIdno->setObjectName(QStringLiteral("LabelIdno"));
    TextControllerNaam = new QLineEdit(FrameController);
    TextControllerNaam->setObjectName(QStringLiteral("TextControllerNaam"));
    CheckControllerIngesteld = new QCheckBox(FrameController);
    CheckControllerIngesteld->setObjectName(QStringLiteral("CheckControllerIngesteld"));
    auto *frame = new QGridLayout(FrameController);
    frame->addWidget(LabelController, 0, 0);
    frame->addWidget(LabelInstrument, 0, 1);
    frame->addWidget(LabelControllerIdno, 0, 2);
    frame->addWidget(LabelIdno, 0, 3);
    frame->addWidget(LabelControllerNaam, 1, 0);
    frame->addWidget(TextControllerNaam, 1, 1, 1, 3);
    frame->addWidget(CheckControllerIngesteld, 2, 1, 1, 3);
    frame->setColumnStretch(1, 1);
    frame->setColumnStretch(3, 1);
    auto *top = new QHBoxLayout;
    top->addWidget(FrameController, 1);
    top->addWidget(UpDownController, 0, Qt::AlignVCenter);

    SSTab = new QTabWidget(this);
    SSTab->setObjectName(QStringLiteral("SSTab"));
    for (int i = 0; i < 4; ++i) {
        auto *page = new QWidget;
        LabelNaam[size_t(i)] = new QLabel(page);
        TextNaam[size_t(i)] = new QLineEdit(page);
        TextNaam[size_t(i)]->setObjectName(QStringLiteral("TextNaam%1").arg(i));
        TextNaam[size_t(i)]->setMaxLength(NaamLengte);
        LabelVoortekst[size_t(i)] = new QLabel(page);
        LabelVoortekst[size_t(i)]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        LabelInfo[size_t(i)] = new QLabel(page);
        LabelInfo[size_t(i)]->setObjectName(QStringLiteral("LabelInfo%1").arg(i));
        LabelInfo[size_t(i)]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        auto *g = new QGridLayout(page);
        g->addWidget(LabelNaam[size_t(i)], 0, 0);
        g->addWidget(TextNaam[size_t(i)], 0, 1);
        g->addWidget(LabelVoortekst[size_t(i)], 1, 0);
        g->addWidget(LabelInfo[size_t(i)], 1, 1);
        g->setColumnStretch(1, 1);
        g->setRowStretch(2, 1);
        SSTab->addTab(page, QString());
        connect(TextNaam[size_t(i)], &QLineEdit::textChanged, this,
                [this] { CommandApply->setEnabled(true); });
    }

    OKButton = new QPushButton(this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CommandApply = new QPushButton(this);
    CommandApply->setObjectName(QStringLiteral("CommandApply"));
    CommandHelp = new QPushButton(this);
    CommandHelp->setObjectName(QStringLiteral("CommandHelp"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton *b : {OKButton, CancelButton, CommandApply, CommandHelp})
        buttons->addWidget(b);

    auto *main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(SSTab);
    main->addLayout(buttons);

    connect(OKButton, &QPushButton::clicked, this, &FormSettingsController::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &FormSettingsController::CancelButton_Click);
    connect(CommandApply, &QPushButton::clicked, this, &FormSettingsController::CommandApply_Click);
    connect(CommandHelp, &QPushButton::clicked, this, &FormSettingsController::CommandHelp_Click);
    connect(TextControllerNaam, &QLineEdit::textChanged, this,
            [this] { CommandApply->setEnabled(true); });
    connect(CheckControllerIngesteld, &QCheckBox::clicked, this,
            [this] { CommandApply->setEnabled(true); });
    connect(SSTab, &QTabWidget::currentChanged, this, [this](int index) {
        if (!m_laden)
            HuidigKanaalTab = qint16(index + 1);
    });
    connect(UpDownController, &QSpinBox::valueChanged, this,
            &FormSettingsController::spinnerChanged);

    Form_Load();
}

FormSettingsController::~FormSettingsController()
{
    if (!m_ontladen)
        Form_Unload();
}

void FormSettingsController::Form_Load()
{
    OKButton->setText(Taaltekst(140));
    CancelButton->setText(Taaltekst(141));
    CommandHelp->setText(Taaltekst(227));
    CommandApply->setText(Taaltekst(310));
    for (int i = 0; i < 4; ++i)
        SSTab->setTabText(i, Taaltekst(295) + u' ' + QString::number(i + 1));

    m_bewaardMeten = MetenActief;
    ZetMetenActief(false);

    m_laden = true;
    UpDownController->setRange(0, MaxToestellen + 1);
    UpDownController->setValue(Ti);
    m_laden = false;
    CommandApply->setEnabled(false);

    FrameController->setTitle(Taaltekst(199));
    LabelController->setText(Taaltekst(290));
    LabelControllerIdno->setText(Taaltekst(250) + u':');
    LabelControllerNaam->setText(Taaltekst(414) + u':');
    CheckControllerIngesteld->setText(Taaltekst(354));

    LadenToestelGegevens(Ti);

    if (HuidigKanaalTab < 1 || HuidigKanaalTab > 16)
        HuidigKanaalTab = 1;
    // A tab beyond the controller's channels cannot be chosen; the first one stands in.
    const int tab = HuidigKanaalTab - 1;
    m_laden = true;
    SSTab->setCurrentIndex(tab < 4 && SSTab->isTabEnabled(tab) ? tab : 0);
    m_laden = false;

    adjustSize();
    // Where the user left it, when that is still on the screen.
    const QRect screen = (MainLink::mainWindow() && MainLink::mainWindow()->screen()
                              ? MainLink::mainWindow()->screen()
                              : QGuiApplication::primaryScreen())
                             ->availableGeometry();
    const double tpp = twipsPerPixel(this);
    const QString top = Registry::read(RegisterNaam, QStringLiteral("DialogSettings"),
                                       QStringLiteral("Top"));
    const QString left = Registry::read(RegisterNaam, QStringLiteral("DialogSettings"),
                                        QStringLiteral("Left"));
    bool okTop = false, okLeft = false;
    int y = int(top.toDouble(&okTop) / tpp);
    int x = int(left.toDouble(&okLeft) / tpp);
    const int centreY = screen.top() + (screen.height() - height()) / 2;
    const int centreX = screen.left() + (screen.width() - width()) / 2;
    if (!okTop || y < screen.top() || y >= screen.bottom() - height())
        y = centreY;
    if (!okLeft || x < screen.left() || x >= screen.right() - width())
        x = centreX;
    move(x, y);

    winId();
    if (QWidget *mainWindow = MainLink::mainWindow();
        mainWindow && mainWindow->windowHandle() && windowHandle())
        windowHandle()->setTransientParent(mainWindow->windowHandle());
    show();
    setMainEnabled(false);
    UpDownController->setVisible(aantalToestellen() >= 2);
}

void FormSettingsController::LadenToestelGegevens(qint16 slot)
{
    if (slot < 1 || slot > MaxToestellen)
        return;
    const ControllerDialogHooks &h = controllerDialogHooks();
    call(h.markRack, int(slot), true);
    const ToestelGegevens &t = Toestel[slot];
    m_laden = true;
    LabelInstrument->setText(t.Type.trimmed());
    LabelIdno->setText(AdresTekstVan(t.Idno));
    TextControllerNaam->setText(t.Naam);
    CheckControllerIngesteld->setChecked(t.Actief);
    for (int i = 0; i < 4; ++i) {
        const KanaalGegevens &k = t.Kanaal[size_t(i + 1)];
        SSTab->setTabEnabled(i, i < t.Kanalen);
        LabelNaam[size_t(i)]->setText(Taaltekst(414) + u':');
        TextNaam[size_t(i)]->setText(k.Naam.trimmed());
        LabelVoortekst[size_t(i)]->setText(Taaltekst(201) + u'\n' + Taaltekst(125) + u':' + u'\n' +
                                           Taaltekst(126) + u':');
        LabelInfo[size_t(i)]->setText(
            k.Eenheid.trimmed() + u'\n' +
            TijdMetScheidingsteken(k.Tijdstip) +
            u'\n' + k.Status.trimmed());
    }
    m_laden = false;
    LaadVensterTitel();
    CommandApply->setEnabled(false);
}

void FormSettingsController::LaadVensterTitel()
{
    setWindowTitle(Taaltekst(127) + QStringLiteral(": ") + Toestel[Ti].Naam.trimmed());
    call(controllerDialogHooks().rackCaption, int(Ti));
}

void FormSettingsController::CommandApply_Click()
{
    if (!CommandApply->isEnabled() || Ti < 1 || Ti > MaxToestellen)
        return;
    ToestelGegevens &t = Toestel[Ti];
    t.Naam = TextControllerNaam->text().trimmed();
    t.Actief = CheckControllerIngesteld->isChecked();
    // All four channels, whatever the controller uses: names stay ready for more channels.
    for (int i = 0; i < 4; ++i)
        t.Kanaal[size_t(i + 1)].Naam = TextNaam[size_t(i)]->text().trimmed().left(NaamLengte);
    const ControllerDialogHooks &h = controllerDialogHooks();
    if (h.writeSettings)
        h.writeSettings(InstellingenBestandsnaam);
    else
        SchrijfInstellingen(InstellingenBestandsnaam);
    CommandApply->setEnabled(false);
    LaadVensterTitel();
}

void FormSettingsController::OKButton_Click()
{
    CommandApply_Click();
    Form_Unload();
}

void FormSettingsController::CancelButton_Click() { Form_Unload(); }

void FormSettingsController::reject() { CancelButton_Click(); }

void FormSettingsController::closeEvent(QCloseEvent *event)
{
    if (!m_ontladen) {
        event->ignore();
        CancelButton_Click();
        return;
    }
    QDialog::closeEvent(event);
}

void FormSettingsController::CommandHelp_Click()
{
    call(controllerDialogHooks().startHelp, HelpCommando() + QStringLiteral("::/SettingsDevice.htm"));
}

int FormSettingsController::VraagWijzigingenToepassen()
{
    const int answer = DialogProvider::current().messageBox(
        this, Taaltekst(281), MsgBox::YesNoCancel | MsgBox::Question, windowTitle());
    if (answer == MsgBox::Yes)
        CommandApply_Click();
    else if (answer == MsgBox::No)
        CommandApply->setEnabled(false);
    return answer;
}

void FormSettingsController::spinnerChanged(int value)
{
    if (m_laden || value == Ti)
        return;
    WisselToestel(qint16(value > Ti ? 1 : -1));
}

void FormSettingsController::WisselToestel(qint16 stap)
{
    if (CommandApply->isEnabled())
        VraagWijzigingenToepassen();
    m_laden = true;
    if (CommandApply->isEnabled()) {
        // Cancel: stay, edits still pending.
        UpDownController->setValue(Ti);
        m_laden = false;
        return;
    }
    const qint16 vorig = Ti;
    const qint16 n = VolgendGeldigToestel(qint16(UpDownController->value()), stap);
    UpDownController->setValue(n);
    m_laden = false;
    if (n != vorig) {
        call(controllerDialogHooks().markRack, int(vorig), false);
        Ti = n;
    }
    LadenToestelGegevens(Ti);
}

void FormSettingsController::Form_Unload()
{
    if (m_ontladen)
        return;
    m_ontladen = true;
    const double tpp = twipsPerPixel(this);
    Registry::write(RegisterNaam, QStringLiteral("DialogSettings"), QStringLiteral("Top"),
                    QString::number(qRound(y() * tpp)));
    Registry::write(RegisterNaam, QStringLiteral("DialogSettings"), QStringLiteral("Left"),
                    QString::number(qRound(x() * tpp)));
    const ControllerDialogHooks &h = controllerDialogHooks();
    call(h.markRack, int(Ti), false);
    call(h.rackEditEnded, int(Ti));
    call(h.tableCaption);
    setMainEnabled(true);
    // Polling resumes as it stood when the dialog opened: the flag is the one record of it.
    ZetMetenActief(m_bewaardMeten);
    if (openDialog == this)
        openDialog = nullptr;
    hide();
    deleteLater();
}
