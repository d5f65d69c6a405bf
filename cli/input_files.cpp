#include "cli/input_files.h"

#include <algorithm>
#include <filesystem>

namespace corvane {

namespace fs = std::filesystem;

bool IsDxfName(const std::string& name) {
  if (name.size() < 5) return false;
  const std::string ext = name.substr(name.size() - 4);
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  return ext[0] == '.' && lower(ext[1]) == 'd' && lower(ext[2]) == 'x' && lower(ext[3]) == 'f';
}

bool ExpandInputs(const std::vector<std::string>& inputs, const std::string& destFolder,
                  std::vector<InputFile>& files, std::string& error) {
  for (const std::string& input : inputs) {
    std::error_code ec;
    if (fs::is_directory(input, ec)) {
      std::vector<std::string> names;
      fs::directory_iterator it(input, ec);
      if (ec) {
        error = "cannot read folder \"" + input + "\": " + ec.message();
        return false;
      }
      for (const fs::directory_entry& entry : it) {
        std::error_code typeError;
        const std::string name = entry.path().filename().string();
        if (IsDxfName(name) && entry.is_regular_file(typeError)) names.push_back(name);
      }
      std::sort(names.begin(), names.end());
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
