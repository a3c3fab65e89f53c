#pragma once

#include <QLockFile>
#include <QString>

// Holds a lock file for as long as it lives, so a second copy of the program finds the lock taken.
// A lock left behind by a copy that died is recognised (its process is gone) and taken over.
class SingleInstance {
  public:
    static constexpr const char* kLockName = "orbelle.lock";

    // Takes the lock in `directory`. When the lock cannot be made at all (no such directory, no
    // permission) the program counts as the first copy: better two copies than none.
    explicit SingleInstance(const QString& directory);

    bool isFirst() const { return m_first; }

    // The per-user runtime directory (XDG_RUNTIME_DIR), else the temporary directory.
    static QString defaultDirectory();

  private:
    QLockFile m_lock;
    bool m_first;
};
