// The parts that read a PBX's records: dialled numbers, the --destinos table, Asterisk's
// Master.csv fields, the charged amounts of a bill and the totals per extension.
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "llamadas/Cobrado.h"
#include "llamadas/Destinos.h"
#include "llamadas/Instantes.h"
#include "llamadas/formatos/Asterisk.h"
#include "runtime/OleDate.h"
#include "tools/Comun.h"

namespace quelmar::llamadas {
namespace {

TEST(NormalizarNumero, DigitsAloneWithPlusAsDoubleZero) {
    const struct {
        const char* numero;
        std::optional<std::string> digitos;
    } casos[] = {
        {"600123456", "600123456"},
        {"600 12 34 56", "600123456"},
        {"600-123-456", "600123456"},
        {"91.555.12.12", "915551212"},
        {"+34 600-123-456", "0034600123456"},
        {"  +44.20.7946  ", "0044207946"},
        {"0033", "0033"},
        {"201", "201"},
        {"+", std::nullopt},
        {"", std::nullopt},
        {" - . ", std::nullopt},
        {"34+600", std::nullopt},
        {"++34", std::nullopt},
        {"(91) 555", std::nullopt},
        {"s", std::nullopt},
        {"600a", std::nullopt},
    };
    for (const auto& c : casos) EXPECT_EQ(NormalizarNumero(c.numero), c.digitos) << c.numero;
}

TEST(Destinos, LongestPrefixThatTheNumberStartsWith) {
    const Destinos d = Destinos::Leer(
        "prefijo,tarifa\n# móviles\n6,Movil\n7,Movil\n\n00,Europa\n0033,Francia\n"
        "91,Metropolitana\n9,Provincial\n+1,America\n",
        "destinos.csv");
    const struct {
        const char* digitos;
        const char* tarifa;  // null: no prefix
    } casos[] = {
        {"600123456", "Movil"},
        {"712345678", "Movil"},
        {"915551212", "Metropolitana"},
        {"925551212", "Provincial"},
        {"9", "Provincial"},
        {"91", "Metropolitana"},
        {"0044207946", "Europa"},
        {"0033145678", "Francia"},
        {"003", "Europa"},
        {"0012125551", "America"},
        {"001", "America"},
        {"0", nullptr},
        {"201", nullptr},
        {"", nullptr},
        {"800123123", nullptr},
    };
    for (const auto& c : casos) {
        const auto* f = d.Buscar(c.digitos);
        EXPECT_EQ(f ? d.Tarifa(*f) : std::string("(ninguna)"), c.tarifa ? c.tarifa : "(ninguna)")
            << c.digitos;
    }
    EXPECT_EQ(d.Filas().size(), 7u);
    EXPECT_EQ(d.Buscar("0033")->linea, 7u);
}

// A table of thousands of prefixes sharing beginnings (so the index's probes collide):
// every number finds the row a walk of all rows finds, the longest prefix it starts with,
// and every row keeps its own tariff among few.
TEST(Destinos, TheIndexFindsWhatAWalkOfEveryRowFinds) {
    std::uint32_t semilla = 12345;
    auto azar = [&](std::uint32_t n) {
        semilla = semilla * 1103515245u + 12345u;
        return (semilla >> 8) % n;
    };
    const char* const tarifas[] = {"Metropolitana", "Provincial", "Nacional", "Movil"};
    std::string texto = "prefijo,tarifa\n";
    std::vector<std::pair<std::string, std::string>> filas;
    std::set<std::string> vistos;
    while (filas.size() < 3000) {
        std::string p = std::to_string(9 - azar(3));
        for (std::uint32_t n = azar(7); n > 0; --n) p += static_cast<char>('0' + azar(10));
        if (!vistos.insert(p).second) continue;
        filas.emplace_back(p, tarifas[azar(4)]);
        texto += p + "," + filas.back().second + "\n";
    }
    const Destinos d = Destinos::Leer(texto, "d.csv");
    ASSERT_EQ(d.Filas().size(), filas.size());
    EXPECT_EQ(d.Tarifas().size(), 4u);
    for (std::size_t i = 0; i < filas.size(); ++i) {
        EXPECT_EQ(d.Prefijo(d.Filas()[i]), filas[i].first);
        EXPECT_EQ(d.Tarifa(d.Filas()[i]), filas[i].second);
    }
    for (int k = 0; k < 5000; ++k) {
        std::string numero = std::to_string(9 - azar(4));
        for (int n = 0; n < 8; ++n) numero += static_cast<char>('0' + azar(10));
        const std::pair<std::string, std::string>* mejor = nullptr;
        for (const auto& f : filas)
            if (numero.starts_with(f.first) && (!mejor || f.first.size() > mejor->first.size()))
                mejor = &f;
        const auto* b = d.Buscar(numero);
        ASSERT_EQ(b != nullptr, mejor != nullptr) << numero;
        if (b) {
            EXPECT_EQ(d.Prefijo(*b), mejor->first) << numero;
        }
    }
}

TEST(Destinos, BadTablesNameTheLine) {
    const struct {
        const char* texto;
        const char* error;
    } casos[] = {
        {"6,Movil\n9,Provincial\n6,Otra\n", "d.csv:3: el prefijo 6 ya está en la línea 1"},
        {"prefijo,tarifa\n+34,España\n0034 ,Nacional\n",
         "d.csv:3: el prefijo 0034 ya está en la línea 2"},
        {"6,Movil\n9\n", "d.csv:2: se esperaban 2 campos (prefijo,tarifa) y hay 1"},
        {"6,Movil\n9,Provincial,x\n", "d.csv:2: se esperaban 2 campos (prefijo,tarifa) y hay 3"},
        {"6,Movil\nnueve,Provincial\n", "d.csv:2: el prefijo «nueve» no es un número"},
        {"6,Movil\n9, \n", "d.csv:2: falta la tarifa del prefijo 9"},
        {"# nada\nprefijo,tarifa\n",
         "«d.csv» no tiene ningún prefijo (se esperan filas "
         "prefijo,tarifa)"},
    };
    for (const auto& c : casos) {
        try {
            (void)Destinos::Leer(c.texto, "d.csv");
            ADD_FAILURE() << c.texto;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), c.error);
        }
    }
    // ";" as a Spanish spreadsheet writes it.
    const Destinos punto_y_coma = Destinos::Leer("6;Móvil\r\n", "d.csv");
    EXPECT_EQ(punto_y_coma.Tarifa(*punto_y_coma.Buscar("6")), "Móvil");
}

std::vector<std::string> Registro(const char* dst, const char* disposicion, const char* billsec,
                                  std::size_t extra = 0) {
    std::vector<std::string> c = {"cuenta1",
                                  "201",
                                  dst,
                                  "desde-interno",
                                  "\"Ana\" <201>",
                                  "SIP/201-0001",
                                  "SIP/troncal-0002",
                                  "Dial",
                                  "SIP/troncal/600",
                                  "2024-03-04 10:00:00",
                                  "2024-03-04 10:00:05",
                                  "2024-03-04 10:01:05",
                                  "65",
                                  billsec,
                                  disposicion,
                                  "DOCUMENTATION"};
    const char* mas[] = {"1709546400.1", "nota"};
    for (std::size_t i = 0; i < extra; ++i) c.push_back(mas[i]);
    return c;
}

TEST(RegistroAsterisk, DispositionsAndWhichRecordsAreCosted) {
    const struct {
        const char* disposicion;
        const char* billsec;
        bool costear;
    } casos[] = {
        {"ANSWERED", "60", true},   {"ANSWERED", "0", false}, {"NO ANSWER", "0", false},
        {"BUSY", "0", false},       {"FAILED", "0", false},   {"CONGESTION", "0", false},
        {"NO ANSWER", "12", false}, {"BUSY", "3", false},     {"answered", "60", true},
        {"No Answer", "0", false},  {"CANCEL", "0", false},   {"cancel", "4", false},
    };
    for (const auto& c : casos)
        for (std::size_t extra = 0; extra <= 2; ++extra) {
            RegistroAsterisk r;
            const auto campos = Registro("600", c.disposicion, c.billsec, extra);
            ASSERT_EQ(LeerRegistroAsterisk(campos, r), std::nullopt) << c.disposicion;
            EXPECT_EQ(SeCostea(r), c.costear) << c.disposicion << " " << c.billsec;
            const std::string d = c.disposicion;
            EXPECT_STREQ(NombreDisposicion(r.disposicion), d == "CANCEL" || d == "cancel"
                                                               ? "NO ANSWER"
                                                           : d == "answered"  ? "ANSWERED"
                                                           : d == "No Answer" ? "NO ANSWER"
                                                                              : c.disposicion);
            EXPECT_EQ(r.origen, "201");
            EXPECT_EQ(r.cuenta, "cuenta1");
            EXPECT_EQ(r.destino, "600");
            EXPECT_EQ(r.respuesta, "2024-03-04 10:00:05");
            EXPECT_EQ(r.fin, "2024-03-04 10:01:05");
        }
    const struct {
        std::vector<std::string> campos;
        const char* error;
    } malos[] = {
        {Registro("600", "ANSWERED", "60", 2), nullptr},
        {{"a", "b", "c"},
         "se esperaban de 16 a 21 campos de Asterisk (accountcode,src,dst,...,disposition,"
         "amaflags[,uniqueid,userfield[,peeraccount,linkedid,sequence]]) y hay 3"},
        {Registro("600", "ANSWER", "60"),
         "disposición «ANSWER» desconocida (se espera ANSWERED, NO ANSWER, BUSY, FAILED, "
         "CONGESTION o CANCEL)"},
        {Registro("600", "ANSWERED", "-4"), "billsec «-4» no es un número de segundos"},
        {Registro("600", "ANSWERED", "6s"), "billsec «6s» no es un número de segundos"},
    };
    for (const auto& m : malos) {
        RegistroAsterisk r;
        const auto e = LeerRegistroAsterisk(m.campos, r);
        EXPECT_EQ(e, m.error ? std::optional<std::string>(m.error) : std::nullopt);
    }
    // newcdrcolumns: peeraccount, linkedid, sequence; no more.
    auto largo = Registro("600", "ANSWERED", "60", 2);
    for (const char* c : {"", "1709546400.12", "7"}) {
        largo.push_back(c);
        RegistroAsterisk r;
        EXPECT_EQ(LeerRegistroAsterisk(largo, r), std::nullopt) << largo.size();
    }
    largo.push_back("sobra");
    RegistroAsterisk r;
    EXPECT_TRUE(LeerRegistroAsterisk(largo, r));
}

TEST(RegistroAsterisk, BillsecWinsWhenItDisagreesWithAnswerToEndByMoreThanASecond) {
    const double respuesta = *LeerInstante("2024-03-04 10:00:05");
    const struct {
        const char* fin;
        std::int64_t billsec;
        const char* finCosteado;
        bool desacuerdo;
    } casos[] = {
        {"2024-03-04 10:01:05", 60, "2024-03-04T10:01:05", false},
        {"2024-03-04 10:01:05", 59, "2024-03-04T10:01:05", false},
        {"2024-03-04 10:01:05", 61, "2024-03-04T10:01:05", false},
        {"2024-03-04 10:01:05", 58, "2024-03-04T10:01:03", true},
        {"2024-03-04 10:01:05", 62, "2024-03-04T10:01:07", true},
        {"2024-03-04 10:01:05", 1, "2024-03-04T10:00:06", true},
        {"2024-03-04 10:00:05", 3600, "2024-03-04T11:00:05", true},
        {"2024-03-05 10:00:05", 86400, "2024-03-05T10:00:05", false},
    };
    for (const auto& c : casos) {
        const auto t = TramoDeRegistro(respuesta, *LeerInstante(c.fin), c.billsec);
        EXPECT_EQ(t.ini, respuesta);
        EXPECT_EQ(TextoInstante(t.fin), c.finCosteado) << c.fin << " " << c.billsec;
        EXPECT_EQ(t.desacuerdo, c.desacuerdo) << c.fin << " " << c.billsec;
        // The instant costed is the one a plain log line with that text gives.
        EXPECT_EQ(t.fin, *LeerInstante(c.finCosteado));
    }
}

TEST(Cobrado, AmountsAsTheCommandLineReadsThemAndTheDifferenceToTheCent) {
    const struct {
        const char* celda;
        bool valido;
        std::optional<double> importe;
        bool coma;
    } casos[] = {
        {"12.5", true, 12.5, false},
        {" 12,50 ", true, 12.5, true},
        {"0", true, 0.0, false},
        {"-3", true, -3.0, false},
        {"1e2", true, 100.0, false},
        {"", true, std::nullopt, false},
        {"  ", true, std::nullopt, false},
        {"12 €", false, std::nullopt, false},
        {"1.234,5", false, std::nullopt, false},
        {"doce", false, std::nullopt, false},
        {"inf", false, std::nullopt, false},
    };
    for (const auto& c : casos) {
        std::optional<double> importe = -1.0;
        bool coma = false;
        EXPECT_EQ(LeerCobrado(c.celda, importe, coma), c.valido) << c.celda;
        if (c.valido) {
            EXPECT_EQ(importe, c.importe) << c.celda;
        }
        EXPECT_EQ(coma, c.coma) << c.celda;
    }
    const struct {
        double cobrado, costeado, diferencia;
    } difs[] = {
        {10.0, 10.0, 0.0},  {10.0, 9.996, 0.0}, {10.01, 10.0, 0.01}, {9.99, 10.0, -0.01},
        {45.0, 30.0, 15.0}, {0.0, 12.5, -12.5}, {10.004, 10.0, 0.0},
    };
    for (const auto& d : difs) {
        const double r = DiferenciaCobrada(d.cobrado, static_cast<float>(d.costeado));
        EXPECT_NEAR(r, d.diferencia, 1e-9) << d.cobrado << " " << d.costeado;
        EXPECT_FALSE(std::signbit(r) && r == 0.0);
    }
    RevisionFactura f;
    for (double d : {0.0, 1.5, -0.25, 2.0, 0.0, -1.0}) f.Anotar(d);
    const auto importe = [](double x) { return std::to_string(std::lround(x * 100)); };
    EXPECT_EQ(f.Resumen(importe),
              "factura: 2 llamadas cobradas de más (350 en total) y 2 de menos (125) de 6 "
              "llamadas con importe cobrado");
}

TEST(TotalesPorClave, AddUpPerKeyLargestAmountFirst) {
    TotalesPorClave t;
    const struct {
        const char* clave;
        std::int64_t segundos;
        double importe;
    } llamadas[] = {{"201", 60, 1.5}, {"202", 30, 4.0}, {"201", 90, 2.5},
                    {"", 10, 0.5},    {"203", 5, 4.0},  {"202", 1, 0.0}};
    double total = 0;
    for (const auto& l : llamadas) t.Sumar(l.clave, l.segundos, l.importe), total += l.importe;
    const auto filas = t.Ordenados();
    ASSERT_EQ(filas.size(), 4u);
    const std::vector<std::string> orden = {filas[0].clave, filas[1].clave, filas[2].clave,
                                            filas[3].clave};
    EXPECT_EQ(orden, (std::vector<std::string>{"201", "202", "203", ""}));
    EXPECT_EQ(filas[0].llamadas, 2u);
    EXPECT_EQ(filas[0].segundos, 150);
    EXPECT_EQ(filas[1].llamadas, 2u);
    double suma = 0;
    for (const auto& f : filas) suma += f.importe;
    EXPECT_DOUBLE_EQ(suma, total);
}

}  // namespace
}  // namespace quelmar::llamadas
