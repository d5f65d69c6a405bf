// The entity dispatcher: offered every line of the main loop, it starts the reader of an entity
// whose type name stands on the value line of a group-0 pair, when that type is enabled.
#pragma once

#include <string_view>

#include "engine/pairs.h"
#include "engine/run_state.h"

namespace corvane {

// Starts the reader of the entity named `line` when its type is enabled.
void DispatchEntityName(FileState& file, std::string_view line);

// `line` is the line as read, unchanged. Keeps file.phase in step with the pair structure; most
// lines are codes and values of entities no reader takes, so that part is inline.
inline void DispatchEntityLine(FileState& file, std::string_view line) {
  switch (file.phase) {
    case LinePhase::kCode: {
      const int code = CodeOfLine(line);
      if (code == 0) {
        file.phase = LinePhase::kValueOfZero;
      } else if (code < 0 && OutOfStep(file, line)) {
        // Back in step: this line was the value of a pair whose code was the line before.
        const int shiftedCode = file.lastValueCode;
        file.lastValueCode = -1;
        if (shiftedCode == 0) DispatchEntityName(file, line);
      } else {
        file.phase = LinePhase::kValue;
      }
      return;
    }
    case LinePhase::kValue:
      file.lastValueCode = CodeOfLine(line);
      file.phase = LinePhase::kCode;
      return;
    case LinePhase::kValueOfZero:
      DispatchEntityName(file, line);
      return;
  }
}

}  // namespace corvane
