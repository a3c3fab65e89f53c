#pragma once

#include <QLockFile>
#include <QString>

namespace quelmar::calendario {

// Holds a lock file for as long as it lives, so a second copy of the program finds the lock taken.
// A lock left behind by a copy that died is recognised (its process is gone) and taken over.
class InstanciaUnica {
  public:
    static constexpr const char* kCerrojo = "orbelle.lock";

    // Takes the lock in `directory`. When the lock cannot be made at all (no such directory, no
    // permission) the program counts as the first copy: better two copies than none.
    explicit InstanciaUnica(const QString& directory);

    bool EsPrimera() const { return m_Primera; }

    // The per-user runtime directory (XDG_RUNTIME_DIR), else the temporary directory.
    static QString CarpetaPorDefecto();

  private:
    QLockFile m_Cerrojo;
    bool m_Primera;
};

}  // namespace quelmar::calendario
