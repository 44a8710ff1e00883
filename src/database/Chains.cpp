// TPointerChain (positional list with a cursor) and TBooleanChain (growable flag array).
#include "database/Chains.h"

#include <new>

namespace orlaventis {

TPointerChain::TPointerChain(QString name) : name_(std::move(name)) {}

TPointerChain::~TPointerChain() {
  // From the last node to the first, iteratively: a long chain must not recurse.
  while (last_ != nullptr) {
    Node* prev = last_->prev;
    if (prev != nullptr)
      prev->next.reset();
    else
      first_.reset();
    last_ = prev;
  }
}

TPointerChain::Node* TPointerChain::Seek(int32_t target) {
  if (count_ == 0 || target < 1 || target > count_) return nullptr;
  if (cursor_ == nullptr) CursorToFirst();
  if (target == cursorPos_) return cursor_;
  Node* node;
  int32_t pos;
  if (target > cursorPos_) {
    if (target - cursorPos_ >= count_ - target) {
      node = last_;
      pos = count_;
    } else {
      node = cursor_;
      pos = cursorPos_;
    }
  } else {
    if (cursorPos_ - target >= target - 1) {
      node = first_.get();
      pos = 1;
    } else {
      node = cursor_;
      pos = cursorPos_;
    }
  }
  while (pos < target) {
    node = node->next.get();
    ++pos;
  }
  while (pos > target) {
    node = node->prev;
    --pos;
  }
  cursor_ = node;
  cursorPos_ = pos;
  return node;
}

void TPointerChain::CursorToFirst() {
  cursor_ = first_.get();
  cursorPos_ = cursor_ != nullptr ? 1 : 0;
}

void* TPointerChain::Items(int32_t position) {
  Node* node = Seek(position);
  return node != nullptr ? node->item : nullptr;
}

void TPointerChain::Put(int32_t position, void* item) {
  if (Node* node = Seek(position)) {
    node->item = item;
    return;
  }
  CursorToFirst();
}

bool TPointerChain::Add(void* item) {
  std::unique_ptr<Node> node(new (std::nothrow) Node);
  if (!node) return false;
  node->item = item;
  node->prev = last_;
  Node* raw = node.get();
  if (last_ != nullptr)
    last_->next = std::move(node);
  else
    first_ = std::move(node);
  last_ = raw;
  ++count_;
  cursor_ = raw;
  cursorPos_ = count_;
  return true;
}

bool TPointerChain::Delete(int32_t position) {
  Node* node = Seek(position);
  if (node == nullptr) {
    if (position < 1) CursorToFirst();
    return false;
  }
  Node* prev = node->prev;
  std::unique_ptr<Node> rest = std::move(node->next);
  if (rest) rest->prev = prev;
  if (node == last_) last_ = prev;
  // Replacing the owning pointer frees the node.
  if (prev != nullptr)
    prev->next = std::move(rest);
  else
    first_ = std::move(rest);
  --count_;
  CursorToFirst();
  return true;
}

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
