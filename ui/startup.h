// The steps of the program's start-up that do not need the main window: the settings store and
// its first start, Boolean settings repaired after their error box, the lookup lists, and the
// program's title. Each step reports through an error sink, so the entry shows boxes and the
// tests collect the texts.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "config/lookup_lists.h"
#include "config/program_settings.h"

class QWidget;

namespace corvane {

class QSettingsStore;

inline constexpr const char* kApplicationTitle = "Corvane 2.0";

// Receives one error text without its final full stop.
using ErrorSink = SettingsReport;

// The user's home folder and the configuration shipped in the configurations folder, which a
// first start and the repairs of broken settings take their texts from.
SettingsDefaults FirstStartDefaults();

// Creates the store with its first-start values when it does not exist, as an installer would,
// so that a first start shows no box. A creation that fails is reported; the reads that follow
// then report what is missing. False when something was reported.
bool EnsureSettingsStore(QSettingsStore& store, const SettingsDefaults& defaults,
                         const ErrorSink& report);

// The three lookup lists from the program folder; a missing or damaged file is reported, naming
// the file, and the result is false: the program cannot run without them.
bool LoadListsOrReport(const std::string& programFolder, LookupLists& lists,
                       const ErrorSink& report);

}  // namespace corvane
