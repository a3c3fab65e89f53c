#pragma once

#include <stdexcept>
#include <string>

namespace quelmar {

// Run-time error numbers, as callers of the engine test them.
enum CodigoError : int {
    kArgumentoInvalido = 5,  // invalid procedure call or argument
    kDesbordamiento = 6,     // overflow
    kFueraDeRango = 9,       // subscript out of range
    kTiposNoCoinciden = 13,  // type mismatch
    kErrorDispositivo = 57,  // device I/O error
    kDiscoLleno = 61,        // disk full
    kFicheroNoEncontrado = 53,
    kPermisoDenegado = 70,
    kErrorAccesoRuta = 75,  // path/file access error (e.g. a directory in the file's place)
    kRutaNoEncontrada = 76,
};

// The one exception type of the engine. No class catches it; the number reaches the caller.
class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(int numero, const std::string& mensaje);
    int Numero() const noexcept { return numero_; }

  private:
    int numero_;
};

// Default message for a number (English, as the platform gives them).
std::string MensajeError(int numero);

[[noreturn]] void Lanzar(int numero);
[[noreturn]] void Lanzar(int numero, const std::string& detalle);

}  // namespace quelmar
