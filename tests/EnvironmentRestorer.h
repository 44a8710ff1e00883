// EnvironmentRestorer: puts an environment variable back as it was when a test's scope ends.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstring>
#include <time.h>

namespace fixture {

// Remembers the value of variable `name` (or that it was not set) and restores it when it goes
// out of scope, also when a failed check returns early. Changing or restoring "TZ" makes the C
// library read the time zone again. `name` must outlive the restorer (a string literal).
class EnvironmentRestorer {
 public:
  explicit EnvironmentRestorer(const char* name)
      : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), value_(qgetenv(name)) {}
  ~EnvironmentRestorer() {
    if (wasSet_)
      qputenv(name_, value_);
    else
      qunsetenv(name_);
    ReadZone();
  }
  EnvironmentRestorer(const EnvironmentRestorer&) = delete;
  EnvironmentRestorer& operator=(const EnvironmentRestorer&) = delete;

  void Set(const QByteArray& value) {
    qputenv(name_, value);
    ReadZone();
  }
  void Unset() {
    qunsetenv(name_);
    ReadZone();
  }

 private:
  void ReadZone() const {
    if (std::strcmp(name_, "TZ") == 0) ::tzset();
  }

  const char* name_;
  bool wasSet_;
  QByteArray value_;
};

}  // namespace fixture
