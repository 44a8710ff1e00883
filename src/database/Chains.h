// TPointerChain<T> (typed positional list with a cursor) and TBooleanChain (growable flag array).
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace orlaventis {

// A doubly linked list of pointers to items of type T, addressed by position from 1. The chain
// owns its nodes, never the items: whoever adds items keeps them alive and frees them itself.
// A cursor remembers the node visited last, so walking positions in order costs one step each.
template <typename T>
class TPointerChain {
 public:
  explicit TPointerChain(QString name) : name_(std::move(name)) {}
  ~TPointerChain();
  TPointerChain(const TPointerChain&) = delete;
  TPointerChain& operator=(const TPointerChain&) = delete;

  const QString& Name() const { return name_; }
  int32_t Count() const { return count_; }
  int32_t CursorPos() const { return cursorPos_; }

  // The item at `position`, or null when the position lies outside 1 to Count. Leaves the
  // cursor on the target.
  T* Items(int32_t position);
  // Replaces the item at `position`; for a position that does not exist only moves the cursor
  // to the first node.
  void Put(int32_t position, T* item);
  // Appends after the last item; the new node becomes the cursor. False only when no node can
  // be allocated.
  bool Add(T* item);
  // Unlinks the node at `position` (never the item). Afterwards the cursor is the first node,
  // or nothing when the chain became empty. False for a position that does not exist (and a
  // position below 1 also moves the cursor to the first node).
  bool Delete(int32_t position);

 private:
  struct Node {
    T* item = nullptr;
    std::unique_ptr<Node> next;  // owns the rest of the list
    Node* prev = nullptr;
  };
  Node* Seek(int32_t target);  // walks from the nearest known node; null when out of range
  void CursorToFirst();

  QString name_;
  std::unique_ptr<Node> first_;
  Node* last_ = nullptr;
  Node* cursor_ = nullptr;
  int32_t cursorPos_ = 0;
  int32_t count_ = 0;
};

// A growable array of one-byte flags addressed from 0.
class TBooleanChain {
 public:
  explicit TBooleanChain(QString name) : name_(std::move(name)) {}

  const QString& Name() const { return name_; }
  int32_t Count() const { return static_cast<int32_t>(flags_.size()); }
  // Flag `index`, or false outside 0 to Count-1.
  bool Get(int32_t index) const;
  // Writes flag `index`; an index outside 0 to Count-1 is ignored.
  void Set(int32_t index, bool flag);
  // Empties the chain and makes it `count` flags, all `flag`. False (and an empty chain) when
  // that many flags cannot be held (a negative count, or no memory).
  bool Fill(int32_t count, bool flag);
  void Clear() { flags_.clear(); }

 private:
  QString name_;
  std::vector<uint8_t> flags_;
};

// ---- TPointerChain: a template, so its members are defined here ----

template <typename T>
TPointerChain<T>::~TPointerChain() {
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

template <typename T>
typename TPointerChain<T>::Node* TPointerChain<T>::Seek(int32_t target) {
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

template <typename T>
void TPointerChain<T>::CursorToFirst() {
  cursor_ = first_.get();
  cursorPos_ = cursor_ != nullptr ? 1 : 0;
}

template <typename T>
T* TPointerChain<T>::Items(int32_t position) {
  Node* node = Seek(position);
  return node != nullptr ? node->item : nullptr;
}

template <typename T>
void TPointerChain<T>::Put(int32_t position, T* item) {
  if (Node* node = Seek(position)) {
    node->item = item;
    return;
  }
  CursorToFirst();
}

template <typename T>
bool TPointerChain<T>::Add(T* item) {
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

template <typename T>
bool TPointerChain<T>::Delete(int32_t position) {
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

}  // namespace orlaventis
