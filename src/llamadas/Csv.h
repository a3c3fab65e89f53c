#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelmar::llamadas {

// A field is quoted when, after any blanks, it starts with '"': inside, "" stands for one
// quote and separators and line breaks are ordinary characters; only blanks may follow the
// closing quote. An unquoted field is taken as it is, up to the next separator.
// Answers nothing when the record is well formed, else what is wrong (Spanish).
std::optional<std::string> PartirCsv(std::string_view registro, char sep,
                                     std::vector<std::string>& campos);

// One record of a CSV text and the line it starts on (from 1).
struct RegistroCsv {
    std::size_t linea;
    std::string_view texto;
};
// Cuts a whole CSV text into records at line breaks outside quotes ("\r\n" or "\n"; the
// "\r" is dropped). A leading UTF-8 byte order mark is skipped.
std::vector<RegistroCsv> RegistrosCsv(std::string_view texto);
// The same, each record handed to `f` as it is cut: a table of millions of rows is not
// held twice.
template <class F>
void RecorrerCsv(std::string_view texto, F&& f) {
    if (texto.starts_with("\xEF\xBB\xBF")) texto.remove_prefix(3);
    auto anadir = [&](std::size_t linea, std::size_t desde, std::size_t hasta) {
        std::string_view reg = texto.substr(desde, hasta - desde);
        if (reg.ends_with('\r')) reg.remove_suffix(1);
        f(RegistroCsv{linea, reg});
    };
    std::size_t linea = 1, lineaInicio = 1, inicio = 0;
    bool entreComillas = false;
    for (std::size_t i = 0; i < texto.size(); ++i) {
        if (texto[i] == '"') entreComillas = !entreComillas;
        if (texto[i] != '\n') continue;
        ++linea;
        if (entreComillas) continue;
        anadir(lineaInicio, inicio, i);
        inicio = i + 1;
        lineaInicio = linea;
    }
    if (inicio < texto.size()) anadir(lineaInicio, inicio, texto.size());
}

// The field as CSV: quoted when it holds the separator, a quote, a line break, or starts or
// ends with a blank (so that a spreadsheet keeps it as it is).
std::string CeldaCsv(std::string_view campo, char sep = ',');

// A text cell that a spreadsheet shows as text: one that starts with "=", "+", "-" or "@"
// (which a spreadsheet would run as a formula) gets that first character as \xHH, the
// escape importar reads back; a plain number ("-5") stays as it is.
std::string SinFormula(std::string celda);

// Whether a byte of the catalogue's code page is shown as \xHH: control bytes and those
// Windows-1252 leaves undefined.
bool EscapaByte(unsigned char c);
// Bytes of the catalogue's code page as text a person reads: a backslash doubled, the
// bytes EscapaByte names as \xHH, the rest in UTF-8.
std::string Escapar(std::string_view bytes);

// The text cell as a person reads it in a listing: as CeldaTexto but without the marks
// for NUL-only and space-only fields (both empty).
std::string TextoVisible(std::string_view bytes);
// A tariff name (its catalogue bytes) as a cell of costear's and comparar's rows: as
// listar shows it (control bytes as \xHH, never raw to a terminal), safe for a spreadsheet.
std::string CeldaTarifa(std::string_view bytes);

// A text of an input (UTF-8) as any output may show it: its control characters (C0, DEL
// and C1, which retitle a terminal or are forbidden in XML) as \xHH, a backslash as is.
std::string TextoSeguro(std::string_view utf8);

}  // namespace quelmar::llamadas
