// TBooleanChain (growable flag array); TPointerChain<T>, a template, lives wholly in the header.
#include "database/Chains.h"

#include <new>

namespace orlaventis {

bool TBooleanChain::Get(int32_t index) const {
  if (index < 0 || index >= Count()) return false;
  return flags_[static_cast<size_t>(index)] != 0;
}

void TBooleanChain::Set(int32_t index, bool flag) {
  if (index < 0 || index >= Count()) return;
  flags_[static_cast<size_t>(index)] = flag ? 1 : 0;
}

bool TBooleanChain::Fill(int32_t count, bool flag) {
  flags_.clear();
  if (count < 0) return false;
  try {
    flags_.assign(static_cast<size_t>(count), flag ? 1 : 0);
  } catch (const std::bad_alloc&) {
    flags_.clear();
    return false;
  }
  return true;
}

}  // namespace orlaventis
