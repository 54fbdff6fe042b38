// Pictures of the graph settings dialog's four tabs and of the line-source dialog in English,
// French and Dutch (build/pictures/graphsettings-*.png), with a check that every caption, every
// cell of the curves grid and the line-source dialog's title fit.
#include "graphdialogsupport.h"

#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "graph/curvesgrid.h"
#include "graph/graphsettingsdialog.h"
#include "graph/graphsettingsrules.h"
#include "graph/linesourcedialog.h"
#include "support/language.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

using namespace Hoofdmodule;

namespace {

QString folder() { return QStringLiteral(QLV2_BINARY_DIR "/pictures"); }

// Buttons, check boxes and labels whose text does not fit them.
QStringList misfits(QWidget *window)
{
    QStringList bad;
    for (QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
        if (!b->isVisibleTo(window) || b->text().isEmpty())
            continue;
        if (b->sizeHint().width() > b->width())
            bad << QStringLiteral("%1 \"%2\"").arg(b->objectName(), b->text());
    }
    for (QLabel *l : window->findChildren<QLabel *>()) {
        if (!l->isVisibleTo(window) || l->text().isEmpty())
            continue;
        if (l->sizeHint().width() > l->width())
            bad << QStringLiteral("%1 \"%2\"").arg(l->objectName(), l->text());
    }
    return bad;
}

// Cells of the curves grid whose text does not fit the cell, and columns the grid cannot show
// without scrolling sideways.
QStringList cellMisfits(CurveLijnenGrid *grid)
{
    QStringList bad;
    for (int c = 0; c < grid->columnCount(); ++c)
        for (int r = 0; r < grid->rowCount(); ++r) {
            const QTableWidgetItem *item = grid->item(r, c);
            if (!item || item->text().isEmpty())
                continue;
            const QModelIndex index = grid->model()->index(r, c);
            const int need = grid->itemDelegateForIndex(index)
                                 ->sizeHint(QStyleOptionViewItem(), index).width();
            if (need > grid->columnWidth(c))
                bad << QStringLiteral("cell (%1, %2) \"%3\": %4 > %5")
                           .arg(r).arg(c).arg(item->text()).arg(need).arg(grid->columnWidth(c));
        }
    if (grid->horizontalScrollBar()->maximum() > 0)
        bad << QStringLiteral("the columns are wider than the grid");
    return bad;
}

// A window title that cannot be read whole beside the frame's icon and buttons.
QString titleMisfit(const QWidget *window)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true); // as many frames draw it
    const QFontMetrics title(font);
    const int frame = 4 * window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    const int need = title.horizontalAdvance(window->windowTitle()) + frame;
    if (need <= window->width())
        return QString();
    return QStringLiteral("title \"%1\": %2 > %3").arg(window->windowTitle()).arg(need).arg(window->width());
}


} // namespace

class TestGraphPictures : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QLocale::setDefault(QLocale::c());
        QDir().mkpath(folder());
        // Named as the program names a new controller: model and address.
        makeSlot(2, QStringLiteral("T5781 #020"), 4);
        Toestel[2].Type = QStringLiteral("T5781");
        Toestel[2].Idno = 20;
        makeSlot(3, QStringLiteral("T542 #003"), 2);
    }

    void pictures_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("code");
        QTest::newRow("English") << 0 << "en";
        QTest::newRow("French") << 1 << "fr";
        QTest::newRow("Dutch") << 2 << "nl";
    }
    void pictures()
    {
        QFETCH(int, language);
        QFETCH(QString, code);
        qint16 index = qint16(language);
        LaadTaal(index);
        const auto english = qScopeGuard([] { qint16 first = 0; LaadTaal(first); });

        WindowSettings::reset();
        GraphSettings &g = WindowSettings::graph[1];
        g.resetToLoadDefaults(1);
        g.caption = StandaardGrafiekTitel(1, true);
        g.XYrecorder = true;
        g.RecorderTussentijd = 30;
        g.AlarmHoog = true;
        g.AlarmHoogWaarde = 80;
        g.AlarmLaagWaarde = 20;
        g.SchrijfGrafiekLijnRef(1, 1, 3);
        g.SchrijfGrafiekLijnRef(1, 2, 1);
        g.SchrijfGrafiekLijnRef(1, 4, 1);
        g.SchrijfGrafiekLijnRef(2, 1, 3);
        g.SchrijfGrafiekLijnRef(2, 2, 2);
        g.SchrijfGrafiekLijnRef(2, 5, 1);
        g.SchrijfGrafiekLijnRef(4, 1, 2);
        g.SchrijfGrafiekLijnRef(4, 2, 4);

        QStringList bad;
        QTimer::singleShot(0, qApp, [&] {
            frmGrafiekInstellen *d = frmGrafiekInstellen::geopend();
            QVERIFY(d);
            for (int tab = 0; tab < 4; ++tab) {
                d->SSTab->setCurrentIndex(tab);
                if (tab == 3)
                    d->MSHFlexCurveLijnen->setCurrentCell(2, CurveLijnenGrid::KolomKleur);
                QVERIFY(d->grab().save(
                    QStringLiteral("%1/graphsettings-tab%2-%3.png").arg(folder()).arg(tab).arg(code)));
                for (const QString &m : misfits(d))
                    bad << QStringLiteral("tab %1: %2").arg(tab).arg(m);
            }
            for (const QString &m : cellMisfits(d->MSHFlexCurveLijnen))
                bad << QStringLiteral("curves grid: %1").arg(m);
            // The line-source dialog of line 3 (which starts on line 2's controller).
            QTimer::singleShot(0, qApp, [&] {
                DialogInputGrafiekElement *source = openLineSource();
                QVERIFY(source);
                source->ListInputs->setCurrentIndex(1);
                QVERIFY(source->grab().save(
                    QStringLiteral("%1/linesource-%2.png").arg(folder(), code)));
                for (const QString &m : misfits(source))
                    bad << QStringLiteral("line source: %1").arg(m);
                if (const QString m = titleMisfit(source); !m.isEmpty())
                    bad << QStringLiteral("line source: %1").arg(m);
                source->CancelButton->click();
            });
            d->MSHFlexCurveLijnen->Klik(3, CurveLijnenGrid::KolomBron);
            d->CmdCancel->click();
        });
        ToonGrafiekInstellingen(1, nullptr, 0);
        QVERIFY2(bad.isEmpty(), qPrintable(bad.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(TestGraphPictures)
#include "tst_graphpictures.moc"
