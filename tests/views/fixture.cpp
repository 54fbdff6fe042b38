#include "fixture.h"

#include "core/shared.h"
#include "core/slots.h"

#include <QDir>
#include <QPixmap>

void configureSlot(int slot, int channels, const QString &type, int idno)
{
    ToestelGegevens &t = Toestel[slot];
    t.Type = type;
    t.Idno = idno;
    t.Kanalen = qint16(channels);
    t.Actief = true;
    t.Defect = false;
    t.FoutTeller = 0;
    t.Relais = QStringLiteral("----");
    for (int k = 1; k <= MaxKanalen; ++k) {
        KanaalGegevens &c = t.Kanaal[size_t(k)];
        c.Naam = QStringLiteral("CH%1").arg(k);
        c.Waarde = QStringLiteral("%1.5").arg(11 + k);
        c.Eenheid = QStringLiteral("°C");
        c.GeenWaarde = false;
        c.Status.clear();
        c.Tijdstip = QDateTime(QDate(2026, 1, 5), QTime(9, 4, 5));
    }
}

void resetViews()
{
    ResetToestellen();
    for (int s = 1; s <= MaxToestellen; ++s) {
        Toestel[s].Relais.clear();
        Toestel[s].Defect = false;
        for (int k = 1; k <= MaxKanalen; ++k)
            Toestel[s].Kanaal[size_t(k)].GeenWaarde = false;
    }
    Hoofdmodule::MetenActief = true;
    Hoofdmodule::LoggenActief = false;
    Hoofdmodule::RelatieveTijd = false;
    Hoofdmodule::TijdBasis = QDateTime();
    Hoofdmodule::AantalRijen = 0;
}

QString savePicture(QWidget &widget, const QString &name)
{
    const QString dir = QStringLiteral(QLV2_BINARY_DIR "/pictures");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    widget.grab().save(path);
    return path;
}
