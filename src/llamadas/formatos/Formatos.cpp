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
                    "el Master.csv de una centralita Asterisk (cdr_csv, de 16 a 18 campos)",
                    "se cuesta de answer a end cada registro ANSWERED con billsec > 0 (si no "
                    "cuadran en más de un segundo, billsec desde answer, con aviso); los demás "
                    "(NO ANSWER, BUSY, FAILED, CONGESTION) solo se cuentan en el resumen",
                    PareceAsterisk, CrearLectorAsterisk},
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

std::string NombresDeFormatos(std::string_view separador, bool citados) {
    std::string r;
    for (const FormatoRegistro& f : kFormatos) {
        if (!r.empty()) r += separador;
        r += citados ? Citar(f.nombre) : std::string(f.nombre);
    }
    return r;
}

std::string InstanteIlegible(std::string_view texto) {
    return CitarCorto(texto) + (FormaDeInstante(texto)
                                    ? " no existe: ese día o esa hora no están en el calendario "
                                      "(o el año es anterior al 100)"
                                    : " ilegible (se espera AAAA-MM-DDTHH:MM:SS)");
}

std::string LlamadaDemasiadoLarga() {
    return "la llamada dura más de " + std::to_string(cTiempo::kHorasMaximas) + " horas";
}

}  // namespace quelmar::llamadas
