#pragma once
#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class QSerialPort;

// The serial line as the acquisition code sees it: a port number ("COMn"), a settings text such
// as "9600,N,8,1", bytes in and out, buffer counts and the DTR and RTS lines. Data stays bytes.
//
// A port whose device vanishes (an adapter unplugged, a pseudo-terminal closed) is closed at
// once and lost() is emitted: holding it open would make the system give the returning adapter
// another name, and every wait on it must end now rather than at its time-out.
class SerialPort : public QObject {
    Q_OBJECT
public:
    explicit SerialPort(QObject *parent = nullptr);
    ~SerialPort() override;

    // 1..255; takes effect at the next open.
    void setPortNumber(int number);
    int portNumber() const { return m_number; }
    // "baud,parity,data bits,stop bits", parity N, E, O, M or S, stop bits 1, 1.5 or 2.
    // Returns false (and keeps the old settings) when the text is not valid.
    bool setSettings(const QString &text);
    QString settings() const { return m_settings; }

    // Opens the device the port number stands for (see SerialPortTable). On failure the reason
    // is in errorText().
    bool open();
    void close();
    bool isOpen() const;
    QString errorText() const { return m_error; }
    // The device path of the open port, or of the next open.
    QString devicePath() const;

    // Lines are set once the port is open; a pseudo-terminal refuses them, which is ignored.
    void setDtr(bool on);
    void setRts(bool on);
    bool dtr() const { return m_dtr; }
    bool rts() const { return m_rts; }

    qint64 inBufferCount() const;
    qint64 outBufferCount() const;
    // Bytes the system holds for the port that have not been handed to the program yet: a look
    // at the port sees them too, though they are read only when the event loop next runs.
    qint64 unreadInSystem() const;
    // The time one character takes on the line at its settings (start bit, data bits, parity
    // and stop bits), in nanoseconds.
    qint64 characterNs() const { return m_characterNs; }
    // Discards unread input (setting the input count to 0) / unsent output.
    void clearInput();
    void clearOutput();
    // Everything received so far.
    QByteArray readAll();
    // Hands bytes to the system without blocking; what it cannot take yet is queued, and
    // flush() passes the queue on.
    bool write(const QByteArray &bytes);
    void flush();

signals:
    // The device went away; the port is already closed.
    void lost();
    // Bytes came in: what waits for a reply reads them when they come instead of waiting.
    void readyRead();

private:
    void onError(int error);
    void applyLines();

    QSerialPort *m_port;
    int m_number = 1;
    QString m_settings = QStringLiteral("9600,N,8,1");
    qint64 m_characterNs = 10LL * 1'000'000'000LL / 9600;
    QString m_error;
    bool m_dtr = false;
    bool m_rts = false;
};

// The table that gives each port number its device, kept in the registry stand-in so the user
// can edit it: application "QLV2-PORTS", section "Ports", key "COMn", value the device path.
// A number without an entry is /dev/ttyS(n-1). USB adapters (ttyUSB*, ttyACM*) are bound by
// their /dev/serial/by-id name, which survives unplugging and replugging, to the lowest numbers
// that are neither bound nor a real on-board port, and keep them.
namespace SerialPortTable {

QString registryApplication();
// Keeps the table under another application name (tests running side by side each keep
// their own, as two processes writing one file may lose each other's entries).
void setRegistryApplication(const QString &application);
QString devicePath(int number);
void bind(int number, const QString &path);
void unbind(int number);
// The number bound to a device path, or 0.
int numberOf(const QString &path);
// Binds every adapter found under the by-id folder that has no number yet; hardwareNumbers are
// the numbers whose default ttyS device is a real port. Returns the numbers given now.
QList<int> bindAdapters(const QString &byIdFolder, const QSet<int> &hardwareNumbers);
// The same for this machine (/dev/serial/by-id and the ports the system reports).
QList<int> bindAdapters();
// Every port number that has a device on this machine now, in increasing order.
QList<int> presentNumbers();

} // namespace SerialPortTable
