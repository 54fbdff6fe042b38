#pragma once
#include "core/printsettings.h"

#include <QDialog>
#include <QPageLayout>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class PrintableGraph;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace Printerkode {

// What the print dialog asks of the windows around it; the main window wires them.
struct PrintDialogHooks {
    // The graph window of graph 1..32 while it is open, else null.
    std::function<const PrintableGraph *(int graph)> grafiek;
    // Starts the help command with its topic.
    std::function<void(const QString &command)> startHelp;
    // The printers' names in the system's order and the default one's; tests put their own
    // in place of the system's.
    std::function<QStringList()> printers;
    std::function<QString()> standaardPrinter;
};
PrintDialogHooks &printDialogHooks();

// The printer list the dialog offers: the system's printers in order, then always the PDF
// file, so a stored index keeps its printer when the list is read again.
QStringList PrinterLijst();
// Position of the PDF file in PrinterLijst().
int PdfIndex();
// The list position of a stored index: as is when inside the list, 0 past its end; -1 finds
// the system's default printer (the PDF file when there is none).
int BepaalPrinterIndex(int opgeslagen);
// A printer for list position `index` (the PDF file past the system's printers), in the
// given orientation.
std::unique_ptr<QPrinter> MaakPrinter(int index, QPageLayout::Orientation orientatie);
// The chosen printer's list position and name, set by the print dialog.
inline QString HuidigePrinter;

// The display text of a standard paper-size number ("User-defined" for any other).
QString WeergavePapierSoort(int soort);
// The standard paper-size number of a printer's paper (0 when it has none).
int PapierSoort(const QPrinter &printer);

// The font a printout can use: the name when the fonts hold it, else the first of Arial,
// Liberation Sans and DejaVu Sans they hold, else the default font. With no fonts known the
// name stays.
QString GeldigLettertype(const QString &naam, const QStringList &lettertypes);

// The registry section of the print settings: all fourteen values, read with their defaults.
void BewarenPrinterinstellingen(const QString &sectie);
void LadenPrinterinstellingen(const QString &sectie);

} // namespace Printerkode

// The print dialog: what to print, the page header's fields, the font, the printer, the
// orientation and (through the page-margin dialog) the margins. Print hides it with Geprint
// set and leaves it loaded; the caller starts the print run. Cancel unloads it.
class formPrint : public QDialog {
    Q_OBJECT
public:
    explicit formPrint(QWidget *parent = nullptr);
    ~formPrint() override;

    // Set before loading: load without showing; the caller prints at once.
    bool PrintDirekt = false;
    // The window to print when not all are printed (the active one when the dialog loads).
    QPointer<QWidget> tePrintenVenster;
    // Print was clicked (the dialog is hidden, still loaded).
    bool Geprint = false;
    // Closed: by Print, Cancel or the window frame.
    bool Gesloten = false;

    // Fills every control from the stored settings.
    void Form_Load();
    // Loads (unless Print left it loaded, hidden, with what the user typed or chose; Cancel
    // unloads it), shows and waits until it is closed; true when Print was clicked.
    bool TonenEnWachten();

    void CommandPrinterFont_Click();
    void ZetPapiersoort(int PrintNr = -1);
    void UitlezenPrinterinstellingen();

    void OKButton_Click();
    void CancelButton_Click();
    void CommandHelp_Click();
    void CommandPagina_Click();
    void CommandSaveSettings_Click();
    void ComboPrinter_Click();

    // The controls, for the program and its tests.
    QTabWidget *SSTab = nullptr;
    QRadioButton *OptionAlles = nullptr;
    QRadioButton *OptionActiefVenster = nullptr;
    QCheckBox *CheckEnkelSelectie = nullptr;
    QCheckBox *CheckAlarmRapport = nullptr;
    QLineEdit *TextOperator = nullptr;
    QLineEdit *TextBedrijf = nullptr;
    QLineEdit *TextAfdeling = nullptr;
    QPlainTextEdit *TextNota = nullptr;
    QPushButton *CommandPrinterFont = nullptr;
    QLabel *LabelTonenLettertype = nullptr;
    QComboBox *ComboPrinter = nullptr;
    QLabel *LabelPapier = nullptr;
    QRadioButton *OptionOrientatie[2] = {nullptr, nullptr};
    QLabel *ImageOrientation = nullptr;
    QPushButton *CommandPagina = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
    QPushButton *CommandHelp = nullptr;
    QPushButton *CommandSaveSettings = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void LaadTekstenPrint();
    // The choice of windows, which follows the active child window at every showing.
    void InstellenVensterKeuze();
    void TonenLettertype();
    void InstellenOrientatie(int Orientatie);
    void InstellenEnkelSelectie();
    void InstellenAlarmRapport();
    void Gewijzigd();
    void ToonOrientatieIcoon();

    QString BewaardLettertype;
    QString BewaardCursief;
    bool m_geladen = false;
    QLabel *LabelPrinter = nullptr;
    QLabel *LabelOperator = nullptr;
    QLabel *LabelBedrijf = nullptr;
    QLabel *LabelAfdeling = nullptr;
    QLabel *LabelNota = nullptr;
    QLabel *FrameOrientatie = nullptr;
    std::unique_ptr<QPrinter> m_printer;
    bool m_laden = false;
};
