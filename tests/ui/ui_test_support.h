// Helpers shared by the Qt tests: the program folder of the build, temporary folders and files.
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

class QWidget;

namespace corvane::uitest {

// The build's program folder (lookup lists, default.crv, configurations/), ending with "/".
std::string ProgramFolder();

// Writes `bytes` to `path`, creating or replacing it; false when it could not.
bool WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);

// The controls of `form` shown at present that stick out of their parent (out of the window, out
// of reach) or cut their caption, each said in a line.
QStringList ControlsCutOrOutside(QWidget& form);

}  // namespace corvane::uitest
