// Puts a built work into its output folder as one transaction: the whole new work is staged in a
// folder beside it and swapped in with one atomic exchange, so OUT is always one whole work.
#include "OutputPlacement.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace olvtool {

namespace {

std::atomic<bool> gInterrupted{false};

// Files and folders of OUT besides the work that a build carries into the new one.
constexpr qsizetype kMostKept = 10000;

extern "C" void OnInterrupt(int signal) {
  gInterrupted = true;
  std::signal(signal, SIG_DFL);  // a second one ends the program at once
}

QString Errno(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

// The step numbers a test asked to stop or fail at; 0 for none.
int TestStep(const char* variable) { return qEnvironmentVariableIntValue(variable); }

// True when a process `pid` runs olvtool (a process id can be taken again by another program).
bool OlvtoolRuns(qint64 pid) {
  if (pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)) return false;
  QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
  if (!comm.open(QIODevice::ReadOnly)) return true;  // cannot tell: keep its stage
  return comm.readAll().trimmed() == "olvtool";
}

}  // namespace

void InstallInterruptHandler() {
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
}

bool Interrupted() { return gInterrupted; }

StagedOutput::~StagedOutput() {
  if (stage_.isEmpty()) return;
  QString ignored;
  Step(&ignored);  // a stop here, after the swap, leaves the old work as a stale stage
  QDir(stage_).removeRecursively();
}

bool StagedOutput::Step(QString* error) {
  static int count = 0;
  ++count;
  if (count == TestStep("OLVTOOL_TEST_KILL_AT")) {
    std::fflush(nullptr);
    ::raise(SIGKILL);
  }
  if (count == TestStep("OLVTOOL_TEST_INTERRUPT_AT")) ::raise(SIGINT);
  if (count == TestStep("OLVTOOL_TEST_NOSPACE_AT")) {
    *error = Errno(ENOSPC);
    return false;
  }
  return true;
}

bool StagedOutput::Begin(const QString& outFolder, const QSet<QString>& outputs,
                         const QSet<QString>& made, const QString& skip, bool fileByFile,
                         QString* error) {
  fileByFile_ = fileByFile;
  QFileInfo outInfo(QDir::cleanPath(QFileInfo(outFolder).absoluteFilePath()));
  // A link to a folder: the folder it names is the output (the link itself stays as it is).
  if (outInfo.isSymLink()) outInfo = QFileInfo(outInfo.canonicalFilePath());
  out_ = outInfo.absoluteFilePath();
  if (outInfo.isRoot() || out_ == QDir::homePath()) {
    *error = QStringLiteral(
                 "%1: the root or home folder is no output folder; build into a folder of its own")
                 .arg(outFolder);
    return false;
  }
  const bool exists = outInfo.exists();
  if (exists && !outInfo.isDir()) {
    *error = QStringLiteral("%1: not a folder").arg(outFolder);
    return false;
  }
  const QDir out(out_);
  if (exists)
    for (const QString& name : outputs) {
      const QFileInfo f(out.filePath(name));
      if ((f.exists() || f.isSymLink()) && (!f.isFile() || f.isSymLink())) {
        *error = QStringLiteral("%1: not a regular file, where the build puts its output")
                     .arg(out.filePath(name));
        return false;
      }
    }
  const QDir parent = outInfo.absoluteDir();
  if (!parent.exists() && !(Step(error) && QDir().mkpath(parent.path()))) {
    if (error->isEmpty())
      *error = QStringLiteral("%1: cannot create the folder it lies in").arg(outFolder);
    return false;
  }
  // Stages of this output folder are ".NAME.olvtool-stage-PID-XXXXXX".
  const QString prefix = QLatin1Char('.') + outInfo.fileName() + QStringLiteral(".olvtool-stage-");
  static const QRegularExpression kStage(QStringLiteral("^(\\d+)-[A-Za-z0-9]{6}$"));
  for (const QFileInfo& f : parent.entryInfoList({prefix + QLatin1Char('*')},
                                                 QDir::Dirs | QDir::Hidden | QDir::NoSymLinks)) {
    const QRegularExpressionMatch m = kStage.match(f.fileName().mid(prefix.size()));
    if (!m.hasMatch() || f.ownerId() != ::getuid() || OlvtoolRuns(m.captured(1).toLongLong()))
      continue;
    if (!Step(error)) return false;
    QDir(f.absoluteFilePath()).removeRecursively();
  }
  QByteArray pattern =
      Native(parent.filePath(prefix + QString::number(::getpid()) + QStringLiteral("-XXXXXX")));
  if (!Step(error)) return false;
  if (::mkdtemp(pattern.data()) == nullptr) {
    *error = QStringLiteral("cannot make a folder beside %1: %2").arg(outFolder, Errno(errno));
    return false;
  }
  stage_ = QFile::decodeName(pattern);
  // The swapped-in folder keeps the mode of the one it replaces; a new one gets the usual mode.
  struct stat outStat {};
  if (exists && ::stat(Native(out_).constData(), &outStat) == 0) {
    ::chmod(pattern.constData(), outStat.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(pattern.constData(), 0777 & ~mask);
  }
  if (!exists || fileByFile) return true;
  const QDir stage(stage_);
  QDirIterator it(out_, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  qsizetype kept = 0;
  while (it.hasNext()) {
    const QString path = it.next();
    const QString name = out.relativeFilePath(path);
    if (made.contains(name) || name == skip) continue;
    // The work's folder is swapped whole: one that holds a great deal more is no folder of a work.
    if (++kept > kMostKept) {
      *error = QStringLiteral(
                   "%1: holds more than %2 files besides a work; build into a folder of its own")
                   .arg(outFolder)
                   .arg(kMostKept);
      return false;
    }
    if (!Step(error)) return false;
    const QByteArray from = Native(path), to = Native(stage.filePath(name));
    struct stat st {};
    bool ok = ::lstat(from.constData(), &st) == 0;
    if (ok && S_ISDIR(st.st_mode)) {
      ok = (::mkdir(to.constData(), 0700) == 0 || errno == EEXIST) &&
           ::chmod(to.constData(), st.st_mode & 07777) == 0;
    } else if (ok && ::link(from.constData(), to.constData()) != 0) {
      // Another file system mounted below OUT: a copy keeps it (a link as the same link).
      QByteArray target(PATH_MAX, '\0');
      const ssize_t length =
          S_ISLNK(st.st_mode) ? ::readlink(from.constData(), target.data(), size_t(target.size()))
                              : -1;
      ok = S_ISLNK(st.st_mode)
               ? length > 0 && ::symlink(target.left(length).constData(), to.constData()) == 0
               : QFile::copy(path, stage.filePath(name));
    }
    if (!ok) {
      *error = QStringLiteral("%1: cannot be kept: %2").arg(path, Errno(errno));
      return false;
    }
  }
  return true;
}

bool StagedOutput::Write(const QString& name, const QByteArray& bytes, QString* error) {
  std::unique_ptr<QFile> file = Create(name, error);
  if (!file) return false;
  if (file->write(bytes) != bytes.size()) {
    *error = QStringLiteral("cannot be written: %1").arg(file->errorString());
    return false;
  }
  return Close(*file, error);
}

std::unique_ptr<QFile> StagedOutput::Create(const QString& name, QString* error) {
  const QString path = QDir(stage_).filePath(name);
  if (!Step(error) || !QDir().mkpath(QFileInfo(path).absolutePath())) {
    *error = QStringLiteral("cannot be written: %1")
                 .arg(error->isEmpty() ? QStringLiteral("no folder for it") : *error);
    return nullptr;
  }
  auto file = std::make_unique<QFile>(path);
  if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    *error = QStringLiteral("cannot be written: %1").arg(file->errorString());
    return nullptr;
  }
  return file;
}

bool StagedOutput::Close(QFile& file, QString* error) {
  if (!Step(error)) {
    *error = QStringLiteral("cannot be written: %1").arg(*error);
    return false;
  }
  file.close();
  if (file.error() != QFileDevice::NoError) {
    *error = QStringLiteral("cannot be written: %1").arg(file.errorString());
    return false;
  }
  return true;
}

bool StagedOutput::Commit(QString* error) {
  if (Interrupted()) {
    *error = QStringLiteral("interrupted");
    return false;
  }
  const QByteArray stage = Native(stage_), out = Native(out_);
  // Everything staged reaches the disk before the swap, so that a power cut after it finds the
  // new work whole; a write the disk refused only now (a full disk) is found here.
  const int fd = ::open(stage.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool synced = fd >= 0 && ::syncfs(fd) == 0;
  const int code = errno;
  if (fd >= 0) ::close(fd);
  if (!synced) {
    *error = QStringLiteral("the new work cannot be written: %1").arg(Errno(code));
    return false;
  }
  if (fileByFile_) {
    const QDir stageDir(stage_), outDir(out_);
    QDirIterator it(stage_, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString from = it.next(), name = stageDir.relativeFilePath(from);
      if (!Step(error)) return false;
      if (!QDir().mkpath(QFileInfo(outDir.filePath(name)).absolutePath()) ||
          ::rename(Native(from).constData(), Native(outDir.filePath(name)).constData()) != 0) {
        *error = QStringLiteral("%1: cannot be moved into place: %2").arg(name, Errno(errno));
        return false;
      }
    }
    return true;
  }
  if (!Step(error)) return false;
  const bool swap = QFileInfo::exists(out_);
  if (::renameat2(AT_FDCWD, stage.constData(), AT_FDCWD, out.constData(),
                  swap ? RENAME_EXCHANGE : RENAME_NOREPLACE) != 0) {
    *error = QStringLiteral("cannot put the new work in place of %1: %2").arg(out_, Errno(errno));
    return false;
  }
  if (!swap) stage_.clear();
  // The old work, now at the stage's name, goes in the destructor (a kill before leaves it as a
  // stale stage for the next build to remove).
  return true;
}

}  // namespace olvtool
