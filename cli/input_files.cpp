#include "cli/input_files.h"

#include <filesystem>

#include "engine/folder_listing.h"

namespace corvane {

namespace fs = std::filesystem;

bool ExpandInputs(const std::vector<std::string>& inputs, const std::string& destFolder,
                  std::vector<InputFile>& files, std::vector<std::string>& warnings,
                  std::string& error) {
  for (const std::string& input : inputs) {
    std::error_code ec;
    if (fs::is_directory(input, ec)) {
      std::string listError;
      const std::vector<std::string> names = ListDxfFiles(input, listError);
      if (!listError.empty()) {
        error = "cannot read folder \"" + input + "\": " + listError;
        return false;
      }
      if (names.empty()) warnings.push_back("folder \"" + input + "\" holds no DXF drawing");
      for (const std::string& name : names) {
        files.push_back(InputFile{input, name, destFolder.empty() ? input : destFolder});
      }
      continue;
    }
    const fs::path path(input);
    const std::string folder = path.parent_path().string();
    files.push_back(InputFile{folder, path.filename().string(), destFolder.empty() ? folder : destFolder});
  }
  return true;
}

}  // namespace corvane
