// Command-line plumbing shared by every olvtool verb: arguments, exit codes, messages.
#include "Cli.h"

#include <cstdio>

namespace olvtool {

bool Args::Parse(const QStringList& words, const QStringList& valued, const QStringList& flags,
                 QString* error) {
  positional_.clear();
  present_.clear();
  values_.clear();
  for (qsizetype i = 0; i < words.size(); ++i) {
    const QString& w = words[i];
    if (w == QLatin1String("--")) {
      positional_ += words.mid(i + 1);
      break;
    }
    if (!w.startsWith(QLatin1String("--")) || w.size() == 2) {
      positional_ << w;
      continue;
    }
    QString name = w.mid(2);
    QString value;
    bool inlineValue = false;
    if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
      value = name.mid(eq + 1);
      name.truncate(eq);
      inlineValue = true;
    }
    if (valued.contains(name)) {
      if (!inlineValue) {
        if (i + 1 >= words.size()) {
          *error = QStringLiteral("option --%1 needs a value").arg(name);
          return false;
        }
        value = words[++i];
      }
    } else if (!flags.contains(name) || inlineValue) {
      *error = QStringLiteral("unknown option --%1").arg(name);
      return false;
    }
    present_ << name;
    values_ << value;
  }
  return true;
}

bool Args::Has(const QString& option) const { return present_.contains(option); }

QString Args::Value(const QString& option) const {
  const qsizetype i = present_.lastIndexOf(option);
  return i < 0 ? QString() : values_[i];
}

void Out(const QString& line) {
  const QByteArray bytes = line.toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
  std::fputc('\n', stdout);
}

void Err(const QString& line) {
  const QByteArray bytes = line.toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
  std::fputc('\n', stderr);
}

QString Printable(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
      shown += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
    else
      shown += c;
  }
  return shown;
}

int UsageError(const Verb& verb, const QString& why) {
  Err(QStringLiteral("olvtool %1 %2: %3").arg(verb.group, verb.name, why));
  Err(QStringLiteral("usage: olvtool %1 %2 %3   (--help for more)")
          .arg(verb.group, verb.name, verb.synopsis));
  return kBadUsage;
}

}  // namespace olvtool
