// The state of a conversion run (prepared once from the configuration) and of one DXF file.
// The counters and selections a run shares (PointNumber, EntityNumber, ...) live here rather than
// in globals, so several files can be converted side by side, each with its own FileState.
#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_extension.h"
#include "config/entity_options.h"
#include "config/export_config.h"
#include "config/field_tables.h"
#include "files/text_rules.h"
#include "engine/block_filter.h"
#include "engine/counter_text.h"
#include "engine/data_line_plan.h"
#include "engine/errors.h"
#include "engine/layer_filter.h"
#include "engine/line_slack.h"
#include "engine/short_copy.h"
#include "engine/block_contents.h"
#include "engine/world_coordinates.h"

namespace corvane {

class LineReader;
class DataFileWriter;

// Everything a run derives from its configuration copy before the first file.
struct RunSettings {
  TExportConfig config{};                      // the run's own copy; never changes during the run
  // The ticked field rows' codes in displayed order; a row whose first character is not one of
  // the five codes writes nothing and is left out.
  std::vector<FieldCode> SelectedFields;
  // The ticked custom items' indexes in displayed order (an index outside 0..7 is left out).
  std::vector<int> SelectedCustomItems;
  std::string fieldSeparator;
  std::string customSeparator;
  std::string BlockNamePatterns;
  std::string HeaderLine;
  std::vector<std::string> hintLines;          // report labels at line 2*i
  // The options beyond the record, and what the readers take from them.
  ConfigExtension extension;
  AttributeTags attributeTags;                 // Any(): block insertions read their attributes
  bool worldCoordinates = false;               // points stored in an entity's plane go out in world coordinates
  bool blockContents = false;                  // insertions also write the points inside their blocks
  std::size_t blockMemoryBound = kBlockMemoryBound;  // what block definitions may take
  std::uint64_t insertionPointBound = kInsertionPointBound;  // what one insertion may write from inside
  // What one data line can take: lineRoom bytes besides its entity texts, and each entity text up
  // to textCopies times (a hand-edited field-name list can repeat the custom field). Set by
  // PrepareDataLines with the line's plan.
  std::size_t lineRoom = 0;
  std::size_t textCopies = 0;
  LinePlan linePlan;
};

// A value an entity reader keeps while it consumes an entity. The text is copied out of the
// input block (whose views move on the next read) into a buffer reused for every entity, so
// reading allocates nothing once the buffers have grown. The line number says where a
// coordinate came from when it turns out not to be a number.
class ValueSlot {
 public:
  // Never less than 64 bytes: values are copied in and coordinates read out in whole 16- and
  // 32-byte moves.
  ValueSlot() : data_(std::make_unique<char[]>(64)), capacity_(64) {}
  void Set(std::string_view value, std::uint64_t line) {
    if (value.size() > capacity_) Grow(value.size());
    CopyShort(data_.get(), value.data(), value.size());
    size_ = value.size();
    line_ = line;
  }
  // The same for a value that is (part of) a line of the LineReader, which keeps 32 readable bytes
  // behind every line it hands out: a short value is copied in two whole 16-byte moves.
  void SetFromLine(std::string_view value, std::uint64_t line) {
    static_assert(kLineSlack >= 32);
    if (value.size() <= 32) {
      std::memcpy(data_.get(), value.data(), 32);  // the buffer never holds less than 64 bytes
    } else {
      if (value.size() > capacity_) Grow(value.size());
      std::memcpy(data_.get(), value.data(), value.size());
    }
    size_ = value.size();
    line_ = line;
  }
  void Reset(std::string_view startValue = {}) { Set(startValue, 0); }
  std::string_view view() const { return std::string_view(data_.get(), size_); }
  std::uint64_t line() const { return line_; }

 private:
  void Grow(std::size_t needed) {
    capacity_ = std::max(needed, capacity_ * 2);
    data_ = std::make_unique<char[]>(capacity_);
  }
  std::unique_ptr<char[]> data_;
  std::size_t capacity_ = 0;
  std::size_t size_ = 0;
  std::uint64_t line_ = 0;
};

// A coordinate text as WriteDataLine receives it, with the DXF line it came from (0: not from
// the drawing).
struct CoordText {
  std::string_view text;
  std::uint64_t line = 0;
};
inline CoordText Coord(const ValueSlot& slot) { return CoordText{slot.view(), slot.line()}; }

// Where the main loop stands in the pair structure of the file: entity names are recognised only
// on the value line of a group-0 pair.
enum class LinePhase : std::uint8_t { kCode, kValueOfZero };

// A text of the entity being read (handle, layer, block name, text value). Every change is counted,
// so the part of the data lines made of these texts is composed again only after one of them changed.
class EntityText {
 public:
  explicit EntityText(std::uint64_t& changes) : changes_(changes) {}
  // `value` is (part of) a line of the LineReader.
  void Set(std::string_view value) {
    slot_.SetFromLine(value, 0);
    ++changes_;
  }
  void Reset(std::string_view startValue = {}) {
    slot_.Set(startValue, 0);
    ++changes_;
  }
  // Any text, not only a line of the LineReader.
  void SetText(std::string_view value) { Reset(value); }
  std::string_view view() const { return slot_.view(); }

 private:
  ValueSlot slot_;
  std::uint64_t& changes_;
};

// The reusable values of the entity readers.
struct EntityValues {
  EntityValues() = default;
  EntityValues(const EntityValues&) = delete;
  EntityValues& operator=(const EntityValues&) = delete;
  std::uint64_t textChanges = 0;
  ValueSlot XText, YText, ZText;
  EntityText Handle{textChanges}, Layer{textChanges}, BlockName{textChanges}, TextValue{textChanges};
};

// What the configuration takes from the attributes that follow a block insertion (ATTRIB entities
// up to its SEQEND), gathered while they are read: only the values of the tags asked for are kept,
// so memory stays the same however many attributes a drawing gives an insertion. Reused for every
// insertion.
struct BlockAttributes {
  // The attribute being read: group 2, and groups 1 and 3 as they come.
  std::string tag;
  std::string value;
  std::uint64_t valueLine = 0;

  // The first attribute of each tag asked for (text: one per tag, in the configuration's order).
  bool hasNumber = false, hasZ = false;
  std::string number;
  ValueSlot z;  // where coordinates are read from
  std::vector<std::string> texts;
  std::vector<std::uint8_t> hasText;
  std::string all;  // "*": every value, joined by the custom separator
  std::size_t allCount = 0;

  void Clear(std::size_t textTags) {
    hasNumber = hasZ = false;
    texts.resize(textTags);
    hasText.assign(textTags, 0);
    all.clear();
    allCount = 0;
  }
};

// The constant text of every segment of the line plan, composed for the entity whose points are
// being written, and what it was composed from.
struct EntityLinePart {
  std::string text;                   // the segments' texts one after another, then slack
  std::vector<std::uint32_t> starts;  // segment i is [starts[i], starts[i + 1])
  std::size_t room = 0;               // what copying every segment's text takes
  bool composed = false;
  std::uint64_t textChanges = 0;
  std::int64_t entityNumber = 0;
  std::string_view entityName;
};

struct FileState;

// Told of every data line as soon as it is complete, with what it was composed from: the point
// preview listens here. A conversion run has no listener, and pays one test of a null pointer
// per line.
class PointListener {
 public:
  virtual ~PointListener() = default;
  virtual void PointWritten(FileState& file, const CoordText& XText, const CoordText& YText,
                            const CoordText& ZText, std::string_view entityName) = 0;
};

struct FileState {
  // Every file starts from the configuration: its entity options and its first numbers.
  FileState(const RunSettings& runSettings, LineReader& in, DataFileWriter& outFile)
      : run(runSettings),
        input(in),
        out(outFile),
        blockFilter(runSettings.BlockNamePatterns),
        layerFilter(runSettings.extension.Layers, runSettings.extension.LayersLeftOut),
        layerFilterOn(layerFilter.Active()),
        worldCoordinates(runSettings.worldCoordinates),
        ActiveEntityMask(runSettings.config.EntityMask),
        PointNumber(runSettings.config.StartNumber),
        EntityNumber(runSettings.config.EntityNumberStart) {}

  const RunSettings& run;
  LineReader& input;
  DataFileWriter& out;
  BlockNameFilter blockFilter;  // per file: it keeps scratch memory of its own
  LayerFilter layerFilter;      // per file, as the block filter
  const bool layerFilterOn;
  // Entities in their own plane go to world coordinates: as the run asks, and always for the
  // entities inside block definitions, which insertions place in the world.
  bool worldCoordinates = false;
  // With the points inside blocks asked for: the block definitions read so far, and whether the
  // entity being read is inside one (its points go there rather than to the data file).
  BlockLibrary* blocks = nullptr;
  bool capturing = false;
  InsertPlacement placement;  // of the insertion being read
  std::vector<std::string> blockProblems;  // the report lines the block definitions earned

  std::uint32_t ActiveEntityMask = 0;
  // Counted in 64 bits from their 32-bit starting values, so they never wrap.
  std::int64_t PointNumber = 0;
  std::int64_t SequenceNumber = 0;
  std::int64_t EntityNumber = 0;
  // Their texts as the data lines last wrote them.
  CounterText pointNumberText;
  CounterText entityNumberText;
  std::array<std::int64_t, kEntityOptionCount> EntityCounts{};
  // Exported block insertions whose Z attribute was there but not a number.
  std::int64_t zAttributesNotNumbers = 0;

  LinePhase phase = LinePhase::kCode;
  // The group code the last value line would have as a code line (-1: none): when a code line
  // turns out to be no code at all, the pairs are one line out of step, and that value line was
  // really the code.
  int lastValueCode = -1;
  // The pair 0/EOF has been read: writers often leave blank lines behind it.
  bool afterEof = false;
  // The first line where the pairs were found out of step (0: never).
  std::uint64_t outOfStepLine = 0;
  // Set by a reader that met the end of the input before its entity was complete.
  bool endedInsideEntity = false;

  EntityValues values;
  // The entity's extrusion direction and the vertices held until it is known (world coordinates).
  ExtrusionGroups extrusion;
  HeldVertices heldVertices;
  ValueSlot heldElevation;
  BlockAttributes attributes;
  EntityLinePart entityPart;
  PointListener* pointListener = nullptr;

  bool Enabled(int bit) const { return (ActiveEntityMask >> bit) & 1u; }
  // The layer filter leaves out the entity being read, by the layer its data lines carry.
  bool LayerLeftOut() { return layerFilterOn && !layerFilter.Accepts(values.Layer.view()); }
  // One entity consumed: its option's counter and the entity number move on, unless its layer is
  // left out.
  void CountEntity(int option) {
    if (capturing) [[unlikely]] return;  // an entity inside a block definition is no entity of the drawing
    if (layerFilterOn && LayerLeftOut()) [[unlikely]] return;
    ++EntityCounts[option];
    ++EntityNumber;
  }
};

}  // namespace corvane
