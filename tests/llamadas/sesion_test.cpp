// One session run in-process, with a recording result and diagnostics: what each record
// became, where, and that every result (rows, candidates) costs by the same rule.
#include "llamadas/Sesion.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/tTarifa.h"
#include "llamadas/Candidatas.h"
#include "llamadas/Entrada.h"
#include "llamadas/Instantes.h"
#include "runtime/OleDate.h"
#include "support/CarpetaTemporal.h"
#include "tools/CatalogoCsv.h"

namespace quelmar::llamadas {
namespace {

// A text as the input of a run.
class EntradaTexto : public Entrada {
  public:
    explicit EntradaTexto(std::string t) : m_Texto(std::move(t)) {}
    long Leer(char* destino, std::size_t n) override {
        // A few bytes at a time: lines cross reads.
        n = std::min({n, m_Texto.size() - m_Pos, std::size_t{7}});
        std::copy_n(m_Texto.data() + m_Pos, n, destino);
        m_Pos += n;
        return static_cast<long>(n);
    }

  private:
    std::string m_Texto;
    std::size_t m_Pos = 0;
};

struct Registrados : Diagnosticos, DestinoLlamadas {
    std::vector<std::string> malas, avisos;
    std::vector<std::pair<std::size_t, std::string>> deMalas;  // as the result is told
    std::vector<std::string> filas, sinTarifa;
    std::vector<std::string> detalle;  // each row's start, amount and bono time left
    double suma = 0.0;
    std::size_t progresos = 0, pararEn = 0;

    void Mala(const Lugar& l, const std::string& m) override {
        malas.push_back(l.fichero + ":" + std::to_string(l.linea) + ": " + m);
    }
    void Aviso(const Lugar& l, const std::string& t, TipoAviso) override {
        avisos.push_back(l.fichero + ":" + std::to_string(l.linea) + ": " + t);
    }
    bool Progreso(std::size_t registros, std::uint64_t, std::uint64_t) override {
        ++progresos;
        return pararEn == 0 || registros < pararEn;
    }
    void Costeada(const Llamada& l, const cCosteo& m, const cBono&) override {
        filas.push_back(TextoInstante(l.ini) + " " + l.tarifa->utf8);
        detalle.push_back(TextoInstante(l.ini) + " " + std::to_string(m.importe()) + " " +
                          std::to_string(m.Bono().SegundosGrupo(0) + m.Bono().SegundosGrupo(1)));
        suma += m.importe();
    }
    void SinTarifa(const Llamada& l) override { sinTarifa.push_back(TextoInstante(l.ini)); }
    void Mala(std::size_t linea, const std::string& m) override { deMalas.emplace_back(linea, m); }
};

class Sesiones : public ::testing::Test {
  protected:
    void SetUp() override {
        std::ifstream f(CARPETA_DATOS "/tarifas.csv");
        std::stringstream s;
        s << f.rdbuf();
        std::vector<std::string> avisos;
        auto registros = herramientas::ImportarCsv(s.str(), avisos);
        const auto bytes = tTarifa::BytesDe(registros);
        m_Carpeta.Escribir(std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        m_Opciones.catalogo = m_Carpeta.ruta();
    }

    Totales Correr(const std::string& texto, Registrados& r) {
        Sesion s(m_Opciones, r);
        EntradaTexto e(texto);
        return s.Recorrer(e, {"«log»", "log"}, r);
    }

    CarpetaTemporal m_Carpeta;
    OpcionesSesion m_Opciones;
};

TEST_F(Sesiones, EachRecordIsCostedToldBadOrSkippedWhereItIs) {
    const std::string log =
        "inicio,fin,tarifa\n"
        "1999-12-27T17:58:00,1999-12-27T18:03:00\n"
        "\n"
        "# comentario\n"
        "1999-12-27T19:50:00,1999-12-27T20:10:00,Provincial\r\n"
        "1999-12-28T10:00:00,1999-12-28T10:12:30,Provinzial\n"
        "x,1999-12-28T10:12:30\n"
        "1999-12-29T10:00:00,1999-12-29T09:00:00\n"
        "1999-12-30T10:00:00,1999-12-30T10:05:00,Nacional";
    Registrados r;
    const Totales t = Correr(log, r);
    EXPECT_EQ(t.costeadas, 3u);
    EXPECT_EQ(t.malas, 3u);
    EXPECT_EQ(r.filas, (std::vector<std::string>{"1999-12-27T17:58:00 Metropolitana",
                                                 "1999-12-27T19:50:00 Provincial",
                                                 "1999-12-30T10:00:00 Nacional"}));
    // The totals are the rows' amounts added in order, to the bit.
    EXPECT_EQ(t.importe, r.suma);
    EXPECT_EQ(t.segundos, 300 + 1200 + 300);
    ASSERT_EQ(r.malas.size(), 3u);
    EXPECT_EQ(r.malas[0], "log:6: tarifa desconocida «Provinzial»; ¿quizá «Provincial»?");
    EXPECT_EQ(r.malas[1].rfind("log:7: inicio «x» ilegible", 0), 0u);
    EXPECT_EQ(r.malas[2].rfind("log:8: el fin", 0), 0u);
    // The result is told the same bad records, and the unknown tariff's call apart.
    ASSERT_EQ(r.deMalas.size(), 3u);
    EXPECT_EQ(r.deMalas[0].first, 6u);
    EXPECT_EQ(r.sinTarifa, std::vector<std::string>{"1999-12-28T10:00:00"});
    EXPECT_TRUE(r.avisos.empty());
    EXPECT_FALSE(t.cancelado);
}

TEST_F(Sesiones, EveryCandidateCostsWhatARunUnderThatTariffCosts) {
    // Calls over two months with bonos that run out and are refilled.
    std::string log;
    std::uint64_t x = 11;
    std::int64_t s = fecha::ASegundos(fecha::DesdeCalendario(1999, 12, 1));
    for (int i = 0; i < 3000; ++i) {
        x = x * 6364136223846793005ULL + 1442695040888963407ULL;
        s += static_cast<std::int64_t>(x >> 33) % 3600;
        const std::int64_t e = s + 20 + static_cast<std::int64_t>(x >> 40) % 1800;
        log += TextoInstante(fecha::DesdeSegundos(s)) + "," +
               TextoInstante(fecha::DesdeSegundos(e)) + "\n";
        s = e;
    }
    m_Opciones.bonos = [] {
        cBono b;
        b.DiaFactura(15);
        b.DarAlta(1, Variant::DeFecha(fecha::DesdeCalendario(1999, 11, 1)));
        b.DarAlta(2, Variant::DeFecha(fecha::DesdeCalendario(1999, 11, 1)));
        return b;
    };
    // The whole file, then a period in its middle: bonos still run from the file's start.
    std::vector<std::string> todas;
    for (const bool periodo : {false, true}) {
        SCOPED_TRACE(periodo ? "periodo" : "todo");
        m_Opciones.tarifa.reset();
        if (periodo) {
            m_Opciones.desde = fecha::DesdeCalendario(1999, 12, 20);
            m_Opciones.hasta = fecha::DesdeCalendario(2000, 1, 20);
        }
        std::vector<Candidata> cs;
        {
            Registrados r;
            Sesion sesion(m_Opciones, r);
            CosteoCandidatas candidatas(sesion, 2);
            CompararLlamadas destino(candidatas);
            EntradaTexto e(log);
            sesion.Recorrer(e, {"«log»", "log"}, destino);
            cs = candidatas.Terminar();
        }
        ASSERT_GT(cs.size(), 3u);
        for (std::size_t k = 1; k < cs.size(); ++k) EXPECT_LE(cs[k - 1].importe, cs[k].importe);
        for (const Candidata& c : cs) {
            SCOPED_TRACE(c.tarifa);
            ASSERT_FALSE(c.fallo);
            m_Opciones.tarifa = c.tarifa;
            Registrados r;
            const Totales t = Correr(log, r);
            EXPECT_EQ(t.importe, c.importe);
            EXPECT_EQ(t.segundos, c.segundos);
            EXPECT_EQ(t.costeadas, c.llamadas);
            EXPECT_EQ(c.normal + c.reducida + c.bono, c.segundos);
            if (c.tarifa != "Metropolitana") continue;
            // A period's rows are the whole file's that start in it, to the amount and the
            // bono time left.
            if (!periodo) {
                todas = r.detalle;
                continue;
            }
            std::vector<std::string> dentro;
            for (const std::string& f : todas)
                if (f >= "1999-12-20" && f < "2000-01-20") dentro.push_back(f);
            EXPECT_EQ(r.detalle, dentro);
            EXPECT_LT(dentro.size(), todas.size());
        }
    }
}

TEST_F(Sesiones, ARunStopsWhenItsProgressSaysSoAndUnusableFilesRaiseTheirError) {
    std::string log;
    for (int i = 0; i < 2500; ++i) log += "1999-12-27T10:00:00,1999-12-27T10:00:30\n";
    Registrados r;
    r.pararEn = 2000;
    const Totales t = Correr(log, r);
    EXPECT_TRUE(t.cancelado);
    EXPECT_EQ(t.costeadas, 1999u);
    EXPECT_EQ(r.progresos, 2u);

    std::ofstream(m_Carpeta.ruta() / "festivos.txt") << "2000-01-06\n6 de enero\n";
    m_Opciones.festivos = m_Carpeta.ruta() / "festivos.txt";
    try {
        Registrados otro;
        Sesion s(m_Opciones, otro);
        ADD_FAILURE() << "la sesión empezó con un festivo ilegible";
    } catch (const Error& e) {
        EXPECT_EQ(e.clase(), Error::Clase::Datos);
        EXPECT_EQ(e.lugar().linea, 2u);
        EXPECT_NE(std::string(e.what()).find("«6 de enero» no es una fecha"), std::string::npos);
    }
    m_Opciones.festivos.reset();
    m_Opciones.tarifa = "Nacinal";
    try {
        Registrados otro;
        Sesion s(m_Opciones, otro);
        ADD_FAILURE() << "la sesión empezó con una tarifa que no está";
    } catch (const Error& e) {
        EXPECT_EQ(e.clase(), Error::Clase::Opcion);
        EXPECT_NE(std::string(e.what()).find("¿quizá «Nacional»?"), std::string::npos);
    }
}

}  // namespace
}  // namespace quelmar::llamadas
