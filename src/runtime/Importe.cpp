#include "runtime/Importe.h"

#include "runtime/Locale.h"
#include "runtime/Texto.h"

namespace quelmar {

namespace {

bool Blanco(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\0';
}

bool Digito(char c) noexcept {
    return c >= '0' && c <= '9';
}

std::string_view SinBlancos(std::string_view s) noexcept {
    while (!s.empty() && Blanco(s.front())) s.remove_prefix(1);
    while (!s.empty() && Blanco(s.back())) s.remove_suffix(1);
    return s;
}

// A plain number: an optional sign, digits and at most one of the separators `seps`, with
// at least one digit, then an optional exponent (e or E, a sign, digits), which the engine
// reads too. Answers the position of the separator (npos when none), or false.
bool NumeroLlano(std::string_view s, std::string_view seps, std::size_t& separador) noexcept {
    separador = std::string_view::npos;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    bool digitos = false;
    for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
        if (Digito(s[i])) {
            digitos = true;
        } else if (seps.find(s[i]) != std::string_view::npos &&
                   separador == std::string_view::npos) {
            separador = i;
        } else {
            return false;
        }
    }
    if (!digitos) return false;
    if (i == s.size()) return true;
    ++i;  // the exponent's letter
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (i == s.size()) return false;
    for (; i < s.size(); ++i)
        if (!Digito(s[i])) return false;
    return true;
}

}  // namespace

double ImporteCobrado(std::string_view guardado) noexcept {
    return NumeroInicial(guardado);
}

bool ImporteSinNumero(std::string_view guardado) noexcept {
    if (SinBlancos(guardado).empty()) return false;
    bool hallado = false;
    NumeroInicial(guardado, hallado);
    return !hallado;
}

std::optional<std::string> ImporteDeUsuario(std::string_view texto, char decimal) {
    const std::string_view s = SinBlancos(texto);
    if (s.empty()) return std::string();
    const char seps[] = {'.', decimal};
    std::size_t separador;
    if (!NumeroLlano(s, std::string_view(seps, 2), separador)) return std::nullopt;
    std::string r(s);
    if (separador != std::string_view::npos) r[separador] = '.';
    return r;
}

std::string ImporteParaUsuario(std::string_view guardado, char decimal) {
    const std::string_view s = RecortarEspacios(guardado);
    std::size_t separador;
    std::string r(s);
    if (NumeroLlano(s, ".", separador) && separador != std::string_view::npos)
        r[separador] = decimal;
    return r;
}

std::optional<std::string> ImporteDistinto(std::string_view mostrado, std::string_view guardado,
                                           char decimal) {
    const double cobrado = ImporteCobrado(guardado);
    if (const auto leido = ImporteDeUsuario(mostrado, decimal)) {
        if (NumeroInicial(*leido) == cobrado) return std::nullopt;
    }
    std::string r = TextoNumero(cobrado);
    for (char& c : r)
        if (c == LocaleActual().separadorDecimal) c = decimal;
    return r;
}

}  // namespace quelmar
