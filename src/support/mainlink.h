#pragma once
#include <functional>

class QWidget;

// What the support windows need of the main window, which registers itself here when it is built.
// Until then (and in tests) there is no main window and the hooks do nothing.
namespace MainLink {

void setMainWindow(QWidget *window);
// The main window, or nullptr. Boxes and small windows take it as their transient parent only,
// so that they stay usable while the main window is disabled.
QWidget *mainWindow();

// Blanks the status bar's "Message" panel (panel 3); the main window installs it.
void setBlankMessagePanel(std::function<void()> hook);
void blankMessagePanel();

// Makes sure the program's resources (icons, sounds, pictures) are registered; the library is
// static, so its resource initialiser is not run by itself.
void ensureResources();

} // namespace MainLink
