#include "support/datedialog.h"

#include "platform/dialogs.h"
#include "platform/pump.h"
#include "support/language.h"
#include "support/mainlink.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

namespace {
// The locale's time of day without the time-zone token Qt's long format carries.
QString tijdFormaat()
{
    QString f = QLocale().timeFormat(QLocale::LongFormat);
    f.remove(QLatin1Char('t'));
    return f.trimmed();
}
} // namespace

DialogInputTijdstip::DialogInputTijdstip(QWidget *transientParent)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    MainLink::ensureResources();
    setObjectName(QStringLiteral("DialogInputTijdstip"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/program.png")));
    MonthView = new QCalendarWidget(this);
    MonthView->setObjectName(QStringLiteral("MonthView"));
    MonthView->setGridVisible(true);
    DTPicker = new QDateTimeEdit(this);
    DTPicker->setObjectName(QStringLiteral("DTPicker"));
    DTPicker->setDisplayFormat(tijdFormaat());
    LabelDate = new QLabel(this);
    LabelTime = new QLabel(this);
    OKButton = new QPushButton(this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OKButton, &QPushButton::clicked, this, &DialogInputTijdstip::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &DialogInputTijdstip::CancelButton_Click);

    auto *grid = new QGridLayout(this);
    grid->addWidget(LabelDate, 0, 0, Qt::AlignTop);
    grid->addWidget(MonthView, 0, 1);
    grid->addWidget(LabelTime, 1, 0);
    grid->addWidget(DTPicker, 1, 1, Qt::AlignLeft);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    if (!transientParent)
        transientParent = MainLink::mainWindow();
    if (transientParent) {
        create();
        windowHandle()->setTransientParent(transientParent->windowHandle());
    }
    setWindowModality(Qt::ApplicationModal);
    connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded, this,
            &DialogInputTijdstip::zetTeksten);
    zetTeksten();
}

void DialogInputTijdstip::setMinimum(const QDateTime &moment)
{
    m_minimum = moment;
    if (moment.isValid())
        MonthView->setMinimumDate(moment.date());
    else
        MonthView->setMinimumDate(QDate(100, 1, 1));
}

void DialogInputTijdstip::zetTeksten()
{
    LabelDate->setText(Taaltekst(124) + QLatin1Char(':'));
    LabelTime->setText(Taaltekst(125) + QLatin1Char(':'));
    OKButton->setText(Taaltekst(140));
    CancelButton->setText(Taaltekst(141));
}

void DialogInputTijdstip::Form_Load()
{
    MonthView->setSelectedDate(Tijdstip.date());
    DTPicker->setDateTime(Tijdstip);
    Onderbroken = false;
    zetTeksten();
}

bool DialogInputTijdstip::Toon()
{
    Form_Load();
    setResult(QDialog::Rejected);
    show();
    raise();
    activateWindow();
    QPointer<DialogInputTijdstip> guard = this;
    Pump::until([&] { return !guard || !guard->isVisible(); });
    if (guard && isVisible()) {
        // The program is closing.
        Onderbroken = true;
        hide();
    }
    return guard && result() == QDialog::Accepted;
}

void DialogInputTijdstip::OKButton_Click()
{
    const QDateTime moment = Moment(MonthView->selectedDate(), DTPicker->time());
    if (m_minimum.isValid() && m_minimum > moment) {
        DialogProvider::current().messageBox(this, Taaltekst(327),
                                             MsgBox::OkOnly | MsgBox::Exclamation, windowTitle());
        return;
    }
    Tijdstip = moment;
    accept();
}

void DialogInputTijdstip::CancelButton_Click()
{
    Onderbroken = true;
    QDialog::reject();
}

// Escape and a close by the frame leave the moment unchanged, as Cancel does, and say so.
void DialogInputTijdstip::reject() { CancelButton_Click(); }
