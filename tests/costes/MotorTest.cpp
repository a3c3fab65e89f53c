#include <cstdlib>
#include <gtest/gtest.h>

#include "Entorno.h"
#include "costes/Motor.h"
#include "costes/Resultado.h"

namespace quelmar::costes {
namespace {

using pruebas::Carpeta;

class SinPrisa final : public Progreso {
  public:
    void Avance(std::uint64_t l, std::uint64_t t) override {
        leidos = l;
        total = t;
    }
    bool Cancelar() const override { return cancelar; }
    std::uint64_t leidos = 0, total = 0;
    bool cancelar = false;
};

Pedido PedidoDe(const Carpeta& c, const std::string& fichero, Periodo::Clase clase) {
    Pedido p;
    p.fichero = c / fichero;
    p.opciones.catalogo = c.ruta();
    p.opciones.bonos = CARPETA_DATOS "/bonos.json";
    p.periodo.clase = clase;
    return p;
}

// The figures of costear's summary line: "N llamadas, importe total X, duración total T".
std::string ResumenDeCostear(const std::string& errores) {
    const auto a = errores.find("tarificador: ");
    const auto b = errores.find('\n', a);
    return errores.substr(a, b - a);
}

TEST(Motor, TheWholeFileGivesCostearsCsvAndSummary) {
    const Carpeta c;
    pruebas::Escribir(c / "llamadas.csv", pruebas::LogGenerado(60, 9));
    const auto t =
        c.Tarificador("costear --catalogo " + c.ruta().string() +
                      " --bonos " CARPETA_DATOS "/bonos.json " + (c / "llamadas.csv").string());
    ASSERT_EQ(t.estado, 1) << t.errores;  // some lines are bad

    const auto motor = MotorDeLlamadas();
    const Pedido p = PedidoDe(c, "llamadas.csv", Periodo::Clase::Todo);
    EXPECT_EQ(motor->Csv(p), t.salida);
    SinPrisa progreso;
    const Resultado r = motor->Costear(p, progreso);
    const Resumen s = Resumir(r);
    const std::string linea = "tarificador: " + std::to_string(s.llamadas) +
                              " llamadas, importe total " + ImporteLegible(s.importe) +
                              ", duración total " + DuracionLegible(s.segundos);
    EXPECT_EQ(ResumenDeCostear(t.errores).substr(0, linea.size()), linea);
    // Every bad line listed with its place, as many as the summary counts, among the
    // warnings (the calls of a day are not in time order).
    std::vector<Aviso> malas;
    for (const Aviso& a : r.avisos)
        if (!a.texto.starts_with("aviso: ")) malas.push_back(a);
    EXPECT_EQ(r.apartados.malas, malas.size());
    ASSERT_FALSE(malas.empty());
    EXPECT_EQ(malas.front().lugar, p.fichero.string() + ":8");
    EXPECT_NE(t.errores.find(malas.front().lugar + ": " + malas.front().texto), std::string::npos);
    EXPECT_EQ(progreso.leidos, progreso.total);
    EXPECT_GT(progreso.total, 0u);
    // The candidates, cheapest first.
    ASSERT_GT(r.ranking.size(), 2u);
    for (std::size_t i = 1; i < r.ranking.size(); ++i)
        EXPECT_LE(r.ranking[i - 1].importe, r.ranking[i].importe);
}

TEST(Motor, AMonthShowsItsCallsWithTheBonosCarriedFromTheStart) {
    const Carpeta c;
    pruebas::Escribir(c / "llamadas.csv", pruebas::LogGenerado(60, 9, false));
    const auto motor = MotorDeLlamadas();
    SinPrisa progreso;
    const Resultado todo =
        motor->Costear(PedidoDe(c, "llamadas.csv", Periodo::Clase::Todo), progreso);
    // Days 1-28 of January and February, then of March up to the 4th: February is the
    // last month the file covers whole.
    const Resultado mes =
        motor->Costear(PedidoDe(c, "llamadas.csv", Periodo::Clase::UltimoMesEntero), progreso);
    ASSERT_TRUE(mes.intervalo);
    EXPECT_EQ(*mes.intervalo, IntervaloDeMes(2000, 2));
    ASSERT_EQ(mes.filas.size(), 28u * 9u);
    // The same rows as the whole file's for those calls: the registry ran from January.
    const FilaLlamada& primera = mes.Fila(0);
    const FilaLlamada& igual = todo.todas[28 * 9];
    EXPECT_EQ(primera.ini, igual.ini);
    EXPECT_EQ(primera.importe, igual.importe);
    EXPECT_EQ(primera.bonoDia, igual.bonoDia);
    // The export of the month is costear's rows of those calls.
    const std::string csv =
        motor->Csv(PedidoDe(c, "llamadas.csv", Periodo::Clase::UltimoMesEntero));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 28 * 9);
    EXPECT_EQ(csv.find("2000-01-"), std::string::npos);
}

TEST(Motor, TotalsPerExtensionAddUpToTheSummary) {
    const Carpeta c;
    std::string log = "inicio,fin,tarifa,origen,cuenta\n";
    log += "2000-01-03T10:00:00,2000-01-03T10:05:00,Nacional,101,ventas\n";
    log += "2000-01-03T11:00:00,2000-01-03T11:15:00,Nacional,102,ventas\n";
    log += "2000-01-04T11:00:00,2000-01-04T11:01:00,Provincial,101,taller\n";
    pruebas::Escribir(c / "llamadas.csv", log);
    SinPrisa progreso;
    Pedido p = PedidoDe(c, "llamadas.csv", Periodo::Clase::Todo);
    p.opciones.bonos.clear();
    const Resultado r = MotorDeLlamadas()->Costear(p, progreso);
    const auto ext = TotalesPor(r, false);
    ASSERT_EQ(ext.size(), 2u);
    EXPECT_EQ(ext[0].clave, "102");  // the largest amount first
    EXPECT_EQ(ext[1].llamadas, 2u);
    EXPECT_DOUBLE_EQ(ext[0].importe + ext[1].importe, Resumir(r).importe);
    const auto cuentas = TotalesPor(r, true);
    ASSERT_EQ(cuentas.size(), 2u);
    EXPECT_EQ(cuentas[0].clave, "ventas");
}

TEST(Motor, CancellingStopsTheRun) {
    const Carpeta c;
    pruebas::Escribir(c / "llamadas.csv", pruebas::LogGenerado(60, 40, false));
    SinPrisa progreso;
    progreso.cancelar = true;
    EXPECT_THROW(
        MotorDeLlamadas()->Costear(PedidoDe(c, "llamadas.csv", Periodo::Clase::Todo), progreso),
        Cancelado);
}

TEST(Motor, AMissingCatalogueIsToldInWords) {
    const Carpeta c;
    pruebas::Escribir(c / "llamadas.csv", "inicio,fin\n");
    Pedido p = PedidoDe(c, "llamadas.csv", Periodo::Clase::Todo);
    p.opciones.catalogo = c / "no-hay";
    SinPrisa progreso;
    try {
        MotorDeLlamadas()->Costear(p, progreso);
        FAIL();
    } catch (const ErrorCostes& e) {
        EXPECT_NE(std::string(e.what()).find("no-hay"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace quelmar::costes

namespace quelmar::costes {
namespace {

// The sample log: the day group's 20 minutes go on the first three calls, the billing day
// of 15 January fills it again and the call of the 17th takes 20 minutes more; the night
// group's two hours go by the 29th, then 2:30 after the refill.
TEST(Motor, BonoTimeUsedCountsTheCallsAfterARefill) {
    const Carpeta c;
    SinPrisa progreso;
    Pedido p = PedidoDe(c, "x", Periodo::Clase::Todo);
    p.fichero = CARPETA_DATOS "/llamadas.csv";
    const Resumen s = Resumir(MotorDeLlamadas()->Costear(p, progreso));
    EXPECT_EQ(s.bonoGastadoDia, 40 * 60);
    EXPECT_EQ(s.bonoGastadoNoche, 4 * 3600 + 30 * 60);
    EXPECT_EQ(s.bonoQuedaDia, 9 * 3600 + 40 * 60);
    EXPECT_EQ(s.bonoQuedaNoche, 7 * 3600 + 30 * 60);
}

}  // namespace
}  // namespace quelmar::costes

namespace quelmar::costes {
namespace {

// The ranking is comparar's: the same tariffs in the same order, the same amounts.
TEST(Motor, TheRankingIsComparars) {
    const Carpeta c;
    pruebas::Escribir(c / "llamadas.csv", pruebas::LogGenerado(40, 7));
    const auto t =
        c.Tarificador("comparar --catalogo " + c.ruta().string() +
                      " --bonos " CARPETA_DATOS "/bonos.json " + (c / "llamadas.csv").string());
    SinPrisa progreso;
    const Resultado r =
        MotorDeLlamadas()->Costear(PedidoDe(c, "llamadas.csv", Periodo::Clase::Todo), progreso);
    std::string esperado, visto;
    std::size_t desde = t.salida.find('\n') + 1;
    while (desde < t.salida.size()) {
        const auto fin = t.salida.find('\n', desde);
        const std::string fila = t.salida.substr(desde, fin - desde);
        esperado += fila.substr(0, fila.find(',', fila.find(',') + 1)) + "\n";  // tarifa,importe
        desde = fin + 1;
    }
    char b[64];
    for (const Candidata& k : r.ranking) {
        std::snprintf(b, sizeof b, "%.2f", k.importe);
        visto += k.tarifa + "," + b + "\n";
    }
    EXPECT_EQ(visto, esperado);
}

}  // namespace
}  // namespace quelmar::costes

namespace quelmar::costes {
namespace {

std::string Registro(const std::string& disposicion, const std::string& billsec) {
    return "\"cta\",\"201\",\"0034911234567\",\"salida\",\"\"\"Ana\"\" <201>\",\"SIP/201-1\","
           "\"SIP/trunk-2\",\"Dial\",\"SIP/trunk/0034911234567\",\"1999-12-27 09:59:50\","
           "\"1999-12-27 10:00:00\",\"1999-12-27 10:01:30\",100," +
           billsec + ",\"" + disposicion + "\",\"DOCUMENTATION\",\"1.1\",\"\"\n";
}

// A PBX's file is recognised without --formato, its records set apart counted by why, and
// the export is costear's with --formato asterisk.
TEST(Motor, AMasterCsvIsRecognisedAndItsUnansweredCallsSetApart) {
    const Carpeta c;
    // Two answered calls of different lengths (one record twice would count once).
    pruebas::Escribir(c / "Master.csv", Registro("ANSWERED", "90") + Registro("NO ANSWER", "0") +
                                            Registro("ANSWERED", "91"));
    Pedido p = PedidoDe(c, "Master.csv", Periodo::Clase::Todo);
    p.opciones.destinos = CARPETA_DATOS "/destinos.csv";
    SinPrisa progreso;
    const auto motor = MotorDeLlamadas();
    const Resultado r = motor->Costear(p, progreso);
    ASSERT_EQ(r.todas.size(), 2u) << (r.avisos.empty() ? "" : r.avisos[0].texto);
    EXPECT_EQ(r.Texto(r.todas[0].origen), "201");
    EXPECT_EQ(r.Texto(r.todas[0].cuenta), "cta");
    ASSERT_EQ(r.apartados.porQue.size(), 1u);
    EXPECT_EQ(r.apartados.porQue[0], (std::pair<std::string, std::size_t>{"NO ANSWER", 1}));
    const auto t = c.Tarificador(
        "costear --formato asterisk --destinos " CARPETA_DATOS "/destinos.csv --catalogo " +
        c.ruta().string() + " --bonos " CARPETA_DATOS "/bonos.json " + p.fichero.string());
    EXPECT_EQ(motor->Csv(p), t.salida);
}

}  // namespace
}  // namespace quelmar::costes

namespace quelmar::costes {
namespace {

// "Guardar informe…" writes the page tarificador informe writes, for the period shown.
TEST(Motor, TheReportIsInformesPage) {
    // Both pages say when they were made: the same moment.
    ::setenv("SOURCE_DATE_EPOCH", "0", 1);
    const Carpeta c;
    pruebas::Escribir(c / "llamadas.csv", pruebas::LogGenerado(40, 5));
    const struct {
        std::optional<Intervalo> periodo;
        const char* opcion;
    } casos[] = {{std::nullopt, ""}, {IntervaloDeMes(2000, 2), " --mes 2000-02"}};
    for (const auto& caso : casos) {
        MotorDeLlamadas()->Informe(PedidoDe(c, "llamadas.csv", Periodo::Clase::Todo), caso.periodo,
                                   c / "ventana.html");
        const auto t =
            c.Tarificador("informe --catalogo " + c.ruta().string() +
                          " --bonos " CARPETA_DATOS "/bonos.json" + caso.opcion + " --salida " +
                          (c / "orden.html").string() + " " + (c / "llamadas.csv").string());
        ASSERT_FALSE(pruebas::Leer(c / "orden.html").empty()) << t.errores;
        EXPECT_EQ(pruebas::Leer(c / "ventana.html"), pruebas::Leer(c / "orden.html"))
            << caso.opcion;
    }
}

}  // namespace
}  // namespace quelmar::costes
