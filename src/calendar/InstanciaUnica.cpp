#include "calendar/InstanciaUnica.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace quelmar::calendario {

namespace {

constexpr char kPeticion = '!';

}  // namespace

InstanciaUnica::InstanciaUnica(const QString& directory)
    : m_Enchufe(QDir(directory).filePath(QLatin1String(kEnchufe))),
      m_Cerrojo(QDir(directory).filePath(QLatin1String(kCerrojo))),
      m_Primera(false) {
    // The copy holding the lock may run for days: only a dead owner makes the lock stale.
    m_Cerrojo.setStaleLockTime(0);
    const bool cerrado = m_Cerrojo.tryLock(0);
    m_Primera = cerrado || m_Cerrojo.error() != QLockFile::LockFailedError;
    if (!cerrado) return;
    // Holding the lock, any socket there is a dead copy's.
    QLocalServer::removeServer(m_Enchufe);
    m_Servidor.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_Servidor, &QLocalServer::newConnection, this, &InstanciaUnica::Atender);
    m_Servidor.listen(m_Enchufe);
}

void InstanciaUnica::Atender() {
    while (QLocalSocket* s = m_Servidor.nextPendingConnection()) {
        connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        connect(s, &QLocalSocket::readyRead, this, [this, s] {
            if (!s->readAll().contains(kPeticion)) return;
            // Answer first: the caller is waiting to end.
            s->write(&kPeticion, 1);
            s->flush();
            emit Llamada();
        });
    }
}

bool InstanciaUnica::LlamarALaPrimera(int esperaMs) const {
    const QDeadlineTimer plazo(esperaMs);
    QLocalSocket s;
    s.connectToServer(m_Enchufe);
    if (!s.waitForConnected(static_cast<int>(plazo.remainingTime()))) return false;
    s.write(&kPeticion, 1);
    if (!s.waitForBytesWritten(static_cast<int>(plazo.remainingTime()))) return false;
    while (s.bytesAvailable() == 0) {
        if (!s.waitForReadyRead(static_cast<int>(plazo.remainingTime()))) return false;
    }
    return true;
}

QString InstanciaUnica::CarpetaPorDefecto() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

}  // namespace quelmar::calendario
