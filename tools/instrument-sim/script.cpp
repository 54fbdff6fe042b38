#include "script.h"

#include <QCoreApplication>
#include <QTimer>

#include <cmath>

namespace Sim {

namespace {

bool onOff(const QByteArray &word) { return word == "on" || word == "1" || word == "true"; }

// The line after its first n words, as written.
QByteArray afterWords(const QByteArray &line, int n)
{
    qsizetype i = 0;
    auto skip = [&](bool blanks) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t') == blanks)
            ++i;
    };
    for (int k = 0; k < n; ++k) {
        skip(true);
        skip(false);
    }
    skip(true);
    return line.mid(i);
}

// A memory command as a script names it: "N7" is the numbered command 7, anything else the
// text itself.
QByteArray memoryCommand(const QByteArray &word)
{
    bool numbered = false;
    const int number = word.startsWith('N') ? word.mid(1).toInt(&numbered) : 0;
    return numbered ? numberedCommand(number) : unescape(word);
}

QDateTime recordTime(const QByteArray &date, const QByteArray &time)
{
    const QList<QByteArray> d = QByteArray(date).replace('-', '/').split('/');
    int year = d.value(2).toInt();
    if (d.value(2).size() <= 2)
        year += year < 30 ? 2000 : 1900;
    return QDateTime(QDate(year, d.value(1).toInt(), d.value(0).toInt()),
                     QTime::fromString(QString::fromLatin1(time), QStringLiteral("HH:mm:ss")));
}

} // namespace

QByteArray unescape(const QByteArray &text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char e = text[++i];
        bool ok = false;
        const int hex = e == 'x' ? text.mid(i + 1, 2).toInt(&ok, 16) : 0;
        if (ok) {
            out += char(hex);
            i += 2;
        } else if (e == 't') {
            out += '\t';
        } else if (e == 'r') {
            out += '\r';
        } else if (e == 'n') {
            out += '\n';
        } else if (e == '0') {
            out += '\0';
        } else {
            out += e;
        }
    }
    return out;
}

void fillLog(Controller &c, int count, int seconds, const QDateTime &last)
{
    for (int i = 0; i < count; ++i) {
        LogRecord r;
        r.time = last.addSecs(-qint64(seconds) * (count - 1 - i));
        for (int k = 0; k < c.channels; ++k) {
            const QByteArray &present = c.channel[size_t(k)].value;
            bool ok = false;
            const double v = present.toDouble(&ok);
            const int decimals =
                present.contains('.') ? int(present.size() - present.indexOf('.') - 1) : 0;
            const double swing = 0.05 * (qAbs(v) + 1.0) * std::sin(i * 0.3 + k);
            r.value[size_t(k)] = ok ? QByteArray::number(v + swing, 'f', decimals) : present;
        }
        c.log.records << r;
    }
}

QString runScriptLine(Simulator &sim, const QByteArray &line,
                      const std::function<void(const QString &)> &report)
{
    const QList<QByteArray> w = line.simplified().split(' ');
    if (w.isEmpty() || w[0].isEmpty() || w[0].startsWith('#'))
        return {};
    if (w[0] == "quit") {
        QCoreApplication::quit();
        return {};
    }
    if (w.size() < 2)
        return QStringLiteral("? %1").arg(QString::fromLatin1(line));
    if (w[0] == "linedelay") {
        sim.setLineDelay(w[1].toInt());
        return {};
    }
    if (w[0] == "baud") {
        sim.setBaud(w[1].toInt());
        return {};
    }
    if (w[0] == "after") {
        const QByteArray later = afterWords(line, 2);
        QTimer::singleShot(w[1].toInt(), &sim, [&sim, later, report] {
            const QString result = runScriptLine(sim, later, report);
            if (report)
                report(result);
        });
        return {};
    }
    Controller *c = sim.find(w[1].toInt());
    if (!c)
        return QStringLiteral("no controller %1").arg(QString::fromLatin1(w[1]));
    auto channel = [&](int at) -> Channel * {
        const int k = w.size() > at ? w[at].toInt() : 0;
        return k >= 1 && k <= 4 ? &c->channel[size_t(k - 1)] : nullptr;
    };
    const QByteArray cmd = w[0];
    LogRecord *last = c->log.records.isEmpty() ? nullptr : &c->log.records.last();
    if (cmd == "value" && w.size() >= 4 && channel(2)) {
        channel(2)->value = unescape(w[3]);
        channel(2)->noValue = false;
        if (w.size() >= 5)
            channel(2)->unit = unescape(w[4]);
    } else if (cmd == "status" && w.size() >= 3 && channel(2)) {
        channel(2)->status = unescape(w.mid(3).join(' '));
    } else if (cmd == "novalue" && w.size() >= 4 && channel(2)) {
        channel(2)->noValue = onOff(w[3]);
    } else if (cmd == "relay" && w.size() >= 4) {
        const int r = w[2].toInt();
        if (r < 1 || r > 4)
            return QStringLiteral("relay 1..4");
        c->relay[size_t(r - 1)] = onOff(w[3]);
    } else if (cmd == "stop" && w.size() >= 3) {
        c->stop = onOff(w[2]);
    } else if (cmd == "maintenance" && w.size() >= 3) {
        c->maintenance = onOff(w[2]);
    } else if (cmd == "late" && w.size() >= 3) {
        c->lateMs = w[2].toInt();
    } else if (cmd == "mode" && w.size() >= 3) {
        static const std::pair<const char *, Behaviour> modes[] = {
            {"normal", Behaviour::Normal},     {"silent", Behaviour::Silent},
            {"ack", Behaviour::AckOnly},       {"garbage", Behaviour::Garbage},
            {"wrong", Behaviour::WrongAddress}, {"truncated", Behaviour::Truncated},
            {"late", Behaviour::Late},         {"hangup", Behaviour::HangUp}};
        bool found = false;
        for (const auto &[name, b] : modes) {
            if (w[2] == name) {
                c->behaviour = b;
                found = true;
            }
        }
        if (!found)
            return QStringLiteral("unknown mode %1").arg(QString::fromLatin1(w[2]));
    } else if (cmd == "show") {
        return QString::fromLatin1(c->normalReply().toPercentEncoding("#<?{/:. -"));
    } else if (cmd == "log" && w.size() >= 5) {
        LogRecord r;
        r.time = recordTime(w[2], w[3]);
        if (!r.time.isValid())
            return QStringLiteral("date DD/MM/YY and time HH:MM:SS");
        for (int k = 0; k < 4 && 4 + k < w.size(); ++k)
            r.value[size_t(k)] = w[4 + k] == "-" ? QByteArray() : unescape(w[4 + k]);
        c->log.records << r;
    } else if ((cmd == "logflag" || cmd == "logrelays") && !last) {
        return QStringLiteral("no record in the memory of %1").arg(QString::fromLatin1(w[1]));
    } else if (cmd == "logflag" && w.size() >= 4 && channel(2)) {
        last->flag[size_t(w[2].toInt() - 1)] = unescape(w[3]);
    } else if (cmd == "logrelays" && w.size() >= 3) {
        last->relays = unescape(w[2]);
    } else if (cmd == "logunit" && w.size() >= 4 && channel(2)) {
        c->log.unit[size_t(w[2].toInt() - 1)] = unescape(w[3]);
    } else if (cmd == "logdate" && w.size() >= 3 && (w[2] == "/" || w[2] == "-")) {
        c->log.dateSeparator = w[2][0];
    } else if (cmd == "logclear") {
        c->log.records.clear();
    } else if (cmd == "logfill" && w.size() >= 3) {
        fillLog(*c, w[2].toInt(), w.size() >= 4 ? w[3].toInt() : 600,
                QDateTime::currentDateTime());
    } else if (cmd == "showlog") {
        QStringList shown;
        for (const QByteArray &l : c->logLines())
            shown << QString::fromLatin1(l.toPercentEncoding("#<?{/:. -"));
        return shown.join(QLatin1Char('\n'));
    } else if (cmd == "send") {
        sim.sendLogMemory(*c);
    } else if (cmd == "text" && w.size() >= 3) {
        sim.sendText({unescape(afterWords(line, 2))});
    } else if (cmd == "unanswered" && w.size() >= 3) {
        c->unanswered[memoryCommand(w[2])] = w.size() >= 4 ? w[3].toInt() : -1;
    } else {
        return QStringLiteral("? %1").arg(QString::fromLatin1(line));
    }
    return {};
}

} // namespace Sim
