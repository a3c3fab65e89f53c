#include <array>
#include <span>
#include <string>
#include <string_view>

#include "llamadas/Instantes.h"
#include "llamadas/Textos.h"
#include "llamadas/formatos/Lector.h"
#include "llamadas/formatos/Lectores.h"
#include "time/cTiempo.h"

namespace quelmar::llamadas {

namespace {

// A layout is one file of formatos/ and one row here.
constexpr std::array kFormatos = {
    FormatoRegistro{"llamadas",
                    "el registro sencillo: inicio,fin[,tarifa[,numero]] por línea, o las "
                    "columnas que nombra su cabecera",
                    "", PareceLlamadas, CrearLectorLlamadas},
    FormatoRegistro{"asterisk",
                    "el Master.csv de una centralita Asterisk (cdr_csv, de 16 a 21 campos)",
                    "se cuesta de answer a end cada registro ANSWERED con billsec > 0 (si no "
                    "cuadran en más de un segundo, billsec desde answer, con aviso); los demás "
                    "(NO ANSWER o CANCEL, BUSY, FAILED, CONGESTION) solo se cuentan en el "
                    "resumen",
                    PareceAsterisk, CrearLectorAsterisk, true},
    FormatoRegistro{"asterisk-custom",
                    "el Master.csv de cdr_custom con el orden del cdr_custom.conf de ejemplo "
                    "(clid, src, dst, dcontext, channel, dstchannel, ..., accountcode, "
                    "uniqueid, userfield, sequence)",
                    "como «asterisk»", PareceAsteriskCustom, CrearLectorAsteriskCustom, true},
    FormatoRegistro{"freeswitch",
                    "el Master.csv de mod_cdr_csv de FreeSWITCH con su plantilla «example» "
                    "(caller_id_name, caller_id_number, destination_number, context, ...)",
                    "se cuesta cada registro con answer_stamp y billsec > 0; los demás se "
                    "cuentan por su hangup_cause",
                    PareceFreeswitch, CrearLectorFreeswitch, true},
    FormatoRegistro{"cabecera",
                    "un CSV cuya primera línea nombra sus columnas como Asterisk o FreeSWITCH "
                    "(la tabla cdr exportada de una base de datos, el informe web de una "
                    "centralita)",
                    "calldate con duration y billsec y sin answer ni end se cuesta billsec "
                    "desde calldate + duration - billsec",
                    PareceCabecera, CrearLectorCabecera},
};

}  // namespace

std::span<const FormatoRegistro> Formatos() {
    return kFormatos;
}

const FormatoRegistro* BuscarFormato(std::string_view nombre) {
    for (const FormatoRegistro& f : kFormatos)
        if (f.nombre == nombre) return &f;
    return nullptr;
}

const FormatoRegistro& ReconocerFormato(std::string_view principio) {
    for (std::size_t i = 1; i < kFormatos.size(); ++i)
        if (kFormatos[i].reconoce(principio)) return kFormatos[i];
    // A few more records: the first bytes end inside a longer file, so the last line
    // there may be cut.
    constexpr int kRegistros = 8;
    std::string_view resto = principio;
    for (int n = 1; n < kRegistros; ++n) {
        resto = TrasPrimeraLinea(resto);
        if (resto.empty()) break;
        for (const FormatoRegistro& f : kFormatos)
            if (f.sinCabecera && f.reconoce(resto)) return f;
    }
    return kFormatos.front();
}

namespace {

// The first line that holds something, and in `principio` what follows it.
std::string_view PartirPrimeraLinea(std::string_view& principio) {
    if (principio.starts_with("\xEF\xBB\xBF")) principio.remove_prefix(3);
    while (!principio.empty()) {
        const std::size_t fin = principio.find('\n');
        std::string_view linea = principio.substr(0, fin);
        principio = fin == std::string_view::npos ? std::string_view() : principio.substr(fin + 1);
        if (linea.ends_with('\r')) linea.remove_suffix(1);
        const std::string_view c = RecortarBlancos(linea);
        if (!c.empty() && !c.starts_with('#')) return linea;
    }
    return {};
}

}  // namespace

std::string_view AyudaCentralita() {
    return R"(  --troncal CANAL         el principio del nombre del canal de la línea al
                          operador (PJSIP/operador, SIP/211474; se repite):
                          solo se cuestan las llamadas salientes por ella, una
                          vez aunque tengan varios registros (una transferida);
                          el resumen cuenta las entrantes y las internas. Un
                          número sin prefijo de --destinos es entonces una
                          línea errónea; sin --troncal solo se cuenta
  --contexto NOMBRE       lee solo los registros de ese contexto (dcontext de
                          Asterisk, context de FreeSWITCH; puede repetirse)
  --utc                   los instantes del fichero están en UTC (Asterisk con
                          usegmtime=yes): se cuestan en la hora local de TZ
)";
}

std::string_view PrimeraLinea(std::string_view principio) {
    return PartirPrimeraLinea(principio);
}

std::string_view TrasPrimeraLinea(std::string_view principio) {
    PartirPrimeraLinea(principio);
    return principio;
}

std::string NombresDeFormatos(std::string_view separador, bool citados) {
    std::string r;
    for (const FormatoRegistro& f : kFormatos) {
        if (!r.empty()) r += separador;
        r += citados ? Citar(f.nombre) : std::string(f.nombre);
    }
    return r;
}

std::string InstanteIlegible(std::string_view texto, std::string_view forma) {
    return CitarCorto(texto) + (FormaDeInstante(texto)
                                    ? " no existe: ese día o esa hora no están en el calendario "
                                      "(o el año es anterior al 100)"
                                    : " ilegible (se espera " + std::string(forma) + ")");
}

std::string LlamadaDemasiadoLarga() {
    return "la llamada dura más de " + std::to_string(cTiempo::kHorasMaximas) + " horas";
}

}  // namespace quelmar::llamadas
