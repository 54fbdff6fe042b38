#pragma once
#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>

// The data file: comma-separated lines ended by CR LF, every field in double quotes; in
// Windows-1252 when every text fits, otherwise in UTF-8 behind a byte-order mark. Line 1 is the header; every further line is a record of 1 + 11 fields per valid slot
// (four value and unit pairs, control, relays, remark), in slot order.

// A field's text as it may stand between its quotes: the format has no escaping, so double
// quotes and line breaks become blanks, and so does every control character a reader of the
// file takes for a stray byte (all below 0x20 but the tab, and DEL).
QString DataVeldTekst(const QString &text);
// The header line and the record line (without their line end). The record line clears the
// Relais of a slot whose read failed (FoutTeller above 0) while it carries values.
QString KopRegel();
QString MetingRegel(const QString &tekst, int slot);

// The name with every "#date#" replaced by today's date as yymmdd.
QString VervangDatum(const QString &name);
// Meetbestandsnaam := "Untitled.csv" in the data folder (absolute); AantalRijen := 0.
void NieuweBestandsnaam();
// The quoted field `veld` (from 1) of the line; with 0 the first field, taken off the line.
QString NeemVeld(QString &line, int veld = 0);
// Replaces the text of quoted field `veld` (0 counts as 1), keeping everything around it.
void VervangVeld(QString &line, int veld, const QString &tekst);
// The message for a file that could not be opened or written: its first line names what
// happened (the disk is full, no permission, the file in use, or only that it failed) from the
// system's error number `errnum`; the system's own words for it follow after a blank line.
QString SchrijfFoutTekst(const QString &path, int errnum);

// The data file named on the command line, as an absolute path (".csv" added when missing).
// Sets LaatsteMap to its folder; LaatsteAntwoord 2 (after a message) when that folder is missing.
QString BestandUitCommando(const QString &text);

// The data file open for appending while logging runs. Each record goes to disk as one whole
// line; a record that cannot be written is cut back off the file, counted and told without
// waiting, and the next record tries again.
class DataLog : public QObject {
    Q_OBJECT
public:
    static DataLog &instance();

    // Opens VervangDatum(Meetbestandsnaam) for appending and clears the count of records not
    // written. False (errorString() says why) when it cannot be opened.
    bool open();
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString fileName() const { return m_file.fileName(); }
    QString errorString() const { return m_error; }

    // Appends one record ("" a measurement, "Stop" the stop record; slot 0 all slots, else only
    // that slot may carry values), stamped with MeetTijdstip. True when it is on disk.
    bool SchrijfMeting(const QString &tekst, int slot);

    int unwrittenRecords() const { return m_unwritten; }

signals:
    // The number of records that could not be written since logging started.
    void unwrittenRecordsChanged(int count);
    // The user cancelled the reopen question: logging is off (LoggenActief is False).
    void loggingSwitchedOff();

private:
    bool openFile(const QString &path);
    void recordFailed(const QString &path);
    // Rewrites the open Windows-1252 file as UTF-8 behind the mark (written aside, then put in
    // its place) and opens it again for appending. False (m_errno says why) when it could not.
    bool convertToUtf8();

    QFile m_file;
    bool m_startNewLine = false; // the file ends inside a line that is not ours
    bool m_failing = false;      // the last record could not be written
    bool m_utf8 = false;         // the open file starts with the UTF-8 mark
    int m_errno = 0;             // the system's error number of the last failure
    int m_unwritten = 0;
    QString m_error;
};

// The record writer as the record hand-over calls it.
bool SchrijfMeting(const QString &tekst, int slot);
