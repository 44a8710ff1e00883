// TSearchIndex: words of the work's texts, folded, for matching as-you-type queries by prefix.
#include "database/SearchIndex.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>
#include <string>

namespace orlaventis {
namespace {

// Per UTF-16 unit: its folded form (lower case, case folded, without accents: each character
// of a canonical decomposition keeps only its base letter), and whether it belongs to a word
// (kWord), is dropped (kMark: a combining mark) or separates words (kSeparator).
enum : uint8_t { kSeparator = 0, kWord = 1, kMark = 2 };
struct FoldTable {
  std::array<char16_t, 65536> folded{};
  std::array<uint8_t, 65536> kind{};
  FoldTable() {
    for (uint32_t u = 0; u < 65536; ++u) {
      QChar c(static_cast<char16_t>(u));
      // Down to the base letter: a canonical decomposition starts with it (or with a letter
      // that decomposes further, as in "ǖ").
      for (int depth = 0; depth < 4 && c.decompositionTag() == QChar::Canonical; ++depth) {
        const QString parts = c.decomposition();
        if (parts.isEmpty() || parts.at(0) == c) break;
        c = parts.at(0);
      }
      c = c.toCaseFolded();
      folded[u] = c.unicode();
      const QChar original(static_cast<char16_t>(u));
      if (original.isSurrogate()) {
        kind[u] = kSeparator;
      } else if (original.category() == QChar::Mark_NonSpacing ||
                 original.category() == QChar::Mark_Enclosing) {
        kind[u] = kMark;
      } else {
        kind[u] = c.isLetterOrNumber() ? kWord : kSeparator;
      }
    }
  }
};

const FoldTable& Fold() {
  static const std::unique_ptr<const FoldTable> table = std::make_unique<const FoldTable>();
  return *table;
}

// Calls `word` with each folded word of `text` (a view of a buffer reused between calls).
template <typename Visit>
void ForEachWord(QStringView text, Visit&& word) {
  const FoldTable& fold = Fold();
  std::u16string buffer;
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    const uint8_t kind = fold.kind[u];
    if (kind == kWord) {
      buffer.push_back(fold.folded[u]);
    } else if (kind == kSeparator && !buffer.empty()) {
      word(QStringView(buffer));
      buffer.clear();
    }
  }
  if (!buffer.empty()) word(QStringView(buffer));
}

}  // namespace

QStringList SearchWords(QStringView text) {
  QStringList words;
  ForEachWord(text, [&](QStringView word) { words.append(word.toString()); });
  return words;
}

uint32_t TSearchIndex::WordId(size_t end) {
  if (lastEntry_.size() * 2 >= slots_.size()) {
    std::vector<uint64_t> old(std::max<size_t>(1024, slots_.size() * 2), 0);
    old.swap(slots_);
    for (const uint64_t slot : old) {
      if (slot == 0) continue;
      size_t i = (slot >> 32) & (slots_.size() - 1);
      while (slots_[i] != 0) i = (i + 1) & (slots_.size() - 1);
      slots_[i] = slot;
    }
  }
  const size_t begin = bounds_.back();
  const std::u16string_view word = std::u16string_view(text_).substr(begin, end - begin);
  // Hashed four units at a time: one multiplication each, the high bits mixing all of them.
  constexpr uint64_t kFactor = 0x9E3779B97F4A7C15;
  uint64_t mix = word.size(), tail = 0;
  size_t k = 0;
  for (; k + 4 <= word.size(); k += 4) {
    uint64_t four = 0;
    std::memcpy(&four, word.data() + k, sizeof four);
    mix = (mix ^ four) * kFactor;
  }
  for (; k < word.size(); ++k) tail = tail << 16 | word[k];
  const auto hash = static_cast<uint32_t>(((mix ^ tail) * kFactor) >> 32);
  size_t i = hash & (slots_.size() - 1);
  for (; slots_[i] != 0; i = (i + 1) & (slots_.size() - 1)) {
    const auto id = static_cast<uint32_t>(slots_[i]) - 1;
    if (slots_[i] >> 32 == hash && Word(id) == word) return id;
  }
  bounds_.push_back(static_cast<uint32_t>(end));
  lastEntry_.push_back(0);
  slots_[i] = uint64_t{hash} << 32 | lastEntry_.size();
  return static_cast<uint32_t>(lastEntry_.size()) - 1;
}

void TSearchIndex::AddWords(QStringView text, uint32_t entry, bool strong) {
  const FoldTable& fold = Fold();
  const uint32_t posting = entry * 2 + (strong ? 1 : 0);
  const auto post = [this, entry, posting](uint32_t id) {
    if (lastEntry_[id] == entry + 1) return;
    lastEntry_[id] = entry + 1;
    pending_.emplace_back(id, posting);
  };
  // Each word is folded straight onto the end of text_ (room is made for the whole text) and
  // kept there only when it is new.
  size_t begin = text_.size(), end = begin;
  text_.resize(begin + static_cast<size_t>(text.size()));
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    const uint8_t kind = fold.kind[u];
    if (kind == kWord) {
      text_[end++] = fold.folded[u];
    } else if (kind == kSeparator && end != begin) {
      post(WordId(end));
      begin = end = bounds_.back();
    }
  }
  if (end != begin) {
    post(WordId(end));
    end = bounds_.back();
  }
  text_.resize(end);
}

int32_t TSearchIndex::Add(TSearchEntry entry, QStringView strong, QStringView weak) {
  const auto number = static_cast<uint32_t>(entries_.size());
  entries_.push_back(std::move(entry));
  AddWords(strong, number, true);
  AddWords(weak, number, false);
  return static_cast<int32_t>(number);
}

void TSearchIndex::Finish() {
  const auto count = static_cast<uint32_t>(lastEntry_.size());
  // Sorted by their first four units as one integer (0 past a word's end, which no word holds),
  // then by the whole word: the same order as QString's, for far fewer string comparisons.
  std::vector<std::pair<uint64_t, uint32_t>> keyed(count);
  for (uint32_t id = 0; id < count; ++id) {
    const std::u16string_view word = Word(id);
    uint64_t head = 0;
    for (size_t k = 0; k < 4; ++k) head = head << 16 | (k < word.size() ? word[k] : 0u);
    keyed[id] = {head, id};
  }
  std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : Word(a.second) < Word(b.second);
  });
  std::vector<uint32_t> rank(count);
  sorted_.resize(count);
  for (uint32_t r = 0; r < count; ++r) {
    sorted_[r] = keyed[r].second;
    rank[keyed[r].second] = r;
  }
  // A counting sort by word keeps each word's postings in entry order.
  start_.assign(count + 1, 0);
  for (const auto& [id, posting] : pending_) ++start_[rank[id] + 1];
  std::partial_sum(start_.begin(), start_.end(), start_.begin());
  postings_.resize(pending_.size());
  std::vector<uint32_t> next(start_.begin(), start_.end() - 1);
  for (const auto& [id, posting] : pending_) postings_[next[rank[id]]++] = posting;
}

TSearchResult TSearchIndex::Find(QStringView query, int limitPerKind) const {
  TSearchResult result;
  QStringList words = SearchWords(query);
  if (words.isEmpty() || sorted_.empty()) return result;
  if (words.size() > kMaxQueryWords) words.resize(kMaxQueryWords);
  const size_t n = entries_.size();
  // Per entry: how many query words it matched so far (it drops out at the first it misses),
  // how many of them in its strong text, and the last word counted there.
  std::vector<uint8_t> matched(n, 0), strong(n, 0), strongWord(n, 0);
  std::vector<int32_t> found;
  for (int k = 0; k < words.size(); ++k) {
    const std::u16string_view word(QStringView(words[k]).utf16(), size_t(words[k].size()));
    const auto k8 = static_cast<uint8_t>(k);
    const auto before = [&](uint32_t id, std::u16string_view w) { return Word(id) < w; };
    for (auto w = std::lower_bound(sorted_.begin(), sorted_.end(), word, before);
         w != sorted_.end() && Word(*w).starts_with(word); ++w) {
      const auto i = static_cast<size_t>(w - sorted_.begin());
      for (uint32_t p = start_[i]; p < start_[i + 1]; ++p) {
        const uint32_t e = postings_[p] / 2;
        if (matched[e] == k8) {
          matched[e] = k8 + 1;
          if (k + 1 == words.size()) found.push_back(static_cast<int32_t>(e));
        }
        if (matched[e] == k8 + 1 && (postings_[p] & 1) != 0 && strongWord[e] != k8 + 1) {
          strongWord[e] = k8 + 1;
          ++strong[e];
        }
      }
    }
  }
  std::sort(found.begin(), found.end(), [&](int32_t a, int32_t b) {
    const TSearchEntry& x = entries_[size_t(a)];
    const TSearchEntry& y = entries_[size_t(b)];
    if (x.Kind != y.Kind) return x.Kind < y.Kind;
    if (strong[size_t(a)] != strong[size_t(b)]) return strong[size_t(a)] > strong[size_t(b)];
    return a < b;
  });
  for (const int32_t e : found) {
    int32_t& total = result.Totals[static_cast<size_t>(entries_[size_t(e)].Kind)];
    if (total++ < limitPerKind) result.Entries.push_back(e);
  }
  return result;
}

void TSearchIndex::Clear() { *this = TSearchIndex(); }

}  // namespace orlaventis
