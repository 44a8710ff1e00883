// ProcessFactsRestorer: puts the process's facts back as they were when a test's scope ends.
#pragma once

#include "process/ProcessFacts.h"

namespace fixture {

// Copies Process() when made and puts the copy back when it goes out of scope, also when a
// failed check returns early, so that a test may pretend a display or replace a seam for its
// own scope only.
class ProcessFactsRestorer {
 public:
  ProcessFactsRestorer() : saved_(orlaventis::Process()) {}
  ~ProcessFactsRestorer() { orlaventis::Process() = saved_; }
  ProcessFactsRestorer(const ProcessFactsRestorer&) = delete;
  ProcessFactsRestorer& operator=(const ProcessFactsRestorer&) = delete;

 private:
  orlaventis::ProcessFacts saved_;
};

}  // namespace fixture
