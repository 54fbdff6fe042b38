#include "platform/grid.h"
#include "platform/pump.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

class TestGrid : public QObject {
    Q_OBJECT
private slots:
    void texts_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << 3 << "";
        QTest::newRow("blank") << 3 << " ";
        QTest::newRow("number") << 3 << "-12.50";
        QTest::newRow("row number") << 0 << "5";
        QTest::newRow("other number in column 0") << 0 << "7";
        QTest::newRow("row number with a leading zero") << 0 << "05";
        QTest::newRow("row number with a sign") << 0 << "+5";
        QTest::newRow("shared unit") << 4 << "°C";
        QTest::newRow("non-ASCII with digits") << 13 << "µ 12 Ω";
        QTest::newRow("long ASCII") << 13 << QString(300, QLatin1Char('x')) + "1";
    }
    void texts()
    {
        QFETCH(int, col);
        QFETCH(QString, text);
        GridData g;
        g.setCols(14);
        g.setRows(10);
        g.setTextMatrix(4, 4, QStringLiteral("°C"));
        g.setTextMatrix(5, col, text);
        g.setTextMatrix(6, 4, QStringLiteral("°C"));
        QCOMPARE(g.textMatrix(5, col), text);
        QCOMPARE(g.textMatrix(4, 4), QStringLiteral("°C"));
        QCOMPARE(g.textMatrix(6, 4), QStringLiteral("°C"));
        // Editing an older row keeps the rows after it.
        g.setTextMatrix(4, 5, QStringLiteral("x"));
        QCOMPARE(g.textMatrix(5, col), text);
        QCOMPARE(g.textMatrix(4, 4), QStringLiteral("°C"));
    }

    // A text longer than a cell shows is kept whole (a save writes what was read), also when
    // other cells of its row change; the view shows its start.
    void overlongCellIsKeptWhole()
    {
        GridData g;
        g.setCols(3);
        g.setRows(3);
        const QString text(100000, QLatin1Char('7'));
        g.setTextMatrix(1, 2, text);
        g.setTextMatrix(1, 1, QStringLiteral("x"));
        g.setTextMatrix(2, 2, QStringLiteral("y"));
        QCOMPARE(g.textMatrix(1, 2), text);
        QCOMPARE(g.textMatrix(1, 1), QStringLiteral("x"));
        QCOMPARE(g.data(g.index(0, 2), Qt::DisplayRole).toString(), text.left(4096));
        g.setRows(1);
        g.setRows(3);
        QCOMPARE(g.textMatrix(1, 2), QString());
    }

    void rowsAndTimes()
    {
        GridData g;
        g.setCols(14);
        g.setRows(2);
        const QDateTime t(QDate(2026, 3, 29), QTime(2, 30, 5));
        std::array<QString, 14> cells;
        cells[0] = QStringLiteral("1");
        cells[3] = QStringLiteral("1.5");
        g.setTimeRenderer([](const QDateTime &m, int col) {
            return col == 1 ? m.date().toString(Qt::ISODate) : m.time().toString();
        });
        g.setRowTexts(1, t, cells, 0b110);
        QCOMPARE(g.rowTime(1), t);
        QCOMPARE(g.textMatrix(1, 1), QStringLiteral("2026-03-29"));
        QCOMPARE(g.textMatrix(1, 2), QStringLiteral("02:30:05"));
        QCOMPARE(g.appendNumberedRow(), 2);
        QCOMPARE(g.textMatrix(2, 0), QStringLiteral("2"));
        QVERIFY(!g.rowTime(2).isValid());
        // Growing the column count keeps what rows hold.
        g.setCols(16);
        QCOMPARE(g.textMatrix(1, 3), QStringLiteral("1.5"));
        QCOMPARE(g.textMatrix(1, 2), QStringLiteral("02:30:05"));
        g.clearTexts();
        QCOMPARE(g.rows(), 3);
        QCOMPARE(g.textMatrix(1, 3), QString());
    }

    void compactRows()
    {
        GridStore store(14);
        store.resize(100000);
        std::array<QString, 14> cells;
        for (qint32 r = 0; r < 100000; ++r) {
            cells[0] = QString::number(r + 1);
            for (int k = 0; k < 4; ++k) {
                cells[size_t(3 + 2 * k)] = QString::number(20.0 + (r % 1000) / 10.0, 'f', 1);
                cells[size_t(4 + 2 * k)] = QStringLiteral("°C");
            }
            cells[12] = QStringLiteral("----");
            store.setRow(r, GridStore::wallMs(QDateTime::currentDateTime()), cells, 0b110);
        }
        QVERIFY2(store.bytesUsed() / 100000 < 100, qPrintable(QString::number(store.bytesUsed())));
        QCOMPARE(store.text(99999, 0), QStringLiteral("100000"));
        QCOMPARE(store.text(12345, 6), QStringLiteral("°C"));
    }

    // Rows appended in a burst reach the views together at the next turn of the event loop;
    // the grid itself holds them at once.
    void appendedRowsReachViewsTogether()
    {
        GridData g;
        g.setCols(3);
        g.setRows(2);
        QAbstractItemModelTester tester(&g, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTableView view;
        view.setModel(&g);
        QSignalSpy inserted(&g, &QAbstractItemModel::rowsInserted);
        for (int i = 0; i < 100; ++i)
            g.appendNumberedRow();
        g.setTextMatrix(50, 1, QStringLiteral("x"));
        QCOMPARE(g.rows(), 102);
        QCOMPARE(g.textMatrix(101, 0), QStringLiteral("101"));
        QCOMPARE(g.textMatrix(50, 1), QStringLiteral("x"));
        Pump::once();
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(view.model()->rowCount(), 101);
        QCOMPARE(view.model()->index(49, 1).data().toString(), QStringLiteral("x"));
        QCOMPARE(view.model()->index(100, 0).data().toString(), QStringLiteral("101"));
        // Rows still on their way when the grid shrinks or is cleared.
        g.appendNumberedRow();
        g.appendNumberedRow();
        g.setRows(50);
        QCOMPARE(view.model()->rowCount(), 49);
        g.appendNumberedRow();
        g.clearTexts();
        QCOMPARE(view.model()->rowCount(), 50);
        Pump::once();
        QCOMPARE(view.model()->rowCount(), 50);
        QCOMPARE(g.textMatrix(50, 0), QString());
    }

    // A grid that is not on screen (another tab) is told of its new rows when it is shown,
    // all at once, and not with every record meanwhile.
    void hiddenGridGetsRowsWhenShown()
    {
        Grid grid;
        GridData &g = grid.data();
        g.setCols(4);
        g.setRows(2);
        grid.resize(300, 200);
        QSignalSpy inserted(&g, &QAbstractItemModel::rowsInserted);
        for (int shown = 0; shown < 2; ++shown) {
            for (int i = 0; i < 20; ++i) {
                g.appendNumberedRow();
                Pump::once();
            }
            QCOMPARE(inserted.count(), shown);
            grid.show();
            QCOMPARE(inserted.count(), shown + 1);
            QCOMPARE(grid.model()->rowCount(), g.rows() - 1);
            QCOMPARE(grid.model()->index(g.rows() - 2, 0).data().toString(),
                     QString::number(g.rows() - 1));
            grid.hide();
        }
    }

    // A record adds a row, selects it and scrolls to it, as the table does: the rows already on
    // screen are not painted again, only what is new (the row, the selection, what scrolled in).
    void recordRepaintsOnlyWhatIsNew_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("rows fit") << 3;
        QTest::newRow("view scrolls") << 60;
    }
    void recordRepaintsOnlyWhatIsNew()
    {
        QFETCH(int, rows);
        Grid grid;
        GridData &g = grid.data();
        g.setCols(4);
        g.setRows(2);
        grid.resize(300, 200);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const auto record = [&] {
            const qint32 r = g.rows() - 1;
            g.setTextMatrix(r, 1, QStringLiteral("x%1").arg(r));
            g.setRow(r);
            g.appendNumberedRow();
            grid.setTopRow(r);
        };
        for (int i = 0; i < rows; ++i)
            record();
        QTest::qWait(50);
        struct Painted : QObject {
            QRegion region;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    region += static_cast<QPaintEvent *>(event)->region();
                return false;
            }
        } painted;
        grid.viewport()->installEventFilter(&painted);
        const int rowHeight = grid.rowHeight(0);
        record();
        QTest::qWait(50);
        QVERIFY(!painted.region.isEmpty());
        // Nothing above the row before the new one is painted again.
        const int oldRows = grid.rowViewportPosition(g.rows() - 4);
        QVERIFY2(!painted.region.intersects(QRect(0, 0, grid.viewport()->width(), oldRows)),
                 qPrintable(QStringLiteral("painted down from %1, old rows end at %2")
                                .arg(painted.region.boundingRect().top()).arg(oldRows)));
        QVERIFY(painted.region.boundingRect().height() <= 3 * rowHeight);
        QCOMPARE(grid.topRow() > 1, rows > 10);
        QCOMPARE(grid.model()->rowCount(), g.rows() - 1);
    }

    // A grid on screen scrolls to and selects a row it has just been given.
    void newRowSelectedAndScrolledTo()
    {
        Grid grid;
        GridData &g = grid.data();
        g.setCols(4);
        g.setRows(2);
        grid.resize(300, 200);
        grid.show();
        Pump::once();
        for (int i = 0; i < 200; ++i)
            g.appendNumberedRow();
        g.setRow(150);
        grid.setTopRow(150);
        QCOMPARE(grid.topRow(), 150);
        QCOMPARE(grid.selectionModel()->currentIndex().row(), 149);
        Pump::once();
        QCOMPARE(grid.topRow(), 150);
    }

    void selection_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("rowSel");
        QTest::addColumn<int>("colSel");
        QTest::newRow("downwards") << 2 << 3 << 5 << 6;
        QTest::newRow("upwards") << 5 << 6 << 2 << 3;
        QTest::newRow("one cell") << 4 << 4 << 4 << 4;
    }
    void selection()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(int, rowSel);
        QFETCH(int, colSel);
        Grid grid;
        GridData &g = grid.data();
        g.setCols(8);
        g.setRows(10);
        grid.resize(700, 300); // every cell clickable, none under the fixed column
        grid.show();
        g.setSelection(row, col, rowSel, colSel);
        Pump::once();
        // The view shows the rectangle, with the cursor at the far corner.
        const QModelIndexList shown = grid.selectionModel()->selectedIndexes();
        QCOMPARE(shown.size(), (qAbs(rowSel - row) + 1) * (qAbs(colSel - col) + 1));
        QCOMPARE(grid.selectionModel()->currentIndex().row(), rowSel - 1);
        // Setting the current cell collapses the selection onto it.
        g.setRow(row);
        QCOMPARE(g.rowSel(), row);
        QCOMPARE(g.colSel(), col);
        // A click and a shift-click come back as anchor and corner.
        const QRect from = grid.visualRect(g.index(row - 1, col));
        const QRect to = grid.visualRect(g.index(rowSel - 1, colSel));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, from.center());
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, to.center());
        QCOMPARE(grid.mouseRow(), rowSel);
        QCOMPARE(grid.mouseCol(), colSel);
        QCOMPARE(g.row(), row);
        QCOMPARE(g.col(), col);
        QCOMPARE(g.rowSel(), rowSel);
        QCOMPARE(g.colSel(), colSel);
    }

    // Column 0 stays at the left edge when the others scroll sideways: it looks the same, and
    // the mouse there means column 0.
    void fixedColumnStaysPut()
    {
        Grid grid;
        GridData &g = grid.data();
        g.setCols(14);
        g.setRows(30);
        for (int r = 0; r < 30; ++r) {
            g.setTextMatrix(r, 0, QStringLiteral("R%1").arg(r));
            for (int c = 1; c < 14; ++c)
                g.setTextMatrix(r, c, QStringLiteral("%1.%2").arg(r).arg(c));
        }
        grid.resize(300, 200);
        grid.show();
        Pump::once();
        const int width = grid.columnWidth(0);
        const QRect strip(grid.viewport()->x(), 0, width, grid.viewport()->geometry().bottom());
        const QImage before = grid.grab(strip).toImage();
        grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
        QVERIFY(grid.columnViewportPosition(0) < -width);
        Pump::once();
        QCOMPARE(grid.grab(strip).toImage(), before);

        const QPoint inStrip(width / 2, grid.rowViewportPosition(4) + 2);
        QCOMPARE(grid.indexAt(inStrip), g.index(4, 0));
        QTest::mouseMove(grid.viewport(), inStrip);
        QCOMPARE(grid.mouseCol(), 0);
        QCOMPARE(grid.mouseRow(), 5);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, inStrip);
        QCOMPARE(g.row(), 5);
        QCOMPARE(g.col(), 0);
        // A selected cell of column 0 is drawn selected where the column now stands.
        Pump::once();
        QVERIFY(grid.grab(strip).toImage() != before);
        // Hidden column 0 leaves nothing at the edge.
        g.setColWidth(0, 0);
        QCOMPARE(grid.indexAt(inStrip).column(), grid.columnAt(inStrip.x()));
    }

    void widths()
    {
        Grid grid;
        GridData &g = grid.data();
        g.setCols(5);
        g.setColWidth(1, 1440);
        g.setColWidth(2, 0);
        g.setColWidth(3, 600);
        g.setColWidth(3, -1);
        QCOMPARE(grid.columnWidth(1), grid.logicalDpiX());
        QVERIFY(grid.isColumnHidden(2));
        QCOMPARE(g.colWidth(2), 0);
        QCOMPARE(g.colWidth(3), GridData::DefaultColWidth);
        // Dragging a column border is kept in twips.
        grid.horizontalHeader()->resizeSection(4, grid.logicalDpiX() / 2);
        QCOMPARE(g.colWidth(4), 720);
    }

    void alignment()
    {
        GridData g;
        g.setCols(3);
        g.setColAlignment(1, GridAlign::RightCenter);
        g.setHeaderAlignment(1, GridAlign::LeftCenter);
        QCOMPARE(g.cellAlignment(0, 1), int(GridAlign::LeftCenter));
        QCOMPARE(g.cellAlignment(1, 1), int(GridAlign::RightCenter));
        QCOMPARE(g.data(g.index(0, 1), Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
    }
};

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
