#include "instruments/protocol.h"

ModelFamily FamilyOf(const QString &modelCode)
{
    const QString five = modelCode.left(5);
    if (five == QLatin1String("T5741") || five == QLatin1String("T5781") ||
        five == QLatin1String("T5751"))
        return ModelFamily::T57Checksum;
    const QString four = modelCode.left(4);
    if (four == QLatin1String("T574") || four == QLatin1String("T578") ||
        four == QLatin1String("T575"))
        return ModelFamily::T57;
    return ModelFamily::Standard;
}

bool IsT57Model(const QString &modelCode) { return modelCode.left(3) == QLatin1String("T57"); }

void InstellenToestelProtocol(qint16 slot)
{
    if (slot < 1 || slot > MaxToestellen)
        return;
    Protocol::MetControlegetal[size_t(slot)] = false;
    switch (FamilyOf(Toestel[slot].Type)) {
    case ModelFamily::T57Checksum: InstellenProtocolT57Controle(slot); break;
    case ModelFamily::T57: InstellenProtocolT57(slot); break;
    case ModelFamily::Standard: InstellenProtocolStandaard(slot); break;
    }
}

void InstellenProtocolStandaard(qint16 slot)
{
    const auto s = size_t(slot);
    Protocol::PollCommando[s] = ">?";
    Protocol::AntwoordEinde[s] = "<?\r\n";
    Protocol::GeenWaardeTeken[s] = "99999";
    Protocol::AdresTeken[s] = "#";
    Protocol::StopCommando[s] = "5";
    Protocol::MetControlegetal[s] = false;
}

void InstellenProtocolT57(qint16 slot)
{
    const auto s = size_t(slot);
    Protocol::PollCommando[s] = ">?";
    Protocol::AntwoordEinde[s] = "<?\r\n";
    Protocol::GeenWaardeTeken[s] = "--";
    Protocol::AdresTeken[s] = "#";
    Protocol::StopCommando[s] = QByteArray("B\x07", 2);
    Protocol::MetControlegetal[s] = false;
}

void InstellenProtocolT57Controle(qint16 slot)
{
    const auto s = size_t(slot);
    Protocol::PollCommando[s] = ">?";
    Protocol::AntwoordEinde[s] = "<?{\r\n";
    Protocol::GeenWaardeTeken[s] = "--";
    Protocol::AdresTeken[s] = "#";
    Protocol::StopCommando[s] = QByteArray("B\x05", 2);
    Protocol::MetControlegetal[s] = true;
}
