// The points inside blocks: the definitions of the BLOCKS section, kept while the drawing streams
// past (only what the point export needs: each inner entity's points in the block's coordinates,
// its layer, handle, type and text, and the insertions inside a block), and their expansion at
// every insertion of the ENTITIES section, placed by its base point, scale, rotation, extrusion,
// columns and rows, through nested insertions to any depth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/world_coordinates.h"

namespace corvane {

struct FileState;
struct CoordText;
class RunObserver;

// What places a block: the insertion's groups 10/20/30 (in its own plane), 41/42/43, 50, 70/71,
// 44/45 and 210/220/230.
struct InsertPlacement {
  Vec3 insert;
  Vec3 scale{1, 1, 1};
  double rotationDegrees = 0;
  Vec3 extrusion{0, 0, 1};
  std::int32_t columns = 1, rows = 1;
  double columnSpacing = 0, rowSpacing = 0;

  // Takes one of the groups above but the point (which the reader reads anyway); false otherwise.
  bool Take(int code, std::string_view value);
};

// Beyond this, block definitions are not kept: insertions of blocks defined later write their own
// point only, and the report says so.
inline constexpr std::size_t kBlockMemoryBound = std::size_t{64} << 20;

// One insertion writes at most this many points from inside its block (its MINSERT cells and
// nested insertions included): a few bytes of a drawing can otherwise ask for billions (a block
// inserting another a thousand times, which inserts a third a thousand times, ...), filling the
// disk before anyone could stop it. The report says when an insertion reaches it.
inline constexpr std::uint64_t kInsertionPointBound = 10'000'000;

class BlockLibrary {
 public:
  explicit BlockLibrary(std::size_t memoryBound = kBlockMemoryBound,
                        std::uint64_t pointBound = kInsertionPointBound)
      : bound_(memoryBound), pointBound_(pointBound) {}

  // Asked now and then while one insertion writes its points, so that a stop is not kept waiting.
  void SetObserver(RunObserver* observer) { observer_ = observer; }

  // A BLOCK entity's name and base point: the entities captured from now on are its own.
  void StartBlock(std::string_view name, Vec3 base);
  void EndBlock() { current_ = kNone; }
  bool InBlock() const { return current_ != kNone; }

  // One point of the inner entity in `file.values`, in the block's coordinates.
  void CapturePoint(FileState& file, const CoordText& x, const CoordText& y, const CoordText& z,
                    std::string_view entityName);
  // An insertion inside the block being read.
  void CaptureInsertion(FileState& file, std::string_view blockName, const InsertPlacement& placement);

  // Writes the points inside the block `blockName` as the insertion read last places them: inner
  // entities on layer "0" take the insertion's `layer`; every line carries `blockName`.
  void Expand(FileState& file, std::string_view blockName, const InsertPlacement& placement, std::string_view layer);

  // The report's lines of the drawing (between "*** Error, " and " ***").
  std::vector<std::string> Problems() const;

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  struct Text {
    std::uint32_t offset = 0, size = 0;
  };
  struct Entity {
    std::string_view typeName;  // from the entity options' table
    Text layer, handle, text;
  };
  struct Item {
    Vec3 point;                  // a point of an entity, in the block's coordinates
    std::uint32_t entity = 0;
    std::uint32_t nested = kNone;  // else: an insertion, whose block and placement are nested[...]
  };
  struct Nested {
    Text blockName;
    InsertPlacement placement;
  };
  struct Definition {
    Text name;
    Vec3 base;
    std::uint32_t first = 0, count = 0;
  };
  struct Affine {
    double m[3][4];
    Vec3 Apply(Vec3 p) const;
    Affine Then(const Affine& inner) const;  // this after inner
  };

  Text Keep(std::string_view text);
  std::string_view TextOf(Text t) const { return std::string_view(texts_).substr(t.offset, t.size); }
  bool Full();
  std::uint32_t EntityOf(FileState& file, std::string_view entityName);
  std::uint32_t Find(std::string_view name);
  static Affine Placing(const InsertPlacement& placement, Vec3 base, int column, int row);
  bool MayWriteAnother(std::string_view topBlockName);
  void ExpandDefinition(FileState& file, std::uint32_t definition, const Affine& toWorld, std::string_view layer,
                        std::string_view topBlockName, int depth);

  std::string texts_;
  std::vector<Entity> entities_;
  std::vector<Item> items_;
  std::vector<Nested> nested_;
  std::vector<Definition> definitions_;
  std::unordered_map<std::string, std::uint32_t> byName_;  // names in capitals: DXF block names ignore case
  std::uint32_t current_ = kNone;
  std::uint64_t lastTextChanges_ = 0;
  std::string_view lastEntityName_;
  bool hasLastEntity_ = false;
  std::size_t bound_;
  bool full_ = false;
  bool tooDeep_ = false;
  std::uint64_t pointBound_;
  RunObserver* observer_ = nullptr;
  std::uint64_t written_ = 0;  // by the insertion being expanded
  bool abandoned_ = false;     // that insertion writes no more: bound reached, or a stop asked for
  std::vector<std::string> tooMany_;  // blocks whose insertion reached kInsertionPointBound
  std::string firstLeftOut_;
  std::vector<std::uint32_t> expanding_;  // the definitions being expanded, outermost first
  std::vector<std::string> selfInserting_;
  std::string key_;  // scratch for lookups
  std::vector<std::string> layerScratch_;
};

}  // namespace corvane
