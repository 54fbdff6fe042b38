#pragma once
#include "core/windowsettings.h"

#include <QDateTime>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class frmGrafiek;
class frmTabel;
class QWidget;

// A table window with configured controllers and logged records, as the graph windows read
// them, and graph windows made the way the settings file makes them.
struct GraphFixture {
    GraphFixture();
    ~GraphFixture();

    // A controller in a slot: model T542, number 17 + slot, channels named "CH1".."CH4" with
    // unit "°C" and values "12.5", "13.5"...
    void configureSlot(int slot, int channels, const QString &unit = QStringLiteral("°C"));
    // One record: AantalRijen goes up by one, every valid slot logs its current values. Values
    // given here (slot 1 channel 1 first, then channel 2, ...; slot 2 after) replace them.
    void record(const QStringList &slot1 = {}, const QStringList &slot2 = {});
    // `count` records whose slot 1 channel 1 value is the record's number.
    void records(int count);

    // A graph of number n with line 1 on slot 1 channel 1 (and more lines as given), loaded
    // as the settings file loads one. The settings can be edited before load through `setup`.
    frmGrafiek *graph(int n, const std::function<void(GraphSettings &)> &setup = {});
    // Clicks the chart of a graph at a point of a series; returns whether a point was hit.
    static void clickPoint(frmGrafiek &graph, int series, int row, QPoint offset = {});

    std::unique_ptr<frmTabel> table;
    QDateTime firstRecord = QDateTime(QDate(2026, 1, 5), QTime(9, 0, 0));
};

QString savePicture(QWidget &widget, const QString &name);
