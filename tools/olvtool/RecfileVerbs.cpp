// olvtool verbs of the "recfile" group (scaffold; the verbs land with their writers).
#include "Cli.h"

namespace olvtool {
std::span<const Verb> RecfileVerbs() { return {}; }
}  // namespace olvtool
