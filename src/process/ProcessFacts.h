// The one place of process-wide state: facts about this process and its display that every layer
// may read, and the seams tests replace. Everything else a run keeps lives in objects its main
// form owns (or the settings it is lent).
#pragma once

#include <QDateTime>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

namespace orlaventis {

// A program to start, detached, with its arguments and working folder (empty: inherited).
struct ProcessStart {
  QString program;
  QStringList arguments;
  QString workingFolder;
};

// Starts a program; true when it was started. Empty: QProcess::startDetached.
using ProcessLauncher = std::function<bool(const ProcessStart&)>;
// Opens an address with the desktop's default browser. Empty: QDesktopServices::openUrl.
using UrlOpener = std::function<bool(const QUrl&)>;
// Sets an extracted file's modification time. Empty: QFile::setFileTime.
using FileTimeSetter = std::function<bool(const QString& path, const QDateTime& time)>;

// What the process as a whole is and talks through. A value: tests copy it, change a member and
// put the copy back when they end (ProcessFactsRestorer in the tests).
struct ProcessFacts {
  // The display as the command line pretends it (--screen, --depth): an empty size and a depth
  // of 0 mean the real display's.
  QSize screenSizeOverride;
  int displayDepthOverride = 0;
  // Whether anyone can answer a box or a prompt: set (the tour says true, tests of dialogs
  // false), else decided from the platform (Unattended, media/Messages.h).
  std::optional<bool> unattended;
  // The seams to the desktop and the file system.
  ProcessLauncher launcher;
  UrlOpener urlOpener;
  FileTimeSetter fileTimeSetter;
};

// The process's facts, for reading and (at start-up, and in tests) for setting. Use from the
// user-interface thread only.
ProcessFacts& Process();

}  // namespace orlaventis
