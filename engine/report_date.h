// The date and time on the report's first line, one rule for both programs: the user's short date
// format, a space, and the long time format.
#pragma once

#include <ctime>
#include <string>

namespace corvane {

// `when` in local time as the user's settings write a short date and a long time: on Windows
// the system's regional settings, elsewhere the LC_TIME locale of the environment (LC_ALL,
// LC_TIME, LANG), read afresh on each call so the text does not depend on what a program has
// done to its own global locale. The bytes are in the system's 8-bit encoding.
std::string ReportDateTimeText(std::time_t when);
// The same for now.
std::string ReportDateTimeText();

}  // namespace corvane
