#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelmar {

// Tariff amounts are texts; the engine charges their leading number, with "." as the only
// decimal point (files written long ago keep costing as they did). Where people type or
// read an amount it is written the user's way, with the locale's decimal separator; these
// conversions are the one place where the two forms meet.

// What the engine charges for a stored amount text.
double ImporteCobrado(std::string_view guardado) noexcept;

// Whether the engine finds any number at the start of the text. A text of blanks or NULs
// (a field never written) is no amount at all and costs 0, which is no fault; any other
// text without a number is.
bool ImporteSinNumero(std::string_view guardado) noexcept;

// An amount the user wrote, in the engine's form: blanks around removed, the locale's
// decimal separator or "." turned into ".". Only a plain number passes (an optional sign,
// digits, at most one decimal separator, an optional exponent; no grouping); a blank text
// gives the empty text. Nothing for anything else.
std::optional<std::string> ImporteDeUsuario(std::string_view texto, char decimal);

// A stored amount as the user reads it: a plain number gets the locale's decimal separator;
// any other text is given back as it is, so that nothing hides what is stored.
std::string ImporteParaUsuario(std::string_view guardado, char decimal);

// When the text the user sees would not read as the amount charged for `guardado`, the
// amount charged, in the locale's form ("0", "11,5"); nothing when they agree.
std::optional<std::string> ImporteDistinto(std::string_view mostrado, std::string_view guardado,
                                           char decimal);

}  // namespace quelmar
