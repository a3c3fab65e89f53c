#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

namespace quelmar::calendario {

// Holds a lock file for as long as it lives, so a second copy of the program finds the lock taken.
// A lock left behind by a copy that died is recognised (its process is gone) and taken over.
// The first copy also listens on a local socket beside the lock, so that a later start, which
// ends at once, can ask it to bring its window forward: a menu entry that seems to do nothing
// while the window is minimised or hidden looks broken.
class InstanciaUnica : public QObject {
    Q_OBJECT

  public:
    static constexpr const char* kCerrojo = "orbelle.lock";
    static constexpr const char* kEnchufe = "orbelle.socket";

    // Takes the lock in `directory`. When the lock cannot be made at all (no such directory, no
    // permission) the program counts as the first copy: better two copies than none.
    explicit InstanciaUnica(const QString& directory);

    bool EsPrimera() const { return m_Primera; }

    // For a copy that is not the first: asks the first to come forward. True when the first
    // took the request within `esperaMs`.
    bool LlamarALaPrimera(int esperaMs) const;

    // The per-user runtime directory (XDG_RUNTIME_DIR), else the temporary directory.
    static QString CarpetaPorDefecto();

  signals:
    // In the first copy: a later start asked for the window.
    void Llamada();

  private:
    void Atender();

    QString m_Enchufe;
    QLockFile m_Cerrojo;
    QLocalServer m_Servidor;
    bool m_Primera;
};

}  // namespace quelmar::calendario
