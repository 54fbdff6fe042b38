#pragma once
#include <QDialog>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtGlobal>

class QLabel;
class QPushButton;
class QScrollArea;
class QSoundEffect;

// What a set of flags makes of the box: its buttons (answer codes, left to right), the button
// that has the focus, the answer of Escape and of a close by the frame (0: neither, and the box
// has no close button), its picture and its sound.
struct MeldingOpmaak {
    QList<int> knoppen;
    int focus = 0;
    int escape = 0;
    QString plaatje; // "ImageCritical", "ImageInformation", "ImageQuestion", "ImageExclamation"
    qint16 geluid = 108;
};
MeldingOpmaak BepaalMeldingOpmaak(int vlaggen);

// The resource file of a picture key and of a sound number.
QString PlaatjeBron(const QString &plaatje);
QString GeluidBestand(int geluid);

// Where a box of the given size goes on the screen, from the stored top and left (twips, as
// text; missing or not a number counts as missing). A stored place at or below 0 or beyond the
// screen gives the centred default; a box that would stick out is pulled back onto the screen.
QPoint PlaatsMelding(const QString &topTwips, const QString &leftTwips, QSize box,
                     const QRect &screen, double twipsPerPixel);

// The program's own message box. Each waiting TonenMelding has a box of its own; a box shown
// without waiting is reused by the next call while it is still open.
class FormMelding : public QDialog {
    Q_OBJECT
public:
    // A box stacked on others sits a little lower and to the right of the stored place.
    explicit FormMelding(int stapeling = 0);
    ~FormMelding() override;

    // Captions of the seven buttons, as indexes into Taaltekst; set at every language load.
    static inline int TekstOK = 140, TekstCANCEL = 141, TekstABORT = 115, TekstRETRY = 279,
                      TekstIGNORE = 280, TekstYES = 99, TekstNO = 100;
    static void ZetKnopTeksten();

    qint32 MijnVlaggen = 0;
    QString MijnTitel;
    QString MijnMelding;
    qint16 GeklikteToets = 0;
    qint16 Geluid = 108;
    QString Plaatje;
    double MeldingTop = 0, MeldingLeft = 0; // twips

    // Builds the box from MijnMelding, MijnTitel and MijnVlaggen, shows it, plays its sound.
    void InitialisatieMelding();
    // The sound resource of the number, as a URL QSoundEffect plays; "" when there is none.
    static QString LaadGeluid(qint16 nr);
    // Stores the position and closes the box.
    void Ontladen();

    // The button with the given answer code.
    QPushButton *knop(int antwoord) const;
    // Open boxes, oldest first.
    static QList<FormMelding *> openBoxes();

    // The sound the last box asked for (played only where there is a sound device).
    static QString laatsteGeluid();

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void klik(int antwoord);
    void zetTeksten();
    void maakOp();
    void SpeelGeluid();

    QLabel *m_label = nullptr;
    QLabel *m_picture = nullptr;
    QScrollArea *m_scroll = nullptr;
    QList<QPushButton *> m_knoppen; // by answer code 1..7, index code - 1
    QSoundEffect *m_effect = nullptr;
    MeldingOpmaak m_opmaak;
    bool m_geladen = false;
    bool m_ontladen = false;
    int m_cascade = 0;
};

// Shows the message and, unless the flags hold the do-not-wait bit (then 0 at once), waits
// for the answer while the program keeps running; the answer is 1..7 (OK, Cancel, Abort,
// Retry, Ignore, Yes, No). Afterwards the main window's enabled state is what it was before.
qint16 TonenMelding(const QString &melding, qint32 vlaggen, const QString &titel = QString());

// When a field takes another value than the one typed, in a way the user could not foresee,
// they are told what was taken: "Value axis: Maximum 0, Minimum 100 cannot be used as typed;
// Maximum 100, Minimum 0 is used instead." (`veld` names the field, without a colon).
QString GenomenInPlaatsVan(const QString &veld, const QString &getypt, const QString &genomen);
// Tells it in a plain box with an OK button and the information sign, titled `titel`.
void MeldGenomenInPlaatsVan(QWidget *parent, const QString &veld, const QString &getypt,
                            const QString &genomen, const QString &titel);
