#include "support/splash.h"

#include "support/language.h"
#include "support/mainlink.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QVersionNumber>
#include <QWindow>

namespace {
QPointer<frmSplash> venster;

QFont arial(int points, bool bold = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}
} // namespace

frmSplash *frmSplash::Toon()
{
    if (!venster) {
        venster = new frmSplash;
        venster->centreOverMain();
    }
    venster->show();
    venster->raise();
    return venster;
}

frmSplash *frmSplash::open() { return venster; }

void frmSplash::Ontladen()
{
    if (venster) {
        venster->m_locked = false;
        venster->close();
    }
}

void frmSplash::centreOverMain()
{
    // Over the middle of the main window when it is on screen, else of the screen; a new
    // window without a place of its own would land in a corner.
    adjustSize();
    QRect around;
    QWidget *main = MainLink::mainWindow();
    if (main && main->isVisible())
        around = main->frameGeometry();
    else if (const QScreen *s = main ? main->screen() : QGuiApplication::primaryScreen())
        around = s->availableGeometry();
    if (around.isValid())
        move(around.center() - rect().center());
}

void frmSplash::closeEvent(QCloseEvent *event)
{
    if (m_locked)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

QString frmSplash::VersieTekst()
{
    QString text = QCoreApplication::applicationVersion();
    if (text.isEmpty())
        text = QStringLiteral("0.1.0");
    const QVersionNumber v = QVersionNumber::fromString(text);
    return Taaltekst(238) + QLatin1Char(' ')
           + QStringLiteral("%1.%2.%3").arg(v.majorVersion()).arg(v.minorVersion()).arg(v.microVersion());
}

QString frmSplash::DatumTekst(const QString &file)
{
    const QFileInfo info(file);
    if (!info.exists())
        return {};
    return QLocale().toString(info.lastModified().date(), QLocale::LongFormat);
}

frmSplash::frmSplash()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    MainLink::ensureResources();
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral(":/icons/program.png")));
    setFocusPolicy(Qt::StrongFocus);

    auto label = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    ImageLogo = label("ImageLogo");
    ImgFoto = label("ImgFoto");
    lblVersion = label("lblVersion");
    lblProductName = label("lblProductName");
    LblDate = label("LblDate");
    lblCopyright = label("lblCopyright");

    ImageLogo->setFixedSize(558, 168);
    ImageLogo->setScaledContents(true);
    ImgFoto->setFixedSize(304, 205);
    ImgFoto->setScaledContents(true);
    lblProductName->setFont(arial(16, true));
    lblVersion->setFont(arial(11));
    LblDate->setFont(arial(10));
    lblCopyright->setFont(arial(8));
    lblCopyright->setWordWrap(true);
    lblCopyright->setText(QStringLiteral(u"Copyright © Marquel. Designed and made by Marquel "
                                         u"for the measurement and control of processes."));
    for (QLabel *l : {lblVersion, lblProductName, LblDate, lblCopyright})
        l->setTextFormat(Qt::PlainText);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(16, 16, 16, 14);
    grid->setHorizontalSpacing(20);
    grid->setVerticalSpacing(6);
    grid->addWidget(ImageLogo, 0, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(ImgFoto, 1, 0, 5, 1, Qt::AlignTop);
    grid->addWidget(lblProductName, 1, 1);
    grid->addWidget(lblVersion, 2, 1);
    grid->addWidget(LblDate, 3, 1);
    grid->setRowStretch(4, 1);
    grid->addWidget(lblCopyright, 5, 1, Qt::AlignBottom);
    grid->setColumnMinimumWidth(1, 220);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    // Clicks on these close the window; the logo and the date only pass presses on.
    for (QLabel *l : {ImgFoto, lblVersion, lblProductName, lblCopyright, ImageLogo, LblDate})
        l->installEventFilter(this);
    connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded, this,
            &frmSplash::zetTeksten);
    Form_Load();
}

void frmSplash::Form_Load()
{
    ImageLogo->setPixmap(QPixmap(QStringLiteral(":/pictures/logo.png")));
    ImgFoto->setPixmap(QPixmap(QStringLiteral(":/pictures/photo.png")));
    zetTeksten();
    const QString file = ProgrammaBestand.isEmpty()
                             ? QCoreApplication::applicationDirPath() + QStringLiteral("/qlv2")
                             : ProgrammaBestand;
    const QString date = DatumTekst(file);
    if (!date.isEmpty())
        LblDate->setText(date);
    if (QWidget *main = MainLink::mainWindow()) {
        create();
        windowHandle()->setTransientParent(main->windowHandle());
    }
    m_muis = QPoint();
}

void frmSplash::zetTeksten()
{
    // Text 398 is empty in every language: no tool tips.
    for (QLabel *l : {ImageLogo, ImgFoto, lblVersion, lblProductName})
        l->setToolTip(Taaltekst(398));
    lblVersion->setText(VersieTekst());
    lblProductName->setText(QStringLiteral("QLV-2 ") + Taaltekst(239));
}

void frmSplash::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(90, 110, 140));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void frmSplash::mousePressEvent(QMouseEvent *event)
{
    m_muis = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QWidget::mousePressEvent(event);
}

void frmSplash::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - m_muis);
    QWidget::mouseMoveEvent(event);
}

void frmSplash::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    close();
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    // A press on a picture or a label is theirs: it starts no drag of the window.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove)
        return true;
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *l = qobject_cast<QLabel *>(watched);
        auto *me = static_cast<QMouseEvent *>(event);
        const bool closes = l == ImgFoto || l == lblVersion || l == lblProductName
                            || l == lblCopyright;
        if (closes && me->button() == Qt::LeftButton && l->rect().contains(me->position().toPoint())) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
