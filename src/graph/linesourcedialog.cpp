#include "graph/linesourcedialog.h"

#include "core/slots.h"
#include "graph/graphsettingsrules.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/windowtitle.h"
#include "support/language.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>

DialogInputGrafiekElement::DialogInputGrafiekElement(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("DialogInputGrafiekElement"));
    LabelController = new QLabel(this);
    LabelController->setObjectName(QStringLiteral("LabelController"));
    ListController = new QComboBox(this);
    ListController->setObjectName(QStringLiteral("ListController"));
    LabelInputs = new QLabel(this);
    LabelInputs->setObjectName(QStringLiteral("LabelInputs"));
    ListInputs = new QComboBox(this);
    ListInputs->setObjectName(QStringLiteral("ListInputs"));
    for (QComboBox *list : {ListController, ListInputs}) {
        list->setMinimumContentsLength(26);
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }
    LabelController->setBuddy(ListController);
    LabelInputs->setBuddy(ListInputs);
    LabelInputs->installEventFilter(this);

    OKButton = new QPushButton(this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CommandWissen = new QPushButton(this);
    CommandWissen->setObjectName(QStringLiteral("CommandWissen"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(LabelController, 0, 0);
    grid->addWidget(ListController, 1, 0);
    grid->addWidget(LabelInputs, 2, 0);
    grid->addWidget(ListInputs, 3, 0);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(CommandWissen);
    buttons->addStretch(1);
    grid->addLayout(buttons, 0, 1, 5, 1);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(0, 1);
    grid->setHorizontalSpacing(16);

    connect(OKButton, &QPushButton::clicked, this, &DialogInputGrafiekElement::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this,
            &DialogInputGrafiekElement::CancelButton_Click);
    connect(CommandWissen, &QPushButton::clicked, this,
            &DialogInputGrafiekElement::CommandWissen_Click);
    connect(ListController, &QComboBox::currentIndexChanged, this,
            [this] { ListController_Click(); });
}

void DialogInputGrafiekElement::Toon()
{
    Form_Load();
    m_open = true;
    setWindowModality(parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    Pump::until([this] { return !m_open; });
    if (m_open)
        CancelButton_Click(); // the program is ending
}

void DialogInputGrafiekElement::Form_Load()
{
    CancelGeklikt = false;
    LaadStrings();
    int selected = -1;
    {
        const QSignalBlocker quiet(ListController);
        ListController->clear();
        ListController->addItem(QString(), 0);
        for (int i = 1; i <= MaxToestellen; ++i) {
            if (!ToestelGeldig(i))
                continue;
            if (Rnr == 0)
                Rnr = qint16(i); // no source yet: the first controller is proposed
            ListController->addItem(ToestelRegel(i), i);
            if (Rnr == i)
                selected = ListController->count() - 1;
        }
        ListController->setCurrentIndex(-1);
        ListInputs->clear();
    }
    ListController->setCurrentIndex(selected);
}

void DialogInputGrafiekElement::LaadStrings()
{
    LabelController->setText(Taaltekst(297));
    LabelInputs->setText(Taaltekst(295));
    setWindowTitle(LijnbronTitel(Grafiek, LijnNr));
    OKButton->setText(Taaltekst(140));
    CancelButton->setText(Taaltekst(141));
    CommandWissen->setText(Taaltekst(389));
    // The title names the graph and the line, and it is longer than the lists are wide: the
    // dialog takes the width its title bar needs to show it whole, as far as the screen allows.
    int wide = qMax(sizeHint().width(), titleBarWidth(*this, windowTitle()));
    if (const QScreen *s = screen())
        wide = qMin(wide, s->availableGeometry().width());
    resize(wide, sizeHint().height());
}

void DialogInputGrafiekElement::ListController_Click()
{
    Rnr = BepaalToestelNummer(ListController->currentText());
    if (Rnr > 0 && Rnr <= MaxToestellen && ToestelGeldig(Rnr))
        VulIngangen();
}

void DialogInputGrafiekElement::VulIngangen()
{
    const int kanalen = qBound(0, int(Toestel[Rnr].Kanalen), MaxKanalen);
    ListInputs->clear();
    ListInputs->addItem(QString());
    for (int k = 1; k <= kanalen; ++k)
        ListInputs->addItem(IngangRegel(Rnr, k));
    // The caller's input again, when this controller has it.
    ListInputs->setCurrentIndex(Knr >= 1 && Knr <= kanalen ? Knr : 0);
}

void DialogInputGrafiekElement::OKButton_Click()
{
    if (ListController->currentIndex() < 1) {
        DialogProvider::current().messageBox(this, KiesUitLijstMelding(442),
                                             MsgBox::OkOnly | MsgBox::Exclamation, Taaltekst(297));
        return;
    }
    Rnr = BepaalToestelNummer(ListController->currentText());
    if (ListInputs->currentIndex() < 1) {
        DialogProvider::current().messageBox(this, KiesUitLijstMelding(440),
                                             MsgBox::OkOnly | MsgBox::Exclamation, Taaltekst(295));
        return;
    }
    Knr = qint16(ListInputs->currentIndex());
    CancelGeklikt = false;
    verbergen();
}

void DialogInputGrafiekElement::CancelButton_Click()
{
    CancelGeklikt = true;
    verbergen();
}

void DialogInputGrafiekElement::CommandWissen_Click()
{
    Rnr = 0;
    Knr = 0;
    CancelGeklikt = false;
    verbergen();
}

void DialogInputGrafiekElement::reject() { CancelButton_Click(); }

void DialogInputGrafiekElement::closeEvent(QCloseEvent *event)
{
    if (m_open) {
        event->ignore();
        CancelButton_Click();
        return;
    }
    QDialog::closeEvent(event);
}

bool DialogInputGrafiekElement::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LabelInputs && event->type() == QEvent::MouseButtonRelease)
        Knr = qint16(qMax(0, ListInputs->currentIndex()));
    return QDialog::eventFilter(watched, event);
}

void DialogInputGrafiekElement::verbergen()
{
    m_open = false;
    hide();
}
