#include "tests/ui/ui_test_support.h"

#include <QFile>

namespace corvane::uitest {

std::string ProgramFolder() { return std::string(CORVANE_PROGRAM_DIR) + "/"; }

bool WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(bytes) == bytes.size() && file.flush();
}

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

}  // namespace corvane::uitest
