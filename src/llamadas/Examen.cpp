#include "llamadas/Examen.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "llamadas/Error.h"
#include "llamadas/Horario.h"
#include "llamadas/Instantes.h"
#include "llamadas/Textos.h"
#include "llamadas/formatos/Lector.h"
#include "runtime/OleDate.h"

namespace quelmar::llamadas {

namespace {

class SinAvisos : public Avisos {
  public:
    void Aviso(const std::string&, TipoAviso) override {}
};

// The peer of a channel: its name before the last "-" ("SIP/201-0000001a" is "SIP/201").
std::string_view Par(std::string_view canal) {
    const std::size_t p = canal.rfind('-');
    return p == std::string_view::npos || p == 0 ? canal : canal.substr(0, p);
}

using Tabla = std::unordered_map<std::string, Examen::Grupo>;

Examen::Grupo* En(Tabla& t, std::string_view nombre) {
    auto it = t.find(std::string(nombre));
    if (it != t.end()) return &it->second;
    if (t.size() >= Examen::kMaximoFilas) return nullptr;
    Examen::Grupo g;
    g.nombre = nombre;
    return &t.emplace(g.nombre, g).first->second;
}

std::vector<Examen::Grupo> Ordenada(const Tabla& t) {
    std::vector<Examen::Grupo> r;
    for (const auto& [n, g] : t) r.push_back(g);
    std::sort(r.begin(), r.end(), [](const auto& a, const auto& b) {
        if (a.segundos != b.segundos) return a.segundos > b.segundos;
        if (a.registros != b.registros) return a.registros > b.registros;
        return a.nombre < b.nombre;
    });
    return r;
}

std::string ConMasLargos(const std::vector<Examen::Grupo>& v, bool comoDestino) {
    const Examen::Grupo* mejor = nullptr;
    for (const auto& g : v)
        if (g.largos > 0 && (!comoDestino || g.comoDestino > 0) &&
            (!mejor || g.largos > mejor->largos))
            mejor = &g;
    return mejor ? mejor->nombre : std::string();
}

}  // namespace

Examen Examinar(Entrada& entrada, const std::string& formato, const std::string& nombre,
                const Destinos* destinos) {
    LectorLineas lector(entrada, 64 * 1024);
    const std::string_view principio = lector.Principio();
    if (lector.Error()) throw Error(Error::Clase::Fichero, ErrorDeLectura(nombre, lector.Error()));
    if (!PareceTexto(principio)) throw Error(Error::Clase::Fichero, NoEsTexto(nombre, principio));
    const FormatoRegistro* f =
        FormatoAutomatico(formato) ? &ReconocerFormato(principio) : BuscarFormato(formato);
    if (!f)
        throw Error(Error::Clase::Opcion, "formato " + CitarCorto(formato) +
                                              " desconocido: se espera " +
                                              NombresDeFormatos(" o "));
    Examen e;
    e.formato = f->nombre;
    const std::unique_ptr<Lector> lec = f->crear();
    SinAvisos avisos;
    Registro reg;
    Horario horario;
    Tabla contextos, pares;
    std::map<std::string, std::size_t> disposiciones;
    std::unordered_map<std::string, std::size_t> sinPrefijo;
    std::string digitos;
    bool primera = true;
    std::size_t n = 0;
    std::string_view linea;
    bool cortada = false;
    auto instante = [&](double t) {
        if (!e.primero || Antes(t, *e.primero)) e.primero = t;
        if (!e.ultimo || Antes(*e.ultimo, t)) e.ultimo = t;
        if (horario.EnHueco(t)) ++e.enHueco;
    };
    while (lector.Siguiente(linea, cortada)) {
        if (++n == 1 && linea.starts_with("\xEF\xBB\xBF")) linea.remove_prefix(3);
        while (!linea.empty() && (linea.back() == '\n' || linea.back() == '\r'))
            linea.remove_suffix(1);
        const std::string_view c = RecortarBlancos(linea);
        if (c.empty() || c.starts_with('#')) continue;
        reg.canal = reg.canalDestino = reg.contexto = reg.inicio = {};
        Lectura l;
        if (cortada || !EsUtf8(linea))
            l = Lectura::DeMala({});
        else
            l = lec->Leer(linea, primera, reg, avisos);
        primera = false;
        if (l.clase == Lectura::Clase::Nada) continue;
        ++e.registros;
        if (l.clase == Lectura::Clase::Mala) {
            ++e.malas;
            continue;
        }
        const bool contestado = l.clase == Lectura::Clase::Llamada;
        const std::int64_t segundos = contestado ? reg.llamada.segundos : 0;
        ++disposiciones[contestado ? std::string() : l.motivo];
        if (contestado) {
            ++e.contestados;
            instante(reg.llamada.ini);
            ++e.porHora[static_cast<std::size_t>(fecha::Hora(reg.llamada.ini))];
        } else if (const auto t = LeerInstante(reg.inicio)) {
            instante(*t);
        }
        const bool largo =
            contestado && NormalizarNumero(reg.llamada.numero, digitos) && digitos.size() >= 7;
        if (contestado && destinos && NormalizarNumero(reg.llamada.numero, digitos) &&
            !destinos->Buscar(digitos)) {
            ++e.sinPrefijo;
            auto it = sinPrefijo.find(digitos);
            if (it != sinPrefijo.end())
                ++it->second;
            else if (sinPrefijo.size() < Examen::kMaximoFilas)
                sinPrefijo.emplace(digitos, 1);
        }
        auto anotar = [&](Examen::Grupo* g) {
            if (!g) return;
            ++g->registros;
            if (contestado) ++g->contestados, g->segundos += segundos;
        };
        if (!reg.contexto.empty()) {
            Examen::Grupo* g = En(contextos, reg.contexto);
            anotar(g);
            if (g && largo) ++g->largos;
        }
        if (!reg.canal.empty())
            if (Examen::Grupo* g = En(pares, Par(reg.canal))) anotar(g), ++g->comoCanal;
        if (!reg.canalDestino.empty())
            if (Examen::Grupo* g = En(pares, Par(reg.canalDestino))) {
                anotar(g);
                ++g->comoDestino;
                if (largo) ++g->largos;
            }
    }
    if (lector.Error()) throw Error(Error::Clase::Fichero, ErrorDeLectura(nombre, lector.Error()));
    for (const auto& [motivo, k] : disposiciones)
        e.disposiciones.emplace_back(motivo.empty() ? "contestados" : motivo, k);
    std::stable_sort(e.disposiciones.begin(), e.disposiciones.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    e.contextos = Ordenada(contextos);
    e.pares = Ordenada(pares);
    e.troncal = ConMasLargos(e.pares, true);
    e.contexto = ConMasLargos(e.contextos, false);
    e.numerosSinPrefijo.assign(sinPrefijo.begin(), sinPrefijo.end());
    std::sort(e.numerosSinPrefijo.begin(), e.numerosSinPrefijo.end(),
              [](const auto& a, const auto& b) {
                  return a.second != b.second ? a.second > b.second : a.first < b.first;
              });
    return e;
}

}  // namespace quelmar::llamadas
