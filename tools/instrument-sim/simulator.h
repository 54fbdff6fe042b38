#pragma once
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace Sim {

// How a controller answers a poll.
enum class Behaviour {
    Normal,       // acknowledgment, then its channel lines
    Silent,       // nothing
    AckOnly,      // the acknowledgment line only
    Garbage,      // noise without an acknowledgment
    WrongAddress, // a complete reply carrying another identification number
    Truncated,    // acknowledgment and the first channel line cut off before its line end
    Late,         // acknowledgment at once, the channel lines after lateMs
    HangUp,       // closes the line (as an unplugged adapter)
};

struct Channel {
    QByteArray value = "0.00";
    QByteArray unit = "pH";
    bool noValue = false; // sends the model's no-value marker (shown as "OR.")
    QByteArray status;    // free status text of the channel
};

// One simulated controller. Fields may be changed at any time; the next poll uses them.
struct Controller {
    QByteArray model; // one of the nine model codes
    int idno = 1;
    int channels = 1;
    std::array<Channel, 4> channel;
    std::array<bool, 4> relay{};
    bool stop = false;        // regulation stopped
    bool maintenance = false; // manual service
    // The maintenance record's fields after "M" (phase, end date, end time, fourth field).
    QByteArray maintenanceFields = "2\t12/05/09\t10:00\t0";
    Behaviour behaviour = Behaviour::Normal;
    int lateMs = 2000;
    // When not empty: answers every poll with exactly these bytes.
    QByteArray rawReply;
    // Every frame received for this controller, as it came (checksum byte and CR LF included).
    QList<QByteArray> frames;

    bool checksumModel() const;
    bool t57() const;
    QByteArray noValueMarker() const;
    QByteArray address() const; // "#" and three digits
    // The bytes of a normal answer to a poll.
    QByteArray normalReply() const;
    QByteArray acknowledgment(const QByteArray &command) const;
    QList<QByteArray> channelLines() const;
};

// Serves controllers on the master side of a pseudo-terminal from the Qt event loop.
class Simulator : public QObject {
    Q_OBJECT
public:
    explicit Simulator(QObject *parent = nullptr);
    ~Simulator() override;

    // Opens the pseudo-terminal; false when the system has none.
    bool start();
    // The device the program opens (the slave side).
    QString devicePath() const { return m_path; }
    bool running() const { return m_master >= 0; }

    Controller &add(const QByteArray &model, int idno, int channels);
    Controller *find(int idno);
    const std::vector<std::unique_ptr<Controller>> &controllers() const { return m_controllers; }

    // Every complete frame received, in order.
    const QList<QByteArray> &frames() const { return m_frames; }
    void clearFrames();
    // Closes the line at once.
    void hangUp();
    // Sends bytes at once, unasked.
    void send(const QByteArray &bytes);

signals:
    void frameReceived(const QByteArray &frame);

private:
    void onReadable();
    void handleFrame(const QByteArray &frame);
    void answer(Controller &c, const QByteArray &command);

    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_input;
    QList<QByteArray> m_frames;
    std::vector<std::unique_ptr<Controller>> m_controllers; // stable addresses
};

// The sum of the byte values modulo 256, as the checksum models compute it.
quint8 checksum(const QByteArray &text);

} // namespace Sim
