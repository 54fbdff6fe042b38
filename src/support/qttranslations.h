#pragma once
#include <QString>

// Qt's own dialogs and buttons (file dialogs, standard buttons, context menus) speak the
// program's language: every language load installs Qt's translation for French or Dutch and
// removes it for English.
namespace QtTranslations {

// Connects to the language switch (once; later calls do nothing) and follows the current language.
void follow();
// "fr", "nl", or "" for English: the Qt translation that belongs to the loaded language table.
QString languageCode();
// The folder Qt's translation files are read from.
QString folder();

} // namespace QtTranslations
