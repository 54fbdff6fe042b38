#pragma once
#include <QByteArray>
#include <QString>

// The settings and data files are Windows-1252, as this program's files always were.
// Convert only at the file boundary.
namespace Cp1252 {

QString decode(const QByteArray &bytes);
QString decode(char byte);
// Characters outside the code page become '?'; *lossy tells whether that happened.
QByteArray encode(const QString &text, bool *lossy = nullptr);

} // namespace Cp1252
