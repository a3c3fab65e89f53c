#include "runtime/RuntimeError.h"

namespace quelmar {

RuntimeError::RuntimeError(int numero, const std::string& mensaje)
    : std::runtime_error(mensaje), numero_(numero) {}

std::string MensajeError(int numero) {
    switch (numero) {
        case kArgumentoInvalido:
            return "Invalid procedure call or argument";
        case kDesbordamiento:
            return "Overflow";
        case kFueraDeRango:
            return "Subscript out of range";
        case kTiposNoCoinciden:
            return "Type mismatch";
        case kFicheroNoEncontrado:
            return "File not found";
        case kErrorDispositivo:
            return "Device I/O error";
        case kDiscoLleno:
            return "Disk full";
        case kPermisoDenegado:
            return "Permission denied";
        case kErrorAccesoRuta:
            return "Path/File access error";
        case kRutaNoEncontrada:
            return "Path not found";
        default:
            return "Application-defined or object-defined error";
    }
}

void Lanzar(int numero) {
    throw RuntimeError(numero, MensajeError(numero));
}

void Lanzar(int numero, const std::string& detalle) {
    throw RuntimeError(numero, MensajeError(numero) + ": " + detalle);
}

}  // namespace quelmar
