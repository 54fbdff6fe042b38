#include "core/defaults.h"

#include "core/conversions.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "platform/registry.h"
#include "core/printsettings.h"

using namespace Hoofdmodule;

WindowPlacement StandaardHoofdvenster(const QSizeF &screenTwips)
{
    WindowPlacement p;
    p.state = 0;
    p.top = float(screenTwips.height() * 0.125);
    p.left = float(screenTwips.width() * 0.125);
    p.width = float(screenTwips.width() * 0.75);
    p.height = float(screenTwips.height() * 0.75);
    return p;
}

void StandaardInstellingen()
{
    WindowHost &host = WindowHost::current();
    const int answer = host.generalSettingsDialog();
    LaatsteAntwoord = qint16(answer == 1 ? 1 : 2);
    if (LaatsteAntwoord != 1)
        return;
    host.reloadTexts();
    WindowSettings::mainWindow = StandaardHoofdvenster(host.screenTwips());
    host.mainWindowRead();
    host.tileWindows();
    Printerkode::StandaardPrintInstellingen();
    LaatsteAntwoord = 1;
    BewaarInstellingen(InstellingenBestandsnaam);
    CommInitOverslaan = true;
}

void LeesLettertypeRegister(const QString &section, FontSettings &font, bool terminalForm)
{
    auto value = [&](const char *key, const char *fallback) {
        return Registry::read(RegisterNaam, section, QString::fromLatin1(key),
                              QString::fromLatin1(fallback));
    };
    font.name = value("Fontname", "MS Sans Serif");
    const float size = TekstNaarSingle(value("Fontsize", "8"));
    if (size > 0)
        font.size = size;
    font.bold = TekstNaarBoolean(value("Fontbold", "False"));
    font.italic = TekstNaarBoolean(value("Fontitalic", "False"));
    font.strikeThrough = TekstNaarBoolean(value("Fontstrikethrough", "False"));
    font.underline = TekstNaarBoolean(value("Fontunderline", "False"));
    if (!terminalForm) {
        font.colour = qint32(TekstNaarDouble(value("Fontcolor", "0")));
        return;
    }
    // The terminal font record wins over the registry (its colour is not applied).
    font.name = TerminalLettertype;
    font.bold = TerminalVet;
    font.italic = TerminalCursief;
    font.underline = TerminalOnderstreept;
    font.strikeThrough = TerminalDoorgestreept;
    if (TerminalGrootte > 0)
        font.size = TerminalGrootte;
}
