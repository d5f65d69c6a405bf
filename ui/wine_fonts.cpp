#include "ui/wine_fonts.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace corvane {

bool RunningUnderWine() {
#ifdef Q_OS_WIN
  // Wine's ntdll has an export of its own that Windows' never had.
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

void PrepareTextEngine() {
  if (!RunningUnderWine() || qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
  // A "-platform" option given on the command line still wins over this.
  qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
}

void ChooseInterfaceFace(QApplication& app) {
  if (!RunningUnderWine()) return;
  QFont font = QApplication::font();
  if (QFontInfo(font).family().compare(font.family(), Qt::CaseInsensitive) == 0) return;
  const QStringList installed = QFontDatabase::families();
  for (const char* face : {"Tahoma", "Segoe UI", "Arial", "Liberation Sans", "DejaVu Sans",
                           "Noto Sans"}) {
    const QString name = QString::fromLatin1(face);
    if (!installed.contains(name, Qt::CaseInsensitive)) continue;
    font.setFamily(name);
    app.setFont(font);
    return;
  }
}

}  // namespace corvane
