#include "engine/report_date.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <locale.h>
#include <time.h>
#endif

namespace corvane {

#if defined(_WIN32)

std::string ReportDateTimeText(std::time_t when) {
  std::tm local{};
  localtime_s(&local, &when);
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(local.tm_year + 1900);
  st.wMonth = static_cast<WORD>(local.tm_mon + 1);
  st.wDay = static_cast<WORD>(local.tm_mday);
  st.wDayOfWeek = static_cast<WORD>(local.tm_wday);
  st.wHour = static_cast<WORD>(local.tm_hour);
  st.wMinute = static_cast<WORD>(local.tm_min);
  st.wSecond = static_cast<WORD>(local.tm_sec);
  char date[128];
  char time[128];
  const int d = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date);
  const int t = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, sizeof time);
  // The counts include the terminating zero.
  if (d > 0 && t > 0) return std::string(date, static_cast<std::size_t>(d - 1)) + ' ' +
                             std::string(time, static_cast<std::size_t>(t - 1));
  char text[128];
  const std::size_t n = std::strftime(text, sizeof text, "%x %X", &local);
  return std::string(text, n);
}

#else

std::string ReportDateTimeText(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[256];
  std::size_t n = 0;
  // The environment's locale, not the process's: the desktop program and the command-line tool
  // set their global locales differently, and the report must not tell which one wrote it.
  if (locale_t user = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr))) {
    n = strftime_l(text, sizeof text, "%x %X", &local, user);
    freelocale(user);
  } else if (locale_t plain = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr))) {
    n = strftime_l(text, sizeof text, "%x %X", &local, plain);
    freelocale(plain);
  }
  return std::string(text, n);
}

#endif

std::string ReportDateTimeText() { return ReportDateTimeText(std::time(nullptr)); }

}  // namespace corvane
