// Loading a data file of about 100 MB into the table window, as a user gets it: the first load
// in a fresh process, each measurement in a child process of its own. Beside it, in the same
// run and on the same file, Python's pandas read_csv and a plain line split (read in blocks,
// decoded, cut at line ends: the floor for any reader). The file is read from the page cache (it
// was just written), so the figures are the readers' own work, not the disk's. Goals: at least
// twice as fast as pandas while also filling the table, and within ten times the plain line
// split; a miss says MISSED and makes the exit status non-zero.
// Usage: bench_datafile_load [megabytes] [runs]
#include "core/datafile.h"
#include "core/datafilereader.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "platform/codec.h"
#include "platform/grid.h"
#include "support/language.h"
#include "views/table.h"
#include "benchsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Hoofdmodule;

namespace {

// Three controllers of four channels, as a typical rack; values change on every record.
void configure()
{
    ResetToestellen();
    for (int d = 1; d <= 3; ++d) {
        ToestelGegevens &t = Toestel[d];
        t.Type = QStringLiteral("T542");
        t.Idno = d;
        t.Kanalen = 4;
        t.Actief = true;
        t.Relais = QStringLiteral("1-3-");
        for (int k = 1; k <= MaxKanalen; ++k) {
            t.Kanaal[size_t(k)].Naam = QStringLiteral("Probe %1.%2").arg(d).arg(k);
            t.Kanaal[size_t(k)].Eenheid = k == 2 ? QStringLiteral("%RH") : QStringLiteral("°C");
            t.Kanaal[size_t(k)].Status = k == 1 ? QStringLiteral("AL1") : QString();
        }
    }
}

qint64 writeFile(const QString &path, qint64 bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return 0;
    QByteArray out = Cp1252::encode(KopRegel()) + "\r\n";
    MeetTijdstip = QDateTime(QDate(2026, 1, 5), QTime(0, 0, 0));
    qint64 total = 0;
    for (qint64 i = 0; total + out.size() < bytes; ++i) {
        for (int d = 1; d <= 3; ++d)
            for (int k = 1; k <= MaxKanalen; ++k)
                Toestel[d].Kanaal[size_t(k)].Waarde =
                    QString::number(20.0 + double((i * 7 + d * 13 + k) % 1000) / 10.0, 'f', 1);
        out += Cp1252::encode(MetingRegel(i % 50 == 0 ? QStringLiteral("check") : QString(), 0))
               + "\r\n";
        MeetTijdstip = MeetTijdstip.addSecs(1);
        if (out.size() > (1 << 20)) {
            total += f.write(out);
            out.clear();
        }
    }
    total += f.write(out);
    return total;
}

QString python()
{
    // Debian's interpreter carries Debian's pandas; another one first on the PATH may not.
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
               ? QStringLiteral("/usr/bin/python3")
               : QStandardPaths::findExecutable(QStringLiteral("python3"));
}

// Seconds pandas takes to read the file, or a negative value when it could not run.
double pandasSeconds(const QString &path, qint64 *rows)
{
    QProcess p;
    p.start(python(), {QStringLiteral("-c"),
                       QStringLiteral("import sys, time, pandas\n"
                                      "t = time.perf_counter()\n"
                                      "df = pandas.read_csv(sys.argv[1], encoding='cp1252')\n"
                                      "print(time.perf_counter() - t, len(df))\n"),
                       path});
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "pandas: %s\n", p.readAllStandardError().constData());
        return -1;
    }
    const QList<QByteArray> parts = p.readAllStandardOutput().trimmed().split(' ');
    *rows = parts.value(1).toLongLong();
    return parts.value(0).toDouble();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The child's measurement: seconds and rows, printed on one line.
int childLoad(const QString &path)
{
    configure();
    frmTabel tabel;
    dataViews().tabel = &tabel;
    QElapsedTimer t;
    t.start();
    LeesMeetbestand(path);
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    const bool filled = !tabel.MSHFlexGrid(0)->data().textMatrix(AantalRijen, 3).isEmpty();
    std::printf("%.6f %lld %d\n", seconds, static_cast<long long>(AantalRijen), filled ? 1 : 0);
    dataViews().tabel = nullptr;
    return 0;
}

int childSplit(const QString &path)
{
    QElapsedTimer t;
    t.start();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 1;
    QByteArray block(1 << 20, Qt::Uninitialized);
    QString text(block.size(), Qt::Uninitialized);
    qint64 lines = 0;
    for (qint64 got; (got = f.read(block.data(), block.size())) > 0;) {
        Cp1252::decodeInto(QByteArrayView(block.constData(), got), text.data());
        lines += QStringView(text.constData(), got).count(u'\n');
    }
    std::printf("%.6f %lld 1\n", double(t.nsecsElapsed()) / 1e9, static_cast<long long>(lines));
    return 0;
}

// Runs this program as a child in the given mode; seconds (negative on failure) and rows.
double inChild(const char *mode, const QString &path, qint64 *rows)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(mode), path});
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        return -1;
    const QList<QByteArray> parts = p.readAllStandardOutput().trimmed().split(' ');
    *rows = parts.value(1).toLongLong();
    if (parts.value(2) != "1") {
        std::printf("%s: table not filled!\n", mode);
        return -1; // a load that leaves the table empty is no load
    }
    return parts.value(0).toDouble();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    qint16 english = 0;
    LaadTaal(english);
    const QByteArray first = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (first == "--load" && argc > 2)
        return childLoad(QString::fromLocal8Bit(argv[2]));
    if (first == "--split" && argc > 2)
        return childSplit(QString::fromLocal8Bit(argv[2]));
    const qint64 megabytes = argc > 1 ? first.toLongLong() : 100;
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 3;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.csv"));
    configure();
    const qint64 size = writeFile(path, megabytes * 1000 * 1000);
    const double mb = double(size) / 1e6;
    std::printf("data file: %.1f MB, 3 controllers x 4 channels; each load in a fresh process; the "
                "file was just written and is read from the page cache, not the disk\n", mb);

    std::vector<double> ours, theirs, split;
    qint64 rows = 0, pandasRows = 0, lines = 0;
    for (int r = 0; r < runs; ++r) {
        const double o = inChild("--load", path, &rows);
        const double l = inChild("--split", path, &lines);
        const double p = pandasSeconds(path, &pandasRows);
        if (o > 0)
            ours.push_back(o);
        if (l > 0)
            split.push_back(l);
        if (p > 0)
            theirs.push_back(p);
        std::printf("run %d: ours %.2f s (%.0f MB/s, %lld rows)   pandas %.2f s (%.0f MB/s, %lld rows)"
                    "   line split %.3f s (%lld lines)\n",
                    r + 1, o, o > 0 ? mb / o : 0.0, static_cast<long long>(rows), p,
                    p > 0 ? mb / p : 0.0, static_cast<long long>(pandasRows), l,
                    static_cast<long long>(lines));
    }
    if (ours.empty()) {
        std::printf("the load failed\n");
        return 1;
    }
    Goals goals;
    if (int(ours.size()) < runs)
        std::printf("%d of %d loads failed: %s\n", runs - int(ours.size()), runs,
                    goals.judge(false));
    const double o = median(ours);
    std::printf("median first load: ours %.0f MB/s into the table\n", mb / o);
    if (!split.empty()) {
        const double l = median(split);
        std::printf("  %.1fx the time of a plain line split (%.0f MB/s) (goal <= 10x): %s\n", o / l,
                    mb / l, goals.judge(o <= 10 * l));
    } else {
        std::printf("  the line split failed: %s\n", goals.judge(false));
    }
    if (!theirs.empty()) {
        const double p = median(theirs);
        std::printf("  pandas read_csv %.0f MB/s: ours %.2fx as fast (goal >= 2x): %s\n", mb / p,
                    p / o, goals.judge(p >= 2 * o));
    } else {
        std::printf("  pandas not available (scripts/install-deps installs it), so not judged: "
                    "%s\n", goals.judge(false));
    }
    std::printf("%s\n", goals.allMet() ? "All goals met." : "MISSED (see above).");
    return goals.status();
}
