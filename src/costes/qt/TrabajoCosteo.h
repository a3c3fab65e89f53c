#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <thread>

#include "costes/Motor.h"

namespace quelmar::costes {

// One run at a time on a thread of its own: the window asks, the result comes back on the
// window's thread as a queued signal. A new run stops the one going on; so does the end of
// this object, which waits for the thread.
class TrabajoCosteo : public QObject {
    Q_OBJECT
  public:
    explicit TrabajoCosteo(MotorCostes& motor, QObject* padre = nullptr);
    ~TrabajoCosteo() override;

    void Empezar(const Pedido& p);
    void Cancelar();
    bool Ocupado() const { return m_Hilo.joinable() && !m_Acabado; }
    // Of the run going on: bytes read and the file's size, read from any thread.
    std::uint64_t Leidos() const { return m_Leidos; }
    std::uint64_t Total() const { return m_Total; }

  signals:
    void Terminado(std::shared_ptr<const quelmar::costes::Resultado> r);
    void Fallado(const QString& motivo);
    void Detenido();

  private:
    class Seguimiento;
    void Esperar();

    MotorCostes& m_Motor;
    std::thread m_Hilo;
    std::atomic<bool> m_Cancelar{false}, m_Acabado{true};
    std::atomic<std::uint64_t> m_Leidos{0}, m_Total{0};
    unsigned m_Vez = 0;  // the run whose result is still wanted
};

}  // namespace quelmar::costes
