#include "core/printsettings.h"

namespace Printerkode {

void StandaardPrintInstellingen()
{
    MargeLinks = 15;
    MargeRechts = 10;
    MargeBoven = 10;
    MargeOnder = 10;
    PrintLettertype = QStringLiteral("Arial");
}

} // namespace Printerkode
