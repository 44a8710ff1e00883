// TSearchIndex: words of the work's texts, folded, for matching as-you-type queries by prefix.
#include "database/SearchIndex.h"

#include <QHash>

#include <algorithm>
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

uint32_t TSearchIndex::WordId(QStringView word) {
  const auto hashOf = [](QStringView w) { return static_cast<uint32_t>(qHash(w)); };
  if (byId_.size() * 2 >= slots_.size()) {
    slots_.assign(std::max<size_t>(1024, slots_.size() * 2), 0);
    for (uint32_t id = 0; id < byId_.size(); ++id) {
      const uint32_t hash = hashOf(byId_[id]);
      size_t i = hash & (slots_.size() - 1);
      while (slots_[i] != 0) i = (i + 1) & (slots_.size() - 1);
      slots_[i] = uint64_t{hash} << 32 | (id + 1);
    }
  }
  const uint32_t hash = hashOf(word);
  size_t i = hash & (slots_.size() - 1);
  for (; slots_[i] != 0; i = (i + 1) & (slots_.size() - 1)) {
    if (slots_[i] >> 32 != hash) continue;
    const QString& known = byId_[static_cast<uint32_t>(slots_[i]) - 1];
    if (known.size() == word.size() && std::equal(word.begin(), word.end(), known.begin()))
      return static_cast<uint32_t>(slots_[i]) - 1;
  }
  byId_.push_back(word.toString());
  lastEntry_.push_back(0);
  slots_[i] = uint64_t{hash} << 32 | byId_.size();
  return static_cast<uint32_t>(byId_.size()) - 1;
}

void TSearchIndex::AddWords(QStringView text, uint32_t entry, bool strong) {
  const uint32_t posting = entry * 2 + (strong ? 1 : 0);
  ForEachWord(text, [&](QStringView word) {
    const uint32_t id = WordId(word);
    if (lastEntry_[id] == entry + 1) return;
    lastEntry_[id] = entry + 1;
    pending_.emplace_back(id, posting);
  });
}

int32_t TSearchIndex::Add(TSearchEntry entry, QStringView strong, QStringView weak) {
  const auto number = static_cast<uint32_t>(entries_.size());
  entries_.push_back(std::move(entry));
  AddWords(strong, number, true);
  AddWords(weak, number, false);
  return static_cast<int32_t>(number);
}

void TSearchIndex::Finish() {
  std::vector<uint32_t> order(byId_.size());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(),
            [&](uint32_t a, uint32_t b) { return byId_[a] < byId_[b]; });
  std::vector<uint32_t> rank(order.size());
  words_.clear();
  words_.reserve(order.size());
  for (size_t r = 0; r < order.size(); ++r) {
    rank[order[r]] = static_cast<uint32_t>(r);
    words_.push_back(byId_[order[r]]);
  }
  // A counting sort by word keeps each word's postings in entry order.
  start_.assign(words_.size() + 1, 0);
  for (const auto& [id, posting] : pending_) ++start_[rank[id] + 1];
  std::partial_sum(start_.begin(), start_.end(), start_.begin());
  postings_.resize(pending_.size());
  std::vector<uint32_t> next(start_.begin(), start_.end() - 1);
  for (const auto& [id, posting] : pending_) postings_[next[rank[id]]++] = posting;
}

TSearchResult TSearchIndex::Find(QStringView query, int limitPerKind) const {
  TSearchResult result;
  QStringList words = SearchWords(query);
  if (words.isEmpty() || words_.empty()) return result;
  if (words.size() > kMaxQueryWords) words.resize(kMaxQueryWords);
  const size_t n = entries_.size();
  // Per entry: how many query words it matched so far (it drops out at the first it misses),
  // how many of them in its strong text, and the last word counted there.
  std::vector<uint8_t> matched(n, 0), strong(n, 0), strongWord(n, 0);
  std::vector<int32_t> found;
  for (int k = 0; k < words.size(); ++k) {
    const QString& word = words[k];
    const auto k8 = static_cast<uint8_t>(k);
    for (auto w = std::lower_bound(words_.begin(), words_.end(), word);
         w != words_.end() && w->startsWith(word); ++w) {
      const auto i = static_cast<size_t>(w - words_.begin());
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
