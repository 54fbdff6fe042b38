// Filling a grid in one go (a file load): the views hear nothing per row, and everything at the
// end, so that a grid shown after the load shows what was written.
#include "platform/grid.h"

#include <QSignalSpy>
#include <QtTest>

class TestGridFill : public QObject {
    Q_OBJECT
private slots:
    void viewsToldOnceAtTheEnd()
    {
        GridData g;
        g.setCols(4);
        g.setRows(6);
        QSignalSpy changed(&g, &QAbstractItemModel::dataChanged);
        QSignalSpy moved(&g, &GridData::selectionMoved);
        g.beginFill();
        const QStringView cells[] = {u"2", u"x", u"1.5", u" "};
        g.setRowTexts(2, 0, cells, 0);
        g.setRow(2);
        g.setRowTexts(4, 0, cells, 0);
        g.setRow(4);
        g.setTextMatrix(3, 1, QStringLiteral("y"));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(moved.count(), 0);
        QCOMPARE(g.textMatrix(4, 2), QStringLiteral("1.5")); // the store is up to date at once
        g.endFill();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 1); // model rows: grid row - 1
        QCOMPARE(changed[0][1].toModelIndex().row(), 3);
        QCOMPARE(changed[0][1].toModelIndex().column(), 3);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(g.row(), 4);
        // Afterwards every change is told again as it happens.
        g.setTextMatrix(5, 1, QStringLiteral("z"));
        QCOMPARE(changed.count(), 2);
    }

    void nothingToldForRowsDroppedOrNotChanged()
    {
        GridData g;
        g.setCols(3);
        g.setRows(10);
        QSignalSpy changed(&g, &QAbstractItemModel::dataChanged);
        QSignalSpy moved(&g, &GridData::selectionMoved);
        g.beginFill();
        g.endFill();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(moved.count(), 0);

        g.beginFill();
        const QStringView cells[] = {u"8", u"a", u"b"};
        g.setRowTexts(8, 0, cells, 0);
        g.setRows(5); // row 8 goes before the views hear of it
        g.endFill();
        QCOMPARE(changed.count(), 0);
    }
};

QTEST_MAIN(TestGridFill)
#include "tst_gridfill.moc"
