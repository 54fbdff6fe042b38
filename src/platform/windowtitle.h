#pragma once

class QString;
class QWidget;

// The width a window needs to show the whole title in its title bar, beside the frame's icon and
// its buttons. The title bar's font is the system's: this takes the one Qt gives the title bars
// of child windows, bold as many frames draw it.
int titleBarWidth(const QWidget &window, const QString &title);
