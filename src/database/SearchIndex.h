// TSearchIndex: words of the work's texts, folded, for matching as-you-type queries by prefix.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orlaventis {

// The kinds of what a search finds, in the order their groups are shown.
enum class SearchKind : uint8_t { Picture = 0, Topic, Paint };
inline constexpr int kSearchKinds = 3;

// One thing a search can find and go to.
struct TSearchEntry {
  SearchKind Kind = SearchKind::Picture;
  // Picture: its record in the items table; Topic: its outline item number; Paint: its record
  // in the option table of Option.
  int32_t Target = 0;
  int32_t Option = 0;  // Paint: the EnamelOption as a number; 0 otherwise
  QString Title;       // the header, topic caption or name
  QString Detail;      // the item number and year, the heading above the topic, the list and code
  QString Key;         // Picture: its item number (its photo's archive member); else empty
};

// The folded words of `text`: its runs of letters and digits (combining marks dropped), in
// order, repeats kept, in lower case (case folded) and without accents: each character of a
// canonical decomposition keeps only its base letter ("Crème" gives "creme").
QStringList SearchWords(QStringView text);

// What Find found: entry numbers grouped by kind (in SearchKind order), within a kind the
// entries that match more query words in their strong texts first, then in the order added.
struct TSearchResult {
  std::vector<int32_t> Entries;
  std::array<int32_t, kSearchKinds> Totals{};  // all matches per kind, shown or not
};

// The words of every entry's texts, sorted, each with the entries that hold it. Texts are
// added with Add, made searchable by Finish; a query matches an entry when each of its words
// begins a word of the entry's texts (in any order, case and accents ignored).
class TSearchIndex {
 public:
  static constexpr int kMaxQueryWords = 16;  // later words of a query are ignored

  // Adds an entry whose `strong` text (header, name, number, code) ranks above its `weak` text
  // (description). Returns its number (from 0). An index holds at most 2^31 - 1 entries, and
  // its distinct words at most 2^32 - 1 UTF-16 units in all.
  int32_t Add(TSearchEntry entry, QStringView strong, QStringView weak = {});
  // Sorts what was added. Entries added later are found after the next Finish.
  void Finish();

  // The entries whose texts hold every word of `query` as the start of one of their words; at
  // most `limitPerKind` of each kind in Entries. A query without words finds nothing.
  TSearchResult Find(QStringView query, int limitPerKind) const;

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  const TSearchEntry& Entry(int32_t number) const { return entries_[static_cast<size_t>(number)]; }
  void Clear();

 private:
  // Collects the words of `text` as postings of `entry` into pending_, each word of an entry
  // once (its first text decides whether it is strong).
  void AddWords(QStringView text, uint32_t entry, bool strong);
  // The number of the word folded onto the end of text_ (from bounds_.back() to `end`): it
  // stays there, numbered, when it is new; when it is known, the caller cuts it off.
  uint32_t WordId(size_t end);
  // Word `id`'s folded text.
  std::u16string_view Word(uint32_t id) const {
    return std::u16string_view(text_).substr(bounds_[id], bounds_[id + 1] - bounds_[id]);
  }

  std::vector<TSearchEntry> entries_;
  // The words by number: word i is text_[bounds_[i] .. bounds_[i + 1]).
  std::u16string text_;
  std::vector<uint32_t> bounds_{0};
  // While adding: an open-addressing table of the word's hash (high 32 bits) and word number + 1
  // (low; 0 empty; a power of two in size, at most half full), the last entry + 1 that held each
  // word, and the (word, posting) pairs.
  std::vector<uint64_t> slots_;
  std::vector<uint32_t> lastEntry_;
  std::vector<std::pair<uint32_t, uint32_t>> pending_;
  // After Finish: the word numbers in the words' order; postings of the word sorted_[i] in
  // postings_[start_[i] .. start_[i+1]), each an entry number times 2, plus 1 when it is a strong
  // text's word.
  std::vector<uint32_t> sorted_;
  std::vector<uint32_t> start_;
  std::vector<uint32_t> postings_;
};

}  // namespace orlaventis
