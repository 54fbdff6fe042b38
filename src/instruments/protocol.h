#pragma once
#include "core/slots.h"

#include <QByteArray>
#include <array>

// The protocol texts of each slot, chosen by its controller's model code. Indexed by slot 1..31.
namespace Protocol {

using PerSlot = std::array<QByteArray, MaxToestellen + 1>;

inline PerSlot PollCommando;     // asks for the current readings
inline PerSlot AntwoordEinde;    // end of the acknowledgment line of a poll
inline PerSlot GeenWaardeTeken;  // value text of a channel without a valid reading
inline PerSlot AdresTeken;       // starts the address field of a reply
inline PerSlot StopCommando;     // stops or reactivates the controller's regulation
inline std::array<bool, MaxToestellen + 1> MetControlegetal{}; // frames carry a checksum byte

} // namespace Protocol

// The three families, told apart by the leading characters of the model code.
enum class ModelFamily { Standard, T57, T57Checksum };
ModelFamily FamilyOf(const QString &modelCode);
// The decoder of the T57 family serves every code starting with "T57".
bool IsT57Model(const QString &modelCode);

// Fills the slot's entries from its model code.
void InstellenToestelProtocol(qint16 slot);
void InstellenProtocolStandaard(qint16 slot);
void InstellenProtocolT57(qint16 slot);
void InstellenProtocolT57Controle(qint16 slot);
