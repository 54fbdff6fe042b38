#include "support/progress.h"

#include "core/shared.h"
#include "support/language.h"
#include "support/mainlink.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {
QPointer<FrmVoortgang> venster;
}

FrmVoortgang &FrmVoortgang::instance()
{
    if (!venster)
        venster = new FrmVoortgang;
    return *venster;
}

bool FrmVoortgang::isLoaded() { return venster && venster->m_geladen; }

void FrmVoortgang::unload()
{
    if (!venster)
        return;
    FrmVoortgang *w = venster;
    venster = nullptr;
    w->m_ontladen = true;
    w->unsetCursor();
    w->hide();
    w->deleteLater();
}

FrmVoortgang::FrmVoortgang()
    : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
                           | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    MainLink::ensureResources();
    setObjectName(QStringLiteral("FrmVoortgang"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/program.png")));
    LabelVoortgang = new QLabel(this);
    LabelVoortgang->setObjectName(QStringLiteral("LabelVoortgang"));
    LabelVoortgang->setTextFormat(Qt::PlainText);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setTextVisible(false);
    ProgressBar->setMinimumWidth(320);
    CommandCancel = new QPushButton(this);
    CommandCancel->setObjectName(QStringLiteral("CommandCancel"));
    CommandCancel->setMinimumWidth(81);
    connect(CommandCancel, &QPushButton::clicked, this, &FrmVoortgang::CommandCancel_Click);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CommandCancel);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->addWidget(LabelVoortgang);
    layout->addWidget(ProgressBar);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    LabelVoortgang->installEventFilter(this);
    ProgressBar->installEventFilter(this);
    connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded, this,
            [this] { CommandCancel->setText(Taaltekst(141)); });
}

void FrmVoortgang::showEvent(QShowEvent *event)
{
    if (!m_geladen)
        Form_Load();
    QWidget::showEvent(event);
}

void FrmVoortgang::Form_Load()
{
    m_geladen = true;
    ZetTekstenVoortgang();
    VoortgangOnderbroken = false;
    m_muis = QPoint();
    if (QWidget *main = MainLink::mainWindow()) {
        create();
        windowHandle()->setTransientParent(main->windowHandle());
    }
}

void FrmVoortgang::ZetTekstenVoortgang()
{
    LabelVoortgang->setText(VoortgangTekst);
    CommandCancel->setText(Taaltekst(141));
}

void FrmVoortgang::CommandCancel_Click()
{
    VoortgangOnderbroken = true;
    Hoofdmodule::AfbrekenZoeken = true;
}

void FrmVoortgang::closeEvent(QCloseEvent *event)
{
    // Closing by the frame asks to stop, as Cancel does; the operation closes the window.
    if (m_ontladen) {
        event->accept();
        return;
    }
    CommandCancel_Click();
    event->ignore();
}

void FrmVoortgang::mousePressEvent(QMouseEvent *event)
{
    m_muis = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QWidget::mousePressEvent(event);
}

void FrmVoortgang::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - m_muis);
    QWidget::mouseMoveEvent(event);
}

bool FrmVoortgang::eventFilter(QObject *watched, QEvent *event)
{
    // The text and the bar hand their presses and moves to the window, so that dragging them
    // drags the window.
    if (watched == LabelVoortgang || watched == ProgressBar) {
        if (event->type() == QEvent::MouseButtonPress) {
            mousePressEvent(static_cast<QMouseEvent *>(event));
            return true;
        }
        if (event->type() == QEvent::MouseMove) {
            mouseMoveEvent(static_cast<QMouseEvent *>(event));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
