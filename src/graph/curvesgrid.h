#pragma once
#include <QString>
#include <QTableWidget>
#include <QtGlobal>

class DialogInputGrafiekElement;
struct GraphSettings;

// The curves grid of the graph settings dialog: one row per line of a graph (rows 1..32, row 0
// and column 0 are its headers), with the line's source, colour and minimum, maximum and mean
// marks. A click on a cell, or Enter or Space on it, edits it: the source opens the line-source
// dialog, the colour the colour dialog, a mark cell toggles. A confirmed source goes into the
// graph's line table at once; colours and marks only through Toepassen (the dialog's OK).
class CurveLijnenGrid : public QTableWidget {
    Q_OBJECT
public:
    enum Kolom { KolomNummer = 0, KolomBron = 1, KolomKleur = 2, KolomMin = 3, KolomMax = 4,
                 KolomGemiddelde = 5 };

    explicit CurveLijnenGrid(QWidget *parent = nullptr);

    // Lays the grid out and fills it from graph `graph` of WindowSettings; `naam` is the
    // graph's name for the line-source dialog's title.
    void Vullen(int graph, const QString &naam);
    void LaadStrings();
    // Writes the colours and the marks of every line into the graph's settings.
    void Toepassen();

    // What a click on cell (rij, kolom) does.
    void Klik(int rij, int kolom);

    // The cell's state as the dialog reads it.
    bool Gemarkeerd(int rij, int kolom) const;
    qint32 Kleur(int rij) const;
    QString Bron(int rij) const;

    static QString Vinkje() { return QStringLiteral("\u2713"); }

    // The line-source dialog is open; closing it as Cancel (the settings dialog is going away).
    bool BronOpen() const { return m_bron != nullptr; }
    void SluitBron();

signals:
    // The line-source dialog has closed and the row is shown again.
    void bronGesloten();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    GraphSettings &graph() const;
    void VulCurveLijnen(int lijn);
    void ZetCurveVinkje(int rij, int kolom, bool waarde);
    void KiesBron(int rij);
    QTableWidgetItem *cel(int rij, int kolom);
    void zetKleur(int rij, qint32 kleur);
    void breedtes();

    int m_graph = 0;
    QString m_naam;
    DialogInputGrafiekElement *m_bron = nullptr;
};
