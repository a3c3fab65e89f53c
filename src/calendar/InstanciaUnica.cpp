#include "calendar/InstanciaUnica.h"

#include <QDir>
#include <QStandardPaths>

namespace quelmar::calendario {

InstanciaUnica::InstanciaUnica(const QString& directory)
    : m_Cerrojo(QDir(directory).filePath(QLatin1String(kCerrojo))), m_Primera(false) {
    // The copy holding the lock may run for days: only a dead owner makes the lock stale.
    m_Cerrojo.setStaleLockTime(0);
    m_Primera = m_Cerrojo.tryLock(0) || m_Cerrojo.error() != QLockFile::LockFailedError;
}

QString InstanciaUnica::CarpetaPorDefecto() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

}  // namespace quelmar::calendario
