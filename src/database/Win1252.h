// Windows-1252 single-byte text: the character set of every text stored in the data files.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string_view>

namespace orlaventis {

// Decodes single-byte text. Never fails: the five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same code, as Windows does.
QString DecodeWin1252(std::string_view bytes);
inline QString DecodeWin1252(const QByteArray& bytes) {
  return DecodeWin1252(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

// Decodes one byte.
QChar Win1252Char(unsigned char byte);

// Encodes text; empty optional when a character has no single-byte form.
std::optional<QByteArray> EncodeWin1252(const QString& text);

}  // namespace orlaventis
