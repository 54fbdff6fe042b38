#pragma once
#include "simulator.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>

// The simulator's command language, one command a line, read from script files and standard
// input by the program and run by tests alike:
//   value IDNO CH TEXT [UNIT]     status IDNO CH TEXT      novalue IDNO CH on|off
//   relay IDNO N on|off           stop IDNO on|off         maintenance IDNO on|off
//   mode IDNO normal|silent|ack|garbage|wrong|truncated|late|hangup
//   late IDNO MS                  show IDNO                quit
// The log memory and transmissions:
//   log IDNO DD/MM/YY HH:MM:SS V1 [V2 V3 V4]   a record ("-" for no value)
//   logflag IDNO CH FLAG          logrelays IDNO TEXT      (T57 family: of the last record)
//   logunit IDNO CH UNIT          logdate IDNO /|-         logclear IDNO
//   logfill IDNO COUNT [SECONDS]  records up to now from the present values, SECONDS apart
//   showlog IDNO                  the lines the memory is transmitted in
//   send IDNO                     SEND pressed on the instrument: it transmits its memory
//   text IDNO TEXT                a free text line (a printout from the instrument)
//   unanswered IDNO COMMAND [TIMES]  the command (M, N7, 4, 1, C ...) goes unheard, TIMES
//                                 times or always; 0 hears it again
//   linedelay MS                  pause between transmitted lines
//   baud BITS                     pace what the controllers send at this line speed (0: at once)
//   after MS LINE                 runs the line MS milliseconds later
// Lines starting with "#" are remarks. Texts, values and units take the escapes \t \r \n \0,
// \\ for a backslash and \xHH (\xf8C is the degree sign of the instruments' code page and C).
namespace Sim {

// Runs one line. The result is what there is to tell (a complaint, or what was asked for);
// empty when all went well. Lines run later by "after" tell theirs through report.
QString runScriptLine(Simulator &sim, const QByteArray &line,
                      const std::function<void(const QString &)> &report = {});

// The bytes a script text stands for, its backslash escapes resolved.
QByteArray unescape(const QByteArray &text);

// Appends records up to last, the given seconds apart, wandering around the channels'
// present values.
void fillLog(Controller &c, int count, int seconds, const QDateTime &last);

} // namespace Sim
