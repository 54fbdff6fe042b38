#pragma once
#include <QByteArray>
#include <QString>

// Capturing the text a controller sends by itself (a printout from its keys) into a text file,
// for as long as the user keeps the wait window open.

// The bytes a received line puts in the capture file: NUL dropped, the instrument's signs
// mapped once by the unit table, in Windows-1252 as the program's files are. The line keeps its
// own line end; nothing is added.
QByteArray TransferRegelBytes(const QByteArray &regel);

// Runs one capture into the file (appended to, never overwritten). The caller looks at
// TransferActief: it stays set only while the window is open, the line usable and the file
// writable; every other end has told the user why.
void OpvangenDataTransfer(const QString &bestandsnaam);
