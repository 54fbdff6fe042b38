#include "mainwindow/settingsrules.h"

#include "core/conversions.h"

#include <QTime>
#include <cmath>

QStringList PoortNamen(const QString &scan)
{
    QStringList result;
    for (const QString &piece : scan.split(u',')) {
        const QString name = piece.trimmed();
        if (!name.isEmpty())
            result << name;
    }
    return result;
}

QStringList BaudLijst()
{
    return {QStringLiteral("2400"),  QStringLiteral("4800"),  QStringLiteral("9600"),
            QStringLiteral("19200"), QStringLiteral("38400"), QStringLiteral("57600"),
            QStringLiteral("115200")};
}

int BepaalBaudIndex(QString &baudrate)
{
    if (baudrate.isEmpty())
        baudrate = QStringLiteral("2400");
    const double value = TekstNaarDouble(baudrate);
    if (value <= 0)
        return -1;
    const double index = std::nearbyint(std::log2(value / 300.0)) - 3;
    if (index < 0 || index >= BaudLijst().size())
        return -1;
    return int(index);
}

qint32 BegrensTijdsinterval(qint32 seconden)
{
    if (seconden <= 0)
        return EenDag;
    if (seconden > EenDag)
        return 1;
    return seconden;
}

QString TijdsintervalTekst(qint32 seconden, const QString &scheiding)
{
    const qint32 s = seconden >= EenDag || seconden < 0 ? 0 : seconden;
    auto twee = [](qint32 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return twee(s / 3600) + scheiding + twee(s / 60 % 60) + scheiding + twee(s % 60);
}

qint32 LeesTijdsinterval(const QString &tekst, const QString &scheiding)
{
    QString t = tekst;
    t.replace(u'_', u'0');
    const QStringList parts = t.split(scheiding);
    if (parts.size() != 3)
        return 0;
    int values[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const QString p = parts[i].trimmed();
        values[i] = p.isEmpty() ? 0 : p.toInt(&ok);
        if (!p.isEmpty() && !ok)
            return 0;
    }
    const QTime time(values[0], values[1], values[2]);
    if (!time.isValid())
        return 0;
    return time.msecsSinceStartOfDay() / 1000;
}

QStringList ModelLijst()
{
    return {QString(),
            QStringLiteral("T512"),
            QStringLiteral("T542"),
            QStringLiteral("T552"),
            QStringLiteral("T578"),
            QStringLiteral("T575"),
            QStringLiteral("T5741"),
            QStringLiteral("T5781"),
            QStringLiteral("T5751")};
}

int BepaalToestelType(const QString &code)
{
    const QString c = code.trimmed();
    if (c.isEmpty())
        return 0;
    if (c == OudModel)
        return int(ModelLijst().size());
    const int index = int(ModelLijst().indexOf(c));
    return index < 0 ? 0 : index;
}

namespace {

bool isKnownModel(const QString &code)
{
    const QString c = code.trimmed();
    return !c.isEmpty() && (c == OudModel || ModelLijst().contains(c));
}

QString drieCijfers(qint32 n) { return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')); }

ToestelGegevens nieuwToestel()
{
    ToestelGegevens t;
    t.Actief = true;
    for (int k = 1; k <= MaxKanalen; ++k)
        t.Kanaal[size_t(k)].Naam = QStringLiteral("CH%1").arg(k);
    return t;
}

bool geldigeRij(const ApparaatRijen &rijen, int rij) { return rij >= 1 && rij <= rijen.size(); }

} // namespace

ApparaatRijen VulApparaatRijen(const ToestelTabel &tabel)
{
    ApparaatRijen rijen;
    for (int slot = 1; slot <= MaxToestellen; ++slot) {
        const ToestelGegevens &t = tabel[slot];
        // A stored code the program knows, offered or not; anything else is no controller.
        const QString code = t.Type.trimmed();
        if (!isKnownModel(code))
            continue;
        ApparaatRij rij;
        rij.type = code;
        rij.idno = t.Idno >= 1 && t.Idno <= 999 ? drieCijfers(t.Idno) : QString();
        qint16 kanalen = t.Kanalen;
        rij.kanalen = QString::number(ControleerAantalKanalen(kanalen));
        rij.bron = slot;
        rijen << rij;
    }
    if (rijen.size() < MaxToestellen)
        rijen << ApparaatRij{};
    return rijen;
}

void KiesModel(ApparaatRijen &rijen, int rij, const QString &code)
{
    if (!geldigeRij(rijen, rij))
        return;
    ApparaatRij &r = rijen[rij - 1];
    const QString nieuw = code.trimmed();
    if (nieuw == r.type.trimmed())
        return;
    if (r.leeg() && !nieuw.isEmpty()) {
        if (rij == rijen.size() && rijen.size() < MaxToestellen)
            rijen << ApparaatRij{};
        ApparaatRij &n = rijen[rij - 1];
        n.idno = drieCijfers(rij);
        n.kanalen = QStringLiteral("4");
        n.type = nieuw;
        n.bron = 0;
        return;
    }
    if (!r.leeg() && nieuw.isEmpty()) {
        r = ApparaatRij{};
        return;
    }
    r.type = nieuw;
}

void ZetIdno(ApparaatRijen &rijen, int rij, const QString &tekst)
{
    if (!geldigeRij(rijen, rij))
        return;
    ApparaatRij &r = rijen[rij - 1];
    qint32 n = TekstNaarLong(tekst);
    ControleerIdno(n);
    r.idno = n != 1000 && !r.leeg() ? drieCijfers(n) : QString();
}

void ZetKanalen(ApparaatRijen &rijen, int rij, const QString &tekst)
{
    if (!geldigeRij(rijen, rij))
        return;
    ApparaatRij &r = rijen[rij - 1];
    qint16 k = TekstNaarInteger(tekst);
    ControleerAantalKanalen(k);
    r.kanalen = r.leeg() ? QString() : QString::number(k);
}

void WisRijen(ApparaatRijen &rijen, int van, int tot)
{
    for (int rij = qMax(1, van); rij <= qMin(int(rijen.size()), tot); ++rij)
        rijen[rij - 1] = ApparaatRij{};
}

ApparaatControle ControleerApparaten(const ApparaatRijen &rijen)
{
    QList<qint32> gezien;
    for (int i = 0; i < rijen.size(); ++i) {
        const ApparaatRij &r = rijen[i];
        if (r.leeg())
            continue;
        qint32 n = r.idno.trimmed().isEmpty() ? 0 : TekstNaarLong(r.idno);
        if (ControleerIdno(n) == 1000)
            return {ApparaatControle::OngeldigNummer, i + 1, 0};
        if (gezien.contains(n))
            return {ApparaatControle::DubbelNummer, i + 1, n};
        gezien << n;
    }
    if (gezien.isEmpty())
        return {ApparaatControle::GeenApparaat, 0, 0};
    return {};
}

ApparaatBronnen PasApparatenToe(const ApparaatRijen &rijen, ToestelTabel &tabel)
{
    const ToestelTabel oud = tabel;
    ApparaatBronnen bronnen{};
    int slot = 1;
    for (const ApparaatRij &r : rijen) {
        if (r.leeg() || slot > MaxToestellen)
            continue;
        const bool bekend = r.bron >= 1 && r.bron <= MaxToestellen;
        ToestelGegevens t = bekend ? oud[r.bron] : nieuwToestel();
        t.Type = r.type.trimmed();
        qint32 n = TekstNaarLong(r.idno);
        t.Idno = ControleerIdno(n);
        qint16 k = TekstNaarInteger(r.kanalen);
        t.Kanalen = ControleerAantalKanalen(k);
        if (t.Naam.trimmed().isEmpty())
            t.Naam = t.Type + u' ' + AdresTekstVan(t.Idno);
        tabel[slot] = t;
        bronnen[size_t(slot)] = bekend ? r.bron : 0;
        ++slot;
    }
    // A slot left without a controller keeps nothing of the one that moved away from it.
    for (; slot <= MaxToestellen; ++slot)
        tabel[slot] = nieuwToestel();
    for (int s = 1; s <= MaxToestellen; ++s) {
        for (int k = 1; k <= MaxKanalen; ++k) {
            KanaalGegevens &c = tabel[s].Kanaal[size_t(k)];
            c.Eenheid.clear();
            c.GeenWaarde = false;
            c.Status.clear();
        }
    }
    return bronnen;
}

std::array<bool, MaxToestellen + 1> EigenTabelRijen(const ApparaatBronnen &bronnen,
                                                    const ToestelTabel &voor, const ToestelTabel &na)
{
    auto geldig = [](const ToestelGegevens &t) {
        qint32 idno = t.Idno;
        return !ControleerType(t.Type).isEmpty() && ControleerIdno(idno) < 1000;
    };
    std::array<bool, MaxToestellen + 1> eigen{};
    bool allesErvoorInGebruik = true;
    for (int s = 1; s <= MaxToestellen; ++s) {
        allesErvoorInGebruik = allesErvoorInGebruik && geldig(voor[s]);
        eigen[size_t(s)] = allesErvoorInGebruik && bronnen[size_t(s)] == s
                           && voor[s].Type.trimmed() == na[s].Type.trimmed()
                           && voor[s].Idno == na[s].Idno;
    }
    return eigen;
}
