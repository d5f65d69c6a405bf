#include "engine/run_request.h"

namespace corvane {

std::vector<FieldRow> FieldRowsFromConfig(const TExportConfig& config,
                                          const std::vector<std::string>& fieldNames) {
  std::vector<FieldRow> rows;
  rows.reserve(kFieldCount);
  for (int k = 0; k < kFieldCount; ++k) {
    FieldRow row;
    const int index = config.FieldOrder[k];
    if (index >= 0 && static_cast<std::size_t>(index) < fieldNames.size()) {
      row.text = fieldNames[static_cast<std::size_t>(index)];
    }
    row.checked = config.FieldChecked[k] != 0;
    rows.push_back(std::move(row));
  }
  return rows;
}

RunLists RunListsFor(const TExportConfig& config, const LookupLists& lookup) {
  return RunLists{FieldRowsFromConfig(config, lookup.fieldNames), lookup.customItems, lookup.hints};
}

}  // namespace corvane
