// Helpers shared by the Qt tests: the program folder of the build, temporary folders and files.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <string>

namespace corvane::uitest {

// The build's program folder (lookup lists, default.crv, configurations/), ending with "/".
std::string ProgramFolder();

// Writes `bytes` to `path`, creating or replacing it; false when it could not.
bool WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);

}  // namespace corvane::uitest
