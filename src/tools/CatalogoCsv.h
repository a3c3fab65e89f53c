#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/tTarifa.h"

namespace quelmar::herramientas {

// The catalogue as a CSV a person can edit in a spreadsheet, exact to the byte.
//
// A header line with the 21 keys, then one row per 168-byte record in file order.
// Text fields: trailing spaces dropped (importing fills them again); bytes 128-255 as the
// UTF-8 of their Windows-1252 character; control bytes, 127 and the five bytes
// Windows-1252 leaves undefined as \xHH, a backslash as \\. A field never assigned (all
// NUL) is the empty cell; a field of spaces only is a single space.
// Date fields: HH:MM:SS for a whole second of day 0 (the editor's times),
// AAAA-MM-DD HH:MM:SS for a whole second of another day, and otherwise the shortest
// decimal that reads back as the same double (0x and 16 hex digits, the raw bits, for
// NaN and infinities). Each form is written only when it reads back bit for bit.

std::string CeldaTexto(std::string_view bytes);
std::string CeldaFecha(double d);
// The CSV of whole records.
std::string ExportarCsv(const std::vector<tTarifa>& registros);

// Reads the CSV back (columns in any order, "," or ";" as the header uses). Every fault
// is collected as "lugar:N: «clave»: ..." (`lugar`: the file as the user named it);
// ErrorUso lists them when there is any. Rows
// that are empty lines are skipped. An amount cell must show a number as the engine reads
// it (a decimal comma becomes a point); an end time HH:MM gets the end-of-minute rule.
// A catalogue the engine would read or cost otherwise (fewer than five tariffs, the
// main one missing, and every problem of ProblemasDelCatalogo: a name that ends the list
// or is blank, a time that is no time of day, a name twice) is refused.
// With `talCual` every cell is kept exactly as written and those faults become notes in
// `avisos`, as do amounts the engine reads as another number. More than 32766 tariffs is
// always refused.
std::vector<tTarifa> ImportarCsv(std::string_view texto, std::vector<std::string>& avisos,
                                 bool talCual = false, std::string_view lugar = "(CSV)");

}  // namespace quelmar::herramientas
