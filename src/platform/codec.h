#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Windows-1252, the code page of this program's files and of the instruments' unit texts.
// Convert only at the file boundary.
namespace Cp1252 {

QString decode(const QByteArray &bytes);
// Into a buffer of at least bytes.size() characters, one character per byte.
void decodeInto(QByteArrayView bytes, QChar *out);
QString decode(char byte);
// Characters outside the code page become '?'; *lossy tells whether that happened.
QByteArray encode(const QString &text, bool *lossy = nullptr);

} // namespace Cp1252

// A file is written in Windows-1252 when every text fits, byte for byte as the files this
// program has always written; otherwise in UTF-8 behind a byte-order mark, so a name such as
// "Piec Ω" or a home folder "łukasz" survives. Readers take a file with the mark as UTF-8 and
// any other as Windows-1252.
namespace FileText {

enum class Encoding { Cp1252, Utf8 };

inline constexpr char utf8Bom[] = "\xEF\xBB\xBF";

bool fitsCp1252(QStringView text);
bool hasUtf8Bom(const QByteArray &bytes);
// The encoding a file starting with these bytes was written in.
Encoding detect(const QByteArray &start);
// The encoding a file holding this whole text gets.
Encoding choose(QStringView text);
// The bytes of a text in the given encoding, without the mark.
QByteArray encode(QStringView text, Encoding encoding);
// A whole file: Windows-1252 when every text fits, else the mark and UTF-8.
QByteArray encodeFile(QStringView text);
// A whole file's text, the mark (when there) left out.
QString decodeFile(const QByteArray &bytes);

} // namespace FileText
