// tarificador on a PBX's records and on a bill, run as a user runs it: a Master.csv of a
// few hundred records written in cdr-csv's column order, checked against the plain log of
// the same calls that a person would write by hand.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "Programa.h"

namespace quelmar::pruebas {
namespace {

// The tariff table of the tests, and the same rule written out plainly: the digits of the
// number, "+" as "00", and the longest prefix.
const std::vector<std::pair<std::string, std::string>> kTabla = {
    {"6", "Movil"},     {"7", "Movil"},          {"00", "Europa"},    {"0034", "Nacional"},
    {"00346", "Movil"}, {"91", "Metropolitana"}, {"9", "Provincial"}, {"908", "Infovía"},
};

std::string TarifaEsperada(const std::string& numero) {
    std::string d;
    for (char c : numero)
        if (c == '+')
            d += "00";
        else if (c >= '0' && c <= '9')
            d += c;
    std::string mejor, tarifa;
    for (const auto& [prefijo, t] : kTabla)
        if (d.starts_with(prefijo) && prefijo.size() > mejor.size()) mejor = prefijo, tarifa = t;
    return tarifa;
}

std::string Instante(std::int64_t s) {  // seconds since 2024-03-04 00:00:00
    const std::int64_t dia = s / 86400, r = s % 86400;
    char b[32];
    std::snprintf(b, sizeof b, "2024-03-%02d %02d:%02d:%02d", static_cast<int>(4 + dia),
                  static_cast<int>(r / 3600), static_cast<int>(r / 60 % 60),
                  static_cast<int>(r % 60));
    return b;
}

std::string ConT(std::string s) {
    s[10] = 'T';
    return s;
}

struct Centralita {
    std::string master;                   // the Master.csv
    std::string plano;                    // the answered calls as a plain log, in the same order
    std::vector<std::string> origenes;    // of each call of `plano`
    std::vector<std::string> sinPrefijo;  // answered numbers no prefix covers
    std::map<std::string, int> sinCostear;
    int desacuerdos = 0;
};

// 400 records of a week, from six extensions, in Asterisk's column order; every kind of
// disposition, numbers written with "+", blanks and dashes, internal calls.
Centralita Generar() {
    Centralita c;
    std::uint64_t x = 0x9E3779B97F4A7C15ULL;
    auto azar = [&](std::uint64_t n) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        return static_cast<std::int64_t>(x % n);
    };
    const char* numeros[] = {"600123456",
                             "+34 612 345 678",
                             "712-345-678",
                             "915551212",
                             "91 555 12 12",
                             "925.123.456",
                             "+44 20 7946 0000",
                             "0033 1 45 67 89 00",
                             "+34 91 555 12 12",
                             "908 123 456",
                             "203",
                             "2024"};
    const char* disposiciones[] = {"ANSWERED",  "ANSWERED", "ANSWERED", "ANSWERED",  "ANSWERED",
                                   "NO ANSWER", "BUSY",     "FAILED",   "CONGESTION"};
    std::int64_t t = 8 * 3600;
    for (int i = 0; i < 400; ++i) {
        t += azar(1800);
        const std::string origen = std::to_string(201 + azar(6));
        const std::string cuenta = i % 3 == 0 ? "" : i % 3 == 1 ? "ventas" : "soporte";
        const std::string numero = numeros[azar(12)];
        std::string disposicion = disposiciones[azar(9)];
        const std::int64_t espera = azar(20);
        std::int64_t hablado = disposicion == "ANSWERED" ? azar(900) : 0;
        if (i % 50 == 7) hablado = 0;  // answered, but billed nothing
        const std::int64_t respuesta = t + espera, fin = respuesta + hablado;
        std::int64_t billsec = hablado;
        if (i % 40 == 3 && hablado > 10) billsec = hablado - 5;   // the PBX disagrees
        if (i % 40 == 13 && hablado > 10) billsec = hablado + 1;  // within a second
        const bool contestada = disposicion == "ANSWERED";
        auto q = [](const std::string& s) { return "\"" + s + "\""; };
        c.master += q(cuenta) + "," + q(origen) + "," + q(numero) + ",\"desde-interno\"," +
                    "\"\"\"Ext " + origen + "\"\" <" + origen + ">\"," + q("SIP/" + origen) + "," +
                    q(contestada ? "SIP/troncal-01" : "") + ",\"Dial\",\"SIP/troncal/" + numero +
                    ",30\"," + q(Instante(t)) + "," + q(contestada ? Instante(respuesta) : "") +
                    "," + q(Instante(fin)) + "," + std::to_string(fin - t) + "," +
                    std::to_string(billsec) + "," + q(disposicion) + ",\"DOCUMENTATION\"" +
                    (i % 2 ? ",\"1709546400." + std::to_string(i) + "\",\"\"" : "") + "\n";
        if (!contestada || billsec == 0) {
            ++c.sinCostear[disposicion];
            t = fin;
            continue;
        }
        // Counted for the calls costed only, not for one whose number then picks no tariff.
        const bool porBillsec = billsec != hablado && billsec != hablado + 1;
        const std::string tarifa = TarifaEsperada(numero);
        if (tarifa.empty()) {
            c.sinPrefijo.push_back(numero);
            t = fin;
            continue;
        }
        c.desacuerdos += porBillsec;
        c.plano += ConT(Instante(respuesta)) + "," +
                   ConT(Instante(porBillsec ? respuesta + billsec : fin)) + "," + tarifa + "\n";
        c.origenes.push_back(origen);
        t = fin;
    }
    return c;
}

class Centralitas : public ::testing::Test {
  protected:
    void SetUp() override {
        const Resultado i = ImportarMuestra(dir.ruta());
        ASSERT_EQ(i.estado, 0) << i.errores;
        std::string tabla = "prefijo,tarifa\n";
        for (const auto& [p, t] : kTabla) tabla += p + "," + t + "\n";
        EscribirTodo(dir.ruta() / "destinos.csv", tabla);
    }
    std::string Fichero(const std::string& nombre, const std::string& contenido) {
        EscribirTodo(dir.ruta() / nombre, contenido);
        return (dir.ruta() / nombre).string();
    }
    Resultado Correr(const std::string& orden, std::vector<std::string> args) {
        args.insert(args.begin(), {orden, "--catalogo", dir.ruta().string(), "--bonos",
                                   CARPETA_DATOS "/bonos.json"});
        return Ejecutar(dir.ruta(), args);
    }
    std::string Destinos() const { return (dir.ruta() / "destinos.csv").string(); }
    CarpetaTemporal dir;
};

TEST_F(Centralitas, EachAnsweredRecordCostsWhatThePlainLineCostsAndExtensionsAddUp) {
    const Centralita c = Generar();
    ASSERT_GT(c.desacuerdos, 2);
    ASSERT_FALSE(c.sinPrefijo.empty());
    const std::string master = Fichero("Master.csv", c.master);
    const std::string plano = Fichero("plano.csv", c.plano);
    const std::string totales = (dir.ruta() / "totales.csv").string();
    const Resultado a = Correr("costear", {"--formato", "asterisk", "--destinos", Destinos(),
                                           "--por", "origen", "--salida-totales", totales, master});
    const Resultado p = Correr("costear", {plano});
    ASSERT_EQ(p.estado, 0) << p.errores;
    // Row for row the same: instants, tariff, amount, bono columns.
    EXPECT_EQ(a.salida, p.salida);
    EXPECT_EQ(a.estado, 0);
    EXPECT_EQ(ImporteTotal(a.errores), ImporteTotal(p.errores));
    // Without a trunk, the answered calls to internal extensions are no bad lines: counted,
    // the summary points to examinar.
    EXPECT_EQ(a.errores.find(": el número «"), std::string::npos);
    EXPECT_NE(a.errores.find("tarificador: " + std::to_string(c.sinPrefijo.size()) +
                             " registros contestados a números que ningún prefijo"),
              std::string::npos)
        << a.errores;
    EXPECT_NE(a.errores.find("«tarificador examinar"), std::string::npos);
    // The records not costed, counted by disposition; the billsec warnings.
    std::string sin;
    for (const char* d : {"ANSWERED", "NO ANSWER", "BUSY", "FAILED", "CONGESTION"})
        if (c.sinCostear.count(d))
            sin += (sin.empty() ? "" : ", ") + std::to_string(c.sinCostear.at(d)) + " " + d +
                   (std::string(d) == "ANSWERED" ? " con billsec 0" : "");
    EXPECT_NE(a.errores.find("tarificador: registros sin costear: " + sin + "\n"),
              std::string::npos)
        << a.errores;
    EXPECT_NE(a.errores.find("tarificador: " + std::to_string(c.desacuerdos) +
                             " llamadas costeadas según billsec"),
              std::string::npos)
        << a.errores;
    // Per extension: the calls, and amounts that add up to the rows' and to the total.
    std::map<std::string, double> porOrigen;
    std::map<std::string, int> llamadas;
    const auto filas = Lineas(a.salida);
    ASSERT_EQ(filas.size(), c.origenes.size() + 1);
    for (std::size_t i = 0; i < c.origenes.size(); ++i) {
        porOrigen[c.origenes[i]] += std::atof(Celdas(filas[i + 1])[3].c_str());
        ++llamadas[c.origenes[i]];
    }
    const auto tabla = Lineas(LeerTodo(totales));
    ASSERT_EQ(tabla.size(), porOrigen.size() + 1);
    EXPECT_EQ(tabla[0], "origen,llamadas,duracion,importe");
    double suma = 0, anterior = 1e300;
    for (std::size_t i = 1; i < tabla.size(); ++i) {
        const auto f = Celdas(tabla[i]);
        const double importe = std::atof(f[3].c_str());
        EXPECT_LE(importe, anterior) << "de mayor a menor importe";
        anterior = importe;
        EXPECT_NEAR(importe, porOrigen[f[0]], 0.005) << f[0];
        EXPECT_EQ(std::stoi(f[1]), llamadas[f[0]]) << f[0];
        suma += importe;
    }
    EXPECT_NEAR(suma, std::atof(ImporteTotal(a.errores).c_str()),
                0.005 * static_cast<double>(porOrigen.size()));
    // comparar ranks the catalogue for the PBX's calls as for the plain log.
    const Resultado ca =
        Correr("comparar", {"--formato", "asterisk", "--destinos", Destinos(), master});
    const Resultado cp = Correr("comparar", {plano});
    EXPECT_EQ(ca.salida, cp.salida);
    EXPECT_GT(Lineas(ca.salida).size(), 5u);
    // informe: the chart and the table per extension.
    const std::string html = (dir.ruta() / "i.html").string();
    const Resultado i = Correr("informe", {"--formato", "asterisk", "--destinos", Destinos(),
                                           "--por", "origen", "--salida", html, master});
    EXPECT_EQ(i.estado, 0) << i.errores;
    const std::string pagina = LeerTodo(html);
    EXPECT_NE(pagina.find("<h2>Importe por extensión</h2>"), std::string::npos);
    // The page says what costear's summary says of the records not costed.
    EXPECT_NE(pagina.find("<li>Registros sin costear: " + sin + ".</li>"), std::string::npos);
    EXPECT_NE(pagina.find("<li>" + std::to_string(c.desacuerdos) + " llamadas costeadas según"),
              std::string::npos);
    for (const auto& [origen, n] : llamadas)
        EXPECT_NE(pagina.find("<tr><td>" + origen + "</td>"), std::string::npos) << origen;
}

TEST_F(Centralitas, AsteriskRecordsNeedDestinosAndTheTableIsCheckedFirst) {
    const std::string registro =
        "\"\",\"201\",\"600123456\",\"c\",\"\",\"SIP/201\",\"SIP/t\",\"Dial\",\"\","
        "\"2024-03-04 10:00:00\",\"2024-03-04 10:00:05\",\"2024-03-04 10:01:05\",65,60,"
        "\"ANSWERED\",\"DOCUMENTATION\"\n";
    // A header with the field names, as a hand-made file may have, is skipped.
    const std::string master = Fichero(
        "Master.csv",
        "accountcode,src,dst,dcontext,clid,channel,dstchannel,lastapp,lastdata,start,answer,end,"
        "duration,billsec,disposition,amaflags\n" +
            registro);
    Resultado r = Correr("costear", {"--formato", "asterisk", master});
    EXPECT_EQ(r.estado, 1);
    EXPECT_NE(
        r.errores.find(master + ":2: el número marcado «600123456» elige la tarifa: hace falta "
                                "--destinos FICHERO"),
        std::string::npos)
        << r.errores;
    // A tariff of the table that the catalogue lacks stops the run before any row.
    const std::string mala = Fichero("d.csv", "6,Movil\n9,Provinzial\n");
    r = Correr("costear", {"--formato", "asterisk", "--destinos", mala, master});
    EXPECT_EQ(r.estado, 2);
    EXPECT_EQ(r.salida, "");
    EXPECT_EQ(r.errores, "tarificador: " + mala +
                             ":2: la tarifa «Provinzial» del prefijo 9 no está en el catálogo; "
                             "¿quizá «Provincial»?\n");
    // The sample table ships with tariffs of the sample catalogue; --tarifa takes the rest.
    r = Correr("costear",
               {"--formato", "asterisk", "--destinos", CARPETA_DATOS "/destinos.csv", master});
    EXPECT_EQ(r.estado, 0) << r.errores;
    EXPECT_NE(r.salida.find("2024-03-04T10:00:05,2024-03-04T10:01:05,Movil,"), std::string::npos);
    // The plain log's fourth column picks the tariff too; a named tariff wins.
    const std::string plano = Fichero("p.csv",
                                      "2024-03-04T10:00:00,2024-03-04T10:01:00,,+34 600\n"
                                      "2024-03-04T11:00:00,2024-03-04T11:01:00,Europa,600\n"
                                      "2024-03-04T12:00:00,2024-03-04T12:01:00,,201\n"
                                      "2024-03-04T13:00:00,2024-03-04T13:01:00,,6x\n");
    r = Correr("costear", {"--destinos", Destinos(), "--tarifa", "Nacional", plano});
    EXPECT_EQ(r.estado, 1);
    const auto filas = Lineas(r.salida);
    ASSERT_EQ(filas.size(), 4u) << r.salida;
    EXPECT_EQ(Celdas(filas[1])[2], "Movil");
    EXPECT_EQ(Celdas(filas[2])[2], "Europa");
    EXPECT_EQ(Celdas(filas[3])[2], "Nacional");
    EXPECT_NE(r.errores.find(plano + ":4: número marcado «6x» ilegible"), std::string::npos)
        << r.errores;
}

// A bill: each planted over- or under-charge found with its difference, and no other.
TEST_F(Centralitas, BillCheckFindsEachPlantedChargeAndNoOther) {
    const Centralita c = Generar();
    const std::string plano = Fichero("plano.csv", c.plano);
    const Resultado base = Correr("costear", {plano});
    ASSERT_EQ(base.estado, 0);
    const auto filas = Lineas(base.salida);
    const struct {
        std::size_t fila;
        const char* delta;  // added to the amount costed, as the operator wrote it
        double diferencia;
    } plantados[] = {{3, "+0.5", 0.5},    {10, "+12", 12.0},    {20, "-1", -1.0},
                     {30, "+0.01", 0.01}, {40, "-0.25", -0.25}, {41, "+3", 3.0}};
    std::string factura = "inicio,fin,tarifa,cobrado\n";
    std::map<std::size_t, double> esperadas;
    for (std::size_t i = 1; i + 1 < filas.size(); ++i) {
        const auto f = Celdas(filas[i]);
        const double importe = std::atof(f[3].c_str());
        // What the operator charged: the amount costed, as costear writes it, but where planted.
        std::string celda = f[3];
        for (const auto& p : plantados)
            if (p.fila == i) {
                char cobrado[64];
                std::snprintf(cobrado, sizeof cobrado, "%.6f", importe + std::atof(p.delta));
                celda = cobrado;
                esperadas[i] = p.diferencia;
            }
        if (i == 5)  // a decimal comma, as a Spanish spreadsheet writes it
            celda =
                "\"" +
                (celda.find('.') == std::string::npos ? celda + ",0"
                                                      : celda.replace(celda.find('.'), 1, ",")) +
                "\"";
        if (i == 7) celda = "";  // not billed
        factura += f[0] + "," + f[1] + "," + f[2] + "," + celda + "\n";
    }
    const Resultado r = Correr("costear", {Fichero("factura.csv", factura)});
    ASSERT_EQ(r.estado, 0) << r.errores;
    const auto salida = Lineas(r.salida);
    EXPECT_TRUE(salida[0].ends_with(",bono_noche,cobrado,diferencia"));
    std::map<std::size_t, double> halladas;
    for (std::size_t i = 1; i + 1 < salida.size(); ++i) {
        const auto f = Celdas(salida[i]);
        ASSERT_EQ(f.size(), 13u) << salida[i];
        if (i == 7) {
            EXPECT_EQ(f[11] + f[12], "");
            continue;
        }
        if (f[12] != "0.00") halladas[i] = std::atof(f[12].c_str());
    }
    ASSERT_EQ(halladas.size(), esperadas.size());
    for (const auto& [i, d] : esperadas) EXPECT_NEAR(halladas[i], d, 1e-9) << i;
    const std::size_t revisadas = filas.size() - 3;
    EXPECT_NE(r.errores.find("tarificador: factura: 4 llamadas cobradas de más (15,51 en total) "
                             "y 2 de menos (1,25) de " +
                             std::to_string(revisadas) + " llamadas con importe cobrado\n"),
              std::string::npos)
        << r.errores;
    EXPECT_NE(r.errores.find(":6: aviso: los importes cobrados con coma decimal"),
              std::string::npos)
        << r.errores;
    // informe lists the calls charged more, largest first, and no other.
    const std::string html = (dir.ruta() / "f.html").string();
    const Resultado i =
        Correr("informe", {"--salida", html, (dir.ruta() / "factura.csv").string()});
    ASSERT_EQ(i.estado, 0) << i.errores;
    const std::string pagina = LeerTodo(html);
    const auto seccion = pagina.find("<h2>¿Le han cobrado de más?</h2>");
    ASSERT_NE(seccion, std::string::npos);
    const std::string parte = pagina.substr(seccion, pagina.find("</section>", seccion) - seccion);
    EXPECT_NE(parte.find("Sí: 4 llamadas se cobraron por encima de su tarifa, 15,51 de más"),
              std::string::npos)
        << parte;
    std::vector<std::size_t> orden;
    for (const char* d : {">12,00<", ">3,00<", ">0,50<", ">0,01<"}) orden.push_back(parte.find(d));
    for (std::size_t k = 0; k < orden.size(); ++k) {
        ASSERT_NE(orden[k], std::string::npos) << k;
        if (k > 0) {
            EXPECT_LT(orden[k - 1], orden[k]);
        }
    }
    std::size_t filasTabla = 0;
    for (std::size_t p = parte.find("<tr><td>"); p != std::string::npos;
         p = parte.find("<tr><td>", p + 1))
        ++filasTabla;
    EXPECT_EQ(filasTabla, 4u);
}

}  // namespace
}  // namespace quelmar::pruebas
