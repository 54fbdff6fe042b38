#pragma once
#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (a system shutdown, a service manager, Ctrl+C) into a Qt signal
// delivered on the event loop, where closing the program is safe.
class ShutdownSignals : public QObject {
    Q_OBJECT
public:
    explicit ShutdownSignals(QObject *parent = nullptr);
    ~ShutdownSignals() override;

signals:
    void requested(int signalNumber);

private:
    void readSignal();
    QSocketNotifier *m_notifier = nullptr;
};
