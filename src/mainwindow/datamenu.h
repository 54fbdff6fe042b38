#pragma once
#include <QString>
#include <QtGlobal>

namespace Hoofdmodule {
// The file of the last transfer capture: the next capture's dialog starts there.
inline QString TransferBestand;
} // namespace Hoofdmodule

// What the Data menu's enabling depends on.
struct DataMenuInput {
    bool slotValid = false;      // some controller slot is valid
    bool readOnly = false;       // the data file in memory is read-only
    bool measuring = false;      // MetenActief
    QString activeTag;           // the active child window's tag; empty when none is active
    bool receiving = false;      // the Receive item is checked (a download runs)
    bool transferring = false;   // the Transfer item is checked (a capture runs)
};

// The Data menu's items as the rules leave them.
struct DataMenuState {
    bool measure = false;
    bool logging = false;
    bool receive = false;
    bool transfer = false;
    bool measureChecked = false;
};

// Measure with any valid slot; Log once Measure is checked and the file is writable; Receive
// (not for a graph window) and Transfer only with polling off and a child window active; Measure
// not while a download or capture runs.
DataMenuState DataMenuRegels(const DataMenuInput &in);

// The slot whose rack window the View menu's rack command brings forward after the one it brought
// last: the next valid slot, from the first again after the last; 0 when none is valid.
qint16 VolgendRackVenster(qint16 laatste);

// The kind of a child window from its tag: its first five characters, lower-cased.
QString VensterSoortTag(const QString &tag);
