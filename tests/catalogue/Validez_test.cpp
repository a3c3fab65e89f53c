// The one rule of what a catalogue may hold, as one table: a sound catalogue, one change,
// and every problem the rule must find (and nothing else).
#include "catalogue/Validez.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#include "runtime/OleDate.h"

namespace quelmar {
namespace {

const tTarifa::Campo& C(std::string_view clave) {
    return *tTarifa::Buscar(clave);
}

// Six tariffs as Quelmar writes them: names, charges and times of day in every field.
std::vector<tTarifa> Sano() {
    std::vector<tTarifa> r;
    for (const char* n : {"Normal", "10DIA", "50DIA", "10NOCHE", "50NOCHE", "Movil"}) {
        tTarifa t;
        for (const tTarifa::Campo& c : tTarifa::Campos()) {
            if (c.tipo == tTarifa::Tipo::Fecha)
                t.Fecha(c, fecha::DesdeHora(17, 59, 59));
            else
                t.Texto(c, "11.5");
        }
        t.Texto(C("Nombre"), n);
        r.push_back(t);
    }
    return r;
}

struct Esperado {
    std::size_t posicion;
    std::string_view clave;  // "" for the whole catalogue
    Motivo motivo;
    std::size_t otra = 0;
};

struct Caso {
    const char* que;
    std::function<void(std::vector<tTarifa>&)> cambio;
    std::vector<Esperado> problemas;
};

void Nombre(std::vector<tTarifa>& r, std::size_t i, std::string_view n) {
    r[i].Texto(C("Nombre"), n);
}
void Importe(std::vector<tTarifa>& r, std::size_t i, std::string_view k, std::string_view v) {
    r[i].Texto(C(k), v);
}
void Hora(std::vector<tTarifa>& r, std::size_t i, std::string_view k, double d) {
    r[i].Fecha(C(k), d);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr auto F = Motivo::HoraFueraDelDia;
constexpr auto I = Motivo::ImporteSinNumero;

TEST(Validez, EveryProblemOfACatalogueIsFoundOnceAndInOrder) {
    const std::vector<Caso> casos = {
        {"sano", [](auto&) {}, {}},
        // Names: the first byte decides whether the list goes on.
        {"nombre nunca escrito",
         [](auto& r) { r[2] = tTarifa(); },
         {{2, "Nombre", Motivo::NombreCortaLista}}},
        {"tilde",
         [](auto& r) { Nombre(r, 5, "\xC1vila"); },
         {{5, "Nombre", Motivo::NombreCortaLista}}},
        {"byte 127",
         [](auto& r) {
             Nombre(r, 5,
                    "\x7F"
                    "a");
         },
         {{5, "Nombre", Motivo::NombreCortaLista}}},
        {"byte 31",
         [](auto& r) {
             Nombre(r, 5,
                    "\x1F"
                    "a");
         },
         {{5, "Nombre", Motivo::NombreCortaLista}}},
        {"tras el corte nada cuenta",
         [](auto& r) {
             Nombre(r, 3, "\xD1u");
             Hora(r, 4, "Semana.Normal.Fin", kNaN);
             Nombre(r, 5, "Normal");
         },
         {{3, "Nombre", Motivo::NombreCortaLista}}},
        {"byte 126 y espacio inicial se leen",
         [](auto& r) {
             Nombre(r, 4, "~a");
             Nombre(r, 5, " b");
         },
         {}},
        {"en blanco", [](auto& r) { Nombre(r, 5, ""); }, {{5, "Nombre", Motivo::NombreEnBlanco}}},
        {"espacio y tabulador",
         [](auto& r) { Nombre(r, 5, " \t"); },
         {{5, "Nombre", Motivo::NombreEnBlanco}}},
        {"dos en blanco no son un nombre repetido",
         [](auto& r) {
             Nombre(r, 4, " ");
             Nombre(r, 5, "   ");
         },
         {{4, "Nombre", Motivo::NombreEnBlanco}, {5, "Nombre", Motivo::NombreEnBlanco}}},
        // Names twice: a doubt at the second, naming the first; compared trimmed, exactly.
        {"repetido",
         [](auto& r) { Nombre(r, 5, "10DIA"); },
         {{5, "Nombre", Motivo::NombreRepetido, 1}}},
        {"repetido con espacios",
         [](auto& r) { Nombre(r, 5, "  Normal "); },
         {{5, "Nombre", Motivo::NombreRepetido, 0}}},
        {"mayúsculas distintas", [](auto& r) { Nombre(r, 5, "normal"); }, {}},
        {"tres iguales",
         [](auto& r) {
             Nombre(r, 4, "Normal");
             Nombre(r, 5, "Normal");
         },
         {{4, "Nombre", Motivo::NombreRepetido, 0}, {5, "Nombre", Motivo::NombreRepetido, 0}}},
        // Charges: the costing reads the leading number; none at all is an error.
        {"importe sin número",
         [](auto& r) { Importe(r, 5, "Conexion.Importe", "abc"); },
         {{5, "Conexion.Importe", I}}},
        {"signo y punto solos",
         [](auto& r) {
             Importe(r, 5, "Semana.Normal.Importe", "-");
             Importe(r, 5, "Festivo.Reducida.Importe", ".");
         },
         {{5, "Semana.Normal.Importe", I}, {5, "Festivo.Reducida.Importe", I}}},
        {"importes que se leen",
         [](auto& r) {
             Importe(r, 5, "Conexion.Importe", "0,15");  // reads 0
             Importe(r, 5, "Semana.Normal.Importe", " 2.5x");
             Importe(r, 5, "Semana.Reducida.Importe", "+.5");
             Importe(r, 5, "Sabado.Normal.Importe", "");  // blanks: no charge
             r[5].Texto(C("Sabado.Reducida.Importe"), std::string(7, '\0'));
             Importe(r, 5, "Festivo.Normal.Importe", "-1e3");
         },
         {}},
        // Times: a time of day, from 0 to less than a day.
        {"horas que no son del día",
         [](auto& r) {
             Hora(r, 1, "Conexion.Tiempo", kNaN);
             Hora(r, 2, "Semana.Normal.Inicio", kInf);
             Hora(r, 2, "Semana.Reducida.Fin", -kInf);
             Hora(r, 3, "Sabado.Normal.Fin", -0.25);
             Hora(r, 4, "Festivo.Normal.Inicio", 1.0);
             Hora(r, 5, "Festivo.Reducida.Fin", 1e308);
         },
         {{1, "Conexion.Tiempo", F},
          {2, "Semana.Normal.Inicio", F},
          {2, "Semana.Reducida.Fin", F},
          {3, "Sabado.Normal.Fin", F},
          {4, "Festivo.Normal.Inicio", F},
          {5, "Festivo.Reducida.Fin", F}}},
        {"horas en los bordes del día",
         [](auto& r) {
             Hora(r, 5, "Conexion.Tiempo", 0.0);
             Hora(r, 5, "Semana.Normal.Inicio", -0.0);
             Hora(r, 5, "Semana.Normal.Fin", std::nextafter(1.0, 0.0));
             Hora(r, 5, "Sabado.Normal.Fin", 1e-7);
         },
         {}},
        // Several in one tariff: field by field, the doubt last.
        {"varios en una tarifa",
         [](auto& r) {
             Nombre(r, 5, "50DIA");
             Hora(r, 5, "Sabado.Reducida.Fin", 2.5);
             Importe(r, 5, "Semana.Normal.Importe", "x");
         },
         {{5, "Semana.Normal.Importe", I},
          {5, "Sabado.Reducida.Fin", F},
          {5, "Nombre", Motivo::NombreRepetido, 2}}},
        // Size: a file gives back at most 32766 tariffs.
        {"32766 tarifas", [](auto& r) { r.resize(32766, r[5]); },
         [] {
             std::vector<Esperado> e;
             for (std::size_t i = 6; i < 32766; ++i)
                 e.push_back({i, "Nombre", Motivo::NombreRepetido, 5});
             return e;
         }()},
        {"32767 tarifas",
         [](auto& r) {
             r.resize(32767, r[5]);
             for (std::size_t i = 6; i < r.size(); ++i) Nombre(r, i, "T" + std::to_string(i));
         },
         {{32766, "", Motivo::DemasiadasTarifas}}},
    };
    for (const Caso& c : casos) {
        std::vector<tTarifa> r = Sano();
        c.cambio(r);
        const std::vector<Problema> p = ProblemasDelCatalogo(r);
        ASSERT_EQ(p.size(), c.problemas.size()) << c.que;
        for (std::size_t k = 0; k < p.size(); ++k) {
            const Esperado& e = c.problemas[k];
            EXPECT_EQ(p[k].posicion, e.posicion) << c.que << " #" << k;
            EXPECT_EQ(p[k].campo ? p[k].campo->clave : "", e.clave) << c.que << " #" << k;
            EXPECT_EQ(p[k].motivo, e.motivo) << c.que << " #" << k;
            EXPECT_EQ(p[k].gravedad,
                      e.motivo == Motivo::NombreRepetido ? Gravedad::Duda : Gravedad::Error)
                << c.que;
            if (e.motivo == Motivo::NombreRepetido) {
                EXPECT_EQ(p[k].otra, e.otra) << c.que;
            }
        }
    }
}

}  // namespace
}  // namespace quelmar
