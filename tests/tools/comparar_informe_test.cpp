// tarificador comparar and informe on the sample catalogue, bonos, holidays and call log,
// checked against costear run as a user would to answer the same questions by hand.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "Programa.h"
#include "llamadas/Instantes.h"

namespace quelmar::pruebas {
namespace {

class Comparar : public ::testing::Test {
  protected:
    void SetUp() override {
        const Resultado i = ImportarMuestra(dir.ruta());
        ASSERT_EQ(i.estado, 0) << i.errores;
    }
    Resultado Correr(const std::string& orden, std::vector<std::string> args,
                     const std::string& llamadas) {
        EscribirTodo(dir.ruta() / "llamadas.csv", llamadas);
        args.insert(args.begin(),
                    {orden, "--catalogo", dir.ruta().string(), "--bonos",
                     CARPETA_DATOS "/bonos.json", "--festivos", CARPETA_DATOS "/festivos.txt"});
        args.push_back((dir.ruta() / "llamadas.csv").string());
        return Ejecutar(dir.ruta(), args);
    }
    CarpetaTemporal dir;
};

// Each candidate's total is what costear --tarifa gives for the log without its tariff
// column; cheapest first; the difference is from the log under its own tariffs; the
// minutes are the calls' minutes; a bad line counts for none and is told as costear tells it.
TEST_F(Comparar, EachCandidateCostsWhatCostearGivesUnderIt) {
    // A bad line counts for no tariff; a line naming a tariff the catalogue lacks counts for
    // every candidate (as costear --tarifa costs it) but not for the log's own total.
    const std::string log = LeerTodo(CARPETA_DATOS "/llamadas.csv") + "2000-02-30T10:00:00,x\n" +
                            "2000-01-20T10:00:00,2000-01-20T10:10:00,Inexistente\n";
    std::string sinTarifa;
    for (const std::string& l : Lineas(log)) {
        const auto c = Celdas(l);
        sinTarifa += l.starts_with('#') || c.size() < 2 ? l : c[0] + "," + c[1];
        sinTarifa += '\n';
    }
    const Resultado propio = Correr("costear", {}, log);
    const Resultado r = Correr("comparar", {}, log);
    EXPECT_EQ(r.estado, 1) << r.errores;
    EXPECT_EQ(r.errores, propio.errores +
                             "tarificador: 1 línea nombra una tarifa que no está en el catálogo: "
                             "cuenta para cada tarifa de la comparación, pero no para el importe "
                             "con sus propias tarifas\n");
    const auto html = dir.ruta() / "informe.html";
    Correr("informe", {"--salida", html.string()}, log);
    EXPECT_NE(LeerTodo(html).find("<p>1 línea nombra una tarifa que no está en el catálogo"),
              std::string::npos);
    const auto filas = Lineas(r.salida);
    ASSERT_EQ(filas.size(), 8u) << r.salida;  // header and the 11 tariffs but 4 bono kinds
    EXPECT_EQ(filas[0],
              "tarifa,importe,diferencia,importe_minuto,minutos_normal,minutos_reducida,"
              "minutos_bono,llamadas");
    const auto json = Lineas(Correr("comparar", {"--json"}, log).salida);
    ASSERT_EQ(json.size(), 7u);
    const double total = std::stod(ImporteTotal(propio.errores));
    double anterior = -1e300;
    for (std::size_t i = 1; i < filas.size(); ++i) {
        const auto c = Celdas(filas[i]);
        ASSERT_EQ(c.size(), 8u) << filas[i];
        const Resultado costeo = Correr("costear", {"--tarifa", c[0]}, sinTarifa);
        EXPECT_EQ(c[1], ImporteTotal(costeo.errores)) << c[0];
        // The difference is the one a reader works out from the totals shown, in both forms.
        char diferencia[64];
        std::snprintf(diferencia, sizeof diferencia, "%.2f", std::stod(c[1]) - total);
        EXPECT_EQ(c[2], diferencia) << c[0];
        const auto o = nlohmann::json::parse(json[i - 1]);
        EXPECT_EQ(o["tarifa"], c[0]);
        EXPECT_EQ(o["importe"].get<double>(), std::stod(c[1])) << c[0];
        EXPECT_EQ(o["diferencia"].get<double>(), std::stod(c[2])) << c[0];
        EXPECT_EQ(o["importe_minuto"].get<double>(), std::stod(c[3])) << c[0];
        EXPECT_GE(std::stod(c[1]), anterior);
        anterior = std::stod(c[1]);
        // The 6:40:30 of calls, minute by minute in one of the three columns.
        EXPECT_NEAR(std::stod(c[4]) + std::stod(c[5]) + std::stod(c[6]), 400.5, 0.02) << c[0];
        EXPECT_EQ(c[7], "9");
    }
}

// Across the end of a billing day the second between the two periods is charged to no
// one: of two minutes, 119 seconds count, all from the sample's night bono.
TEST_F(Comparar, TheSecondBetweenTwoBillingPeriodsCountsNowhere) {
    const Resultado r = Correr("comparar", {}, "2000-01-15T23:59:00,2000-01-16T00:01:00\n");
    EXPECT_EQ(r.estado, 0) << r.errores;
    const auto filas = Lineas(r.salida);
    ASSERT_EQ(filas.size(), 8u) << r.salida;
    for (std::size_t i = 1; i < filas.size(); ++i) {
        const auto c = Celdas(filas[i]);
        ASSERT_EQ(c.size(), 8u) << filas[i];
        EXPECT_EQ(std::vector<std::string>(c.begin() + 4, c.begin() + 7),
                  (std::vector<std::string>{"0.00", "0.00", "1.98"}))
            << filas[i];
    }
}

// "2.195,00" as the page writes it without a locale: 2195.
double NumeroEspanol(std::string s) {
    std::string r;
    for (char c : s)
        if (c != '.') r += c == ',' ? '.' : c;
    return std::stod(r);
}

// The page sums up what costear sums up, its days add up to the total, the cheapest
// tariff is comparar's, the bad line is listed as costear tells it, and nothing in it
// reaches the network or needs a script.
TEST_F(Comparar, TheReportSaysWhatCostearAndCompararSay) {
    ::setenv("LC_ALL", "C", 1);  // written as in Spain
    const std::string log = LeerTodo(CARPETA_DATOS "/llamadas.csv") + "2000-02-30T10:00:00,x\n";
    const Resultado costeo = Correr("costear", {}, log);
    const Resultado comparacion = Correr("comparar", {}, log);
    const auto html = dir.ruta() / "informe.html";
    const Resultado r = Correr("informe", {"--salida", html.string()}, log);
    EXPECT_EQ(r.estado, 1);
    EXPECT_EQ(r.errores,
              costeo.errores + "tarificador: informe escrito en «" + html.string() + "»\n");
    const std::string pagina = LeerTodo(html);
    auto dato = [&](const std::string& nombre) {
        const auto p = pagina.find("<dt>" + nombre + "</dt><dd>");
        if (p == std::string::npos) return std::string("?");
        const auto q = pagina.find('>', pagina.find("<dd", p)) + 1;
        return pagina.substr(q, pagina.find('<', q) - q);
    };
    EXPECT_EQ(dato("Llamadas"), "8");
    EXPECT_EQ(NumeroEspanol(dato("Importe total")), std::stod(ImporteTotal(costeo.errores)));
    EXPECT_NE(costeo.errores.find("duración total " + dato("Tiempo total")), std::string::npos);
    // Each bar's title: "DD/MM/AAAA: importe (N llamadas; ...)".
    double suma = 0;
    for (auto p = pagina.find("<g><title>"); p != std::string::npos;
         p = pagina.find("<g><title>", p + 1)) {
        const auto a = pagina.find(": ", p) + 2;
        suma += NumeroEspanol(pagina.substr(a, pagina.find(' ', a) - a));
    }
    EXPECT_NEAR(suma, std::stod(ImporteTotal(costeo.errores)), 0.01);
    // The days' bono time adds up to the bono time the summary says was used.
    auto segundos = [](const std::string& t) {
        return std::stoi(t.substr(0, 2)) * 3600 + std::stoi(t.substr(3, 2)) * 60 +
               std::stoi(t.substr(6, 2));
    };
    int bonoDias = 0;
    for (auto p = pagina.find(" de tiempo de bono"); p != std::string::npos;
         p = pagina.find(" de tiempo de bono", p + 1))
        bonoDias += segundos(pagina.substr(p - 8, 8));
    EXPECT_GT(bonoDias, 0);
    EXPECT_EQ(bonoDias,
              segundos(dato("Bono de día: usado")) + segundos(dato("Bono de noche: usado")));
    const std::string mejor = Celdas(Lineas(comparacion.salida)[1])[0];
    EXPECT_NE(pagina.find("más barata para estas llamadas es <strong>" + mejor + "</strong>"),
              std::string::npos);
    EXPECT_NE(pagina.find("<li>línea 12: inicio «2000-02-30T10:00:00» no existe"),
              std::string::npos);
    EXPECT_NE(costeo.errores.find("llamadas.csv:12: inicio «2000-02-30T10:00:00» no existe"),
              std::string::npos);
    for (const char* fuera : {"http:", "https:", "<script", "src=", "@import"})
        EXPECT_EQ(pagina.find(fuera), std::string::npos) << fuera;
}

// Numbers and dates as the user's locale writes them: American English, made for the test
// with localedef (skipped where the locale sources are not installed).
TEST_F(Comparar, TheReportWritesNumbersAndDatesAsTheLocaleDoes) {
    const auto locales = dir.ruta() / "locales";
    std::filesystem::create_directory(locales);
    const std::string hacer =
        "localedef -i en_US -f UTF-8 '" + (locales / "en_US.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(hacer.c_str()) != 0) GTEST_SKIP() << "localedef cannot make en_US.UTF-8";
    ::setenv("LOCPATH", locales.c_str(), 1);
    ::setenv("LC_ALL", "en_US.UTF-8", 1);
    const auto html = dir.ruta() / "informe.html";
    const Resultado r =
        Correr("informe", {"--salida", html.string()}, LeerTodo(CARPETA_DATOS "/llamadas.csv"));
    ::setenv("LC_ALL", "C", 1);
    ::unsetenv("LOCPATH");
    ASSERT_EQ(r.estado, 0) << r.errores;
    const std::string pagina = LeerTodo(html);
    EXPECT_NE(pagina.find("<dt>Importe total</dt><dd>2,195.00</dd>"), std::string::npos);
    EXPECT_NE(r.errores.find("importe total 2,195.00, "), std::string::npos) << r.errores;
    EXPECT_NE(pagina.find("<dt>Desde</dt><dd>12/27/1999</dd>"), std::string::npos);
}

// comparar and informe cost the candidates a block of calls at a time, spread over threads:
// on a log of several blocks each total is still costear's under that tariff, and the
// outputs are the same, byte for byte, whatever the number of threads.
TEST_F(Comparar, CandidatesCostTheWholeLogTheSameOnAnyNumberOfThreads) {
    std::string log, sinTarifa;
    std::uint64_t x = 7;
    std::int64_t s = fecha::ASegundos(fecha::DesdeCalendario(1999, 12, 20));
    for (int i = 0; i < 20000; ++i) {
        x = x * 6364136223846793005ULL + 1442695040888963407ULL;
        s += static_cast<std::int64_t>(x >> 33) % 5400;
        const std::int64_t e = s + 30 + static_cast<std::int64_t>(x >> 40) % 400;
        const std::string fila = llamadas::TextoInstante(fecha::DesdeSegundos(s)) + "," +
                                 llamadas::TextoInstante(fecha::DesdeSegundos(e));
        sinTarifa += fila + "\n";
        log += fila + (i % 3 == 0 ? ",Provincial\n" : i % 7 == 0 ? ",Otra\n" : "\n");
        s = e;
    }
    std::vector<std::string> salidas;
    for (const char* hilos : {"1", "2", "3"}) {
        ::setenv("TARIFICADOR_HILOS", hilos, 1);
        const auto html = dir.ruta() / "informe.html";
        const Resultado c = Correr("comparar", {}, log);
        const Resultado i = Correr("informe", {"--salida", html.string()}, log);
        salidas.push_back(c.salida + c.errores + i.errores + LeerTodo(html));
    }
    ::unsetenv("TARIFICADOR_HILOS");
    EXPECT_EQ(salidas[1], salidas[0]);
    EXPECT_EQ(salidas[2], salidas[0]);
    const auto filas = Lineas(Correr("comparar", {}, log).salida);
    ASSERT_EQ(filas.size(), 8u);
    for (const std::size_t k : {std::size_t{1}, filas.size() - 1}) {
        const auto c = Celdas(filas[k]);
        EXPECT_EQ(c[1], ImporteTotal(Correr("costear", {"--tarifa", c[0]}, sinTarifa).errores))
            << c[0];
        EXPECT_EQ(c[7], "20000");
    }
}

}  // namespace
}  // namespace quelmar::pruebas
