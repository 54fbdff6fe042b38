#include "platform/registry.h"
#include "platform/serialport.h"
#include "simline.h"

#include <QtTest>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {
// Everything the far end of the line has received so far.
QByteArray readAvailable(int fd)
{
    QByteArray got;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        got.append(buffer, n);
    return got;
}
} // namespace

class TestSerialPort : public QObject {
    Q_OBJECT
private slots:
    // Other test programs bind their own numbers meanwhile; these are this program's.
    void init()
    {
        QStandardPaths::setTestModeEnabled(true);
        SerialPortTable::setRegistryApplication(QStringLiteral("QLV2-PORTS-serialport"));
        for (int n : {1, 2, 3, 4, 5, 6, 12, 25, 200})
            SerialPortTable::unbind(n);
    }
    void cleanup() { init(); }

    void settingsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("9600,N,8,1") << "9600,N,8,1" << true;
        QTest::newRow("19200,E,7,2") << "19200,E,7,2" << true;
        QTest::newRow("lower-case parity, 1.5 stop bits") << "4800,o,5,1.5" << true;
        QTest::newRow("unknown parity") << "9600,X,8,1" << false;
        QTest::newRow("9 data bits") << "9600,N,9,1" << false;
        QTest::newRow("no baud rate") << ",N,8,1" << false;
        QTest::newRow("three parts") << "9600,N,8" << false;
    }
    void settingsText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        SerialPort port;
        QCOMPARE(port.setSettings(text), valid);
        QCOMPARE(port.settings(), valid ? text : QStringLiteral("9600,N,8,1"));
    }

    void numbersMapToDevices()
    {
        QCOMPARE(SerialPortTable::devicePath(1), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(SerialPortTable::devicePath(12), QStringLiteral("/dev/ttyS11"));
        SerialPortTable::bind(12, "/dev/pts/77");
        QCOMPARE(SerialPortTable::devicePath(12), QStringLiteral("/dev/pts/77"));
        QCOMPARE(SerialPortTable::numberOf("/dev/pts/77"), 12);
        SerialPortTable::unbind(12);
        QCOMPARE(SerialPortTable::devicePath(12), QStringLiteral("/dev/ttyS11"));
        QCOMPARE(SerialPortTable::numberOf("/dev/pts/77"), 0);
    }

    // Adapters take the lowest numbers that are neither bound nor a real on-board port, by
    // their lasting name, and keep them when unplugged and plugged in again.
    void adaptersKeepTheirNumbers()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString dev = dir.filePath("dev"), byId = dir.filePath("by-id");
        QVERIFY(QDir().mkpath(dev) && QDir().mkpath(byId));
        for (const char *name : {"ttyUSB0", "ttyACM1", "ttyS9"}) {
            QFile f(dev + '/' + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(dev + "/ttyUSB0", byId + "/usb-Maker_A-if00-port0"));
        QVERIFY(QFile::link(dev + "/ttyACM1", byId + "/usb-Maker_B-if00"));
        QVERIFY(QFile::link(dev + "/ttyS9", byId + "/pci-serial"));
        SerialPortTable::bind(2, "/dev/ttyS5");

        const QList<int> given = SerialPortTable::bindAdapters(byId, {1});
        QCOMPARE(given, (QList<int>{3, 4}));
        QCOMPARE(SerialPortTable::devicePath(3), byId + "/usb-Maker_A-if00-port0");
        QCOMPARE(SerialPortTable::devicePath(4), byId + "/usb-Maker_B-if00");
        QCOMPARE(SerialPortTable::devicePath(2), QStringLiteral("/dev/ttyS5"));

        // Unplugged: the number stays reserved; plugged in again: the same number.
        QVERIFY(QFile::remove(byId + "/usb-Maker_A-if00-port0"));
        QVERIFY(SerialPortTable::bindAdapters(byId, {1}).isEmpty());
        QVERIFY(QFile::link(dev + "/ttyUSB0", byId + "/usb-Maker_A-if00-port0"));
        QVERIFY(SerialPortTable::bindAdapters(byId, {1}).isEmpty());
        QCOMPARE(SerialPortTable::numberOf(byId + "/usb-Maker_A-if00-port0"), 3);

        // A new adapter gets the next free number.
        QVERIFY(QFile::link(dev + "/ttyUSB0", byId + "/usb-Maker_C-if00-port0"));
        QCOMPARE(SerialPortTable::bindAdapters(byId, {1}), QList<int>{5});
    }

    void openFailureIsReported()
    {
        SerialPortTable::bind(200, "/nonexistent/tty");
        SerialPort port;
        port.setPortNumber(200);
        QVERIFY(!port.open());
        QVERIFY(!port.isOpen());
        QVERIFY(!port.errorText().isEmpty());
    }

    // Bytes go to the line when written, without waiting for the event loop; what the line
    // cannot take at once follows, in order, as it drains.
    void writtenBytesReachTheLine_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("a frame") << 9;
        QTest::newRow("more than the line holds") << 300000;
    }
    void writtenBytesReachTheLine()
    {
        QFETCH(int, size);
        int far = -1, near = -1;
        QCOMPARE(openpty(&far, &near, nullptr, nullptr, nullptr), 0);
        termios t{};
        tcgetattr(far, &t);
        cfmakeraw(&t);
        tcsetattr(far, TCSANOW, &t);
        fcntl(far, F_SETFL, fcntl(far, F_GETFL) | O_NONBLOCK);
        SerialPortTable::bind(6, QString::fromLocal8Bit(ttyname(near)));
        SerialPort port;
        port.setPortNumber(6);
        QVERIFY(port.setSettings(QStringLiteral("38400,N,8,1")));
        QVERIFY(port.open());
        QByteArray sent;
        for (int i = 0; i < size; ++i)
            sent += char('0' + i % 43);
        const qsizetype third = sent.size() / 3;
        QVERIFY(port.write(sent.left(third)));
        QVERIFY(port.write(sent.mid(third, third)));
        QVERIFY(port.write(sent.mid(2 * third)));
        QByteArray got = readAvailable(far);
        if (size < 100)
            QCOMPARE(got, sent);
        port.flush();
        QDeadlineTimer deadline(10000);
        while (got.size() < sent.size() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            got += readAvailable(far);
        }
        QCOMPARE(got.size(), sent.size());
        QVERIFY(got == sent);
        port.close();
        ::close(near);
        ::close(far);
    }

    void secondOpenFails()
    {
        SimLine s(25);
        QVERIFY(s.open());
        SerialPort port;
        port.setPortNumber(25);
        // The line is already held by the program's connection: a second open fails.
        QVERIFY(!port.open());
    }
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
