#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bono/cBono.h"
#include "costing/cCosteo.h"
#include "costing/cLlamada.h"
#include "llamadas/Llamada.h"
#include "llamadas/Sesion.h"

namespace quelmar::llamadas {

// A call of the log as every candidate costs it: the instants of a call costed under its
// own tariff or of one whose tariff the catalogue lacks.
struct LlamadaCandidata {
    double ini, fin;
    std::int64_t segundos;
    // Whether it counts: a call outside the period looked at only carries the registry.
    bool cuenta = true;
};

// "N líneas nombran una tarifa ...": what the total with the log's own tariffs leaves out
// that every candidate counts; nothing when none.
std::string LineasSinTarifa(std::size_t n);

// Where a stretch of a call counts in comparar's minutes and informe's amounts: bono time
// first (whatever band it fell in), else the band of the tariff that priced it.
enum Reparto : std::size_t { kNormal, kReducida, kBono };
inline Reparto RepartoDe(const cTramo& t) {
    return t.bono ? kBono : t.banda == 0 ? kNormal : kReducida;
}

// An amount to the cent, never -0.00.
double Centimos(double x);
// What a candidate costs against the log's own tariffs, as every front end shows it: both
// totals to the cent first, so that a reader's own subtraction gives the figure shown
// (negative: it would save).
double DiferenciaCandidata(double importe, double propio);

// What the whole log would cost under one tariff.
struct Candidata {
    std::string tarifa;    // UTF-8
    std::string celda;     // as a CSV cell
    double importe = 0.0;  // the calls' importe added in line order, as costear adds them
    std::int64_t segundos = 0, normal = 0, reducida = 0, bono = 0;
    std::size_t llamadas = 0;
    // Why the engine could not cost some call under it; its other figures then mean nothing.
    std::optional<std::string> fallo;
};

// Costs the calls of a run under each tariff of the loaded catalogue but the bono kinds'
// (positions 1 to 4), as the run reads them: each candidate has its own costing state, run
// from the session's registry and holidays with the registry carried from call to call and
// refilled as costear does. Calls are taken in blocks, and a block is costed while the next
// is read, the candidates spread over `hilos` threads (1: all on the caller's); each
// candidate's calls are costed in line order by one thread, so the result is the same,
// to the bit, for any number of threads. Memory does not grow with the log.
class CosteoCandidatas {
  public:
    CosteoCandidatas(const Sesion& s, unsigned hilos);
    ~CosteoCandidatas();
    CosteoCandidatas(const CosteoCandidatas&) = delete;
    CosteoCandidatas& operator=(const CosteoCandidatas&) = delete;

    void Anadir(const LlamadaCandidata& l);
    // After the last call: cheapest first, catalogue order between equals.
    std::vector<Candidata> Terminar();

  private:
    struct Estado;
    void Lanzar();
    void Esperar();
    void Costear(std::size_t primera, std::size_t cada) noexcept;

    const cLlamada& m_Catalogo;
    std::vector<std::unique_ptr<Estado>> m_Estados;
    unsigned m_Hilos;
    std::vector<LlamadaCandidata> m_Leyendo, m_Costeando;
    std::vector<std::thread> m_Trabajo;
    std::vector<std::exception_ptr> m_Fallos;  // one per thread: what stopped it
};

// How many threads comparar and informe spread the candidates over: TARIFICADOR_HILOS when
// it is a number from 1 to 256, else the processors the machine has.
unsigned HilosCandidatas();

// Feeds a run's calls to the candidates and counts those whose tariff the catalogue lacks.
class CompararLlamadas : public DestinoLlamadas {
  public:
    explicit CompararLlamadas(CosteoCandidatas& c) : m_Candidatas(c) {}
    void Costeada(const Llamada& l, const cCosteo&, const cBono&) override {
        m_Candidatas.Anadir({l.ini, l.fin, l.segundos});
    }
    void Fuera(const Llamada& l) override {
        m_Candidatas.Anadir({l.ini, l.fin, l.segundos, false});
    }
    void SinTarifa(const Llamada& l) override {
        m_Candidatas.Anadir({l.ini, l.fin, l.segundos});
        ++m_SinTarifa;
    }
    // How many calls the log costed under its own tariffs leaves out.
    std::size_t SinTarifa() const { return m_SinTarifa; }

  private:
    CosteoCandidatas& m_Candidatas;
    std::size_t m_SinTarifa = 0;
};

}  // namespace quelmar::llamadas
