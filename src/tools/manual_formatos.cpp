// Writes tarificador's man page from its template with the table of formats in it, so
// that the page lists exactly the layouts --formato takes:
//   manual_formatos PLANTILLA SALIDA
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "llamadas/formatos/Lector.h"

namespace {

// Text as roff prints it: backslashes doubled, hyphens as minus signs.
std::string Roff(std::string_view t) {
    std::string r;
    for (const char c : t) r += c == '\\' ? "\\e" : c == '-' ? "\\-" : std::string(1, c);
    return r;
}

void Sustituir(std::string& s, std::string_view marca, const std::string& por) {
    for (std::size_t p; (p = s.find(marca)) != std::string::npos;) s.replace(p, marca.size(), por);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "uso: manual_formatos PLANTILLA SALIDA\n";
        return 2;
    }
    std::ifstream entrada(argv[1]);
    std::stringstream texto;
    texto << entrada.rdbuf();
    std::string pagina = texto.str();
    std::string uso = ".BR ", lista = ".RS\n";
    for (const auto& f : quelmar::llamadas::Formatos()) {
        if (uso.size() > 4) uso += " | ";
        uso += Roff(f.nombre);
        lista += ".TP\n.B " + Roff(f.nombre) + "\n";
        if (&f == &quelmar::llamadas::Formatos().front()) lista += "(por omisión) ";
        lista += Roff(f.descripcion) + (f.detalle.empty() ? "" : "; " + Roff(f.detalle)) + ".\n";
    }
    lista += ".RE\n";
    Sustituir(pagina, "@FORMATOS_USO@", uso + " ]");
    Sustituir(pagina, "@FORMATOS_MAN@", lista);
    std::ofstream salida(argv[2]);
    salida << pagina;
    return salida.good() && entrada.good() ? 0 : 1;
}
