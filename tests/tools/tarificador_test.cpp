// tarificador costear and listar run as a user runs them. Every cost below is worked out
// by hand from the tariffs of the fixture: a price p per minute charges p/60 a second.
#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "Programa.h"
#include "support/Tarifas.h"

namespace quelmar::pruebas {
namespace {

using prueba::AnadirTarifa;
using prueba::Dia;
using prueba::Hora;

// Normal: 10 for the connection, which covers 30 seconds ("00:30" = 0 min 30 s); 12 a
// minute from 08:00 to 17:59:59 on weekdays and Saturdays, 6 otherwise; holidays all 6.
// Bono tariffs: connection 1, 3 a minute; their normal band (08:00-19:59:59) is day time.
// Móvil (a byte above 127 in its name): no connection charge, 30 a minute.
void CatalogoDePrueba(const std::filesystem::path& carpeta) {
    cLlamada c(carpeta);
    const Dia dia{{"12", Hora(8, 0), Hora(17, 59, 59)}, {"6", Hora(18, 0), Hora(7, 59, 59)}};
    const Dia festivo{{"0", Hora(0, 0), Hora(0, 0)}, {"6", Hora(0, 0), Hora(23, 59, 59)}};
    AnadirTarifa(c, "Normal", "10", Hora(0, 30), dia, dia, festivo);
    const Dia bono{{"3", Hora(8, 0), Hora(19, 59, 59)}, {"3", Hora(20, 0), Hora(7, 59, 59)}};
    for (const char* n : {"10DIA", "50DIA", "10NOCHE", "50NOCHE"})
        AnadirTarifa(c, n, "1", Hora(0, 0), bono, bono, bono);
    const Dia movil{{"30", Hora(8, 0), Hora(17, 59, 59)}, {"30", Hora(18, 0), Hora(7, 59, 59)}};
    AnadirTarifa(c, "M\xF3vil", "0", Hora(0, 0), movil, movil, movil);
    c.Save();
}

struct Cambio {
    std::int16_t tarifa;
    const char* clave;
    Variant valor;
};

// The fixture's catalogue with some values changed.
void ConCambios(const std::filesystem::path& carpeta, const std::vector<Cambio>& cambios) {
    CatalogoDePrueba(carpeta);
    cLlamada c(carpeta);
    c.Load();
    for (const Cambio& k : cambios) c.Valor(k.tarifa, k.clave, k.valor);
    c.Save();
}

const std::string kCabecera =
    "inicio,fin,tarifa,importe,duracion,tipo,tipo_actual,bono_net,bono_net_actual,bono_dia,"
    "bono_noche";

class Costear : public ::testing::Test {
  protected:
    void SetUp() override { CatalogoDePrueba(dir.ruta()); }
    // On the fixture's catalogue unless the arguments name another.
    Resultado Correr(std::vector<std::string> args, const std::string& entrada = "") {
        if (std::find(args.begin(), args.end(), "--catalogo") == args.end())
            args.insert(args.begin(), {"--catalogo", dir.ruta().string()});
        args.insert(args.begin(), "costear");
        return Ejecutar(dir.ruta(), args, entrada);
    }
    std::string Fichero(const std::string& nombre, const std::string& contenido) {
        EscribirTodo(dir.ruta() / nombre, contenido);
        return (dir.ruta() / nombre).string();
    }
    CarpetaTemporal dir;
};

TEST_F(Costear, CostsEachLineByTheEnginesRules) {
    const Resultado r = Correr({},
                               // Sunday, all reduced: 10 + 90 s at 6 = 19
                               "1999-12-26T12:00:00,1999-12-26T12:02:00\n"
                               // shorter than the connection time: the connection alone
                               "1999-12-27T10:00:00,1999-12-27T10:00:10,Normal\n"
                               // 90 s at 30, no connection charge
                               "1999-12-27T10:00:30,1999-12-27T10:02:00,Móvil\n"
                               // Monday across the end of the normal band: 10 for the
                               // connection (to 17:59:29), 31 s at 12 up to 17:59:59 inclusive
                               // = 6.2, 60 s at 6 = 6; 22.2 in single precision
                               "1999-12-27T17:58:59,1999-12-27T18:01:00\n");
    EXPECT_EQ(r.estado, 0) << r.errores;
    EXPECT_EQ(r.salida, kCabecera +
                            "\n"
                            "1999-12-26T12:00:00,1999-12-26T12:02:00,Normal,19,00:02:00,1,1,0,0,"
                            "00:00:00,00:00:00\n"
                            "1999-12-27T10:00:00,1999-12-27T10:00:10,Normal,10,00:00:10,0,0,0,0,"
                            "00:00:00,00:00:00\n"
                            "1999-12-27T10:00:30,1999-12-27T10:02:00,Móvil,45,00:01:30,0,0,0,0,"
                            "00:00:00,00:00:00\n"
                            "1999-12-27T17:58:59,1999-12-27T18:01:00,Normal,22.2,00:02:01,0,1,0,0,"
                            "00:00:00,00:00:00\n");
    EXPECT_EQ(r.errores, "tarificador: 4 llamadas, importe total 96,20, duración total 00:05:41\n");
}

TEST_F(Costear, HolidaysAndTheDefaultTariff) {
    const std::string llamada = "1999-12-28T12:00:00,1999-12-28T12:02:00\n";  // a Tuesday
    const std::string festivos =
        Fichero("festivos.txt", "# nacionales\n1999-12-25\n\n1999-12-28\n");
    // A weekday: 10 + 90 s at 12 = 28; as a holiday all reduced: 10 + 90 s at 6 = 19.
    EXPECT_NE(Correr({}, llamada).salida.find(",Normal,28,"), std::string::npos);
    EXPECT_NE(Correr({"--festivos", festivos}, llamada).salida.find(",Normal,19,"),
              std::string::npos);
    // --tarifa applies to lines that name none: 120 s at 30 = 60.
    const Resultado r = Correr({"--tarifa", "Móvil"}, llamada);
    EXPECT_NE(r.salida.find(",Móvil,60,00:02:00,"), std::string::npos) << r.salida;
}

TEST_F(Costear, SkipsHeaderCommentsAndBlankLines) {
    // 10 + 30 s at 12 + 60 s at 6
    const std::string llamada = "1999-12-27T17:59:00,1999-12-27T18:01:00,Normal,22,";
    // A header after comments and blank lines; blanks around fields and a blank for the T.
    Resultado r = Correr({},
                         "# registro\n\n   \nInicio,Fin,Tarifa\n"
                         " 1999-12-27 17:59:00 , 1999-12-27T18:01:00 , Normal \n\n");
    EXPECT_EQ(r.estado, 0) << r.errores;
    ASSERT_EQ(Lineas(r.salida).size(), 2u);
    EXPECT_TRUE(Lineas(r.salida)[1].starts_with(llamada)) << r.salida;
    // Without a header the first line is a call (quoted fields too), and only a first line
    // can be a header.
    r = Correr({}, "\"1999-12-27T17:59:00\",\"1999-12-27T18:01:00\"\ninicio,fin\r\n");
    EXPECT_EQ(r.estado, 1);
    ASSERT_EQ(Lineas(r.salida).size(), 2u);
    EXPECT_TRUE(Lineas(r.salida)[1].starts_with(llamada));
    EXPECT_TRUE(r.errores.starts_with("(entrada estándar):2: inicio «inicio» ilegible"))
        << r.errores;
}

TEST_F(Costear, BadLinesAreReportedAndSkipped) {
    const std::string llamadas = Fichero("llamadas.csv",
                                         "inicio,fin,tarifa\n"
                                         "1999-12-27T10:00:00,1999-12-27T10:00:10\n"
                                         "1999-12-27T10:00:00\n"
                                         "1999-02-29T10:00:00,1999-03-01T10:00:00\n"
                                         "1999-12-27T10:00:00,1999-12-27T24:00:00\n"
                                         "1999-12-27T10:05:00,1999-12-27T10:00:00\n"
                                         "1999-12-27T10:00:00,1999-12-27T10:01:00,Inexistente\n"
                                         "1999-12-27T10:01:00,1999-12-27T10:02:30,Móvil\n"
                                         "1999-12-27T10:00:00,1999-12-27T10:01:00,Normal,x\n"
                                         "\"1999-12-27T10:00:00,1999-12-27T10:01:00\n"
                                         // the engine cannot cut periods past 9999
                                         "9999-12-31T10:00:00,9999-12-31T10:05:00\n"
                                         "0099-12-31T10:00:00,0099-12-31T10:05:00\n"
                                         "1999-12-27T10:03:00,1999-12-27T10:04:00,Móvil\n");
    const Resultado r = Correr({llamadas});
    EXPECT_EQ(r.estado, 1);
    // The unknown tariff prints nothing, not the result of the call before it.
    EXPECT_EQ(r.salida, kCabecera +
                            "\n"
                            "1999-12-27T10:00:00,1999-12-27T10:00:10,Normal,10,00:00:10,0,0,0,0,"
                            "00:00:00,00:00:00\n"
                            "1999-12-27T10:01:00,1999-12-27T10:02:30,Móvil,45,00:01:30,0,0,0,0,"
                            "00:00:00,00:00:00\n"
                            "1999-12-27T10:03:00,1999-12-27T10:04:00,Móvil,30,00:01:00,0,0,0,0,"
                            "00:00:00,00:00:00\n");
    const std::vector<std::string> esperadas = {
        llamadas + ":3: se esperaban de 2 a 4 campos (inicio,fin[,tarifa[,numero]]) y hay 1",
        llamadas +
            ":4: inicio «1999-02-29T10:00:00» no existe: ese día o esa hora no están en el "
            "calendario (o el año es anterior al 100)",
        llamadas +
            ":5: fin «1999-12-27T24:00:00» no existe: ese día o esa hora no están en el "
            "calendario (o el año es anterior al 100)",
        llamadas + ":6: el fin «1999-12-27T10:00:00» es anterior al inicio «1999-12-27T10:05:00»",
        llamadas + ":7: tarifa desconocida «Inexistente»",
        llamadas +
            ":9: número marcado «x» ilegible (se esperan cifras, con «+» delante, espacios, "
            "guiones o puntos)",
        llamadas + ":10: unas comillas no se cierran",
        llamadas +
            ":11: el motor no pudo costear la llamada: desbordamiento (error 6): una fecha fuera "
            "de intervalo (las fechas van del 01/01/0100 al 31/12/9999); su periodo de facturación "
            "acaba después del año 9999, la última fecha que el motor cuenta",
        llamadas +
            ":12: inicio «0099-12-31T10:00:00» no existe: ese día o esa hora no están en el "
            "calendario (o el año es anterior al 100)",
        "tarificador: 3 llamadas, importe total 85,00, duración total 00:02:40; 9 líneas con "
        "errores",
    };
    EXPECT_EQ(Lineas(r.errores), esperadas);
}

// A 10DIA bono with 10 minutes left. Each call on a weekday morning is day time: the
// connection and the time are charged under the 10DIA tariff (1, and 3 a minute) while the
// bono lasts, then under Normal (12 a minute), the bono's time carried from line to line.
TEST_F(Costear, BonoTimeIsSpentFromOneCallToTheNext) {
    const std::string bonos = Fichero(
        "bonos.json",
        R"({"dia_factura": 15, "per_factura": 2, "bonos": [{"tipo": "10DIA", "alta": "1999-12-01", "tiempo": "00:10:00"}]})");
    const Resultado r = Correr({"--bonos", bonos},
                               // 1 + 360 s at 3 = 19; 4 minutes left
                               "1999-12-27T10:00:00,1999-12-27T10:06:00\n"
                               // 1 + 240 s at 3 + 120 s at 12 = 37; none left
                               "1999-12-27T10:30:00,1999-12-27T10:36:00\n"
                               // a call the engine gives up on: the refill it began is undone
                               "9999-12-31T10:00:00,9999-12-31T10:05:00\n"
                               // no bono: 10 + 30 s at 12 = 16
                               "1999-12-27T11:00:00,1999-12-27T11:01:00\n");
    EXPECT_EQ(r.estado, 1) << r.errores;
    EXPECT_EQ(r.salida, kCabecera +
                            "\n"
                            "1999-12-27T10:00:00,1999-12-27T10:06:00,Normal,19,00:06:00,0,0,1,1,"
                            "00:04:00,00:00:00\n"
                            "1999-12-27T10:30:00,1999-12-27T10:36:00,Normal,37,00:06:00,0,0,1,0,"
                            "00:00:00,00:00:00\n"
                            "1999-12-27T11:00:00,1999-12-27T11:01:00,Normal,16,00:01:00,0,0,0,0,"
                            "00:00:00,00:00:00\n");
}

// Billing day 15, two-month periods closing in odd months (15 January, 15 March...). A
// bono of 5 minutes is used up by the first call; it is full again for the first call of
// a new period, and only then.
TEST_F(Costear, BonosRefillWhenABillingPeriodStarts) {
    const std::string bonos = Fichero(
        "bonos.json",
        R"({"dia_factura": 15, "per_factura": 2, "bonos": [{"tipo": "10DIA", "alta": "1999-12-01", "tiempo": "00:05:00"}]})");
    const Resultado r = Correr({"--bonos", bonos, "--json"},
                               "2000-01-10T10:00:00,2000-01-10T10:05:00\n"    // 1 + 300 s at 3
                               "2000-01-12T10:00:00,2000-01-12T10:05:00\n"    // same period
                               "2000-01-17T10:00:00,2000-01-17T10:05:00\n"    // new period
                               "2000-03-15T10:00:00,2000-03-15T10:05:00\n"    // same period
                               "2000-03-16T10:00:00,2000-03-16T10:05:00\n");  // new period
    EXPECT_EQ(r.estado, 0) << r.errores;
    std::vector<std::string> importes, dia;
    for (const auto& l : Lineas(r.salida)) {
        const auto i = l.find("\"importe\":"), d = l.find("\"bono_dia\":\"");
        importes.push_back(l.substr(i + 10, l.find(',', i) - i - 10));
        dia.push_back(l.substr(d + 12, 8));
    }
    // Without bono time: 10 + 270 s at 12 = 64.
    EXPECT_EQ(importes, (std::vector<std::string>{"16", "64", "16", "16", "16"}));
    EXPECT_EQ(dia, (std::vector<std::string>{"00:00:00", "00:00:00", "09:55:00", "09:50:00",
                                             "09:55:00"}));
}

// The registry goes on from the end of the call before. One across the end of the billing
// day is refilled at midnight; the next, later that day, must not be refilled again. One
// that starts before the previous ends is told.
TEST_F(Costear, TheRegistryGoesOnFromTheEndOfTheCallBefore) {
    const std::string bonos = Fichero("bonos.json", R"({"dia_factura": 15, "per_factura": 2,
        "bonos": [{"tipo": "10NOCHE", "alta": "2000-01-01"}]})");
    const Resultado r = Correr({"--bonos", bonos},
                               // 3599 s to 23:59:59, full at 00:00:00, 1 hour more
                               "2000-03-15T23:00:00,2000-03-16T01:00:00\n"
                               "2000-03-16T02:00:00,2000-03-16T03:00:00\n"
                               "2000-03-16T02:30:00,2000-03-16T02:40:00\n");
    EXPECT_EQ(r.estado, 0) << r.errores;
    std::vector<std::string> noche;
    for (const auto& l : Lineas(r.salida)) noche.push_back(l.substr(l.rfind(',') + 1));
    EXPECT_EQ(noche, (std::vector<std::string>{"bono_noche", "09:00:00", "08:00:00", "07:50:00"}));
    EXPECT_TRUE(
        r.errores.starts_with("(entrada estándar):3: aviso: la llamada empieza antes de que "
                              "acabe la "
                              "anterior; los bonos se gastan en el orden de las líneas\n"))
        << r.errores;
}

// At 20:00 day time ends: ten minutes from the day bono, then ten without a bono. Bono
// time was there when the call started, none is left for the time it ends in.
TEST_F(Costear, EachStretchIsChargedToTheBonosOfItsOwnGroup) {
    const std::string bonos =
        Fichero("bonos.json", R"({"bonos": [{"tipo": 0, "alta": "1999-12-01"}]})");
    const Resultado r = Correr({"--bonos", bonos}, "1999-12-27T19:50:00,1999-12-27T20:10:00\n");
    EXPECT_EQ(r.estado, 0) << r.errores;
    EXPECT_TRUE(r.salida.ends_with(",1,0,09:50:00,00:00:00\n")) << r.salida;
}

TEST_F(Costear, JsonGivesOneObjectPerCallWithTheSameNames) {
    const Resultado r = Correr({"--json"}, "1999-12-27T17:58:59,1999-12-27T18:01:00\n");
    EXPECT_EQ(r.estado, 0);
    EXPECT_EQ(r.salida,
              R"({"inicio":"1999-12-27T17:58:59","fin":"1999-12-27T18:01:00","tarifa":"Normal",)"
              R"("importe":22.2,"duracion":"00:02:01","tipo":0,"tipo_actual":1,"bono_net":false,)"
              R"("bono_net_actual":false,"bono_dia":"00:00:00","bono_noche":"00:00:00"})"
              "\n");
}

TEST_F(Costear, BonoOutputReadsBackAsInputAndGoesOnWhereItStopped) {
    const std::string bonos = Fichero("bonos.json", R"({"dia_factura": 15, "per_factura": 2,
        "bonos": [{"tipo": "10DIA", "alta": "1999-12-01", "baja": "2000-02-10", "tiempo": "00:10:00"},
                  {"tipo": 3, "alta": "1999-12-01T08:00:00"}]})");
    const std::string salida = (dir.ruta() / "quedan.json").string();
    const std::string primera = "1999-12-27T10:00:00,1999-12-27T10:06:00\n";
    const std::string segunda = "1999-12-27T10:30:00,1999-12-27T10:36:00\n";

    const Resultado juntas = Correr({"--bonos", bonos}, primera + segunda);
    const Resultado a = Correr({"--bonos", bonos, "--salida-bonos", salida}, primera);
    EXPECT_EQ(a.estado, 0) << a.errores;
    EXPECT_EQ(LeerTodo(salida),
              "{\"dia_factura\": 15, \"per_factura\": 2, \"bonos\": [\n"
              "  {\"tipo\": \"10DIA\", \"alta\": \"1999-12-01T00:00:00\", \"baja\": "
              "\"2000-02-10\", \"tiempo\": \"00:04:00\"},\n"
              "  {\"tipo\": \"50NOCHE\", \"alta\": \"1999-12-01T08:00:00\", \"tiempo\": "
              "\"50:00:00\"}\n"
              "]}\n");
    const Resultado b = Correr({"--bonos", salida}, segunda);
    ASSERT_EQ(Lineas(juntas.salida).size(), 3u);
    ASSERT_EQ(Lineas(b.salida).size(), 2u);
    EXPECT_EQ(Lineas(b.salida)[1], Lineas(juntas.salida)[2]);
    EXPECT_NE(Lineas(b.salida)[1].find(",Normal,37,"), std::string::npos);
}

TEST_F(Costear, AnUnusableOptionOrFileStopsBeforeWritingAnything) {
    CarpetaTemporal vacia, corto;
    {
        cLlamada c(corto.ruta());
        for (int i = 0; i < 3; ++i) c.Add(), c.Valor(static_cast<std::int16_t>(i), "Nombre", "T");
        c.Save();
    }
    // Catalogues that read but cannot be costed as they show.
    CarpetaTemporal sinHora, enBlanco;
    ConCambios(sinHora.ruta(), {{5, "Semana.Normal.Fin", Variant::DeFecha(std::nan(""))}});
    ConCambios(enBlanco.ruta(),
               {{5, "Nombre", Variant("   ")}, {2, "Conexion.Importe", Variant("abc")}});
    const std::string llamadas = Fichero("l.csv", "1999-12-27T10:00:00,1999-12-27T10:01:00\n");
    const std::string salidaBonos = (dir.ruta() / "no-debe-existir.json").string();
    // 656 bonos of 50 hours hold 32800 hours once a period refills them.
    std::string llenos = R"({"bonos": [)";
    for (int i = 0; i < 656; ++i)
        llenos += std::string(i ? "," : "") + R"({"tipo": "50DIA", "alta": "1999-12-01",)" +
                  R"( "tiempo": "0:00:00"})";
    llenos += "]}";
    struct Caso {
        std::vector<std::string> args;
        std::string mensaje;
    };
    const std::vector<Caso> casos = {
        {{"--catalogo", vacia.ruta().string(), llamadas}, "no hay Tarifas.Dat en"},
        {{"--catalogo", llamadas, llamadas},
         "l.csv» no es una carpeta; --catalogo espera la carpeta que guarda Tarifas.Dat"},
        // Raw bytes of a file are never echoed: read as Windows-1252 (0xFF is "ÿ").
        {{"--festivos", Fichero("fest.txt", "1999-12-2\xFF\n"), llamadas},
         "fest.txt:1: «1999-12-2ÿ» no es una fecha"},
        {{"--catalogo", corto.ruta().string(), llamadas}, "tiene 3 tarifas; el costeo necesita"},
        {{"--catalogo", sinHora.ruta().string(), llamadas},
         "tarifa 6 («Móvil»), «Semana.Normal.Fin»: nan no es una hora del día"},
        {{"--catalogo", enBlanco.ruta().string(), llamadas},
         "tarifa 3 («50DIA»), «Conexion.Importe»: el importe «abc» no es un número"},
        {{"--catalogo", enBlanco.ruta().string(), llamadas},
         "tarifa 6, «Nombre»: el nombre está en blanco"},
        {{"--bonos", Fichero("a.json", R"({"bonos": [)"), llamadas},
         "JSON mal formado (línea 1, columna 12)"},
        {{"--bonos", Fichero("b.json", R"({"bonos": [{"tipo": "20DIA", "alta": "1999-12-01"}]})"),
          llamadas},
         "bono 1: tipo de bono desconocido «20DIA»"},
        {{"--bonos", Fichero("c.json", R"({"bonos": [{"tipo": 4, "alta": "1999-12-01"}]})"),
          llamadas},
         "tipo de bono desconocido «4»"},
        {{"--bonos", Fichero("d.json", R"({"dia_factura": 15, "bonus": []})"), llamadas},
         "clave desconocida «bonus»"},
        {{"--bonos", Fichero("d2.json", R"({"dia_factura": 15, "dia_factura": 1})"), llamadas},
         "d2.json»: la clave «dia_factura» aparece dos veces en el mismo objeto"},
        {{"--bonos",
          Fichero("d3.json", R"({"bonos": [{"tipo": "50DIA", "alta": "9999-12-01",)"
                             R"( "baja": "9999-12-31T23:59:59"}]})"),
          llamadas},
         "d3.json»: bono 1 (50DIA): la baja 9999-12-31T23:59:59 caducaría después del año 9999"},
        {{"--bonos", Fichero("e.json", R"({"bonos": [{"tipo": "10DIA", "alta": "1/12/1999"}]})"),
          llamadas},
         "bono 1 (10DIA): «alta» «1/12/1999» no es un día"},
        {{"--bonos", Fichero("f.json", R"({"per_factura": 3})"), llamadas},
         "«per_factura» debe ser 1"},
        {{"--bonos", (dir.ruta() / "falta.json").string(), llamadas}, "no se puede abrir"},
        {{"--tarifa", "Inexistente", llamadas}, "la tarifa «Inexistente» no está en el catálogo"},
        {{"--tarifa", "normal", llamadas},
         "la tarifa «normal» no está en el catálogo; ¿quizá «Normal»?"},
        {{"--bonos",
          Fichero("g.json", R"({"bonos": [{"tipo": "50NOCHE", "alta": "1999-12-01",)"
                            R"( "tiempo": "30000:00:00"}, {"tipo": 3, "alta": "1999-12-01",)"
                            R"( "tiempo": "2768:00:00"}]})"),
          llamadas},
         "g.json»: bono 1 (50NOCHE): «tiempo» «30000:00:00» es más de lo que cabe en un bono "
         "50NOCHE (50:00:00)"},
        {{"--bonos",
          Fichero("g2.json", R"({"bonos": [{"tipo": "10DIA", "alta": "1999-12-01",)"
                             R"( "tiempo": "10:00:01"}]})"),
          llamadas},
         "bono 1 (10DIA): «tiempo» «10:00:01» es más de lo que cabe en un bono 10DIA"},
        {{"--bonos",
          Fichero("g3.json", R"({"bonos": [{"tipo": 0, "alta": "1999-12-01"},)"
                             R"( {"tipo": 3, "alta": "2000-01-01", "baja": "1999-12-31"}]})"),
          llamadas},
         "bono 2 (50NOCHE): la baja 1999-12-31 es anterior al alta 2000-01-01"},
        // A baja written as a day is compared by days, one with a time to the second.
        {{"--bonos",
          Fichero("g4.json", R"({"bonos": [{"tipo": 1, "alta": "2023-09-02T19:58:22",)"
                             R"( "baja": "2023-09-01"}]})"),
          llamadas},
         "bono 1 (50DIA): la baja 2023-09-01 es anterior al alta 2023-09-02T19:58:22"},
        {{"--bonos",
          Fichero("g5.json", R"({"bonos": [{"tipo": 1, "alta": "2023-09-02T19:58:22",)"
                             R"( "baja": "2023-09-02T19:58:21"}]})"),
          llamadas},
         "bono 1 (50DIA): la baja 2023-09-02T19:58:21 es anterior al alta 2023-09-02T19:58:22"},
        // The parser and the message must survive values built to overflow them.
        {{"--bonos",
          Fichero("i.json", R"({"bonos": [{"tipo": )" + std::string(100000, '[') +
                                std::string(100000, ']') + "}]}"),
          llamadas},
         "anidados a más de 64 niveles"},
        {{"--bonos", Fichero("j.json", R"({"dia_factura": 1e999})"), llamadas},
         "j.json»: un número es demasiado grande"},
        {{"--bonos",
          Fichero("k.json",
                  R"({"bonos": [{"tipo": ")" + std::string(100000, 'x') + R"(", "alta": 1}]})"),
          llamadas},
         "tipo de bono desconocido «" + std::string(60, 'x') + "…» (10DIA"},
        {{"--bonos", Fichero("h.json", llenos), llamadas},
         "h.json»: los bonos de día suman más de 32767 horas"},
        {{"--festivos", Fichero("fes.txt", "1999-12-25\n25/12/1999\n"), llamadas},
         "fes.txt:2: «25/12/1999» no es una fecha AAAA-MM-DD"},
        {{"--opcion-rara", llamadas}, "opción desconocida «--opcion-rara»"},
        {{llamadas, "--bonos"}, "a «--bonos» le falta su valor"},
        {{(dir.ruta() / "no-existe.csv").string()}, "no se puede abrir"},
    };
    for (const Caso& c : casos) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "--salida-bonos=" + salidaBonos);
        const Resultado r = Correr(args);
        EXPECT_EQ(r.estado, 2) << c.mensaje;
        EXPECT_EQ(r.salida, "") << c.mensaje;
        EXPECT_NE(r.errores.find(c.mensaje), std::string::npos) << r.errores;
        EXPECT_FALSE(std::filesystem::exists(salidaBonos)) << c.mensaje;
        EXPECT_LT(r.errores.size(), 400u) << c.mensaje;
    }
    const Resultado r =
        Correr({"--salida-bonos", (dir.ruta() / "no" / "hay.json").string(), llamadas});
    EXPECT_EQ(r.estado, 2);
    EXPECT_EQ(r.salida, "");
    EXPECT_NE(r.errores.find("no se puede escribir"), std::string::npos) << r.errores;
}

// Every order that costs refuses a catalogue with errors before writing anything, and
// costs one with doubts, telling them first.
TEST_F(Costear, CatalogueErrorsStopEveryOrderThatCostsAndDoubtsAreTold) {
    CarpetaTemporal sinHora, repetida;
    ConCambios(sinHora.ruta(), {{5, "Festivo.Reducida.Inicio", Variant(-0.5)}});
    ConCambios(repetida.ruta(), {{5, "Nombre", Variant("Normal")}});
    const std::string llamadas = Fichero("l.csv", "1999-12-27T10:00:00,1999-12-27T10:01:00\n");
    const std::string html = (dir.ruta() / "informe.html").string();
    for (const std::vector<std::string>& orden :
         {std::vector<std::string>{"costear"}, {"comparar"}, {"informe", "--salida", html}}) {
        std::vector<std::string> args = orden;
        args.insert(args.end(), {"--catalogo", sinHora.ruta().string(), llamadas});
        Resultado r = Ejecutar(dir.ruta(), args);
        EXPECT_EQ(r.estado, 2) << orden[0];
        EXPECT_EQ(r.salida, "") << orden[0];
        EXPECT_NE(r.errores.find("no se puede costear tal como está:\n  tarifa 6 («Móvil»), "
                                 "«Festivo.Reducida.Inicio»: -0.5 no es una hora del día"),
                  std::string::npos)
            << r.errores;
        EXPECT_FALSE(std::filesystem::exists(html)) << orden[0];

        args = orden;
        args.insert(args.end(), {"--catalogo", repetida.ruta().string(), llamadas});
        r = Ejecutar(dir.ruta(), args);
        EXPECT_EQ(r.estado, 0) << orden[0] << r.errores;
        EXPECT_EQ(r.errores.rfind("aviso: el catálogo de «" + repetida.ruta().string() +
                                      "»: tarifa 6 («Normal»), «Nombre»: la tarifa «Normal» ya "
                                      "es la tarifa 1",
                                  0),
                  0u)
            << r.errores;
        std::filesystem::remove(html);
    }
}

// With standard error on a terminal and a log that takes a while, a progress line shows the
// lines read so far and is wiped before the summary. The log comes through a pipe, in
// batches, until the progress appears (or 20 seconds have passed).
TEST_F(Costear, ProgressOnATerminalIsWipedBeforeTheSummary) {
    const int maestro = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(maestro, 0);
    ASSERT_EQ(::grantpt(maestro), 0);
    ASSERT_EQ(::unlockpt(maestro), 0);
    const std::string esclavo = ::ptsname(maestro);
    int tubo[2];
    ASSERT_EQ(::pipe(tubo), 0);

    posix_spawn_file_actions_t acciones;
    posix_spawn_file_actions_init(&acciones);
    posix_spawn_file_actions_adddup2(&acciones, tubo[0], 0);
    posix_spawn_file_actions_addopen(&acciones, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&acciones, 2, esclavo.c_str(), O_RDWR | O_NOCTTY, 0);
    posix_spawn_file_actions_addclose(&acciones, tubo[1]);
    posix_spawn_file_actions_addclose(&acciones, maestro);
    std::vector<std::string> args = {TARIFICADOR, "costear", "--catalogo", dir.ruta().string()};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    ASSERT_EQ(posix_spawn(&pid, TARIFICADOR, &acciones, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&acciones);
    ::close(tubo[0]);

    std::string lote;
    for (int i = 0; i < 1000; ++i) lote += "1999-12-27T10:00:00,1999-12-27T10:01:00\n";
    std::string terminal;
    auto leerTerminal = [&](int esperaMs) {
        pollfd p{maestro, POLLIN, 0};
        char buf[4096];
        while (::poll(&p, 1, esperaMs) > 0) {
            const ssize_t n = ::read(maestro, buf, sizeof buf);
            if (n <= 0) break;
            terminal.append(buf, static_cast<std::size_t>(n));
            esperaMs = 0;
        }
    };
    int lotes = 0;
    for (; lotes < 80 && terminal.find("tarificador: línea") == std::string::npos; ++lotes) {
        ASSERT_EQ(::write(tubo[1], lote.data(), lote.size()), static_cast<ssize_t>(lote.size()));
        leerTerminal(250);
    }
    ::close(tubo[1]);
    int st = 0;
    for (int i = 0; i < 200 && ::waitpid(pid, &st, WNOHANG) == 0; ++i) leerTerminal(50);
    leerTerminal(0);
    ::close(maestro);

    EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0) << terminal;
    const std::string marca = "\rtarificador: línea ";
    const std::size_t progreso = terminal.find(marca);
    ASSERT_NE(progreso, std::string::npos) << terminal;
    // The count shown is a whole thousand of lines, and the line is wiped before the summary.
    const std::size_t borrado = terminal.find("\r\033[K", progreso);
    const std::size_t resumen =
        terminal.find("tarificador: " + std::to_string(lotes * 1000) + " llamadas");
    ASSERT_NE(borrado, std::string::npos) << terminal;
    ASSERT_NE(resumen, std::string::npos) << terminal;
    EXPECT_LT(borrado, resumen);
    const std::size_t cifras = terminal.find_first_not_of("0123456789", progreso + marca.size());
    EXPECT_GE(cifras, progreso + marca.size() + 4) << terminal;
    EXPECT_EQ(terminal.substr(cifras - 3, 3), "000") << terminal;
}

TEST_F(Costear, ListGivesTheTwentyOneValuesWithHHMMSSTimes) {
    Resultado r = Ejecutar(dir.ruta(), {"listar", "--catalogo", dir.ruta().string()});
    EXPECT_EQ(r.estado, 0);
    const auto l = Lineas(r.salida);
    ASSERT_EQ(l.size(), 7u);
    EXPECT_EQ(
        l[0],
        "Nombre,Conexion.Importe,Conexion.Tiempo,Semana.Normal.Importe,Semana.Normal.Inicio,"
        "Semana.Normal.Fin,Semana.Reducida.Importe,Semana.Reducida.Inicio,Semana.Reducida.Fin,"
        "Sabado.Normal.Importe,Sabado.Normal.Inicio,Sabado.Normal.Fin,Sabado.Reducida.Importe,"
        "Sabado.Reducida.Inicio,Sabado.Reducida.Fin,Festivo.Normal.Importe,"
        "Festivo.Normal.Inicio,Festivo.Normal.Fin,Festivo.Reducida.Importe,"
        "Festivo.Reducida.Inicio,Festivo.Reducida.Fin");
    EXPECT_EQ(l[1],
              "Normal,10,00:30:00,12,08:00:00,17:59:59,6,18:00:00,07:59:59,12,08:00:00,17:59:59,6,"
              "18:00:00,07:59:59,0,00:00:00,00:00:00,6,00:00:00,23:59:59");
    EXPECT_TRUE(l[6].starts_with("Móvil,0,00:00:00,30,")) << l[6];

    r = Ejecutar(dir.ruta(), {"listar", "--json", "--catalogo", dir.ruta().string()});
    EXPECT_EQ(r.estado, 0);
    EXPECT_TRUE(
        r.salida.starts_with("[\n {\n  \"Nombre\": \"Normal\",\n  \"Conexion.Importe\": "
                             "\"10\",\n  \"Conexion.Tiempo\": \"00:30:00\",\n"))
        << r.salida;
    EXPECT_NE(r.salida.find("\"Nombre\": \"Móvil\""), std::string::npos);
}

// Registries that are sound are read, and their full 10DIA bono pays the call.
TEST_F(Costear, NullIsAbsentAndASameDayBajaIsSound) {
    for (
        const std::string registro : {
            R"({"bonos": [{"tipo": "10DIA", "alta": "1999-12-01", "baja": null, "tiempo": null}]})",
            // Cancelled on the day it was registered.
            R"({"bonos": [{"tipo": "10DIA", "alta": "1999-12-27T09:58:22", "baja": "1999-12-27"}]})",
        }) {
        const Resultado r = Correr({"--bonos", Fichero("n.json", registro)},
                                   "1999-12-27T10:00:00,1999-12-27T10:06:00\n");
        EXPECT_EQ(r.estado, 0) << r.errores;
        EXPECT_NE(r.salida.find(",Normal,19,00:06:00,0,0,1,1,09:54:00,"), std::string::npos)
            << registro << r.salida;
    }
}

// Logs as they come from other programs: each is read as the user meant it, or refused
// with one short message, never echoed whole.
TEST_F(Costear, LogsFromOtherProgramsAreReadOrRefusedWithoutFlooding) {
    std::string malas;
    for (int i = 0; i < 25; ++i) malas += "1999-12-27T10:00:00,mal\n";
    struct Caso {
        std::string entrada;
        int estado;
        std::vector<std::string> palabras;
    };
    const std::vector<Caso> casos = {
        {std::string("\x7F"
                     "ELF\x02\x01\x01\0\0\0",
                     10) +
             std::string(5000, '\0') + "9,9\n",
         2,
         {"no es un fichero de texto"}},
        // A line of 1024 bytes ended by CRLF: the CR is no part of the line.
        {"1999-12-27T10:01:00,1999-12-27T10:02:30,M\xC3\xB3vil" + std::string(1024 - 46, ' ') +
             "\r\n",
         0,
         {"tarificador: 1 llamada, importe total 45,00"}},
        // UTF-16, as some programs save "Unicode text": named, with how to convert it.
        {std::string("\xFF\xFE"
                     "1\0"
                     "9\0"
                     "9\0"
                     "9\0",
                     10),
         2,
         {"está en UTF-16", "iconv -f UTF-16"}},
        {"1999-12-27T10:01:00,1999-12-27T10:02:30,M\xF3vil\n",
         0,
         {"se leen como Windows-1252", "tarificador: 1 llamada, importe total 45,00"}},
        {"inicio;fin;tarifa\n1999-12-27T10:01:00;1999-12-27T10:02:30;Móvil\n",
         0,
         {"tarificador: 1 llamada, importe total 45,00"}},
        {"1999-12-27T10:01:00,1999-12-27T10:02:30,movil\n",
         1,
         {"tarifa desconocida «movil»; ¿quizá «Móvil»?"}},
        // A call of no time (a number that did not answer) costs its connection.
        {"1999-12-27T10:00:00,1999-12-27T10:00:00\n",
         0,
         {"tarificador: 1 llamada, importe total 10,00, duración total 00:00:00"}},
        // A doubled quote inside a quoted field is one quote.
        {"1999-12-27T10:01:00,1999-12-27T10:02:30,\"M\"\"vil\"\n",
         1,
         {"l.csv:1: tarifa desconocida «M\"vil»"}},
        {malas, 1, {"l.csv:20: fin «mal»", "25 líneas con errores (solo se muestran las 20 "}},
        {"1999-12-27T10:00:00,1999-12-27T10:00:10," + std::string(100000, 'A') + "\n",
         1,
         {"la línea mide más de 1024 bytes",
          "(empieza «1999-12-27T10:00:00,1999-12-27T10:00:10,…»)"}},
    };
    for (const Caso& c : casos) {
        const Resultado r = Correr({Fichero("l.csv", c.entrada)});
        EXPECT_EQ(r.estado, c.estado) << r.errores;
        for (const auto& p : c.palabras)
            EXPECT_NE(r.errores.find(p), std::string::npos) << r.errores;
        EXPECT_LE(Lineas(r.errores).size(), 22u);
        EXPECT_LT(r.errores.size(), 2500u);
    }
}

TEST(Tarificador, TheSameFaultGivesTheSameWordsAndVersion) {
    CarpetaTemporal dir;
    CatalogoDePrueba(dir.ruta());
    const std::string carpeta = dir.ruta().string(), falta = carpeta + "/falta";
    const std::string esCarpeta = "tarificador: «" + carpeta + "» es una carpeta, no un fichero\n";
    const std::string binario = carpeta + "/programa";
    EscribirTodo(binario, std::string("\x7F"
                                      "ELF\0\0",
                                      6) +
                              "Nombre,,,\n");
    const std::string noEsta =
        "tarificador: no se puede abrir «" + falta + "»: fichero no encontrado (error 53)";
    for (const auto& [args, palabras] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"costear", "--catalogo", carpeta, carpeta}, esCarpeta},
             {{"exportar", "--catalogo", carpeta, carpeta}, esCarpeta},
             {{"importar", "--catalogo", carpeta, carpeta}, esCarpeta},
             {{"costear", "--catalogo", carpeta, "--salida-bonos", carpeta, "-"}, esCarpeta},
             {{"costear", "--catalogo", carpeta, falta}, noEsta},
             {{"importar", "--catalogo", carpeta, falta}, noEsta},
             {{"costear", "--catalogo", carpeta, "--bonos", falta, "-"}, noEsta},
             {{"importar", "--catalogo", carpeta, binario},
              "tarificador: «" + binario + "» no es un fichero de texto"},
             {{"costear", "--catalogo", carpeta, binario},
              "tarificador: «" + binario + "» no es un fichero de texto"}}) {
        const Resultado r = Ejecutar(dir.ruta(), args);
        EXPECT_EQ(r.estado, 2);
        EXPECT_TRUE(r.errores.starts_with(palabras)) << r.errores;
    }
    for (const char* v : {"--version", "-V"}) {
        const Resultado r = Ejecutar(dir.ruta(), {v});
        EXPECT_EQ(r.estado, 0);
        EXPECT_EQ(r.salida, "tarificador " QUELMAR_VERSION "\n");
    }
}

TEST(Tarificador, EveryCommandHasHelpAndAnUnknownOneIsRefused) {
    CarpetaTemporal dir;
    // Every help fits a terminal of 80 columns (characters, not bytes).
    auto ancho = [](const std::string& l) {
        return std::count_if(l.begin(), l.end(), [](char c) { return (c & 0xC0) != 0x80; });
    };
    for (const std::string orden :
         {"costear", "comparar", "informe", "listar", "exportar", "importar", ""}) {
        const Resultado r = Ejecutar(dir.ruta(), {orden.empty() ? "--help" : orden, "--help"});
        EXPECT_EQ(r.estado, 0);
        EXPECT_TRUE(r.salida.starts_with("Uso: tarificador " + (orden.empty() ? "ORDEN" : orden)))
            << r.salida;
        // (but the folder the catalogue is in, which is as long as its path)
        for (const std::string& l : Lineas(r.salida))
            if (!l.starts_with("Catálogo por omisión")) {
                EXPECT_LE(ancho(l), 80) << l;
            }
    }
    EXPECT_EQ(Ejecutar(dir.ruta(), {"--help"}).estado, 0);
    const Resultado r = Ejecutar(dir.ruta(), {"tarificar"});
    EXPECT_EQ(r.estado, 2);
    EXPECT_NE(r.errores.find("orden desconocida «tarificar»"), std::string::npos);
    EXPECT_EQ(Ejecutar(dir.ruta(), {}).estado, 2);
}

}  // namespace
}  // namespace quelmar::pruebas
