#include "core/shared.h"
#include "core/slots.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/sysinfo.h"
#include "mainwindow/wiring.h"
#include "support/language.h"
#include "views/table.h"

#include <QAction>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStandardPaths>
#include <QToolBar>
#include <QtTest>

using namespace Hoofdmodule;

namespace {
struct ProgramWindow : mdiQLV2 {
    ProgramWindow() { KoppelHoofdvenster(*this); }
};

QString folder() { return QStringLiteral(QLV2_BINARY_DIR "/pictures"); }

// The main window with one of its menus open below its title, as one picture.
QImage withMenu(mdiQLV2 &w, QMenu *menu)
{
    const QPixmap window = w.grab();
    QAction *title = menu->menuAction();
    const QRect at = w.menuBar()->actionGeometry(title);
    menu->popup(w.menuBar()->mapToGlobal(at.bottomLeft()));
    QTest::qWait(30);
    const QPixmap open = menu->grab();
    menu->hide();
    const QPoint origin = w.menuBar()->mapTo(&w, at.bottomLeft());
    QImage picture(qMax(window.width(), origin.x() + open.width()),
                   qMax(window.height(), origin.y() + open.height()), QImage::Format_ARGB32);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.drawPixmap(0, 0, window);
    p.drawPixmap(origin, open);
    return picture;
}
} // namespace

// Pictures of the main window with each menu open and of its toolbar, in English and Dutch,
// for a person to look at; and what can be checked of them without one.
class TestMenuPictures : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QDir().mkpath(folder());
        ResetToestellen();
        Toestel[1].Type = QStringLiteral("T512");
        Toestel[1].Idno = 1;
        Toestel[1].Kanalen = 2;
        Toestel[1].Actief = true;
    }

    void menus_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("code");
        QTest::newRow("English") << 0 << "en";
        QTest::newRow("Dutch") << 2 << "nl";
    }
    void menus()
    {
        QFETCH(int, language);
        QFETCH(QString, code);
        qint16 index = qint16(language);
        LaadTaal(index);
        ProgramWindow w;
        w.resize(900, 560);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        TabelVenster()->StelTabelIn(false);
        if (auto *sub = qobject_cast<QMdiSubWindow *>(TabelVenster()->parentWidget())) {
            sub->show();
            w.mdiArea()->setActiveSubWindow(sub);
        }
        for (QAction *title : w.menuBar()->actions()) {
            QMenu *menu = title->menu();
            if (!title->isVisible())
                continue;
            const QImage picture = withMenu(w, menu);
            QVERIFY(picture.save(folder() + "/menu-" + menu->objectName() + "-" + code + ".png"));
            // Every item's text and shortcut fit in the menu's width.
            const QFontMetrics metrics(menu->font());
            for (QAction *a : menu->actions()) {
                if (a->isSeparator() || !a->isVisible())
                    continue;
                QString text = a->text();
                text.remove(QLatin1Char('&'));
                const int need = metrics.horizontalAdvance(text)
                    + metrics.horizontalAdvance(a->shortcut().toString(QKeySequence::NativeText));
                QVERIFY2(menu->actionGeometry(a).width() > need, qPrintable(a->objectName()));
            }
        }
        QToolBar *bar = w.findChild<QToolBar *>("Toolbar");
        QVERIFY(bar->grab().save(folder() + "/toolbar-" + code + ".png"));
        SysteemInfoVenster *info = ToonSysteemInfo(&w);
        QVERIFY(info->grab().save(folder() + "/sysinfo-" + code + ".png"));
        info->close();
        index = 0;
        LaadTaal(index);
    }

    void shortcutsAreShown_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("keys");
        const char *rows[][2] = {{"mnuFileNew", "Ctrl+N"},   {"mnuFileOpen", "Ctrl+O"},
                                 {"mnuFileSaveAs", "Ctrl+W"}, {"mnuFileSettings", "Ctrl+U"},
                                 {"mnuFileSaveSettings", "Ctrl+S"}, {"mnuFilePrint", "Ctrl+P"},
                                 {"mnuFileExit", "Ctrl+X"},  {"mnuEditCopy", "Ctrl+C"},
                                 {"mnuEditInfo", "Ctrl+E"},  {"mnuDataMeasure", "Ctrl+M"},
                                 {"mnuDatalogging", "Ctrl+L"}, {"mnuWindowToolbar", "F5"},
                                 {"mnuHelpContents", "F1"},  {"mnuHelpInfo", "F2"}};
        for (auto &r : rows)
            QTest::newRow(r[0]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
    }
    void shortcutsAreShown()
    {
        QFETCH(QString, item);
        QFETCH(QString, keys);
        ProgramWindow w;
        QCOMPARE(w.menuItem(item)->shortcut(), QKeySequence(keys));
    }

    void toolbarPicturesDiffer()
    {
        ProgramWindow w;
        QList<QImage> seen;
        for (QAction *b : w.findChild<QToolBar *>("Toolbar")->actions()) {
            if (b->isSeparator())
                continue;
            const QImage image = b->icon().pixmap(24, 24).toImage();
            QVERIFY2(!image.isNull(), qPrintable(b->objectName()));
            QVERIFY2(!seen.contains(image), qPrintable(b->objectName() + " looks like another button"));
            seen << image;
        }
    }
};

QTEST_MAIN(TestMenuPictures)
#include "tst_menupictures.moc"
