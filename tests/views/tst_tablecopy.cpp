#include "fixture.h"

#include "core/shared.h"
#include "core/slots.h"
#include "platform/grid.h"
#include "support/language.h"
#include "views/table.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QtTest>

using namespace Hoofdmodule;

// Edit > Copy on the table window: the selected cells as tab-separated text.
class TestTableCopy : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        qint16 english = 0;
        LaadTaal(english);
    }
    void init() { resetViews(); }

    void copy_data()
    {
        QTest::addColumn<QList<int>>("selection"); // row, col, rowSel, colSel
        QTest::addColumn<QString>("expected");
        QTest::newRow("2 rows by 3 columns, an empty middle cell")
            << QList<int>{1, 11, 2, 13} << "a\t \tc\r\nd\te\tf\r\n";
        QTest::newRow("selected from the far corner") << QList<int>{2, 13, 1, 11}
                                                      << "a\t \tc\r\nd\te\tf\r\n";
        QTest::newRow("one cell") << QList<int>{2, 12, 2, 12} << "e\r\n";
        QTest::newRow("one empty cell") << QList<int>{1, 12, 1, 12} << " \r\n";
    }
    void copy()
    {
        QFETCH(QList<int>, selection);
        QFETCH(QString, expected);
        configureSlot(2, 2);
        frmTabel table;
        table.StelTabelIn(true);
        GridData &grid = table.gridData(1);
        grid.setRows(3);
        const char *cells[2][3] = {{"a", "", "c"}, {"d", "e", "f"}};
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                grid.setTextMatrix(r + 1, 11 + c, QString::fromLatin1(cells[r][c]));
        grid.setSelection(selection[0], selection[1], selection[2], selection[3]);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        table.CopyElementen(1);
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    }
};

QTEST_MAIN(TestTableCopy)
#include "tst_tablecopy.moc"
