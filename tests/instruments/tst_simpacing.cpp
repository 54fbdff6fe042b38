// The simulator as a line at a given baud rate: a reply comes in pieces, the acknowledgment first
// and the channel lines after it, as on a real line; unpaced, the whole reply comes at once.
// Read on the pseudo-terminal as the program reads its port, from the library and from the
// program's command line alike.
#include "script.h"
#include "simulator.h"

#include <QProcess>
#include <QtTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// What the reading side saw of one reply.
struct Arrival {
    QByteArray bytes;
    int reads = 0;            // reads that found bytes
    qsizetype atAck = -1;     // bytes in when the acknowledgment line was first complete
};

int openRaw(const QString &path)
{
    const int fd = ::open(qPrintable(path), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

// Sends the frame and reads until `expected` bytes are in, or ten seconds have passed.
Arrival exchange(int fd, const QByteArray &frame, qsizetype expected, const QByteArray &ack)
{
    Arrival a;
    if (::write(fd, frame.constData(), size_t(frame.size())) != frame.size())
        return a;
    QElapsedTimer waited;
    waited.start();
    while (a.bytes.size() < expected && waited.elapsed() < 10000) {
        QTest::qWait(1);
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        a.bytes.append(buffer, qsizetype(n));
        ++a.reads;
        if (a.atAck < 0 && a.bytes.startsWith(ack))
            a.atAck = a.bytes.size();
    }
    return a;
}

} // namespace

class TestSimPacing : public QObject {
    Q_OBJECT
private slots:
    void replyArrivesAsTheLineCarriesIt_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<int>("baud");
        QTest::newRow("unpaced") << "library" << 0;
        QTest::newRow("library, 2400") << "library" << 2400;
        QTest::newRow("script, 2400") << "script" << 2400;
        QTest::newRow("command line, 2400") << "program" << 2400;
    }
    void replyArrivesAsTheLineCarriesIt()
    {
        QFETCH(QString, road);
        QFETCH(int, baud);
        // Four channels of a T575: an acknowledgment and three channel lines.
        Sim::Controller model;
        model.model = "T575";
        model.idno = 41;
        model.channels = 4;
        const QByteArray ack = model.acknowledgment("?");
        const QList<QByteArray> lines = model.channelLines();
        QCOMPARE(lines.size(), 3);
        const qsizetype expected = model.normalReply().size();
        const QByteArray frame = model.address() + "\t>?\r\n";

        Sim::Simulator sim;
        QProcess program;
        QString path;
        if (road == QLatin1String("program")) {
            program.start(QStringLiteral(QLV2_BINARY_DIR "/tools/instrument-sim/instrument-sim"),
                          {QStringLiteral("--controller"), QStringLiteral("T575:41:4"),
                           QStringLiteral("--baud"), QString::number(baud)});
            QVERIFY2(program.waitForReadyRead(10000), "the simulator printed no device path");
            path = QString::fromLocal8Bit(program.readLine().trimmed());
        } else {
            QVERIFY(sim.start());
            sim.add("T575", 41, 4);
            if (road == QLatin1String("script"))
                QCOMPARE(Sim::runScriptLine(sim, "baud " + QByteArray::number(baud)), QString());
            else
                sim.setBaud(baud);
            path = sim.devicePath();
        }
        const int fd = openRaw(path);
        QVERIFY(fd >= 0);
        const Arrival a = exchange(fd, frame, expected, ack);
        ::close(fd);
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }

        QCOMPARE(a.bytes.size(), expected);
        QVERIFY(a.bytes.startsWith(ack));
        QVERIFY(a.bytes.endsWith("\r\n"));
        QCOMPARE(a.bytes.count("\r\n"), 1 + lines.size());
        if (baud == 0) {
            QCOMPARE(a.reads, 1);
            return;
        }
        // The acknowledgment could be read while the last channel line was still on its way,
        // and the reply came in many pieces rather than a line at a time.
        QVERIFY2(a.atAck > 0 && a.atAck <= expected - lines.last().size(),
                 qPrintable(QStringLiteral("%1 of %2 bytes in with the acknowledgment")
                                .arg(a.atAck)
                                .arg(expected)));
        QVERIFY2(a.reads > 2 * (1 + lines.size()),
                 qPrintable(QStringLiteral("the reply came in %1 reads").arg(a.reads)));
    }
};

QTEST_GUILESS_MAIN(TestSimPacing)
#include "tst_simpacing.moc"
