#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

// Stopping and reactivating a controller's regulation from its rack window: the command is sent
// between two poll exchanges, and its echo awaited behind a wait window.

// The echo a controller of that model gives of the command: the address text, a tab, "<" and
// the command, or only its first character for the T574, T578 and T575 families.
QByteArray VerwachteEcho(const QString &model, qint32 idno, const QByteArray &commando);

// Sends ">" & Commando to the slot's controller and waits until it echoes it, with the wait
// window up; on silence asks Retry (send again) or Cancel. When the line goes away it closes the
// wait window, says so as a download does, and returns false.
bool ZendCommandoEnWachtOpAntwoord(qint16 slot, const QByteArray &Commando,
                                   const QString &TekstActie, const QString &Titel);

// Whether the slot has a stop command waiting or running.
bool StopCommandoBezig(qint16 slot);
// Queues the stop/reactivate exchange of the slot for the poll loop; when it has run, `klaar`
// is called (the panel toggles then, whatever the controller answered, unless the line went
// away). False when one is already queued.
bool StopCommandoInWachtrij(qint16 slot, const QString &titel, std::function<void()> klaar);
