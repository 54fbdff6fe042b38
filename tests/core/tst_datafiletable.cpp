// What a data file becomes in the table, cell for cell: every text, every row number and every time
// of every grid after a load, folded into one digest per case. The digests were taken from the
// straightforward reader (one field copied off the front of the line at a time); a faster reader
// must give exactly the same tables. Set QLV2_TABLE_DUMP to a folder to get each table as text
// there, for a diff when a digest changes.
#include "core/datafilereader.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "platform/codec.h"
#include "platform/datetimetext.h"
#include "platform/grid.h"
#include "platform/registry.h"
#include "support/language.h"
#include "views/table.h"

#include <QCryptographicHash>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Hoofdmodule;

namespace {

QString fixture(const QString &name)
{
    return QStringLiteral(QLV2_FIXTURES "/") + name;
}

// Slots 1..3 typed with four channels; `invalid` gets an address out of range (typed but not
// valid), `missing` no type at all.
void configure(int invalid, int missing)
{
    ResetToestellen();
    for (int d = 1; d <= 3; ++d) {
        if (d == missing)
            continue;
        ToestelGegevens &t = Toestel[d];
        t.Type = QStringLiteral("T542");
        t.Idno = d == invalid ? 5000 : 10 + d;
        t.Kanalen = 4;
        t.Actief = true;
    }
}

QByteArray record(const QDateTime &moment, int i, bool longRemarks)
{
    static const char *const units[] = {"\xb0"
                                        "C",
        "%RH", "\xb5S", "\x80", "", " bar ", "V"};
    static const char *const values[]
        = {"1.5", "-0.25", "", " 12.5 ", "1,5", "1.2.3", "9999999.99", "abc", ".5", "5."};
    QByteArray out = '"'
        + Cp1252::encode(DateTimeText::formatDate(moment.date()) + QLatin1Char(' ')
            + DateTimeText::formatTime(moment.time()))
        + '"';
    for (int d = 0; d < 3; ++d) {
        for (int k = 0; k < 4; ++k) {
            out += ",\"";
            out += i % 13 == k ? QByteArray(values[(i + d) % 10])
                               : QByteArray::number(
                                   double((i * 7 + d * 3 + k) % 2000) / 10.0, 'f', 1 + (i + k) % 3);
            out += "\",\"";
            out += units[(i / 17 + k + d) % 7];
            out += '"';
        }
        out += ",\"";
        out += i % 5 == 0 ? "AL1 HI" : (i % 7 == 0 ? " OK " : "");
        out += "\",\"";
        out += i % 3 == 0 ? "1-3-" : "----";
        out += "\",\"";
        if (longRemarks)
            out += QByteArray(150 + i % 50, char('a' + i % 26)) + QByteArray::number(i);
        else if (i % 11 == 0)
            out += "note " + QByteArray::number(i) + ", \xe9t\xe9";
        out += '"';
    }
    return out;
}

// A file that crosses the reader's blocks, with a first block of longer or shorter lines than the
// rest (the table is sized from the first block), and the oddities of hand-edited files.
QByteArray generated(bool longFirst)
{
    QByteArray out = "\"Time\",\"Value\",\"Unit\"\r\n";
    QDateTime moment(QDate(2026, 3, 28), QTime(23, 50, 0));
    for (int i = 0; i < 9000; ++i) {
        const bool longRemarks = longFirst ? i < 3000 : i >= 6000;
        QByteArray line = record(moment, i, longRemarks);
        switch (i % 97) {
        case 10: line.truncate(line.size() / 2); break;      // cut short
        case 20: line.chop(1); break;                        // unclosed last quote
        case 30: line = "garbage " + line; break;            // text before the first quote
        case 40: line.replace(",\"", ",  \""); break;        // blanks between fields
        case 50: out += "\r\n"; break;                       // a blank line before
        case 60: out += "\"not a time\",\"1\"\r\n"; break;   // text line before
        case 70: line = line.left(line.indexOf(',')); break; // a time alone
        case 80: moment = moment.addSecs(-7200); break;      // the clock went back
        }
        out += line;
        out += i % 4 == 0 ? "\n" : "\r\n";
        moment = moment.addSecs(i % 9 == 0 ? 3600 : 1);
    }
    out += record(moment, 1, false); // no line end after the last record
    return out;
}

// Every grid of every slot as text: the size, then each row's cells (untrimmed) with the grid's own
// record time and which cells show it.
QByteArray tableText(frmTabel &tabel)
{
    QByteArray out = "rows " + QByteArray::number(AantalRijen) + '\n';
    for (int i = 0; i < frmTabel::AantalTabellen; ++i) {
        const GridData &g = tabel.MSHFlexGrid(i)->data();
        out += "grid " + QByteArray::number(i) + ' ' + QByteArray::number(g.rows()) + 'x'
            + QByteArray::number(g.cols()) + '\n';
        for (qint32 r = 0; r < g.rows(); ++r) {
            out += QByteArray::number(r) + ' ' + g.rowTime(r).toString(Qt::ISODate).toUtf8();
            for (int c = 0; c < g.cols(); ++c) {
                out += '|';
                if (r > 0 && g.store().showsTime(r - 1, c))
                    out += '@';
                out += g.textMatrix(r, c).toUtf8();
            }
            out += '\n';
        }
    }
    return out;
}

} // namespace

class TestDataFileTable : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        RegisterNaam = QStringLiteral("QLV2-TABLE-TEST");
        QVERIFY(m_dir.isValid());
        DataMap = m_dir.path();
    }

    void sameTable_data()
    {
        QTest::addColumn<QString>("file"); // a fixture, or "generated-long"/"-short"
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("invalid"); // typed slot out of range, 0 none
        QTest::addColumn<int>("missing"); // untyped slot, 0 none
        QTest::addColumn<bool>("relative");
        QTest::addColumn<QByteArray>("digest");

        QTest::newRow("edge") << "datafile-edge.csv"
                              << "en_US" << 0 << 2 << false
                              << QByteArray("83fc0a13f3ad393063bca9ba67944550a8f359f4");
        QTest::newRow("three slots, middle one invalid")
            << "datafile-three-slots.csv"
            << "en_US" << 2 << 0 << false << QByteArray("6b812413ed85d4886d724f8a9a9d728ea7ff91c1");
        QTest::newRow("three slots")
            << "datafile-three-slots.csv"
            << "en_US" << 0 << 0 << false << QByteArray("ebd7b3bd2151f134869fa15b51f62fcfc1d1bea9");
        QTest::newRow("no header")
            << "datafile-no-header.csv"
            << "en_US" << 0 << 2 << false << QByteArray("4a7647427da42fa2ba62a0ac4be8810e8d0b174c");
        QTest::newRow("header only")
            << "datafile-header-only.csv"
            << "en_US" << 0 << 2 << false << QByteArray("c50c7575cf3a79c323f24277f1907b24fea760c6");
        QTest::newRow("logged run")
            << "data_run_260105.csv"
            << "en_US" << 0 << 0 << false << QByteArray("f71da92459e0dd9dc272e7323393be51338ac005");
        QTest::newRow("logged run, relative")
            << "data_run_260106.csv"
            << "en_US" << 0 << 0 << true << QByteArray("374e4299172925977f985776d628592067458e55");
        QTest::newRow("generated, long lines first")
            << "generated-long"
            << "en_US" << 0 << 0 << false << QByteArray("b50dec401c236bcf14c2c54f89307cc36a255b17");
        QTest::newRow("generated, short lines first, slot 2 invalid")
            << "generated-short"
            << "en_US" << 2 << 0 << false << QByteArray("b1e6a5281b844042ffab70e9c851c8a7c1f9a41a");
        QTest::newRow("generated, German")
            << "generated-short"
            << "de_DE" << 0 << 0 << false << QByteArray("0c56763b4160f3eedd21a97ccc965f91552daa6c");
        QTest::newRow("generated, slot 1 untyped, relative")
            << "generated-long"
            << "en_US" << 0 << 1 << true << QByteArray("b5a35909077eb474c9ae909a401ef19367fe7bb5");
    }

    void sameTable()
    {
        QFETCH(QString, file);
        QFETCH(QString, locale);
        QFETCH(int, invalid);
        QFETCH(int, missing);
        QFETCH(bool, relative);
        QFETCH(QByteArray, digest);

        // German: other date and time formats, and a decimal comma.
        QLocale::setDefault(QLocale(locale));
        qint16 english = 0;
        LaadTaal(english);
        configure(invalid, missing);
        RelatieveTijd = relative;
        TijdBasis = QDateTime();

        QString path = file;
        if (file.startsWith(QLatin1String("generated"))) {
            path = m_dir.filePath(file + QLatin1String(".csv"));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(generated(file.endsWith(QLatin1String("long"))));
        } else {
            path = fixture(file);
        }

        frmTabel tabel;
        dataViews() = DataViews();
        dataViews().tabel = &tabel;
        dataViews().tonenMeting = [](qint16) {}; // the table alone is compared
        tabel.StelTabelIn(true);
        LeesMeetbestand(path);
        dataViews() = DataViews();
        QCOMPARE(LaatsteAntwoord, qint16(1));

        const QByteArray text = tableText(tabel);
        const QByteArray dump = qEnvironmentVariable("QLV2_TABLE_DUMP").toLocal8Bit();
        if (!dump.isEmpty()) {
            QFile out(QString::fromLocal8Bit(dump) + QLatin1Char('/')
                + QString::fromLatin1(QTest::currentDataTag())
                      .replace(QLatin1Char(' '), QLatin1Char('_'))
                + QLatin1String(".txt"));
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(text);
        }
        QCOMPARE(QCryptographicHash::hash(text, QCryptographicHash::Sha1).toHex(), digest);
    }
};

QTEST_MAIN(TestDataFileTable)
#include "tst_datafiletable.moc"
