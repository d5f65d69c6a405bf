// The memoised block-name matcher against the plain recursive definition.
//
// Input: first byte = where the rest splits into name and pattern (list). Every input also runs
// the fast matcher at full length; the slow reference only runs while its cost stays small.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/block_filter.h"
#include "tests/block_filter_reference.h"

namespace {

void Check(bool fast, bool reference) {
  if (fast != reference) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t split = data[0] % (rest.size() + 1);
  const std::string_view name = rest.substr(0, split);
  const std::string_view pattern = rest.substr(split);

  const bool fast = corvane::MatchWildcard(name, pattern);
  corvane::BlockNameFilter filter(pattern);
  const bool listed = filter.Accepts(name);
  Check(listed, corvane::MatchBlockName(pattern, name));
  // The same filter again on a shorter name: its scratch was sized for the longer one.
  const std::string_view shorter = name.substr(0, name.size() / 2);
  const bool listedShorter = filter.Accepts(shorter);

  // The reference's cost grows with (name length choose number of stars).
  if (name.size() <= 12 && pattern.size() <= 10) {
    Check(fast, corvane::reference::Match(name, pattern));
    Check(listed, corvane::reference::MatchList(pattern, name));
    Check(listedShorter, corvane::reference::MatchList(pattern, shorter));
  }
  return 0;
}
