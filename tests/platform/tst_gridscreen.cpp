// What a grid shows on a real X server, not what it would paint when asked: a view that moves
// its contents without moving the pixels on screen looks right in a grab of the widget and
// wrong on the screen. The test starts an X server of its own (Xvfb) and compares the two.
#include "platform/grid.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QVBoxLayout>
#include <QtTest>

#include <array>

class TestGridScreen : public QObject {
    Q_OBJECT

    // The rows of the viewport that differ between the screen and a fresh paint.
    static QList<int> staleLines(Grid &grid)
    {
        QWidget *viewport = grid.viewport();
        const QPoint origin = viewport->mapTo(viewport->window(), QPoint(0, 0));
        const QImage onScreen = QGuiApplication::primaryScreen()
                                    ->grabWindow(viewport->window()->winId(), origin.x(),
                                                 origin.y(), viewport->width(), viewport->height())
                                    .toImage()
                                    .convertToFormat(QImage::Format_RGB32);
        const QImage painted = viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QList<int> lines;
        if (onScreen.size() != painted.size())
            return {-1};
        for (int y = 0; y < painted.height(); ++y)
            if (std::memcmp(onScreen.constScanLine(y), painted.constScanLine(y),
                            size_t(painted.bytesPerLine())) != 0)
                lines << y;
        return lines;
    }

private slots:
    // Records arriving at the end of a live table with a cell selected: the view scrolls a
    // row per record, and what the screen shows must be the rows the view holds, never rows
    // left behind from before a scroll.
    void appendedRowsReachTheScreen()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *grid = new Grid(&window);
        layout->addWidget(grid);
        GridData &g = grid->data();
        g.setCols(5);
        const std::array<QString, 5> header{QString(), QStringLiteral("Date"),
                                            QStringLiteral("Time"), QStringLiteral("CH1"),
                                            QStringLiteral("Unit")};
        for (int c = 0; c < 5; ++c)
            g.setTextMatrix(0, c, header[size_t(c)]);
        // A height that is no whole number of rows, as a window's usually is.
        window.resize(400, 231);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        g.setSelection(1, 1, 1, 1);

        QDateTime t(QDate(2026, 12, 11), QTime(7, 22, 6));
        for (int n = 1; n <= 30; ++n) {
            const qint32 r = g.rows() - 1;
            const std::array<QString, 5> cells{QString(), QString(), QString(),
                                               QString::number(6.9 + n / 100.0),
                                               QStringLiteral("pH")};
            g.setRowTexts(r, t, cells, 0b110);
            g.setRow(r);
            if (g.rows() == r + 1)
                g.appendNumberedRow();
            grid->setTopRow(r);
            t = t.addSecs(2);
            QTest::qWait(60); // the records' pace is far slower; the screen catches up
            const QList<int> stale = staleLines(*grid);
            QVERIFY2(stale.isEmpty(),
                     qPrintable(QStringLiteral("after record %1: %2 lines differ, from y=%3")
                                    .arg(n)
                                    .arg(stale.size())
                                    .arg(stale.value(0))));
        }
    }
};

// The test needs the X window system itself: a server of its own, whatever DISPLAY says.
int main(int argc, char **argv)
{
    QProcess server;
    {
        QCoreApplication probe(argc, argv);
        server.setProgram(QStringLiteral("Xvfb"));
        server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"),
                             QStringLiteral("-screen"), QStringLiteral("0"),
                             QStringLiteral("800x600x24"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp")});
        server.start();
        if (!server.waitForStarted(10000) || !server.waitForReadyRead(10000)) {
            std::fprintf(stderr, "cannot start Xvfb (apt-get install xvfb)\n");
            return 1;
        }
        const QByteArray display = server.readLine().trimmed();
        qputenv("DISPLAY", ":" + display);
        qputenv("QT_QPA_PLATFORM", "xcb");
        qunsetenv("XAUTHORITY");
    }
    int rc = 0;
    {
        QApplication app(argc, argv);
        TestGridScreen test;
        rc = QTest::qExec(&test, argc, argv);
    }
    server.terminate();
    server.waitForFinished(5000);
    return rc;
}

#include "tst_gridscreen.moc"
