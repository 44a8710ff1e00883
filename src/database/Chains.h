// TPointerChain (positional list with a cursor) and TBooleanChain (growable flag array).
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace orlaventis {

// A doubly linked list of untyped item pointers, addressed by position from 1. The chain owns
// its nodes, never the items: whoever adds items keeps them alive and frees them itself.
// A cursor remembers the node visited last, so walking positions in order costs one step each.
class TPointerChain {
 public:
  explicit TPointerChain(QString name);
  ~TPointerChain();
  TPointerChain(const TPointerChain&) = delete;
  TPointerChain& operator=(const TPointerChain&) = delete;

  const QString& Name() const { return name_; }
  int32_t Count() const { return count_; }
  int32_t CursorPos() const { return cursorPos_; }

  // The item at `position`, or null when the position lies outside 1 to Count. Leaves the
  // cursor on the target.
  void* Items(int32_t position);
  // Replaces the item at `position`; for a position that does not exist only moves the cursor
  // to the first node.
  void Put(int32_t position, void* item);
  // Appends after the last item; the new node becomes the cursor. False only when no node can
  // be allocated.
  bool Add(void* item);
  // Unlinks the node at `position` (never the item). Afterwards the cursor is the first node,
  // or nothing when the chain became empty. False for a position that does not exist (and a
  // position below 1 also moves the cursor to the first node).
  bool Delete(int32_t position);

 private:
  struct Node {
    void* item = nullptr;
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

}  // namespace orlaventis
