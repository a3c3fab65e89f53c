// tarificador at its edges: bonos that expire during a log, instants before 1899, logs
// saved by spreadsheets, figures that must agree with each other, and text that must
// reach a spreadsheet or a terminal as text.
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Programa.h"

namespace quelmar::pruebas {
namespace {

class Bordes : public ::testing::Test {
  protected:
    void SetUp() override {
        const Resultado i = ImportarMuestra(dir.ruta());
        ASSERT_EQ(i.estado, 0) << i.errores;
    }
    std::string Fichero(const std::string& nombre, const std::string& contenido) {
        EscribirTodo(dir.ruta() / nombre, contenido);
        return (dir.ruta() / nombre).string();
    }
    Resultado Correr(std::vector<std::string> args, const std::string& entrada = "") {
        args.insert(args.begin() + 1, {"--catalogo", dir.ruta().string()});
        return Ejecutar(dir.ruta(), args, entrada);
    }
    CarpetaTemporal dir;
};

// A cancelled bono counts until its expiry date (the billing day on or after its baja, here
// the 15th) and not after: the log's calls then cost what they cost without it.
TEST_F(Bordes, ABonoStopsPayingOnceItHasExpired) {
    const std::string llamada = ",Nacional\n";  // weekday nights: night bono time
    const struct {
        std::string baja, inicio, fin;
        bool paga;
    } casos[] = {
        {"1995-01-10", "1999-12-28T22:00:00", "1999-12-28T23:00:00", false},
        {"2000-03-10", "2000-03-14T22:00:00", "2000-03-14T22:30:00", true},
        {"2000-03-10", "2000-03-15T00:00:00", "2000-03-15T00:30:00", true},
        {"2000-03-10", "2000-03-16T22:00:00", "2000-03-16T22:30:00", false},
    };
    for (const auto& c : casos) {
        const std::string log = c.inicio + "," + c.fin + llamada;
        const std::string bonos = Fichero(
            "b.json",
            R"({"dia_factura": 15, "per_factura": 2, "bonos": [{"tipo": "10NOCHE", "alta": "1995-01-01", "baja": ")" +
                c.baja + R"("}]})");
        const Resultado sin = Correr({"costear"}, log);
        const Resultado con = Correr(
            {"costear", "--bonos", bonos, "--salida-bonos", (dir.ruta() / "s.json").string()}, log);
        ASSERT_EQ(con.estado, 0) << con.errores;
        const bool avisa = con.errores.find("caducó") != std::string::npos;
        EXPECT_EQ(ImporteTotal(con.errores) != ImporteTotal(sin.errores), c.paga)
            << c.inicio << con.errores;
        EXPECT_EQ(avisa, !c.paga) << c.inicio << con.errores;
        EXPECT_EQ(LeerTodo(dir.ruta() / "s.json").find("10NOCHE") != std::string::npos, c.paga);
    }
    // The warning names the bono and its expiry date, once, at the line that drops it.
    const std::string bonos = Fichero(
        "b.json", R"({"bonos": [{"tipo": "10DIA", "alta": "1995-01-01", "baja": "1995-01-10"}]})");
    const Resultado r = Correr({"costear", "--bonos", bonos},
                               "1999-12-28T10:00:00,1999-12-28T10:01:00\n"
                               "1999-12-28T11:00:00,1999-12-28T11:01:00\n");
    EXPECT_EQ(r.errores.find("caducó"), r.errores.rfind("caducó")) << r.errores;
    EXPECT_NE(r.errores.find(
                  "(entrada estándar):1: aviso: el bono 10DIA dado de alta el 1995-01-01 caducó el "
                  "1995-02-01"),
              std::string::npos)
        << r.errores;
}

// Before 30 December 1899 the day and the time of day of an instant have opposite signs:
// comparisons still follow the clock.
TEST_F(Bordes, InstantsBefore1900CompareByTheClock) {
    const Resultado r = Correr({"costear"},
                               "1850-06-03T10:00:00,1850-06-03T10:05:00\n"
                               "1850-06-03T23:00:00,1850-06-03T23:05:00\n"
                               "1850-06-03T22:00:00,1850-06-03T23:30:00\n");
    EXPECT_EQ(r.estado, 0) << r.errores;
    // Only the third call starts before the previous one ends.
    EXPECT_TRUE(r.errores.starts_with("(entrada estándar):3: aviso: la llamada empieza antes"))
        << r.errores;
    EXPECT_EQ(r.errores.find("aviso"), r.errores.rfind("aviso")) << r.errores;
}

// Quotes work with either separator, as spreadsheets save CSV under a Spanish locale too.
TEST_F(Bordes, QuotedFieldsWithEitherSeparator) {
    const struct {
        std::string linea, fila;  // the row's start, or the message about the line
    } casos[] = {
        {R"("1999-12-27 17:58:00";"1999-12-27 18:03:00";"Provincial")",
         "1999-12-27T17:58:00,1999-12-27T18:03:00,Provincial,"},
        {R"("1999-12-27T17:58:00","1999-12-27T18:03:00","Provincial")",
         "1999-12-27T17:58:00,1999-12-27T18:03:00,Provincial,"},
        {"1999-12-27T17:58:00;1999-12-27T18:03:00;Provincial",
         "1999-12-27T17:58:00,1999-12-27T18:03:00,Provincial,"},
        {R"("1999-12-27T17:58:00" ; "1999-12-27T18:03:00";"Prov""incial")",
         "(entrada estándar):1: tarifa desconocida «Prov\"incial»"},
        {R"("1999-12-27T17:58:00"x;"1999-12-27T18:03:00")",
         "(entrada estándar):1: hay texto tras unas comillas de cierre"},
    };
    for (const auto& c : casos) {
        const Resultado r = Correr({"costear"}, c.linea + "\n");
        const auto filas = Lineas(r.salida);
        const bool costeada = filas.size() == 2 && filas[1].starts_with(c.fila);
        EXPECT_TRUE(costeada || r.errores.starts_with(c.fila)) << c.linea << "\n"
                                                               << r.salida << r.errores;
    }
}

// A tariff name that a spreadsheet would run as a formula, or whose control bytes would
// retitle or colour a terminal, reaches both as text, and comes back to the same bytes.
TEST_F(Bordes, NamesReachSpreadsheetsAndTerminalsAsText) {
    std::string csv = LeerTodo(CARPETA_DATOS "/tarifas.csv");
    const std::string fila = Lineas(csv)[1];  // Metropolitana
    const std::string resto = fila.substr(fila.find(','));
    for (const std::string nombre :
         {R"c("=HYPERLINK(""x"")")c", "+SUM(A1)", "@SUM(1)", "-2+3", R"c(A\x1B]0;t\x07\x1B[31m)c"})
        csv += nombre + resto + "\n";
    const std::string fuente = Fichero("t.csv", csv);
    ASSERT_EQ(Correr({"importar", fuente}).estado, 0);
    const std::string dat = LeerTodo(dir.ruta() / "Tarifas.Dat");

    const std::string exportado = Correr({"exportar"}).salida;
    for (const std::string celda : {"\n\"\\x3DHYPERLINK(\"\"x\"\")\",", "\n\\x2BSUM(A1),",
                                    "\n\\x40SUM(1),", "\n\\x2D2+3,", "\nA\\x1B]0;t\\x07"})
        EXPECT_NE(exportado.find(celda), std::string::npos) << celda << "\n" << exportado;
    Fichero("e.csv", exportado);
    ASSERT_EQ(Correr({"importar", "--tal-cual", (dir.ruta() / "e.csv").string()}).estado, 0);
    EXPECT_TRUE(LeerTodo(dir.ruta() / "Tarifas.Dat") == dat);

    const std::string log =
        "1999-12-27T10:00:00,1999-12-27T10:01:00,-2+3\n"
        "1999-12-27T11:00:00,1999-12-27T11:01:00,A\x1B]0;t\x07\x1B[31m\n"
        "1999-12-27T12:00:00,1999-12-27T12:01:00,\x1B[31mX\n";
    for (const char* orden : {"costear", "comparar"}) {
        const Resultado r = Correr({orden}, log);
        EXPECT_EQ(r.salida.find_first_of("\x1B\x07"), std::string::npos) << orden << r.salida;
        EXPECT_EQ(r.errores.find_first_of("\x1B\x07"), std::string::npos) << orden << r.errores;
        // comparar's rows start with the tariff's cell.
        for (const std::string& f : Lineas(r.salida))
            EXPECT_TRUE(f.empty() || std::string_view("=+-@").find(f[0]) == std::string_view::npos)
                << f;
    }
    const auto filas = Lineas(Correr({"costear"}, log).salida);
    ASSERT_GE(filas.size(), 3u);
    EXPECT_NE(filas[1].find(",\\x2D2+3,"), std::string::npos) << filas[1];
    EXPECT_NE(filas[2].find(",A\\x1B]0;t\\x07\\x1B[31m,"), std::string::npos) << filas[2];
}

}  // namespace
}  // namespace quelmar::pruebas
