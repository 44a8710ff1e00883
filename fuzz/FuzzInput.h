// Shared by the fuzz targets: the input as a file in a temporary folder that lives for the whole
// run.
#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// Writes the `size` bytes at `data` to `name` in the run's folder; the file's path, or empty when
// it cannot be written.
inline QString WriteFuzzInput(const QString& name, const uint8_t* data, size_t size) {
  static QTemporaryDir dir;
  QFile f(dir.filePath(name));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
  f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  return f.fileName();
}
