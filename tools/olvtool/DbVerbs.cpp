// olvtool verbs of the "db" group (scaffold; the verbs land with their writers).
#include "Cli.h"

namespace olvtool {
std::span<const Verb> DbVerbs() { return {}; }
}  // namespace olvtool
