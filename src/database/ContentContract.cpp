// The content contract's composed names and its text grammars, read and written.
#include "database/ContentContract.h"

#include <QStringList>

#include <algorithm>
#include <limits>

namespace orlaventis::content {
namespace {

constexpr QLatin1String kNoMoreCells{"$"};
constexpr QChar kCellSeparator = QLatin1Char('@');

bool HasLineBreak(const QString& text) {
  return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

}  // namespace

QString CatalogueFile(int language) {
  return QStringLiteral("d\\ol") + QString::number(language) + QStringLiteral(".cat");
}

QString BackgroundFile(QLatin1String prefix, const QString& suffix) {
  return kBackgroundFolder + prefix + suffix;
}

QString LocalPath(const QString& storedName) {
  return QString(storedName).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

QString IntroKey(int language) {
  return QStringLiteral("Intro_") + QString::number(language) + kKeyEnd;
}

QString ProductionContentsKey(int language) {
  return QStringLiteral("Production_Content_") + QString::number(language) + kKeyEnd;
}

QString TopicKey(const QString& outlineKey) { return outlineKey + kKeyEnd; }

QString LanguageTable(const QString& prefix, const QString& country) {
  return prefix + QStringLiteral(" (") + country + QLatin1Char(')');
}

std::optional<OutlineTopic> ReadOutlineTopic(const QString& line) {
  const qsizetype mark = line.indexOf(kTopicMark);
  if (mark < 0) return std::nullopt;
  const qsizetype equals = line.indexOf(QLatin1Char('='));
  OutlineTopic topic;
  topic.key = line.left(equals);
  if (mark > equals) topic.columns = line.mid(equals + 1, mark - equals - 1);
  topic.caption = line.mid(mark + kTopicMark.size());
  return topic;
}

std::optional<QString> WriteOutlineTopic(const OutlineTopic& topic) {
  if (topic.key.isEmpty() || topic.key.startsWith(QLatin1Char('\t')) ||
      topic.key.contains(QLatin1Char('=')) || topic.key.contains(QLatin1Char('>')) ||
      topic.columns.contains(kTopicMark) || HasLineBreak(topic.key) ||
      HasLineBreak(topic.columns) || HasLineBreak(topic.caption))
    return std::nullopt;
  return topic.key + QLatin1Char('=') + topic.columns + kTopicMark + topic.caption;
}

QStringList ReadTableLine(const QString& line) {
  QStringList cells;
  QString rest = line;
  while (rest != kNoMoreCells) {
    const qsizetype at = rest.indexOf(kCellSeparator);
    if (at < 0) {
      cells.append(rest);
      break;
    }
    cells.append(rest.left(at));
    rest = rest.mid(at + 1);
    if (rest.isEmpty()) break;
  }
  return cells;
}

std::optional<QString> WriteTableLine(const QStringList& cells) {
  if (cells.isEmpty() || cells.last() == kNoMoreCells ||
      (cells.size() > 1 && cells.last().isEmpty()))
    return std::nullopt;
  for (const QString& cell : cells)
    if (cell.contains(kCellSeparator) || HasLineBreak(cell)) return std::nullopt;
  return cells.join(kCellSeparator);
}

std::optional<QList<int>> ReadLinkList(const QString& text) {
  QList<int> links;
  qint64 number = -1;  // the number being read, -1 between numbers
  for (const QChar c : text + QLatin1Char(',')) {
    if (c.isDigit() && c.unicode() < 0x80) {
      number = std::max<qint64>(number, 0) * 10 + (c.unicode() - '0');
      if (number > std::numeric_limits<int>::max()) return std::nullopt;
    } else if (c == QLatin1Char(',') || c.isSpace()) {
      if (number >= 0) links.append(int(number));
      number = -1;
    } else {
      return std::nullopt;
    }
  }
  return links;
}

QString WriteLinkList(const QList<int>& links) {
  QStringList parts;
  for (int link : links) parts.append(QString::number(link));
  return parts.join(QLatin1Char(','));
}

}  // namespace orlaventis::content
