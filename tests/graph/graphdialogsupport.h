#pragma once
// Small fixtures shared by the tests of the graph settings dialog, its curves grid and the
// line-source dialog.
#include "core/slots.h"
#include "graph/linesourcedialog.h"

#include <QApplication>
#include <QString>

// A valid controller in `slot` with its channels named CH1..CH4, all in °C.
inline void makeSlot(int slot, const QString &name, int channels)
{
    ToestelGegevens &t = Toestel[slot];
    t.Type = QStringLiteral("T512");
    t.Idno = slot;
    t.Naam = name;
    t.Kanalen = qint16(channels);
    for (int k = 1; k <= MaxKanalen; ++k) {
        t.Kanaal[size_t(k)].Naam = QStringLiteral("CH%1").arg(k);
        t.Kanaal[size_t(k)].Eenheid = QStringLiteral("°C");
    }
}

// The line-source dialog that is showing, or nullptr.
inline DialogInputGrafiekElement *openLineSource()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<DialogInputGrafiekElement *>(w); d && d->isVisible())
            return d;
    return nullptr;
}
