#include "costes/qt/TrabajoCosteo.h"

#include <QMetaObject>
#include <exception>

namespace quelmar::costes {

class TrabajoCosteo::Seguimiento final : public Progreso {
  public:
    explicit Seguimiento(TrabajoCosteo& t) : m_T(t) {}
    void Avance(std::uint64_t leidos, std::uint64_t total) override {
        m_T.m_Leidos = leidos;
        m_T.m_Total = total;
    }
    bool Cancelar() const override { return m_T.m_Cancelar; }

  private:
    TrabajoCosteo& m_T;
};

TrabajoCosteo::TrabajoCosteo(MotorCostes& motor, QObject* padre) : QObject(padre), m_Motor(motor) {}

TrabajoCosteo::~TrabajoCosteo() {
    Esperar();
}

void TrabajoCosteo::Esperar() {
    m_Cancelar = true;
    if (m_Hilo.joinable()) m_Hilo.join();
}

void TrabajoCosteo::Cancelar() {
    m_Cancelar = true;
}

void TrabajoCosteo::Empezar(const Pedido& p) {
    Esperar();
    m_Cancelar = false;
    m_Acabado = false;
    m_Leidos = 0;
    m_Total = 0;
    const unsigned vez = ++m_Vez;
    m_Hilo = std::thread([this, p, vez] {
        Seguimiento avance(*this);
        // Each outcome goes back to the window's thread; a run replaced meanwhile is
        // dropped there.
        auto responder = [this, vez](auto hacer) {
            QMetaObject::invokeMethod(
                this,
                [this, vez, hacer] {
                    if (vez != m_Vez) return;
                    hacer();
                },
                Qt::QueuedConnection);
        };
        try {
            auto r = std::make_shared<const Resultado>(m_Motor.Costear(p, avance));
            m_Acabado = true;
            responder([this, r] { emit Terminado(r); });
        } catch (const Cancelado&) {
            m_Acabado = true;
            responder([this] { emit Detenido(); });
        } catch (const std::exception& e) {
            m_Acabado = true;
            const QString motivo = QString::fromUtf8(e.what());
            responder([this, motivo] { emit Fallado(motivo); });
        }
    });
}

}  // namespace quelmar::costes
