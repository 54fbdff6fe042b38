#include "support/helpwindow.h"
#include "support/language.h"

#include <QDir>
#include <QTextDocument>
#include <QToolButton>
#include <QtTest>

namespace {

void loadLanguage(int language)
{
    qint16 index = qint16(language);
    LaadTaal(index);
}

QString shownPage()
{
    const QUrl source = HelpWindow::instance().browser()->source();
    return source.path().section(QLatin1Char('/'), -2);
}

QString heading()
{
    return HelpWindow::instance().browser()->document()->toPlainText().section(QLatin1Char('\n'), 1, 1);
}

void click(QToolButton *button)
{
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestHelpWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { loadLanguage(0); }

    void topicNames_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("topic");
        QTest::newRow("help command") << "/opt/qlv2/Qlv2EN.chm::/Settings.htm" << "Settings";
        QTest::newRow("windows path") << "C:\\Qlv2\\Qlv2FR.chm::/graph_settings.htm" << "graph_settings";
        QTest::newRow("bare topic") << "::/print_window.htm" << "print_window";
        QTest::newRow("plain name") << "SettingsDevice" << "SettingsDevice";
        QTest::newRow("with anchor") << "::/main_window.htm#menus" << "main_window";
        QTest::newRow("empty") << "" << "";
    }
    void topicNames()
    {
        QFETCH(QString, request);
        QFETCH(QString, topic);
        QCOMPARE(helpTopic(request), topic);
    }

    // Every language has every topic; a page's title and first heading say what it is about.
    void opensAtEachTopic_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("title");
        const char *const folders[] = {"en", "fr", "nl"};
        const QStringList titles[] = {
            {"The main window", "General settings", "Controller settings", "Graph settings", "Printing"},
            {"La fenêtre principale", "Paramètres généraux", "Paramètres du régulateur",
             "Paramètres du graphique", "Impression"},
            {"Het hoofdvenster", "Algemene instellingen", "Instellingen van de regelaar",
             "Instellingen van de grafiek", "Afdrukken"}};
        const QStringList topics = {"main_window", "Settings", "SettingsDevice", "graph_settings",
                                    "print_window"};
        for (int l = 0; l < 3; ++l)
            for (int t = 0; t < topics.size(); ++t)
                QTest::addRow("%s %s", folders[l], qPrintable(topics[t]))
                    << l << topics[t] << titles[l][t];
    }
    void opensAtEachTopic()
    {
        QFETCH(int, language);
        QFETCH(QString, topic);
        QFETCH(QString, title);
        loadLanguage(language);
        ToonHelp(HelpCommando() + "::/" + topic + ".htm");
        HelpWindow &w = HelpWindow::instance();
        QVERIFY(w.isVisible());
        const char *const folders[] = {"en", "fr", "nl"};
        QCOMPARE(shownPage(), QString(folders[language]) + "/" + topic + ".htm");
        QCOMPARE(w.browser()->documentTitle(), title);
        QCOMPARE(w.windowTitle(), title);
        QCOMPARE(heading(), title);
    }

    // Every link of every page leads to a page of the same language that exists.
    void linksLeadToPagesOfTheirLanguage_data()
    {
        QTest::addColumn<QString>("page");
        for (const char *folder : {"en", "fr", "nl"})
            for (const QString &file : QDir(QString(":/help/") + folder).entryList({"*.htm"}))
                QTest::newRow(qPrintable(QString(folder) + "/" + file))
                    << QString(":/help/") + folder + "/" + file;
    }
    void linksLeadToPagesOfTheirLanguage()
    {
        QFETCH(QString, page);
        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QRegularExpression link("href=\"([^\"]+)\"");
        int links = 0;
        for (const QRegularExpressionMatch &m : link.globalMatch(text)) {
            ++links;
            const QString target = QFileInfo(page).path() + "/" + m.captured(1);
            QVERIFY2(QFile::exists(target), qPrintable(target));
        }
        QVERIFY2(links >= 4, "each page leads to the other topics");
    }

    void followsLinksBackAndForward()
    {
        ToonHelp("::/main_window.htm");
        HelpWindow &w = HelpWindow::instance();
        w.browser()->clearHistory();
        QVERIFY(!w.backButton()->isEnabled());
        w.browser()->setSource(QUrl("Settings.htm"));
        QCOMPARE(shownPage(), "en/Settings.htm");
        w.browser()->setSource(QUrl("SettingsDevice.htm"));
        QCOMPARE(shownPage(), "en/SettingsDevice.htm");
        click(w.backButton());
        QCOMPARE(shownPage(), "en/Settings.htm");
        click(w.backButton());
        QCOMPARE(shownPage(), "en/main_window.htm");
        QVERIFY(!w.backButton()->isEnabled());
        click(w.forwardButton());
        QCOMPARE(shownPage(), "en/Settings.htm");
        click(w.forwardButton());
        QCOMPARE(shownPage(), "en/SettingsDevice.htm");
        QVERIFY(!w.forwardButton()->isEnabled());
        click(w.homeButton());
        QCOMPARE(shownPage(), "en/main_window.htm");
    }

    // A click on a link in the page itself, as the user does it.
    void clickOnALink()
    {
        ToonHelp("::/Settings.htm");
        HelpWindow &w = HelpWindow::instance();
        QTextDocument *doc = w.browser()->document();
        const QTextCursor found = doc->find("controller settings");
        QVERIFY(!found.isNull());
        QTextCursor at(doc);
        at.setPosition(found.selectionStart() + 2);
        QVERIFY(at.charFormat().isAnchor());
        QTRY_VERIFY(w.isVisible());
        w.browser()->ensureCursorVisible();
        QTextCursor keep = w.browser()->textCursor();
        w.browser()->setTextCursor(at);
        const QRect r = w.browser()->cursorRect();
        w.browser()->setTextCursor(keep);
        QTest::mouseClick(w.browser()->viewport(), Qt::LeftButton, {}, r.center() + QPoint(2, 0));
        QTRY_COMPARE(shownPage(), "en/SettingsDevice.htm");
    }

    void unknownTopicShowsTheMainPage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("page");
        QTest::newRow("unknown") << 0 << "::/no_such_window.htm" << "en/main_window.htm";
        QTest::newRow("empty") << 1 << "" << "fr/main_window.htm";
        QTest::newRow("other case") << 2 << "::/settings.HTM" << "nl/Settings.htm";
    }
    void unknownTopicShowsTheMainPage()
    {
        QFETCH(int, language);
        QFETCH(QString, request);
        QFETCH(QString, page);
        loadLanguage(language);
        ToonHelp(request);
        QCOMPARE(shownPage(), page);
        QVERIFY(!HelpWindow::instance().browser()->document()->isEmpty());
    }

    void missingLinkShowsTheMainPage()
    {
        ToonHelp("::/Settings.htm");
        HelpWindow &w = HelpWindow::instance();
        w.browser()->setSource(QUrl("missing.htm"));
        QCOMPARE(shownPage(), "en/main_window.htm");
    }

    void languageSwitchReloads()
    {
        ToonHelp("::/graph_settings.htm");
        HelpWindow &w = HelpWindow::instance();
        QCOMPARE(w.backButton()->text(), "Back");
        loadLanguage(2);
        QCOMPARE(shownPage(), "nl/graph_settings.htm");
        QCOMPARE(w.windowTitle(), "Instellingen van de grafiek");
        QCOMPARE(w.backButton()->text(), "Vorige");
        // The English pages are gone from the history: back does not mix languages.
        QVERIFY(!w.backButton()->isEnabled());
        w.browser()->setSource(QUrl("print_window.htm"));
        QCOMPARE(shownPage(), "nl/print_window.htm");
        loadLanguage(1);
        QCOMPARE(shownPage(), "fr/print_window.htm");
        QCOMPARE(w.homeButton()->text(), "Accueil");
        click(w.homeButton());
        QCOMPARE(shownPage(), "fr/main_window.htm");
    }

    // A help window the user closed does not come back when the language is switched; it
    // opens in the new language when asked for again.
    void closedWindowStaysClosedAtALanguageSwitch()
    {
        ToonHelp("::/Settings.htm");
        HelpWindow &w = HelpWindow::instance();
        QVERIFY(w.isVisible());
        w.close();
        loadLanguage(2);
        QVERIFY(!w.isVisible());
        QCOMPARE(shownPage(), "nl/Settings.htm");
        ToonHelp("::/Settings.htm");
        QVERIFY(w.isVisible());
    }

    // Beside the caller where there is room, so its buttons stay in sight; always on the screen.
    void placeBesideTheCaller_data()
    {
        QTest::addColumn<QRect>("caller");
        QTest::addColumn<QRect>("place");
        const QSize help(700, 500);
        QTest::newRow("room on the right") << QRect(100, 100, 400, 300) << QRect(QPoint(500, 100), help);
        QTest::newRow("room on the left") << QRect(1000, 100, 500, 300) << QRect(QPoint(300, 100), help);
        QTest::newRow("only below") << QRect(400, 50, 1000, 300) << QRect(QPoint(400, 350), help);
        QTest::newRow("low caller, kept on the screen")
            << QRect(100, 800, 400, 250) << QRect(QPoint(500, 580), help);
        QTest::newRow("no room: over it, on the screen")
            << QRect(0, 0, 1600, 1080) << QRect(QPoint(0, 0), help);
    }
    void placeBesideTheCaller()
    {
        QFETCH(QRect, caller);
        QFETCH(QRect, place);
        const QRect screen(0, 0, 1600, 1080);
        QCOMPARE(HelpPlace(screen, caller, QSize(700, 500)), place);
        QCOMPARE(HelpPlace(screen, caller, QSize(2000, 1500)).size(), screen.size());
    }

    void looksRight()
    {
        ToonHelp("::/main_window.htm");
        HelpWindow &w = HelpWindow::instance();
        const QImage image = w.grab().toImage();
        QVERIFY(!image.isNull());
        const QString dir = QStringLiteral(QLV2_BINARY_DIR) + "/test-output";
        QDir().mkpath(dir);
        QVERIFY(image.save(dir + "/helpwindow.png"));
    }
};

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
