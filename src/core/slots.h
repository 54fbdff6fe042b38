#pragma once
#include <QDateTime>
#include <QString>
#include <array>

// One channel of a controller.
struct KanaalGegevens {
    QString Naam;        // up to 30 characters; "CH1".."CH4" after the reset
    QDateTime Tijdstip;  // time of the last reading
    QString Waarde;      // the value exactly as the controller sent it
    QString Eenheid;     // up to 8 characters
    bool GeenWaarde = false; // the value is the model's no-value marker
    QString Status;      // status words of the channel
};

// One controller slot on the line.
struct ToestelGegevens {
    QString Naam;            // the user's name for the controller
    qint32 Idno = 0;         // 1..999; 1000 marks an invalid number
    QString Type;            // model code, up to 8 characters; empty: no controller
    bool Actief = true;      // polled and logged with values
    std::array<KanaalGegevens, 5> Kanaal; // index 1..4; 0 unused
    QString Relais;          // "----" one character per relay, or the stop text
    qint32 FoutTeller = 0;   // consecutive failed reads, at most 10000
    bool Defect = false;     // marked failed
    qint16 Wachtbeurten = 0; // back-off turns of a failed slot
    qint16 Kanalen = 0;      // channels in use, 1..4 once configured
};

constexpr int MaxToestellen = 31;
constexpr int MaxKanalen = 4;

// The slot table, indexed 1..31.
class ToestelTabel {
public:
    ToestelGegevens &operator[](int slot);
    const ToestelGegevens &operator[](int slot) const;

private:
    std::array<ToestelGegevens, MaxToestellen + 1> m_slots;
};

// The one slot table of the program.
extern ToestelTabel Toestel;

// Clears names, numbers, readings and failure counts before the settings are (re)read.
// Model code and channel count are cleared too, so slots missing from a reloaded file do not
// come back with their old model.
void ResetToestellen();

QString ControleerBaudrate(const QString &baudrate);
QString ControleerCommPoort(const QString &poort);
qint32 ControleerIdno(qint32 &idno);
qint16 ControleerAantalKanalen(qint16 &kanalen);
QString ControleerType(const QString &type);
bool ToestelGeldig(int slot);
// A controller's address as the program shows it: "#" and three digits.
QString AdresTekstVan(qint32 idno);
qint16 ZoekToestelIndex(qint32 &idno, qint16 &index);
