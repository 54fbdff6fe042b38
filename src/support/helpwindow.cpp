#include "support/helpwindow.h"

#include "support/language.h"
#include "support/mainlink.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString MainTopic = QStringLiteral("main_window");

QString folderOf(qint16 language)
{
    static const char *const folders[] = {"en", "fr", "nl"};
    return QStringLiteral(":/help/") + QLatin1String(folders[language >= 0 && language <= 2 ? language : 0]);
}

// A page's language follows from the folder it lies in.
qint16 languageOfPage(const QString &page)
{
    for (qint16 l = 0; l <= 2; ++l)
        if (page.startsWith(folderOf(l) + QLatin1Char('/')))
            return l;
    return 0;
}

QString pathOf(const QUrl &url)
{
    return url.scheme() == QLatin1String("qrc") ? QLatin1Char(':') + url.path() : url.toString();
}

} // namespace

QString helpTopic(const QString &request)
{
    QString topic = request;
    const int marker = topic.lastIndexOf(QLatin1String("::"));
    if (marker >= 0)
        topic = topic.mid(marker + 2);
    topic = topic.section(QLatin1Char('#'), 0, 0);
    topic = topic.section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1).trimmed();
    if (topic.endsWith(QLatin1String(".html"), Qt::CaseInsensitive))
        topic.chop(5);
    else if (topic.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive))
        topic.chop(4);
    return topic;
}

QString helpPage(const QString &topic, qint16 language)
{
    MainLink::ensureResources();
    const QDir folder(folderOf(language));
    const QString wanted = helpTopic(topic);
    for (const QString &file : folder.entryList({QStringLiteral("*.htm")}, QDir::Files))
        if (QFileInfo(file).completeBaseName().compare(wanted, Qt::CaseInsensitive) == 0)
            return folder.filePath(file);
    return folder.filePath(MainTopic + QStringLiteral(".htm"));
}

qint16 helpLanguage()
{
    // Loading a language picks its help file; the pages follow the same choice.
    const QString file = HelpBestand();
    if (file.compare(QLatin1String("Qlv2FR.chm"), Qt::CaseInsensitive) == 0)
        return 1;
    if (file.compare(QLatin1String("Qlv2NL.chm"), Qt::CaseInsensitive) == 0)
        return 2;
    return 0;
}

void HelpBrowser::doSetSource(const QUrl &name, QTextDocument::ResourceType type)
{
    // Links point at topics of the same language; one that is not there leads home, not to an
    // empty page.
    QUrl target = name.path().isEmpty() ? name : source().resolved(name);
    const QString path = pathOf(target);
    if (path.startsWith(QLatin1String(":/")) && !QFile::exists(path))
        target = QUrl(QStringLiteral("qrc") + helpPage(QFileInfo(path).completeBaseName(), languageOfPage(path)));
    QTextBrowser::doSetSource(target, type);
}

HelpWindow &HelpWindow::instance()
{
    // No widget parent: help stays usable while a dialog has the main window disabled.
    static QPointer<HelpWindow> window;
    if (!window)
        window = new HelpWindow;
    return *window;
}

HelpWindow::HelpWindow()
{
    setObjectName(QStringLiteral("HelpWindow"));
    setAttribute(Qt::WA_QuitOnClose, false);
    auto *bar = new QHBoxLayout;
    auto button = [this, bar](const char *name, QStyle::StandardPixmap icon) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setIcon(style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        bar->addWidget(b);
        return b;
    };
    m_back = button("Back", QStyle::SP_ArrowBack);
    m_forward = button("Forward", QStyle::SP_ArrowForward);
    m_home = button("Home", QStyle::SP_DirHomeIcon);
    bar->addStretch();

    m_browser = new HelpBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_browser);

    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_home, &QToolButton::clicked, this, [this] {
        m_browser->setSource(QUrl(QStringLiteral("qrc") + helpPage(MainTopic, m_language)));
    });
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        setWindowTitle(m_browser->documentTitle());
    });
    connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded, this,
            &HelpWindow::languageLoaded);

    m_language = helpLanguage();
    labelButtons();
    resize(720, 560);
}

void HelpWindow::labelButtons()
{
    static const char *const texts[3][3] = {{"Back", "Forward", "Home"},
                                            {"Précédent", "Suivant", "Accueil"},
                                            {"Vorige", "Volgende", "Start"}};
    const auto &t = texts[m_language];
    m_back->setText(QString::fromUtf8(t[0]));
    m_forward->setText(QString::fromUtf8(t[1]));
    m_home->setText(QString::fromUtf8(t[2]));
}

QRect HelpPlace(const QRect &screen, const QRect &caller, const QSize &size)
{
    const QSize fitting = size.boundedTo(screen.size());
    const auto inside = [&screen](const QRect &r) { return screen.contains(r); };
    // Level with the caller where it can be, within the screen.
    const int top = qBound(screen.top(), caller.top(), screen.bottom() + 1 - fitting.height());
    const int left = qBound(screen.left(), caller.left(), screen.right() + 1 - fitting.width());
    for (const QRect &r : {QRect(QPoint(caller.right() + 1, top), fitting),
                           QRect(QPoint(caller.left() - fitting.width(), top), fitting),
                           QRect(QPoint(left, caller.bottom() + 1), fitting),
                           QRect(QPoint(left, caller.top() - fitting.height()), fitting)})
        if (inside(r))
            return r;
    // No room beside it: over the caller, on the screen.
    return QRect(QPoint(left, top), fitting);
}

void HelpWindow::loadTopic(const QString &topic)
{
    m_language = helpLanguage();
    labelButtons();
    m_browser->setSource(QUrl(QStringLiteral("qrc") + helpPage(topic, m_language)));
}

void HelpWindow::showTopic(const QString &topic)
{
    loadTopic(topic);
    if (!isVisible()) {
        // Opening: beside the window that asked, on its screen.
        QWidget *caller = QApplication::activeWindow();
        if (caller == this)
            caller = nullptr;
        QScreen *screen = caller ? caller->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            const QRect from = caller ? caller->frameGeometry() : QRect(area.center(), QSize(1, 1));
            // The frame the window manager adds is not known before the first show.
            const QSize frame = frameGeometry().size() - size();
            const QRect place = HelpPlace(area, from, size() + frame);
            resize(place.size() - frame);
            move(place.topLeft());
        }
    }
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void HelpWindow::languageLoaded()
{
    const qint16 language = helpLanguage();
    if (language == m_language)
        return;
    m_language = language;
    labelButtons();
    if (m_browser->source().isEmpty())
        return;
    // The same topic in the new language; the pages of the old one drop out of the history. A
    // window the user closed stays closed.
    const QString topic = QFileInfo(pathOf(m_browser->source())).completeBaseName();
    loadTopic(topic);
    m_browser->clearHistory();
}

void ToonHelp(const QString &topic)
{
    HelpWindow::instance().showTopic(topic);
}
