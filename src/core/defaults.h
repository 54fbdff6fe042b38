#pragma once
#include "core/windowsettings.h"

#include <QString>

// The first start of a configuration: the user fills in the general settings dialog (through
// WindowHost::generalSettingsDialog), then the main window, the printer and the settings file
// get their defaults. Leaves 1 (OK) or 2 (Cancel) in LaatsteAntwoord.
void StandaardInstellingen();

// The main window's first placement: the middle three quarters of the screen (twips).
WindowPlacement StandaardHoofdvenster(const QSizeF &screenTwips);

// A window element's font from the registry section of that name (keys "Fontname" ...
// "Fontcolor"). With the terminal form the colour is not read and the terminal font record
// (TerminalLettertype and the fields after it) is applied over it.
void LeesLettertypeRegister(const QString &section, FontSettings &font, bool terminalForm);
