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
    kValorPropiedadNoValido = 380,  // a control property set out of its range
};

// The one exception type of the engine. No class catches it; the number reaches the caller.
// what() is the number's Spanish text, then what failed and where: the words every program
// shows the user ("disco lleno (error 61): /home/ana/Tarifas.Dat").
class RuntimeError : public std::runtime_error {
  public:
    explicit RuntimeError(int numero, const std::string& detalle = {});
    // With words of its own in place of the number's text, where the number's would
    // mislead: a read-only file system is error 70 too, but no missing permission.
    RuntimeError(int numero, const std::string& detalle, const std::string& texto);
    int Numero() const noexcept { return m_Numero; }
    const std::string& Detalle() const noexcept { return m_Detalle; }

  private:
    int m_Numero;
    std::string m_Detalle;
};

// The one table of error texts, in Spanish, with the number: "desbordamiento (error 6)".
std::string MensajeError(int numero);

[[noreturn]] void Lanzar(int numero);
[[noreturn]] void Lanzar(int numero, const std::string& detalle);

}  // namespace quelmar
