#pragma once
#include <QString>
#include <QWidget>

// Puts a configured controller in a slot: model, number, channel count, active, and readings
// "12.5", "13.5"... with unit "°C" and no status.
void configureSlot(int slot, int channels, const QString &type = QStringLiteral("T542"),
                   int idno = 17);
// Empties the whole slot table and the shared flags the views read.
void resetViews();
// Saves a picture of the widget under the build folder and returns its path.
QString savePicture(QWidget &widget, const QString &name);
