// Puts a built work into its output folder as one transaction: the whole new work is staged in a
// folder beside it and swapped in with one atomic exchange, so OUT is always one whole work.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QSet>
#include <QString>

#include <memory>

namespace olvtool {

// Ctrl+C and SIGTERM: the first sets Interrupted() (long loops stop, the stage is removed, OUT
// stays as it was unless the swap has happened); a second one ends the program at once.
void InstallInterruptHandler();
bool Interrupted();

// The staged output of one build. Every change it makes to the file system is one counted step:
// a test stops the build before the Nth (OLVTOOL_TEST_KILL_AT=N: the process kills itself) or
// makes it fail as a full disk does (OLVTOOL_TEST_NOSPACE_AT=N) or raises SIGINT before it
// (OLVTOOL_TEST_INTERRUPT_AT=N).
class StagedOutput {
 public:
  StagedOutput() = default;
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;
  // Removes the stage: before Commit the unfinished new work, after it the old one.
  ~StagedOutput();

  // Makes the stage beside `outFolder`, after removing stale stages of `outFolder` that earlier
  // builds left when they were killed (a stage's name carries its builder's process id; only
  // those whose builder no longer runs are removed). Then carries over from `outFolder`, by hard
  // links (copies where links cannot be made), every entry that is not in `made` (the outputs
  // this build writes anew) and not `skip`. False with `error` set; nothing of `outFolder` is
  // changed then, and an entry of `outFolder` at the name of an output that is not a regular
  // file is such an error.
  // With `fileByFile` nothing is carried over and Commit renames each staged file into place
  // instead (not one step: for a folder that other programs work in at the same time).
  bool Begin(const QString& outFolder, const QSet<QString>& outputs, const QSet<QString>& made,
             const QString& skip, bool fileByFile, QString* error);

  // The stage folder.
  QString Path() const { return stage_; }

  // Writes the output `name` ("d/olv.dat") into the stage. False with `error` saying why
  // ("cannot be written: No space left on device"); the caller names the file.
  bool Write(const QString& name, const QByteArray& bytes, QString* error);
  // A new file `name` in the stage, open for unbuffered writing, or null with `error` set.
  std::unique_ptr<QFile> Create(const QString& name, QString* error);
  // Closes a file of Create, false with `error` when its bytes did not all reach the disk.
  bool Close(QFile& file, QString* error);

  // Flushes the stage to the disk and swaps it with the output folder in one step (renames it
  // into place when there was none). False with `error` set when it cannot: the output folder
  // is then as it was. Afterwards the output folder is the new work whatever happens.
  bool Commit(QString* error);

 private:
  bool Step(QString* error);

  QString out_, stage_;
  bool fileByFile_ = false;
};

}  // namespace olvtool
