#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quelmar::llamadas {

// The lines of an input cut into records, before any layout reads them: the line end, a
// first byte order mark and blank or "#" lines dropped; a line that is not UTF-8 read as
// Windows-1252 (told once); a quoted field that holds line breaks joined into one record
// of up to kLineas lines, placed at its first line. A line longer than the layout reads,
// or with null bytes, is a bad record; so is each line of a record whose quotes never
// close, read then on its own.
class CortadorRegistros {
  public:
    static constexpr std::size_t kLineas = 16;

    // Where the records go, with the line each starts on.
    class Salida {
      public:
        virtual void Cortado(std::size_t linea, std::string_view texto) = 0;
        virtual void LineaMala(std::size_t linea, const std::string& motivo) = 0;
        virtual void AvisoDeLinea(std::size_t linea, const std::string& texto) = 0;

      protected:
        ~Salida() = default;
    };

    // `maximo`: the longest record the layout reads; `cabe`, what it says of that.
    CortadorRegistros(std::size_t maximo, std::string cabe)
        : m_Maximo(maximo), m_Cabe(std::move(cabe)) {}

    // Line `numero` of the input as read (`cortada`: longer than was kept).
    void Linea(std::size_t numero, std::string_view bruta, bool cortada, Salida& s);
    // After the last line: a record left open is read line by line.
    void Acabar(Salida& s);

  private:
    // The line as text, without its end; false for a bad line (told) and for one that
    // holds no record (blank or a comment).
    bool Contenido(std::size_t numero, std::string_view& linea, bool cortada, Salida& s);
    void Continuar(std::size_t numero, std::string_view bruta, bool cortada, Salida& s);

    std::size_t m_Maximo;
    std::string m_Cabe;
    bool m_Aviso1252 = false;
    std::string m_Convertida;
    // The lines of a record whose quotes are still open (number, bytes, cut), and the
    // record so far.
    struct LineaAbierta {
        std::size_t numero;
        std::string bytes;
        bool cortada;
    };
    std::vector<LineaAbierta> m_Abiertas;
    std::string m_Unido;
};

}  // namespace quelmar::llamadas
