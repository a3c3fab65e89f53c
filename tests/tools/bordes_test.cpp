// tarificador at its edges: bonos that expire during a log, instants before 1899, logs
// saved by spreadsheets, figures that must agree with each other, and text that must
// reach a spreadsheet or a terminal as text.
#include <algorithm>
#include <cstdint>
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

// Edit distance with ASCII letters compared without case, worked out in full.
std::size_t Distancia(const std::string& a, const std::string& b) {
    auto baja = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j)
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (baja(a[i - 1]) == baja(b[j - 1]) ? 0 : 1)});
    return d[a.size()][b.size()];
}

// Whether text of ASCII and two-byte characters is well-formed UTF-8.
bool Utf8DeDosBytes(const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) continue;
        if ((c & 0xE0) != 0xC0 || i + 1 == s.size() ||
            (static_cast<unsigned char>(s[i + 1]) & 0xC0) != 0x80)
            return false;
        ++i;
    }
    return true;
}

// The hint for a tariff the catalogue lacks names the first of its nearest names when it is
// near enough (a third of the name's bytes, at least 2), as a search of every name finds
// it: on a catalogue of hundreds of names close to each other and names mistyped from them.
TEST_F(Bordes, TheHintForAnUnknownTariffIsTheNearestName) {
    std::uint64_t x = 12345;
    auto azar = [&x](std::size_t n) {
        x = x * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::size_t>(x >> 33) % n;
    };
    const std::vector<std::string> trozos = {"a", "e", "o", "N", "r",  "t",  "s",   "í", "ñ",
                                             " ", "1", "2", "x", "Ba", "no", "Pla", "ca"};
    auto palabra = [&](std::size_t n) {
        std::string r;
        while (r.size() < n) r += trozos[azar(trozos.size())];
        return r;
    };
    // The sample's five program tariffs, then 400 others under the sample's Provincial prices.
    const std::vector<std::string> muestra = Lineas(LeerTodo(CARPETA_DATOS "/tarifas.csv"));
    std::string csv, precios;
    std::vector<std::string> nombres;
    for (const std::string& l : muestra) {
        if (l.starts_with("Provincial,")) precios = l.substr(l.find(','));
        if (csv.empty() || nombres.size() < 5) {
            if (!csv.empty()) nombres.push_back(l.substr(0, l.find(',')));
            csv += l + "\n";
        }
    }
    while (nombres.size() < 405) {
        std::string n = "T" + palabra(3 + azar(8));
        while (n.back() == ' ') n.pop_back();
        if (std::find(nombres.begin(), nombres.end(), n) != nombres.end()) continue;
        nombres.push_back(n);
        csv += n + precios + "\n";
    }
    ASSERT_EQ(Correr({"importar", Fichero("muchas.csv", csv)}).estado, 0);
    for (int tanda = 0; tanda < 6; ++tanda) {
        std::string log, esperado;
        for (int i = 1; i <= 20; ++i) {
            std::string p = nombres[azar(nombres.size())];
            for (std::size_t k = azar(5); k > 0; --k) {
                const std::size_t pos = azar(p.size() + 1);
                const std::string t = trozos[azar(trozos.size())];
                if (azar(3) == 0)
                    p.insert(pos, t);
                else if (pos < p.size())
                    p.erase(pos, 1);
                else
                    p += t;
            }
            if (azar(4) == 0) p = palabra(4 + azar(10));
            // An edit that cut a character in two leaves text that is not UTF-8 (read as
            // Windows-1252, another name): a fresh one instead.
            if (!Utf8DeDosBytes(p)) p = palabra(4 + azar(10));
            const auto ini = p.find_first_not_of(' '), fin = p.find_last_not_of(' ');
            p = ini == std::string::npos ? "z" : p.substr(ini, fin - ini + 1);
            if (std::find(nombres.begin(), nombres.end(), p) != nombres.end()) p += "q";
            log += "2000-01-03T10:00:00,2000-01-03T10:01:00," + p + "\n";
            const std::string* mejor = nullptr;
            std::size_t dMejor = SIZE_MAX;
            for (const std::string& n : nombres)
                if (const auto d = Distancia(p, n); d < dMejor) dMejor = d, mejor = &n;
            esperado +=
                "tarifa desconocida «" + p + "»" +
                (dMejor <= std::max<std::size_t>(2, p.size() / 3) ? "; ¿quizá «" + *mejor + "»?"
                                                                  : "") +
                "\n";
        }
        const Resultado r = Correr({"costear", Fichero("log.csv", log)});
        std::string dicho;
        for (const std::string& l : Lineas(r.errores))
            if (const auto p = l.find("tarifa desconocida"); p != std::string::npos)
                dicho += l.substr(p) + "\n";
        EXPECT_EQ(dicho, esperado) << r.errores;
    }
}

}  // namespace
}  // namespace quelmar::pruebas
