#include "engine/block_contents.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/coordinate_value.h"
#include "engine/data_line.h"
#include "engine/report_text.h"
#include "engine/run_observer.h"
#include "engine/run_state.h"
#include "files/text_rules.h"

namespace corvane {

namespace {

// Deeper nesting than this is no drawing anyone made: it would only exhaust the stack.
constexpr int kMaxNesting = 1000;

double Number(std::string_view value) {
  const double v = CoordinateValue(value);
  return std::isfinite(v) ? v : 0;
}

std::string Capitals(std::string_view name) {
  std::string key(TrimBlanks(name));
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

// A world coordinate as a text the data line formats with its decimals: the shortest that reads back
// as the same double.
std::string_view PutNumber(char (&text)[32], double value) {
  if (value == 0) value = 0;  // no "-0"
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string_view(text, static_cast<std::size_t>(result.ptr - text));
}

}  // namespace

bool InsertPlacement::Take(int code, std::string_view value) {
  switch (code) {
    case 41: scale.x = Number(value); return true;
    case 42: scale.y = Number(value); return true;
    case 43: scale.z = Number(value); return true;
    case 50: rotationDegrees = Number(value); return true;
    case 70: columns = static_cast<std::int32_t>(std::clamp(Number(value), 0.0, 32767.0)); return true;
    case 71: rows = static_cast<std::int32_t>(std::clamp(Number(value), 0.0, 32767.0)); return true;
    case 44: columnSpacing = Number(value); return true;
    case 45: rowSpacing = Number(value); return true;
    case 210: extrusion.x = Number(value); return true;
    case 220: extrusion.y = Number(value); return true;
    case 230: extrusion.z = Number(value); return true;
    default: return false;
  }
}

Vec3 BlockLibrary::Affine::Apply(Vec3 p) const {
  return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
          m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
          m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
}

BlockLibrary::Affine BlockLibrary::Affine::Then(const Affine& inner) const {
  Affine r{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 4; ++j) {
      double s = j == 3 ? m[i][3] : 0;
      for (int k = 0; k < 3; ++k) s += m[i][k] * inner.m[k][j];
      r.m[i][j] = s;
    }
  }
  return r;
}

// World = plane(insert + R * gridOffset + R * S * (p - base)): the grid is turned with the block
// but not scaled, as CAD programs lay out a multiple insertion.
BlockLibrary::Affine BlockLibrary::Placing(const InsertPlacement& placement, Vec3 base, int column, int row) {
  const ObjectPlane plane(placement.extrusion);
  const Vec3 ax = plane.ToWorld(Vec3{1, 0, 0}), ay = plane.ToWorld(Vec3{0, 1, 0}), az = plane.ToWorld(Vec3{0, 0, 1});
  const double angle = placement.rotationDegrees * (3.14159265358979323846 / 180.0);
  const double c = std::cos(angle), s = std::sin(angle);
  const Vec3 sc = placement.scale;
  // In the insertion's plane: q = R * S * p + t.
  const double rs[3][3] = {{c * sc.x, -s * sc.y, 0}, {s * sc.x, c * sc.y, 0}, {0, 0, sc.z}};
  const double ox = column * placement.columnSpacing, oy = row * placement.rowSpacing;
  const Vec3 t{placement.insert.x + c * ox - s * oy - (rs[0][0] * base.x + rs[0][1] * base.y),
               placement.insert.y + s * ox + c * oy - (rs[1][0] * base.x + rs[1][1] * base.y),
               placement.insert.z - rs[2][2] * base.z};
  const Vec3 axes[3] = {ax, ay, az};
  Affine a{};
  for (int i = 0; i < 3; ++i) {
    auto comp = [i](Vec3 v) { return i == 0 ? v.x : i == 1 ? v.y : v.z; };
    for (int j = 0; j < 3; ++j) {
      a.m[i][j] = comp(axes[0]) * rs[0][j] + comp(axes[1]) * rs[1][j] + comp(axes[2]) * rs[2][j];
    }
    a.m[i][3] = comp(axes[0]) * t.x + comp(axes[1]) * t.y + comp(axes[2]) * t.z;
  }
  return a;
}

BlockLibrary::Text BlockLibrary::Keep(std::string_view text) {
  Text t{static_cast<std::uint32_t>(texts_.size()), static_cast<std::uint32_t>(text.size())};
  texts_.append(text);
  return t;
}

bool BlockLibrary::Full() {
  if (full_) return true;
  const std::size_t used = texts_.size() + entities_.size() * sizeof(Entity) + items_.size() * sizeof(Item) +
                           nested_.size() * sizeof(Nested) + definitions_.size() * sizeof(Definition);
  if (used <= bound_) return false;
  // The block being read is incomplete: it is not kept at all, and nothing after it.
  full_ = true;
  if (current_ != kNone) {
    const Definition& d = definitions_[current_];
    firstLeftOut_ = std::string(TextOf(d.name));
    byName_.erase(Capitals(firstLeftOut_));
  }
  current_ = kNone;
  return true;
}

void BlockLibrary::StartBlock(std::string_view name, Vec3 base) {
  if (full_) {
    current_ = kNone;
    if (firstLeftOut_.empty()) firstLeftOut_ = std::string(name);
    return;
  }
  current_ = static_cast<std::uint32_t>(definitions_.size());
  definitions_.push_back(Definition{Keep(name), base, static_cast<std::uint32_t>(items_.size()), 0});
  // A later definition of the same name is the one insertions find.
  byName_[Capitals(name)] = current_;
  hasLastEntity_ = false;
}

std::uint32_t BlockLibrary::EntityOf(FileState& file, std::string_view entityName) {
  const EntityValues& v = file.values;
  if (hasLastEntity_ && lastTextChanges_ == v.textChanges && lastEntityName_.data() == entityName.data() &&
      lastEntityName_.size() == entityName.size()) {
    return static_cast<std::uint32_t>(entities_.size() - 1);
  }
  entities_.push_back(Entity{entityName, Keep(v.Layer.view()), Keep(v.Handle.view()), Keep(v.TextValue.view())});
  hasLastEntity_ = true;
  lastTextChanges_ = v.textChanges;
  lastEntityName_ = entityName;
  return static_cast<std::uint32_t>(entities_.size() - 1);
}

void BlockLibrary::CapturePoint(FileState& file, const CoordText& x, const CoordText& y, const CoordText& z,
                                std::string_view entityName) {
  if (current_ == kNone || Full()) return;
  Vec3 p;
  double* const parts[3] = {&p.x, &p.y, &p.z};
  const CoordText* const texts[3] = {&x, &y, &z};
  for (int i = 0; i < 3; ++i) {
    *parts[i] = CoordinateValue(texts[i]->text);
    if (std::isnan(*parts[i])) {
      throw FileConversionError{QuoteForReport(texts[i]->text) + " in line " + std::to_string(texts[i]->line) +
                                " is not a number"};
    }
  }
  const std::uint32_t entity = EntityOf(file, entityName);
  items_.push_back(Item{p, entity, kNone});
  ++definitions_[current_].count;
}

void BlockLibrary::CaptureInsertion(FileState& file, std::string_view blockName, const InsertPlacement& placement) {
  if (current_ == kNone || Full()) return;
  const std::uint32_t entity = EntityOf(file, EntityOptionOf(entity_bit::kBlocks).typeNames[0]);
  nested_.push_back(Nested{Keep(blockName), placement});
  items_.push_back(Item{Vec3{}, entity, static_cast<std::uint32_t>(nested_.size() - 1)});
  ++definitions_[current_].count;
  hasLastEntity_ = false;  // the insertion's own point is an entity line of its own
}

std::uint32_t BlockLibrary::Find(std::string_view name) {
  key_ = Capitals(name);
  const auto found = byName_.find(key_);
  return found == byName_.end() ? kNone : found->second;
}

void BlockLibrary::Expand(FileState& file, std::string_view blockName, const InsertPlacement& placement,
                          std::string_view layer) {
  const std::uint32_t definition = Find(blockName);
  if (definition == kNone || definitions_[definition].count == 0) return;
  expanding_.clear();
  written_ = 0;
  abandoned_ = false;
  // A spacing of 0 puts every cell on the first: each place is written once.
  const int columns = placement.columnSpacing == 0 ? 1 : std::max(1, placement.columns);
  const int rows = placement.rowSpacing == 0 ? 1 : std::max(1, placement.rows);
  for (int row = 0; row < rows && !abandoned_; ++row) {
    for (int column = 0; column < columns && !abandoned_; ++column) {
      ExpandDefinition(file, definition, Placing(placement, definitions_[definition].base, column, row), layer,
                       blockName, 0);
    }
  }
}

void BlockLibrary::ExpandDefinition(FileState& file, std::uint32_t definition, const Affine& toWorld,
                                    std::string_view layer, std::string_view topBlockName, int depth) {
  const Definition& d = definitions_[definition];
  if (depth >= kMaxNesting) {
    tooDeep_ = true;
    return;
  }
  expanding_.push_back(definition);
  for (std::uint32_t i = d.first; i < d.first + d.count && !abandoned_; ++i) {
    const Item& item = items_[i];
    const Entity& e = entities_[item.entity];
    // What lies on layer "0" in a block lies on the layer of the insertion that places it.
    const std::string_view ownLayer = TextOf(e.layer);
    const std::string_view lineLayer = ownLayer == "0" ? layer : ownLayer;
    if (item.nested == kNone) {
      const Vec3 w = toWorld.Apply(item.point);
      if (!std::isfinite(w.x) || !std::isfinite(w.y) || !std::isfinite(w.z)) continue;
      if (!MayWriteAnother(topBlockName)) break;
      char xs[32], ys[32], zs[32];
      WriteDataLine(file, CoordText{PutNumber(xs, w.x)}, CoordText{PutNumber(ys, w.y)}, CoordText{PutNumber(zs, w.z)},
                    TextOf(e.handle), lineLayer, e.typeName, topBlockName, TextOf(e.text));
      continue;
    }
    const Nested& n = nested_[item.nested];
    const std::uint32_t inner = Find(TextOf(n.blockName));
    if (inner == kNone) continue;
    if (std::find(expanding_.begin(), expanding_.end(), inner) != expanding_.end()) {
      const std::string name(TextOf(definitions_[inner].name));
      if (std::find(selfInserting_.begin(), selfInserting_.end(), name) == selfInserting_.end()) {
        selfInserting_.push_back(name);
      }
      continue;
    }
    const InsertPlacement& p = n.placement;
    const int columns = p.columnSpacing == 0 ? 1 : std::max(1, p.columns);
    const int rows = p.rowSpacing == 0 ? 1 : std::max(1, p.rows);
    for (int row = 0; row < rows && !abandoned_; ++row) {
      for (int column = 0; column < columns && !abandoned_; ++column) {
        ExpandDefinition(file, inner, toWorld.Then(Placing(p, definitions_[inner].base, column, row)), lineLayer,
                         topBlockName, depth + 1);
      }
    }
  }
  expanding_.pop_back();
}

bool BlockLibrary::MayWriteAnother(std::string_view topBlockName) {
  if (written_ == pointBound_) {
    abandoned_ = true;
    const std::string name(topBlockName);
    if (std::find(tooMany_.begin(), tooMany_.end(), name) == tooMany_.end()) tooMany_.push_back(name);
    return false;
  }
  ++written_;
  if ((written_ & 0xFFFF) == 0 && observer_ != nullptr && observer_->StopRequested()) {
    abandoned_ = true;  // the drawing's loop sees the stop at its next entity
    return false;
  }
  return true;
}

std::vector<std::string> BlockLibrary::Problems() const {
  std::vector<std::string> lines;
  for (const std::string& name : tooMany_) {
    lines.push_back("an insertion of the block " + QuoteForReport(name) + " would write more than " +
                    std::to_string(pointBound_) + " points from inside it: the rest of them are not written");
  }
  for (const std::string& name : selfInserting_) {
    lines.push_back("the block " + QuoteForReport(name) +
                    " inserts itself: the points inside that insertion of it are not written");
  }
  if (tooDeep_) {
    lines.push_back("blocks are nested more than " + std::to_string(kMaxNesting) +
                    " levels deep: the points inside the deeper ones are not written");
  }
  if (full_) {
 const std::string bound = bound_ % (1 << 20) == 0 ? std::to_string(bound_ >> 20) + " MB"
                                                      : std::to_string(bound_) + " bytes";
    lines.push_back("the block definitions take more than " + bound + ": the points inside block " + QuoteForReport(firstLeftOut_) +
                    " and the blocks defined after it are not written");
  }
  return lines;
}

}  // namespace corvane
