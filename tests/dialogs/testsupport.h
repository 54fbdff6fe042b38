#pragma once
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QTimer>

// A pseudo-terminal pair: the program opens the slave by its path, the test reads the master.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    bool ok() const { return m_master >= 0; }
    QString slavePath() const { return m_path; }
    // Everything the program has written so far (waits until at least `count` bytes came).
    QByteArray readMaster(int count);

private:
    int m_master = -1;
    QString m_path;
};

// Answers every program message box with its first button and keeps its text.
class BoxAnswerer : public QObject {
public:
    BoxAnswerer();
    QStringList texts;

private:
    QTimer m_timer;
};
