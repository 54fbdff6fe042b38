#pragma once

class mdiQLV2;
class QAction;
class QIcon;
class QString;

// The toolbar's pictures: the desktop's icon theme where it has a fitting name, else our own
// from the resources, so the toolbar reads the same on a desktop without a theme.
QIcon werkbalkIcoon(const QString &key);
void ZetWerkbalkIconen(mdiQLV2 &w);
// Gives the Log button its picture: "ImageLogging" while logging runs, "ImageLog" otherwise. The
// button's "Image" property names the one it shows.
void setLogButtonPicture(QAction &button, bool logging);
