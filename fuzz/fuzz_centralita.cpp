// The readers of a PBX's records and the trunk stage after them. Any bytes, read as lines
// by any layout: no reader throws or reads outside its record; a call read lasts what its
// instants say, no longer than the engine costs; the trunk stage hands on at most one call
// out per record, each ending no earlier than it starts.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Comprobar.h"
#include "llamadas/Error.h"
#include "llamadas/Instantes.h"
#include "llamadas/Troncales.h"
#include "llamadas/formatos/Lector.h"
#include "runtime/OleDate.h"
#include "time/cTiempo.h"

using namespace quelmar;
using namespace quelmar::llamadas;

namespace {

class Callados : public Avisos {
  public:
    void Aviso(const std::string&, TipoAviso) override {}
};

class Contadas : public SalidaTroncal {
  public:
    void Saliente(const LlamadaTroncal& l) override {
        ++n;
        fuzz::Exigir(!Antes(l.fin, l.ini), "una llamada saliente acaba antes de empezar");
        fuzz::Exigir(l.segundos == fecha::SegundosEntre(l.ini, l.fin) || l.registros == 1,
                     "una llamada unida no dura de su primera respuesta a su último fin");
    }
    std::size_t n = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    if (n == 0) return 0;
    const auto formatos = Formatos();
    // The first byte picks the layout (past the table: recognised from the bytes).
    const std::size_t k = datos[0] % (formatos.size() + 1);
    const std::string_view texto(reinterpret_cast<const char*>(datos) + 1, n - 1);
    const FormatoRegistro& f = k < formatos.size() ? formatos[k] : ReconocerFormato(texto);
    const std::unique_ptr<Lector> lector = f.crear();
    Callados a;
    Troncales troncales({"PJSIP/op", "SIP/t"});
    Contadas salientes;
    std::size_t registros = 0;
    bool primera = true;
    for (std::size_t desde = 0; desde <= texto.size();) {
        std::size_t hasta = texto.find('\n', desde);
        if (hasta == std::string_view::npos) hasta = texto.size();
        // A copy of its own: a reader that reads past its record is caught.
        const std::string linea(texto.substr(desde, hasta - desde));
        desde = hasta + 1;
        Registro r;
        Lectura l;
        try {
            l = lector->Leer(linea, primera, r, a);
        } catch (const llamadas::Error&) {
            // A header that names a column nobody knows stops the file as a whole.
            return 0;
        }
        primera = false;
        if (l.clase != Lectura::Clase::Llamada) continue;
        const Llamada& c = r.llamada;
        fuzz::Exigir(c.segundos == fecha::SegundosEntre(c.ini, c.fin),
                     "una llamada no dura lo que dicen sus instantes");
        fuzz::Exigir(c.segundos >= 0 && c.segundos <= cTiempo::kSegundosMaximos,
                     "una llamada dura menos de nada o más de lo que el motor cuesta");
        ++registros;
        troncales.Anotar(r, registros, salientes);
    }
    troncales.Vaciar(salientes);
    fuzz::Exigir(salientes.n <= registros, "más llamadas salientes que registros");
    return 0;
}
