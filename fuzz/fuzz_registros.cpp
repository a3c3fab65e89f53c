// Every layout's reader on any records: a record becomes a call, nothing, a bad record or
// one set apart, or the file's own error (a header nobody knows); never a crash. A call
// read lasts what its instants say, no less than nothing and no more than the engine
// costs, and its instants' texts read back as those instants.
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#include "Comprobar.h"
#include "llamadas/Error.h"
#include "llamadas/Instantes.h"
#include "llamadas/formatos/Lector.h"
#include "runtime/OleDate.h"
#include "time/cTiempo.h"

using namespace quelmar;
using namespace quelmar::llamadas;

namespace {

struct SinAvisos : Avisos {
    void Aviso(const std::string&, TipoAviso) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    FuzzedDataProvider e(datos, n);
    const auto formatos = Formatos();
    const auto& f = formatos[e.ConsumeIntegralInRange<std::size_t>(0, formatos.size() - 1)];
    const auto lector = f.crear();
    SinAvisos avisos;
    Registro r;
    bool primera = true;
    while (e.remaining_bytes() > 0) {
        const std::string registro = e.ConsumeRandomLengthString(2048);
        try {
            const Lectura l = lector->Leer(registro, primera, r, avisos);
            primera = false;
            if (l.clase != Lectura::Clase::Llamada) {
                fuzz::Exigir(l.clase == Lectura::Clase::Nada || !l.motivo.empty(),
                             "un registro malo o apartado sin motivo");
                continue;
            }
        } catch (const llamadas::Error&) {
            continue;
        }
        const Llamada& c = r.llamada;
        fuzz::Exigir(c.segundos >= 0 && c.segundos <= cTiempo::kSegundosMaximos,
                     "una llamada de duración imposible");
        fuzz::Exigir(fecha::SegundosEntre(c.ini, c.fin) == c.segundos,
                     "la duración no es la de sus instantes");
        for (const auto& par : {std::pair{c.textoIni, c.ini}, {c.textoFin, c.fin}}) {
            const auto leido = LeerInstante(par.first);
            fuzz::Exigir(leido && fecha::ASegundos(*leido) == fecha::ASegundos(par.second), [&] {
                return "el texto «" + std::string(par.first) + "» no es su instante";
            });
        }
    }
    return 0;
}
