#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "runtime/Locale.h"

class QKeyEvent;
class QLocale;

// Conversions where the editor meets Qt: texts, keys and the user's locale.
namespace quelmar::editor::borde {

// Tariff bytes (Windows-1252) as shown: up to the first NUL, as a native text box shows a
// text that holds one, so that typing into a field never leaves NULs before the typed text.
QString APantalla(const std::string& bytes);
// What the user typed, as tariff bytes; characters the code page cannot hold become "?".
std::string DePantalla(const QString& texto);
// An interface text (UTF-8) for a message box: a lone "\r" breaks the line.
QString Mensaje(const std::string& utf8);

// The key code of the platform the handlers were written for (46 Delete, 37-40 arrows,
// 65-90 letters...), 0 for a key it has none for.
std::int16_t CodigoTecla(const QKeyEvent& e);
// Shift 1, Ctrl 2, Alt 4.
std::int16_t Mayusculas(const QKeyEvent& e);
// The character a key types, as its Windows-1252 code (Ctrl+letter gives 1-26, Backspace 8,
// Enter 13); nothing for keys that type none (arrows, Delete, Tab, Alt combinations).
std::optional<std::int16_t> CaracterTecla(const QKeyEvent& e);

// Date order and separator and decimal separator of a Qt locale.
Locale LocaleDesde(const QLocale& l);

}  // namespace quelmar::editor::borde
