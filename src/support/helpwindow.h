#pragma once
#include <QRect>
#include <QTextBrowser>
#include <QWidget>
#include <QtGlobal>

class QToolButton;

// The program's help: HTML pages per language in the resources, shown in a window of our own.
// Callers name a topic the way the help file did ("::/Settings.htm"), optionally behind the help
// command of the language, or plainly ("Settings").

// Opens the help window (one for the whole program) at the topic, in the loaded language.
void ToonHelp(const QString &topic);

// Where the help window goes when it opens: beside the window that asked for it (right, else
// left, else below, else above) where the screen has room, so the caller's buttons stay in
// sight; else over it, but always on the screen.
QRect HelpPlace(const QRect &screen, const QRect &caller, const QSize &size);

// The bare topic name of a request: "C:\x\Qlv2EN.chm::/Settings.htm" -> "Settings".
QString helpTopic(const QString &request);
// The resource of a topic in a language (0 English, 1 French, 2 Dutch), matched without regard to
// case; the main page when the language has no such topic.
QString helpPage(const QString &topic, qint16 language);
// The language whose texts are loaded now.
qint16 helpLanguage();

// Keeps a missing page from showing as an empty or broken page: it shows the main page instead.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    using QTextBrowser::QTextBrowser;

protected:
    void doSetSource(const QUrl &name, QTextDocument::ResourceType type) override;
};

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // The one help window, made on first use.
    static HelpWindow &instance();
    // Shows the topic in the loaded language and brings the window forward.
    void showTopic(const QString &topic);

    HelpBrowser *browser() const { return m_browser; }
    QToolButton *backButton() const { return m_back; }
    QToolButton *forwardButton() const { return m_forward; }
    QToolButton *homeButton() const { return m_home; }

private:
    HelpWindow();
    void languageLoaded();
    void loadTopic(const QString &topic);
    void labelButtons();

    HelpBrowser *m_browser = nullptr;
    QToolButton *m_back = nullptr;
    QToolButton *m_forward = nullptr;
    QToolButton *m_home = nullptr;
    qint16 m_language = 0;
};
