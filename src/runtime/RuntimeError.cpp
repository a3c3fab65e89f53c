#include "runtime/RuntimeError.h"

namespace quelmar {

namespace {

const char* TextoError(int numero) {
    switch (numero) {
        case kArgumentoInvalido:
            return "argumento no válido";
        case kDesbordamiento:
            return "desbordamiento";
        case kFueraDeRango:
            return "posición fuera de rango";
        case kTiposNoCoinciden:
            return "tipos no coinciden";
        case kFicheroNoEncontrado:
            return "fichero no encontrado";
        case kErrorDispositivo:
            return "error de entrada/salida";
        case kDiscoLleno:
            return "disco lleno";
        case kPermisoDenegado:
            return "permiso denegado";
        case kErrorAccesoRuta:
            return "error de acceso a la ruta";
        case kRutaNoEncontrada:
            return "ruta no encontrada";
        case kValorPropiedadNoValido:
            return "valor de propiedad no válido";
        default:
            return "error de la aplicación";
    }
}

std::string Componer(int numero, const std::string& detalle, const std::string& texto = {}) {
    std::string m =
        texto.empty() ? MensajeError(numero) : texto + " (error " + std::to_string(numero) + ")";
    if (!detalle.empty()) m += ": " + detalle;
    return m;
}

}  // namespace

RuntimeError::RuntimeError(int numero, const std::string& detalle)
    : std::runtime_error(Componer(numero, detalle)), m_Numero(numero), m_Detalle(detalle) {}

RuntimeError::RuntimeError(int numero, const std::string& detalle, const std::string& texto)
    : std::runtime_error(Componer(numero, detalle, texto)), m_Numero(numero), m_Detalle(detalle) {}

std::string MensajeError(int numero) {
    return std::string(TextoError(numero)) + " (error " + std::to_string(numero) + ")";
}

void Lanzar(int numero) {
    throw RuntimeError(numero);
}

void Lanzar(int numero, const std::string& detalle) {
    throw RuntimeError(numero, detalle);
}

}  // namespace quelmar
