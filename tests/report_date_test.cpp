// The date line of the report: one rule for the window and the command-line tool.
#include "engine/report_date.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>

namespace corvane {
namespace {

// The environment is set the POSIX way; Windows takes the date from its regional settings.
#if !defined(_WIN32)

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    ::setenv(name, value, 1);
    ::tzset();
  }
  ~ScopedEnv() {
    if (had_) ::setenv(name_, old_.c_str(), 1);
    else ::unsetenv(name_);
    ::tzset();
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(ReportDate, ShortDateSpaceLongTimeOfTheEnvironmentsLocale) {
  const ScopedEnv zone("TZ", "UTC");
  const ScopedEnv locale("LC_ALL", "C");
  // 8 December 2026, 18:58:17 UTC.
  EXPECT_EQ(ReportDateTimeText(std::time_t{1796756297}), "12/08/26 18:58:17");
  // Whatever the program did to its own global locale: the desktop program's toolkit sets it
  // from the environment, the command-line tool sets only LC_TIME.
  const std::string before = std::setlocale(LC_TIME, nullptr);
  std::setlocale(LC_TIME, "C.UTF-8");
  EXPECT_EQ(ReportDateTimeText(std::time_t{1796756297}), "12/08/26 18:58:17");
  std::setlocale(LC_TIME, before.c_str());
}

#endif

}  // namespace
}  // namespace corvane
