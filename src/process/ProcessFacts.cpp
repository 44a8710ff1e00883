// The one place of process-wide state: facts about this process and its display that every layer
// may read, and the seams tests replace.
#include "process/ProcessFacts.h"

namespace orlaventis {

ProcessFacts& Process() {
  static ProcessFacts facts;
  return facts;
}

}  // namespace orlaventis
