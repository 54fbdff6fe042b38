#include "mainwindow/menurules.h"

#include <QVariant>
#include <QWidget>

QString vensterKind(const QString &tag) { return tag.left(5).toLower(); }

QString vensterKind(const QWidget *window)
{
    return window ? vensterKind(window->property("Tag").toString()) : QString();
}

EditMenuState editMenuRules(const EditMenuInput &in)
{
    EditMenuState s;
    s.relatieveTijdChecked = in.relatieveTijd;
    if (!in.slotValid || !in.windowsOpen || in.logging || in.kind.isEmpty())
        return s;
    s.copy = true;
    if (in.kind == QLatin1String("grafi")) {
        s.copySettings = true;
        s.settingsKindEntry = 121;
        s.pasteSettings = in.copySetGraph;
    } else if (in.kind == QLatin1String("tabel")) {
        // A read-only data file keeps its lines: edits of it could never be accepted.
        s.clearLine = !in.readOnly;
        s.deleteLine = !in.readOnly;
        s.info = !in.readOnly;
        s.copySettings = true;
        s.settingsKindEntry = 122;
        s.pasteSettings = in.copySetTab;
        s.relatieveTijd = true;
        s.timeOrigin = in.relatieveTijd;
    }
    return s;
}

FileMenuState fileMenuRules(const FileMenuInput &in)
{
    FileMenuState s;
    s.saveAs = !in.readOnly;
    s.print = in.windowsShown;
    return s;
}

WindowMenuState windowMenuRules(bool windowActive, const QString &kind)
{
    WindowMenuState s;
    if (!windowActive || kind.isEmpty())
        return s;
    if (kind == QLatin1String("grafi"))
        s.graphSettings = true;
    else
        s.font = true;
    return s;
}

ButtonStates buttonRules(const ButtonInput &in)
{
    ButtonStates s;
    s.graphSettings = false;
    s.font = false;
    s.saveSettings = true;
    if (!in.windowsShown)
        return s;
    if (in.kind == QLatin1String("metin") || in.kind == QLatin1String("tabel")) {
        s.font = true;
        if (in.measuring)
            return s;
        s.receiveButton = s.transferButton = s.receiveItem = s.transferItem = true;
    } else if (in.kind == QLatin1String("grafi")) {
        if (in.aantalGrafieken < 1)
            return s;
        s.graphSettings = true;
        s.receiveButton = false;
        s.receiveItem = false;
        if (in.measuring)
            return s;
        s.transferButton = true;
        s.transferItem = true;
    } else if (in.kind == QLatin1String("termi")) {
        s.font = true;
        s.receiveButton = in.measuring;
        s.receiveItem = in.measuring;
        s.transferButton = true;
        s.transferItem = true;
    }
    return s;
}
