#include "plot/plot_file.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/run_outputs.h"
#include "files/file_io.h"
#include "files/path_text.h"

namespace corvane::plot {

std::string SavePlot(OutputGuard& guard, const std::string& plotPath, std::string_view svg) {
  OpenedDataFile opened = guard.OpenDataFile(plotPath, kPlotFileNoun);
  if (!opened.refusal.empty()) return opened.refusal;
  if (opened.file == nullptr) return opened.error;
  errno = 0;
  const bool written = std::fwrite(svg.data(), 1, svg.size(), opened.file) == svg.size();
  int error = errno;
  const bool flushed = std::fflush(opened.file) == 0 && !std::ferror(opened.file);
  if (error == 0) error = errno;
  const bool closed = std::fclose(opened.file) == 0;
  if (error == 0) error = errno;
  if (written && flushed && closed) return {};
  // Half a picture (a full disk) is no picture: it would only pass for one.
  std::error_code ignored;
  std::filesystem::remove(PathFromText(plotPath), ignored);
  return "Cannot write file \"" + plotPath + "\". " + SystemReason(error);
}

}  // namespace corvane::plot
