// The layer filter: the layers whose entities are exported and those left out, each a list with
// the block-name filter's rules (comma-separated, "*" and "?", "a" to "z" alike). An entity is
// judged by the layer its data line carries; a left-out entity writes nothing and is not counted.
#pragma once

#include <string>
#include <string_view>

#include "engine/block_filter.h"

namespace corvane {

class LayerFilter {
 public:
  // `exported` empty (or with no piece): every layer; `leftOut` empty: none.
  LayerFilter(std::string_view exported, std::string_view leftOut)
      : exported_(exported), leftOut_(leftOut), active_(exported_.HasPatterns() || leftOut_.HasPatterns()) {}

  // False when neither list can leave out a layer: the filter is not consulted at all.
  bool Active() const { return active_; }

  // Drawings keep their entities on a few layers: the last verdict is kept for the next entity.
  bool Accepts(std::string_view layer) {
    if (known_ && layer == lastLayer_) return lastVerdict_;
    lastLayer_.assign(layer);
    known_ = true;
    lastVerdict_ = (!exported_.HasPatterns() || exported_.Accepts(layer)) &&
                   !(leftOut_.HasPatterns() && leftOut_.Accepts(layer));
    return lastVerdict_;
  }

 private:
  BlockNameFilter exported_;
  BlockNameFilter leftOut_;
  bool active_ = false;
  bool known_ = false;
  bool lastVerdict_ = true;
  std::string lastLayer_;
};

}  // namespace corvane
