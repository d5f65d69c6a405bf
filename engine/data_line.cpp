#include "engine/data_line.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "engine/data_file_writer.h"
#include "engine/format_coordinate.h"
#include "engine/report_text.h"

namespace corvane {

namespace {

constexpr std::size_t kNumberRoom = 24;  // PutNumber's bound

inline char* Put(char* p, std::string_view s) {
  // Most pieces are a few bytes long: a plain loop beats a library call for those.
  if (s.size() <= 16) {
    for (char c : s) *p++ = c;
    return p;
  }
  std::memcpy(p, s.data(), s.size());
  return p + s.size();
}

inline char* PutNumber(char* p, std::int64_t value) {
  return std::to_chars(p, p + 24, value).ptr;
}

[[noreturn]] void ThrowNotANumber(CoordText text, bool forced) {
  std::string message;
  if (forced) {
    message = "the forced Z value " + QuoteForReport(text.text) + " is not a number";
  } else {
    message = QuoteForReport(text.text) + " in line " + std::to_string(text.line) + " is not a number";
  }
  throw FileConversionError{std::move(message)};
}

inline char* PutCoordinate(char* p, CoordText text, int decimals, bool forced) {
  // A missing coordinate group means 0 in DXF.
  const std::string_view value = text.text.empty() ? std::string_view("0") : text.text;
  const int n = FormatCoordinate(value, decimals, p);
  if (n < 0) ThrowNotANumber(text, forced);
  return p + n;
}

}  // namespace

std::string BuildHeaderLine(const RunSettings& run, const std::vector<std::string>& customItemNames) {
  std::string line;
  bool first = true;
  for (FieldCode field : run.SelectedFields) {
    if (!first) line += run.fieldSeparator;
    first = false;
    switch (field) {
      case FieldCode::kNumber: line += "Number"; break;
      case FieldCode::kX: line += "X Coord."; break;
      case FieldCode::kY: line += "Y Coord."; break;
      case FieldCode::kZ: line += "Z Coord."; break;
      case FieldCode::kCustom: {
        line += run.config.CustomPrefix.view();
        bool firstItem = true;
        for (int item : run.SelectedCustomItems) {
          if (!firstItem) line += run.customSeparator;
          firstItem = false;
          if (item >= 0 && static_cast<std::size_t>(item) < customItemNames.size()) {
            line += customItemNames[static_cast<std::size_t>(item)];
          }
        }
        break;
      }
    }
  }
  return line;
}

void SizeDataLines(RunSettings& run) {
  const TExportConfig& cfg = run.config;
  constexpr std::size_t kPrefix = decltype(cfg.NumberPrefix)::kCapacity;
  // One custom field: its prefix, and per item a separator and the item; the entity texts (items 0
  // to 4) are counted apart, by how often the most repeated one is ticked.
  std::size_t customRoom = kPrefix;
  int textTimes[5] = {};
  for (int item : run.SelectedCustomItems) {
    customRoom += run.customSeparator.size();
    if (item >= 0 && item < 5) {
      ++textTimes[item];
    } else if (item == 5) {
      customRoom += decltype(cfg.CustomLabel)::kCapacity;
    } else {
      customRoom += kNumberRoom;
    }
  }
  std::size_t customFields = 0;
  std::size_t room = 2;  // CR LF
  for (FieldCode field : run.SelectedFields) {
    room += run.fieldSeparator.size() + kPrefix;
    switch (field) {
      case FieldCode::kNumber: room += kNumberRoom; break;
      // FormatCoordinate may use all of its output block, beyond the text it returns.
      case FieldCode::kX:
      case FieldCode::kY:
      case FieldCode::kZ: room += kMaxCoordinateText; break;
      case FieldCode::kCustom:
        room += customRoom - kPrefix;
        ++customFields;
        break;
    }
  }
  run.lineRoom = room;
  run.textCopies = customFields * static_cast<std::size_t>(*std::max_element(textTimes, textTimes + 5));
}

void WriteDataLine(FileState& file, CoordText XText, CoordText YText, CoordText ZText,
                   std::string_view Handle, std::string_view Layer, std::string_view EntityName,
                   std::string_view BlockName, std::string_view TextValue) {
  const RunSettings& run = file.run;
  const TExportConfig& cfg = run.config;
  const std::size_t room = run.lineRoom + run.textCopies * (Handle.size() + Layer.size() + EntityName.size() +
                                                           BlockName.size() + TextValue.size());
  char* const start = file.out.Reserve(room);
  char* p = start;
  bool firstField = true;
  for (FieldCode field : run.SelectedFields) {
    if (!firstField) p = Put(p, run.fieldSeparator);
    firstField = false;
    switch (field) {
      case FieldCode::kNumber:
        p = Put(p, cfg.NumberPrefix.view());
        p = PutNumber(p, file.PointNumber);
        ++file.PointNumber;
        break;
      case FieldCode::kX:
        p = Put(p, cfg.XPrefix.view());
        p = PutCoordinate(p, XText, cfg.XDecimals, false);
        break;
      case FieldCode::kY:
        p = Put(p, cfg.YPrefix.view());
        p = PutCoordinate(p, YText, cfg.YDecimals, false);
        break;
      case FieldCode::kZ:
        p = Put(p, cfg.ZPrefix.view());
        if (cfg.ForceZ) {
          p = PutCoordinate(p, CoordText{cfg.ForcedZValue.view(), 0}, cfg.ZDecimals, true);
        } else {
          p = PutCoordinate(p, ZText, cfg.ZDecimals, false);
        }
        break;
      case FieldCode::kCustom: {
        p = Put(p, cfg.CustomPrefix.view());
        bool firstItem = true;
        for (int item : run.SelectedCustomItems) {
          if (!firstItem) p = Put(p, run.customSeparator);
          firstItem = false;
          switch (item) {
            case 0: p = Put(p, EntityName); break;
            case 1: p = Put(p, Layer); break;
            case 2: p = Put(p, Handle); break;
            case 3: p = Put(p, BlockName); break;
            case 4: p = Put(p, TextValue); break;
            case 5: p = Put(p, cfg.CustomLabel.view()); break;
            case 6:
              p = PutNumber(p, file.SequenceNumber);
              ++file.SequenceNumber;
              break;
            case 7: p = PutNumber(p, file.EntityNumber); break;
            default: break;
          }
        }
        break;
      }
    }
  }
  *p++ = '\r';
  *p++ = '\n';
  file.out.Commit(static_cast<std::size_t>(p - start));
}

}  // namespace corvane
