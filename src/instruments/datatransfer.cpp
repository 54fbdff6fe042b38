#include "instruments/datatransfer.h"

#include "core/shared.h"
#include "support/mainlink.h"
#include "support/wrappers.h"

#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMovie>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVBoxLayout>
#include <QWindow>

namespace {
QPointer<FormDataTransfer> theWindow;
}

QString AnimatieBron(int nr) { return QStringLiteral(":/animations/%1.gif").arg(nr); }

FormDataTransfer &FormDataTransfer::instance()
{
    if (!theWindow) {
        MainLink::ensureResources();
        theWindow = new FormDataTransfer;
    }
    return *theWindow;
}

FormDataTransfer *FormDataTransfer::bestaand() { return theWindow; }

FormDataTransfer::FormDataTransfer() : QWidget(nullptr, Qt::Dialog)
{
    setObjectName(QStringLiteral("FormDataTransfer"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowIcon(QIcon(AnimatieBron(107)));

    m_animation = new QLabel(this);
    m_animation->setObjectName(QStringLiteral("Animation1"));
    m_animation->setFixedSize(96, 64);
    m_animation->setAlignment(Qt::AlignCenter);
    m_movie = new QMovie(this);
    m_movie->setCacheMode(QMovie::CacheAll);
    m_animation->setMovie(m_movie);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("LabelActie"));
    m_label->setWordWrap(true);
    m_label->setMinimumWidth(260);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("TextActie"));
    m_text->setReadOnly(true);
    m_text->setUndoRedoEnabled(false);
    m_text->setFixedHeight(m_text->fontMetrics().lineSpacing() * 3 + 12);

    auto *top = new QHBoxLayout;
    top->addWidget(m_animation, 0, Qt::AlignTop);
    top->addWidget(m_label, 1);
    auto *column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(m_text);
    resize(420, 170);
}

FormDataTransfer::~FormDataTransfer()
{
    // A window destroyed while loaded leaves nothing disabled behind it.
    if (m_loaded)
        Form_Unload();
}

void FormDataTransfer::LaadVideo(qint16 Nr)
{
    VideoNr = Nr;
    m_movie->stop();
    const QString source = AnimatieBron(Nr);
    if (!QFile::exists(source)) {
        m_animation->hide();
        return;
    }
    m_movie->setFileName(source);
    if (!m_movie->isValid()) {
        m_animation->hide();
        return;
    }
    m_animation->show();
    m_movie->start();
}

void FormDataTransfer::Form_Load()
{
    m_loaded = true;
    m_text->clear();
    if (QWidget *main = MainLink::mainWindow()) {
        m_mainWasEnabled = main->isEnabled();
        // Its own window is not disabled with the main one: it has no widget parent.
        create();
        windowHandle()->setTransientParent(main->windowHandle());
        main->setEnabled(false);
    }
    ZetVensterBovenaan(this);
    LaadVideo(VideoNr);
}

void FormDataTransfer::Form_Unload()
{
    m_loaded = false;
    Hoofdmodule::OntvangenActief = false;
    Hoofdmodule::TransferActief = false;
    m_movie->stop();
    if (QWidget *main = MainLink::mainWindow())
        main->setEnabled(m_mainWasEnabled);
    ZetVensterNormaal(this);
    emit ontladen();
}

void FormDataTransfer::Tonen()
{
    if (!m_loaded)
        Form_Load();
    show();
    raise();
}

void FormDataTransfer::Sluiten()
{
    if (isVisible()) {
        close();
        return;
    }
    if (m_loaded)
        Form_Unload();
}

void FormDataTransfer::closeEvent(QCloseEvent *event)
{
    if (m_loaded)
        Form_Unload();
    event->accept();
}
