#include "core/settingsfile.h"

#include "core/conversions.h"
#include "core/datafile.h"
#include "core/datafileparse.h"
#include "core/defaults.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "platform/clock.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "support/language.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStringList>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <unistd.h>

using namespace Hoofdmodule;

namespace {

const QDate zeroDate(1899, 12, 30);

template <typename T> QString shortestNumber(T value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    char buffer[512];
    const double magnitude = std::fabs(double(value));
    const auto format = (magnitude == 0 || (magnitude >= 1e-5 && magnitude < 1e15))
                            ? std::chars_format::fixed
                            : std::chars_format::scientific;
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    QString text = QString::fromLatin1(buffer, int(result.ptr - buffer));
    text.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return text;
}

QString yesNo(bool value) { return BooleanTekst(value); }

// Lines of the file being written.
class Writer {
public:
    void line(const QString &text) { m_lines.append(text); }
    void key(const QString &key, const QString &value) { m_lines.append(key + value); }
    void key(const QString &key, bool value) { m_lines.append(key + yesNo(value)); }
    void key(const QString &key, qint32 value) { m_lines.append(key + QString::number(value)); }
    void key(const QString &key, float value) { m_lines.append(key + InstellingGetal(value)); }
    void key(const QString &key, double value) { m_lines.append(key + InstellingGetal(value)); }

    QByteArray bytes() const
    {
        QString text;
        for (const QString &l : m_lines) {
            text += l;
            text += QStringLiteral("\r\n");
        }
        return FileText::encodeFile(text);
    }

private:
    QStringList m_lines;
};

void SchrijfVensterPositie(Writer &w, const WindowPlacement &p)
{
    w.key(QStringLiteral("State="), qint32(p.state));
    w.key(QStringLiteral("Top="), p.top);
    w.key(QStringLiteral("Left="), p.left);
    w.key(QStringLiteral("Height="), p.height);
    w.key(QStringLiteral("Width="), p.width);
}

void SchrijfLettertype(Writer &w, const FontSettings &f, bool shortForm)
{
    if (!shortForm)
        w.key(QStringLiteral("Fontname="), f.name);
    w.key(QStringLiteral("FontSize="), f.size);
    w.key(QStringLiteral("FontBold="), f.bold);
    w.key(QStringLiteral("FontItalic="), f.italic);
    w.key(QStringLiteral("FontStrikeThrough="), f.strikeThrough);
    w.key(QStringLiteral("FontUnderline="), f.underline);
    if (!shortForm)
        w.key(QStringLiteral("FontColor= "), f.colour);
}

void SchrijfKolombreedtes(Writer &w, const TableGridSettings &grid)
{
    // Always all 14 columns: the reader takes 14 lines per grid, whether the table is set up or not.
    for (int c = 0; c < TabelKolommen; ++c)
        w.key(QStringLiteral("ColumnWidth%1=").arg(c), grid.columnWidths[size_t(c)]);
}

void SchrijfGrafiekInstellingen(Writer &w, const GraphSettings &g)
{
    w.line(QStringLiteral("[WINDOW]"));
    w.key(QStringLiteral("Top="), g.placement.top);
    w.key(QStringLiteral("Left="), g.placement.left);
    w.key(QStringLiteral("Height="), g.placement.height);
    w.key(QStringLiteral("Width="), g.placement.width);
    w.key(QStringLiteral("Windowstate="), qint32(g.placement.state));
    w.line(QString());
    w.line(QStringLiteral("[VALUE AXIS]"));
    w.key(QStringLiteral("Title="), g.TitelWaardenas);
    w.key(QStringLiteral("Autoscale="), g.AutomatischeSchaal);
    w.key(QStringLiteral("Min="), g.GrafiekMinimum);
    w.key(QStringLiteral("Max="), g.GrafiekMaximum);
    w.key(QStringLiteral("Divisions="), qint32(g.AantalWaardenVerdelingen));
    w.key(QStringLiteral("Subdivisions="), qint32(g.AantalWaardenOnderverdelingen));
    w.line(QString());
    w.line(QStringLiteral("[TIME AXIS]"));
    w.key(QStringLiteral("Title="), g.TitelTijdsas);
    w.key(QStringLiteral("No of points="), qint32(g.MaxGrafiekZichtbaar));
    w.key(QStringLiteral("Divisions="), qint32(g.AantalTijdVerdelingen));
    w.key(QStringLiteral("Label="), qint32(g.LabelKeuze));
    w.line(QString());
    w.line(QStringLiteral("[MISCELLANOUS]"));
    w.key(QStringLiteral("Name="), g.caption);
    w.key(QStringLiteral("Legend="), g.LegendeKeuze);
    w.key(QStringLiteral("XY Recorder="), g.XYrecorder);
    w.key(QStringLiteral("Interval of time="), g.RecorderTussentijd);
    w.key(QStringLiteral("Print Recorder="), g.AfdrukkenRecorder);
    w.line(QString());
    w.line(QStringLiteral("[ALARM HIGH]"));
    w.key(QStringLiteral("Set="), g.AlarmHoog);
    w.key(QStringLiteral("Value="), g.AlarmHoogWaarde);
    w.key(QStringLiteral("Colour="), g.GrafiekKleur(2));
    w.line(QString());
    w.line(QStringLiteral("[ALARM LOW]"));
    w.key(QStringLiteral("Set="), g.AlarmLaag);
    w.key(QStringLiteral("Value="), g.AlarmLaagWaarde);
    w.key(QStringLiteral("Colour="), g.GrafiekKleur(1));
    for (int n = 1; n <= MaxGrafiekLijnen; ++n) {
        w.line(QString());
        w.line(QStringLiteral("[LINE%1]").arg(n));
        w.key(QStringLiteral("Device="), qint32(g.LeesGrafiekLijnRef(n, 1)));
        w.key(QStringLiteral("Input="), qint32(g.LeesGrafiekLijnRef(n, 2)));
        w.key(QStringLiteral("Colour="), g.GrafiekKleur(n + 2));
        w.key(QStringLiteral("Min="), qint32(g.LeesGrafiekLijnRef(n, 3)));
        w.key(QStringLiteral("Max="), qint32(g.LeesGrafiekLijnRef(n, 4)));
        w.key(QStringLiteral("Mean="), qint32(g.LeesGrafiekLijnRef(n, 5)));
    }
    w.line(QString());
    w.line(QStringLiteral("[END]"));
}

QString fileNameOnly(const QString &path) { return QFileInfo(path).fileName(); }

qint32 checkInterval(qint32 seconds) { return (seconds >= 1 && seconds <= 86400) ? seconds : 1; }

// The lines of the file being read. A line ends at CR LF, CR or LF.
class Reader {
public:
    explicit Reader(const QString &text)
    {
        qsizetype start = 0;
        const qsizetype n = text.size();
        for (qsizetype i = 0; i < n; ++i) {
            const QChar c = text[i];
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                m_lines.append(text.mid(start, i - start));
                if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                    ++i;
                start = i + 1;
            }
        }
        if (start < n)
            m_lines.append(text.mid(start));
    }
    bool atEnd() const { return m_pos >= m_lines.size(); }
    // The next line; the empty text at the end of the file.
    QString next() { return atEnd() ? QString() : m_lines[m_pos++]; }

private:
    QStringList m_lines;
    qsizetype m_pos = 0;
};

QString valueOf(const QString &line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    const QString rest = eq < 0 ? line : line.mid(eq + 1);
    // Blanks only, as the file's own writer pads.
    qsizetype a = 0, b = rest.size();
    while (a < b && rest[a] == QLatin1Char(' '))
        ++a;
    while (b > a && rest[b - 1] == QLatin1Char(' '))
        --b;
    return rest.mid(a, b - a);
}

void LeesVensterPositie(Reader &r, WindowPlacement &target, const QSizeF &bounds)
{
    WindowPlacement stored;
    stored.state = TekstNaarInteger(valueOf(r.next()));
    stored.top = TekstNaarSingle(valueOf(r.next()));
    stored.left = TekstNaarSingle(valueOf(r.next()));
    stored.height = TekstNaarSingle(valueOf(r.next()));
    stored.width = TekstNaarSingle(valueOf(r.next()));
    target = ControleerPlaatsing(stored, bounds);
}

void LeesLettertype(Reader &r, FontSettings &f, bool shortForm)
{
    // A value a font refuses (no name, a size of 0 or less) leaves the font as it was.
    if (!shortForm) {
        const QString name = valueOf(r.next());
        if (!name.isEmpty())
            f.name = name;
    }
    const float size = TekstNaarSingle(valueOf(r.next()));
    if (size > 0)
        f.size = size;
    f.bold = TekstNaarBoolean(valueOf(r.next()));
    f.italic = TekstNaarBoolean(valueOf(r.next()));
    f.strikeThrough = TekstNaarBoolean(valueOf(r.next()));
    f.underline = TekstNaarBoolean(valueOf(r.next()));
    if (!shortForm)
        f.colour = TekstNaarLong(valueOf(r.next()));
}

void LeesKolombreedtes(Reader &r, TableGridSettings &grid)
{
    for (int c = 0; c < TabelKolommen; ++c)
        if (!r.atEnd())
            grid.columnWidths[size_t(c)] = TekstNaarLong(valueOf(r.next()));
}

enum class Sub { None, Window, ValueAxis, TimeAxis, Misc, AlarmHigh, AlarmLow, Line };

void LeesGrafiekInstellingen(Reader &r, GraphSettings &g, int number)
{
    g.resetToLoadDefaults(number);
    g.caption = Taaltekst(121) + QLatin1Char(' ') + QString::number(number);
    g.NieuweGrafiek = false;
    g.visible = false;
    g.placement.state = 0;
    qint16 endState = 0;
    Sub sub = Sub::None;
    int lineNo = 0;
    bool end = false;
    while (!r.atEnd() && !end) {
        const QString line = r.next().trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            lineNo = 0;
            const QString name = line.mid(1);
            sub = Sub::None;
            if (name.startsWith(QLatin1String("WINDOW")))
                sub = Sub::Window;
            else if (name.startsWith(QLatin1String("VALUE AXIS")))
                sub = Sub::ValueAxis;
            else if (name.startsWith(QLatin1String("TIME AXIS")))
                sub = Sub::TimeAxis;
            else if (name.startsWith(QLatin1String("MISCELLANOUS")))
                sub = Sub::Misc;
            else if (name.startsWith(QLatin1String("ALARM HIGH")))
                sub = Sub::AlarmHigh;
            else if (name.startsWith(QLatin1String("ALARM LOW")))
                sub = Sub::AlarmLow;
            else if (name.startsWith(QLatin1String("LINE"))) {
                sub = Sub::Line;
                const qsizetype close = name.indexOf(QLatin1Char(']'));
                lineNo = TekstNaarInteger(name.mid(4, close < 0 ? -1 : close - 4));
                if (lineNo < 0 || lineNo > MaxGrafiekLijnen)
                    lineNo = 0;
            } else if (name.startsWith(QLatin1String("END")))
                end = true;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue; // a key line without "=" carries nothing
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1);
        switch (sub) {
        case Sub::Window:
            if (key == QLatin1String("top"))
                g.placement.top = TekstNaarSingle(value);
            else if (key == QLatin1String("left"))
                g.placement.left = TekstNaarSingle(value);
            else if (key == QLatin1String("height"))
                g.placement.height = TekstNaarSingle(value);
            else if (key == QLatin1String("width"))
                g.placement.width = TekstNaarSingle(value);
            else if (key == QLatin1String("windowstate"))
                endState = TekstNaarInteger(value);
            break;
        case Sub::ValueAxis:
            if (key == QLatin1String("title"))
                g.TitelWaardenas = value.trimmed();
            else if (key == QLatin1String("autoscale"))
                g.AutomatischeSchaal = TekstNaarBoolean(value);
            else if (key == QLatin1String("min"))
                g.GrafiekMinimum = TekstNaarDouble(value);
            else if (key == QLatin1String("max"))
                g.GrafiekMaximum = TekstNaarDouble(value);
            else if (key == QLatin1String("divisions"))
                g.AantalWaardenVerdelingen = TekstNaarInteger(value);
            else if (key == QLatin1String("subdivisions"))
                g.AantalWaardenOnderverdelingen = TekstNaarInteger(value);
            break;
        case Sub::TimeAxis:
            if (key == QLatin1String("title"))
                g.TitelTijdsas = value.trimmed();
            else if (key == QLatin1String("divisions"))
                g.AantalTijdVerdelingen = TekstNaarInteger(value);
            else if (key == QLatin1String("no of points"))
                g.MaxGrafiekZichtbaar = TekstNaarInteger(value);
            else if (key == QLatin1String("label"))
                g.LabelKeuze = TekstNaarInteger(value);
            break;
        case Sub::Misc:
            if (key == QLatin1String("name"))
                g.caption = value;
            else if (key == QLatin1String("legend"))
                g.LegendeKeuze = TekstNaarBoolean(value);
            else if (key == QLatin1String("xy recorder"))
                g.XYrecorder = TekstNaarBoolean(value);
            else if (key == QLatin1String("interval of time"))
                g.RecorderTussentijd = TekstNaarLong(value);
            else if (key == QLatin1String("print recorder"))
                g.AfdrukkenRecorder = TekstNaarBoolean(value);
            break;
        case Sub::AlarmHigh:
        case Sub::AlarmLow: {
            const bool high = sub == Sub::AlarmHigh;
            if (key == QLatin1String("set"))
                (high ? g.AlarmHoog : g.AlarmLaag) = TekstNaarBoolean(value);
            else if (key == QLatin1String("value"))
                (high ? g.AlarmHoogWaarde : g.AlarmLaagWaarde) = TekstNaarDouble(value);
            else if (key == QLatin1String("colour"))
                g.ZetDiagramKleur(high ? 2 : 1, TekstNaarLong(value));
            break;
        }
        case Sub::Line: {
            if (lineNo == 0)
                break;
            static const char *const entries[] = {"device", "input", "min", "max", "mean"};
            for (int e = 0; e < 5; ++e)
                if (key == QLatin1String(entries[e])) {
                    qint16 v = TekstNaarInteger(value);
                    // A source outside the slot table or a channel beyond 4 is no source.
                    if ((e == 0 && (v < 0 || v > MaxToestellen)) ||
                        (e == 1 && (v < 0 || v > MaxKanalen)))
                        v = 0;
                    g.SchrijfGrafiekLijnRef(lineNo, e + 1, v);
                }
            if (key == QLatin1String("colour"))
                g.ZetDiagramKleur(lineNo + 2, TekstNaarLong(value));
            break;
        }
        case Sub::None: break;
        }
    }
    if (endState == 1 || endState == 2)
        g.placement.state = endState;
    g.visible = true;
}

// The eight sections the reader acts on.
const char *const actedOn[] = {"[LANGUAGE]", "[COMMUNICATION]", "[DEVICE]", "[MAIN]",
                               "[FILE]",     "[GRAPHICS]",      "[TABLE]",  "[TERMINAL]"};

bool isActedOn(const QString &upper)
{
    for (const char *h : actedOn)
        if (upper == QLatin1String(h))
            return true;
    return false;
}

QString untitledName()
{
    return QDir(DataMap).absoluteFilePath(QStringLiteral("Untitled.csv"));
}

class SettingsReader {
public:
    explicit SettingsReader(const QString &text) : r(text) {}

    QStringList seen; // the headers of the sections read

    void run()
    {
        QString current = r.next();
        while (!r.atEnd()) {
            const QString upper = current.toUpper();
            QString pending;
            if (isActedOn(upper)) {
                seen.append(upper);
                pending = section(upper);
            }
            // A header that ended the "[FILE]" section is handled next, as any header would be.
            current = pending.isNull() ? r.next() : pending;
        }
    }

private:
    // Runs a section; returns a header line that ended it early (null otherwise).
    QString section(const QString &header)
    {
        WindowHost &host = WindowHost::current();
        if (header == QLatin1String("[LANGUAGE]")) {
            if (!r.atEnd())
                TaalIndex = ZoekTaalIndex(valueOf(r.next()));
        } else if (header == QLatin1String("[COMMUNICATION]")) {
            if (!r.atEnd())
                SeriePoort = ControleerCommPoort(valueOf(r.next()));
            if (!r.atEnd())
                Baudrate = ControleerBaudrate(valueOf(r.next()));
            if (!r.atEnd())
                MeetInterval = checkInterval(TekstNaarLong(valueOf(r.next())));
        } else if (header == QLatin1String("[MAIN]")) {
            LeesVensterPositie(r, WindowSettings::mainWindow, host.screenTwips());
            host.mainWindowRead();
        } else if (header == QLatin1String("[FILE]")) {
            return fileSection();
        } else if (header == QLatin1String("[DEVICE]")) {
            deviceSection();
        } else if (header == QLatin1String("[GRAPHICS]")) {
            if (AantalGrafieken < MaxGrafieken) {
                ++AantalGrafieken;
                const int g = AantalGrafieken;
                LeesGrafiekInstellingen(r, WindowSettings::graph[size_t(g)], g);
                GekozenNummer = qint16(g);
                host.graphRead(g);
            } else {
                GraphSettings dropped; // a 33rd graph block has no window: read it to its end
                LeesGrafiekInstellingen(r, dropped, 0);
            }
        } else if (header == QLatin1String("[TERMINAL]")) {
            TerminalSettings &t = WindowSettings::terminal;
            t.menuChecked = false;
            // Loading the terminal window switches both echoes on; the file then says.
            ToonCodeZenden = true;
            ToonCodeOntvangen = true;
            LeesVensterPositie(r, t.placement, host.mainClientTwips());
            LeesLettertype(r, t.font, true);
            if (!r.atEnd())
                ToonCodeZenden = TekstNaarBoolean(valueOf(r.next()));
            if (!r.atEnd())
                ToonCodeOntvangen = TekstNaarBoolean(valueOf(r.next()));
            if (!r.atEnd())
                t.menuChecked = TekstNaarBoolean(valueOf(r.next()));
            host.terminalRead();
        } else if (header == QLatin1String("[TABLE]")) {
            TableSettings &t = WindowSettings::table;
            if (!r.atEnd())
                t.TabelTonen = TekstNaarBoolean(valueOf(r.next()));
            for (TableGridSettings &grid : t.grids)
                grid.setDefaultColumnWidths();
            LeesVensterPositie(r, t.placement, host.mainClientTwips());
            for (TableGridSettings &grid : t.grids) {
                LeesLettertype(r, grid.font, false);
                LeesKolombreedtes(r, grid);
            }
            host.tableRead();
        }
        return QString();
    }

    QString fileSection()
    {
        for (int n = 1; n <= 7; ++n) {
            if (r.atEnd())
                break;
            const QString line = r.next();
            if (IsSectieKop(line))
                return line;
            const QString value = valueOf(line);
            switch (n) {
            case 1:
                if (!BestandOpCommando)
                    Meetbestandsnaam = value.isEmpty() ? value
                                                       : QDir(DataMap).absoluteFilePath(value);
                break;
            case 2: StartLoggen = TekstNaarBoolean(value) && !BestandOpCommando; break;
            case 3: LaadBestand = TekstNaarBoolean(value); break;
            case 4: StartLoggenOpTijd = TekstNaarBoolean(value); break;
            case 5: StopLoggenOpTijd = TekstNaarBoolean(value); break;
            case 6:
            case 7: {
                const QDateTime moment = LeesInstellingDatum(value);
                QDateTime &target = n == 6 ? StartTijd : StopTijd;
                bool &scheduled = n == 6 ? StartLoggenOpTijd : StopLoggenOpTijd;
                if (moment.isValid()) {
                    target = moment;
                } else {
                    target = Clock::current().now();
                    scheduled = false;
                }
                break;
            }
            }
        }
        return QString();
    }

    void deviceSection()
    {
        QString lines[10];
        int available = 0; // lines missing at the end of the file leave their values as they were
        for (QString &l : lines)
            if (!r.atEnd()) {
                l = valueOf(r.next());
                ++available;
            }
        const int d = TekstNaarInteger(lines[0]);
        if (d < 1 || d > MaxToestellen)
            return; // no such slot: the block is read and dropped
        ToestelGegevens &t = Toestel[d];
        if (available > 1)
            t.Naam = lines[1];
        if (available > 2)
            t.Type = ControleerType(lines[2]);
        if (available > 3) {
            qint32 idno = TekstNaarLong(lines[3]);
            t.Idno = ControleerIdno(idno);
        }
        if (available > 4) {
            qint16 kanalen = TekstNaarInteger(lines[4]);
            t.Kanalen = ControleerAantalKanalen(kanalen);
        }
        if (available > 5)
            t.Actief = TekstNaarBoolean(lines[5]);
        for (int k = 1; k <= MaxKanalen; ++k)
            if (available > 5 + k)
                t.Kanaal[size_t(k)].Naam = lines[5 + k].left(30);
        // A block cut off before its channel count describes no controller: polled, it would
        // log empty records for ever and be saved with no channels.
        if (t.Kanalen < 1 || t.Kanalen > MaxKanalen)
            t.Type.clear();

        RackWindowSettings &rack = WindowSettings::rack[size_t(d)];
        if (ToestelGeldig(d)) {
            bool show = rack.visible;
            if (!r.atEnd())
                show = TekstNaarBoolean(valueOf(r.next()));
            LeesVensterPositie(r, rack.placement, WindowHost::current().mainClientTwips());
            for (FontSettings &f : rack.channelLabelFonts)
                LeesLettertype(r, f, false);
            rack.visible = show;
        } else {
            rack.visible = false;
        }
        WindowHost::current().deviceRead(d);
    }

    Reader r;
};

// The sections the writer puts in every file; a file without one of them was cut short or is
// not a settings file.
const char *const alwaysWritten[] = {"[COMMUNICATION]", "[LANGUAGE]", "[MAIN]",
                                     "[FILE]",          "[TERMINAL]", "[TABLE]"};

} // namespace

QString InstellingGetal(float value) { return shortestNumber(value); }
QString InstellingGetal(double value) { return shortestNumber(value); }

QString InstellingDatum(const QDateTime &moment)
{
    if (!moment.isValid())
        return DateTimeText::formatTime(QTime(0, 0));
    if (moment.date() == zeroDate)
        return DateTimeText::formatTime(moment.time());
    if (moment.time() == QTime(0, 0))
        return DateTimeText::formatDate(moment.date());
    return DateTimeText::format(moment);
}

QDateTime LeesInstellingDatum(const QString &value)
{
    if (TekstNaarLong(value) <= 0)
        return {};
    QDateTime moment = DateTimeText::parse(value);
    // A file written under another locale: its times are tried in the forms a data file's
    // record times are, a date alone as that form's midnight. A schedule the user set must not
    // be switched off because the locale changed since.
    if (!moment.isValid()) {
        for (DataFileParse::TimeReader &reader : DataFileParse::timeReaders()) {
            moment = reader.read(value);
            if (!moment.isValid())
                moment = reader.read(value + u' '
                                     + DateTimeText::formatTime(QTime(0, 0), reader.form().locale));
            if (moment.isValid()) {
                moment = QDateTime(moment.date(), moment.time());
                break;
            }
        }
    }
    // The zero date, in whatever form a locale wrote it, is no date.
    if (!moment.isValid() || moment.date() <= zeroDate)
        return {};
    return moment;
}

QByteArray InstellingenTekst()
{
    Writer w;
    w.line(QStringLiteral("[COMMUNICATION]"));
    w.key(QStringLiteral("SerialPort="), SeriePoort);
    w.key(QStringLiteral("Baudrate="), Baudrate);
    w.key(QStringLiteral("Interval="), MeetInterval);
    w.line(QStringLiteral("[LANGUAGE]"));
    w.key(QStringLiteral("Language="), Taaltekst(500));
    w.line(QStringLiteral("[MAIN]"));
    SchrijfVensterPositie(w, WindowSettings::mainWindow);
    w.line(QStringLiteral("[FILE]"));
    w.key(QStringLiteral("Name="), Meetbestandsnaam);
    w.key(QStringLiteral("StartLog="), StartLoggen);
    w.key(QStringLiteral("LoadFile="), LaadBestand);
    w.key(QStringLiteral("StartLogOnTime="), StartLoggenOpTijd);
    w.key(QStringLiteral("StopLogOnTime="), StopLoggenOpTijd);
    w.key(QStringLiteral("StartTime="), InstellingDatum(StartTijd));
    w.key(QStringLiteral("StopTime="), InstellingDatum(StopTijd));

    for (int d = 1; d <= MaxToestellen; ++d) {
        ToestelGegevens &t = Toestel[d];
        if (t.Type.trimmed().isEmpty())
            continue;
        w.line(QStringLiteral("[DEVICE]"));
        w.key(QStringLiteral("Number="), qint32(d));
        w.key(QStringLiteral("Name="), t.Naam.trimmed());
        w.key(QStringLiteral("Type="), t.Type.trimmed());
        w.key(QStringLiteral("Idno="), t.Idno);
        w.key(QStringLiteral("Channels="), qint32(t.Kanalen));
        w.key(QStringLiteral("Active="), t.Actief);
        for (int k = 1; k <= MaxKanalen; ++k)
            w.key(QStringLiteral("Channel%1=").arg(k), t.Kanaal[size_t(k)].Naam.trimmed());
        if (ToestelGeldig(d)) {
            const RackWindowSettings &rack = WindowSettings::rack[size_t(d)];
            w.key(QStringLiteral("ShowWindow="), rack.visible);
            SchrijfVensterPositie(w, rack.placement);
            for (const FontSettings &f : rack.channelLabelFonts)
                SchrijfLettertype(w, f, false);
        }
    }

    for (int g = 1; g <= MaxGrafieken; ++g) {
        const GraphSettings &graph = WindowSettings::graph[size_t(g)];
        if (graph.GrafiekIndex != g)
            continue;
        w.line(QStringLiteral("[GRAPHICS]"));
        SchrijfGrafiekInstellingen(w, graph);
    }

    const TerminalSettings &terminal = WindowSettings::terminal;
    w.line(QStringLiteral("[TERMINAL]"));
    SchrijfVensterPositie(w, terminal.placement);
    SchrijfLettertype(w, terminal.font, true);
    w.key(QStringLiteral("ShowCodeSend="), ToonCodeZenden);
    w.key(QStringLiteral("ShowCodeReceive="), ToonCodeOntvangen);
    w.key(QStringLiteral("ShowWindow="), terminal.menuChecked);

    const TableSettings &table = WindowSettings::table;
    w.line(QStringLiteral("[TABLE]"));
    w.key(QStringLiteral("ShowWindow="), table.TabelTonen);
    SchrijfVensterPositie(w, table.placement);
    for (const TableGridSettings &grid : table.grids) {
        SchrijfLettertype(w, grid.font, false);
        SchrijfKolombreedtes(w, grid);
    }
    return w.bytes();
}

bool SchrijfInstellingen(const QString &path)
{
    WindowHost &host = WindowHost::current();
    if (!SettingsFileState::damagedFile.isEmpty() &&
        QFileInfo(path).absoluteFilePath() == SettingsFileState::damagedFile) {
        // What was read from it is all the program knows; the rest of the file may still be
        // wanted, so writing over it is the user's call.
        QString question = Taaltekst(510);
        question.replace(QLatin1Char('#'), QDir::toNativeSeparators(path));
        if (host.message(question, MsgBox::YesNo | MsgBox::Question | MsgBox::DefaultButton2,
                         fileNameOnly(path)) != MsgBox::Yes)
            return false;
    }
    host.collectWindowSettings();
    const QByteArray bytes = InstellingenTekst();
    QSaveFile file(path);
    int failure = 0;
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (!ok)
        failure = errno;
    // Unbuffered, as the data file: Qt's write buffer keeps a small file until the commit, whose
    // flush error it then drops; written at once, a failure leaves its reason in errno.
    if (ok) {
        errno = 0;
        ok = file.write(bytes) == bytes.size();
        if (!ok)
            failure = errno != 0 ? errno : EIO;
    }
    const int fd = file.handle();
    // Some file systems find out only here that the disk is full.
    if (ok && ::fsync(fd) != 0) {
        failure = errno;
        ok = false;
    }
    if (ok) {
        errno = 0;
        ok = file.commit();
        if (!ok)
            failure = errno;
    } else if (file.isOpen()) {
        file.cancelWriting();
    }
    if (!ok) {
        QString text = Taaltekst(313);
        text.replace(QStringLiteral("##"), QDir::toNativeSeparators(path));
        const QString cause = failure != 0 ? SchrijfFoutTekst(path, failure) : file.errorString();
        if (!cause.isEmpty())
            text += QStringLiteral("\n\n") + cause;
        host.message(text, MsgBox::OkOnly | MsgBox::Exclamation, fileNameOnly(path));
        return false;
    }
    if (QFileInfo(path).absoluteFilePath() == SettingsFileState::damagedFile)
        SettingsFileState::damagedFile.clear();
    InstellingenGewijzigd = false;
    host.saveButtonEnabled();
    return true;
}

bool BewaarInstellingen(const QString &path) { return SchrijfInstellingen(path); }

int BewaarInstellingenAls(QString &path)
{
    const QString old = path;
    int antwoord = 2;
    const QString filter = QStringLiteral("%1 (*%2)").arg(Taaltekst(178), InstellingenExtensie);
    const QString chosen = DialogProvider::current().saveFileName(
        nullptr, Taaltekst(186), path, filter, InstellingenExtensie.mid(1));
    if (chosen.isEmpty()) {
        LaatsteAntwoord = 2;
        path = old;
    } else {
        LaatsteAntwoord = 1;
        LaatsteMap = QFileInfo(chosen).absolutePath();
        const QString absolute = QFileInfo(chosen).absoluteFilePath();
        if (absolute == QFileInfo(old).absoluteFilePath()) {
            path = old;
            antwoord = 1;
        } else {
            int answer = MsgBox::Yes;
            if (QFileInfo::exists(absolute))
                answer = WindowHost::current().message(
                    Taaltekst(118), MsgBox::YesNo | MsgBox::Question, fileNameOnly(absolute));
            LaatsteAntwoord = qint16(answer);
            if (answer == MsgBox::Yes) {
                // The existing file stays until the new one is written whole over it.
                path = absolute;
                antwoord = 1;
            } else {
                path = old;
            }
        }
    }
    WindowHost::current().titleChanged();
    return antwoord;
}

void BepaalInstellingenBestand()
{
    const QString fallback = QDir(InstellingenMap).absoluteFilePath(InstellingenBestand);
    QString name = Registry::read(RegisterNaam, QStringLiteral("Settings"),
                                  QStringLiteral("FileNameSettings"), fallback);
    // Doubled separators after the first character are collapsed (a leading "\\" or "//"
    // of a network path stays).
    if (name.size() > 1) {
        QString rest = name.mid(1);
        while (rest.contains(QLatin1String("\\\\")))
            rest.replace(QLatin1String("\\\\"), QLatin1String("\\"));
        while (rest.contains(QLatin1String("//")))
            rest.replace(QLatin1String("//"), QLatin1String("/"));
        name = name.left(1) + rest;
    }
    if (name.isEmpty() || !QFileInfo(name).isFile())
        name = fallback;
    InstellingenBestandsnaam = name;
}

bool saveSettingsCommand()
{
    if (!BewaarInstellingen(InstellingenBestandsnaam))
        return false;
    // Said, not asked: the box stands until the user closes it, and nothing waits for that.
    WindowHost::current().message(
        Taaltekst(184), MsgBox::OkOnly | MsgBox::Information | MsgBox::DoNotWait,
        KortPad(QDir::toNativeSeparators(InstellingenBestandsnaam), 30));
    return true;
}

bool saveSettingsAsCommand()
{
    const QString old = InstellingenBestandsnaam;
    QString path = old;
    if (BewaarInstellingenAls(path) != 1)
        return false;
    if (!BewaarInstellingen(path)) {
        InstellingenBestandsnaam = old;
        WindowHost::current().titleChanged();
        return false;
    }
    InstellingenBestandsnaam = path;
    Registry::write(RegisterNaam, QStringLiteral("Settings"), QStringLiteral("FileNameSettings"),
                    path);
    WindowHost::current().titleChanged();
    WindowHost::current().message(Taaltekst(184), MsgBox::OkOnly | MsgBox::Information,
                                  Taaltekst(127));
    return true;
}

bool IsSectieKop(const QString &line)
{
    static const char *const known[] = {"[NOTE]",   "[TERMINAL]", "[PRINTER]",  "[COMMUNICATION]",
                                        "[GRAPHICS]", "[TABLE]",  "[CHANNEL]",  "[FILE]",
                                        "[MAIN]",   "[LANGUAGE]", "[DEVICE]",   "[SECTION]"};
    for (const char *h : known)
        if (line == QLatin1String(h))
            return true;
    return false;
}

void VerbergVensters()
{
    for (int d = 1; d <= MaxToestellen; ++d)
        WindowSettings::rack[size_t(d)].visible = false;
    WindowSettings::table.TabelTonen = false;
    WindowHost::current().hideWindows();
}

WindowPlacement ControleerPlaatsing(const WindowPlacement &stored, const QSizeF &bounds)
{
    if (stored.state == 2)
        return stored;
    const bool fits = stored.top >= -60 && stored.top < bounds.height() && stored.left >= -60 &&
                      stored.left < bounds.width() && stored.height > 60 && stored.width > 60;
    if (fits)
        return stored;
    return WindowPlacement();
}

void resetReadSettings()
{
    WindowSettings::reset();
    AantalGrafieken = 0;
    GekozenNummer = 0;
    SeriePoort = QStringLiteral("COM1");
    Baudrate = QStringLiteral("9600");
    MeetInterval = 1;
    StartLoggen = LaadBestand = StartLoggenOpTijd = StopLoggenOpTijd = false;
    StartTijd = StopTijd = QDateTime();
    ToonCodeZenden = ToonCodeOntvangen = false;
}

QStringList LeesInstellingenUitTekst(const QByteArray &bytes)
{
    SettingsReader reader(FileText::decodeFile(bytes));
    reader.run();
    QStringList missing;
    for (const char *header : alwaysWritten)
        if (!reader.seen.contains(QLatin1String(header)))
            missing.append(QLatin1String(header));
    return missing;
}

QString TaalVanInstellingen(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    Reader r(FileText::decodeFile(file.readAll()));
    while (!r.atEnd())
        if (r.next().trimmed().toUpper() == QLatin1String("[LANGUAGE]"))
            return r.atEnd() ? QString() : valueOf(r.next());
    return QString();
}

SettingsReadResult LeesInstellingen(const QString &path)
{
    WindowHost &host = WindowHost::current();
    SettingsReadResult result = SettingsReadResult::Read;
    if (!QFileInfo::exists(path)) {
        SettingsFileState::damagedFile.clear(); // no file is no damage
        for (TableGridSettings &grid : WindowSettings::table.grids)
            grid.setDefaultColumnWidths();
        WindowSettings::table.TabelTonen = true;
        host.tableRead();
        StandaardInstellingen();
        if (LaatsteAntwoord == 2)
            return SettingsReadResult::Cancelled;
        result = SettingsReadResult::Defaults;
    } else {
        QFile file(path);
        QByteArray bytes;
        bool ok = file.open(QIODevice::ReadOnly);
        if (ok) {
            bytes = file.readAll();
            ok = file.error() == QFileDevice::NoError;
        }
        if (!ok) {
            // The file may well be intact: tell why, change nothing and write nothing.
            host.message(Taaltekst(152) + QDir::toNativeSeparators(path) + QStringLiteral("' !\n\n") +
                             file.errorString(),
                         MsgBox::OkOnly | MsgBox::Critical, fileNameOnly(path));
            LaatsteAntwoord = 2;
            return SettingsReadResult::Unreadable;
        }
        if (!BestandOpCommando)
            NieuweBestandsnaam();
        VerbergVensters();
        const QStringList missing = LeesInstellingenUitTekst(bytes);
        SettingsFileState::damagedFile.clear();
        if (!missing.isEmpty()) {
            // Said before the program runs on a part of the configuration, and remembered so
            // that the part is not saved over the whole without the user's word.
            SettingsFileState::damagedFile = QFileInfo(path).absoluteFilePath();
            QString text = Taaltekst(509);
            text.replace(QStringLiteral("##"), missing.join(QStringLiteral(", ")));
            text.replace(QLatin1Char('#'), QDir::toNativeSeparators(path));
            host.message(text, MsgBox::OkOnly | MsgBox::Exclamation, fileNameOnly(path));
        }
    }
    InstellingenGewijzigd = false;
    host.saveButtonEnabled();
    if (!BestandOpCommando && (Meetbestandsnaam.trimmed().isEmpty() || !LaadBestand)) {
        LaadBestand = false;
        Meetbestandsnaam = untitledName();
    }
    return result;
}
