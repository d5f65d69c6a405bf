#include "cli/input_files.h"

#include <filesystem>

#include "engine/folder_listing.h"
#include "files/path_text.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

// Paths are shown as the system writes them: "Z:/data/a.dxf" is "Z:\\data\\a.dxf" on Windows.
std::string Native(const std::string& path) {
#if defined(_WIN32)
  std::string native = path;
  for (char& c : native) {
    if (c == '/') c = '\\';
  }
  return native;
#else
  return path;
#endif
}

}  // namespace

bool ExpandInputs(const std::vector<std::string>& inputs, const std::string& destFolder,
                  std::vector<InputFile>& files, std::vector<std::string>& warnings,
                  std::string& error) {
  for (const std::string& given : inputs) {
    const std::string input = Native(given);
    std::error_code ec;
    if (fs::is_directory(PathFromText(input), ec)) {
      std::string listError;
      const std::vector<std::string> names = ListDxfFiles(input, listError);
      if (!listError.empty()) {
        error = "cannot read folder \"" + input + "\": " + listError;
        return false;
      }
      if (names.empty()) warnings.push_back("folder \"" + input + "\" holds no DXF drawing");
      for (const std::string& name : names) {
        files.push_back(InputFile{input, name, destFolder.empty() ? input : Native(destFolder)});
      }
      continue;
    }
    const fs::path path = PathFromText(input);
    const std::string folder = TextOfPath(path.parent_path());
    files.push_back(InputFile{folder, TextOfPath(path.filename()),
                              destFolder.empty() ? folder : Native(destFolder)});
  }
  return true;
}

}  // namespace corvane
