// What the office pays, between the reader and the costing: the trunk stage, records read
// twice, and the local clock.
#include "llamadas/Troncales.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "llamadas/Horario.h"
#include "llamadas/Instantes.h"
#include "runtime/OleDate.h"

namespace quelmar::llamadas {
namespace {

class Recogidas : public SalidaTroncal {
  public:
    void Saliente(const LlamadaTroncal& l) override {
        llamadas.push_back(TextoHora(l.ini) + "-" + TextoHora(l.fin) + " " + l.numero + " " +
                           l.origen + " l" + std::to_string(l.linea));
    }
    std::vector<std::string> llamadas;
};

double A(const char* hora) {
    return *LeerInstante(std::string("2024-03-04T") + hora);
}

TEST(Troncales, CallsOutOnceEachTransfersJoinedCallsInAndInternalCounted) {
    const struct {
        const char *canal, *destino, *ini, *fin, *numero, *origen;
    } registros[] = {
        {"SIP/201-1", "PJSIP/op-a", "10:00:00", "10:05:00", "600111222", "201"},  // out
        {"PJSIP/op-a", "SIP/202-2", "10:05:00", "10:09:00", "202", "600111222"},  // transfer
        {"PJSIP/op-b", "SIP/201-3", "10:06:00", "10:07:00", "912345678", "612"},  // in
        {"PJSIP/op-b", "SIP/203-4", "10:06:30", "10:08:00", "912345678", "612"},  // its leg
        {"SIP/201-5", "SIP/202-6", "10:10:00", "10:11:00", "202", "201"},         // internal
        {"SIP/203-7", "PJSIP/op-a", "10:20:00", "10:21:00", "915551212", "203"},  // reused
        {"SIP/204-8", "PJSIP/op-c", "10:20:30", "10:22:00", "600333444", "204"},  // pending
    };
    Troncales t({"PJSIP/op"});
    Recogidas r;
    std::size_t linea = 0;
    for (const auto& g : registros) {
        Registro reg;
        reg.canal = g.canal, reg.canalDestino = g.destino;
        Llamada& l = reg.llamada;
        l.ini = A(g.ini), l.fin = A(g.fin), l.segundos = fecha::SegundosEntre(l.ini, l.fin);
        l.textoIni = g.ini, l.textoFin = g.fin, l.numero = g.numero, l.origen = g.origen;
        t.Anotar(reg, ++linea, r);
    }
    t.Vaciar(r);
    EXPECT_EQ(r.llamadas, (std::vector<std::string>{
                              "10:00:00-10:09:00 600111222 201 l1",
                              "10:20:00-10:21:00 915551212 203 l6",
                              "10:20:30-10:22:00 600333444 204 l7",
                          }));
    EXPECT_EQ(t.Entrantes(), 1u);
    EXPECT_EQ(t.Internas(), 1u);
    EXPECT_EQ(t.Unidas(), 1u);
}

TEST(Repetidos, ARecordSeenBeforeIsARepeatAlsoThousandsOfRecordsLater) {
    Repetidos r;
    EXPECT_FALSE(r.Visto("a,b,c"));
    EXPECT_FALSE(r.Visto("a,b,d"));
    EXPECT_TRUE(r.Visto("a,b,c"));
    EXPECT_TRUE(r.Visto("a,b,c"));
    for (int i = 0; i < 1000; ++i) EXPECT_FALSE(r.Visto("x" + std::to_string(i)));
    EXPECT_TRUE(r.Visto("a,b,d"));
    EXPECT_EQ(r.Cuantos(), 3u);
}

class Madrid : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TZ", "Europe/Madrid", 1);
        ::tzset();
    }
    void TearDown() override {
        ::unsetenv("TZ");
        ::tzset();
    }
};

TEST_F(Madrid, UtcMadeLocalAcrossBothChangesAndOnlyTheSpringGapSkipped) {
    // 2024: summer time from 31 March 01:00 UTC to 27 October 01:00 UTC.
    const std::int64_t verano = fecha::ASegundos(*LeerInstante("2024-03-31T01:00:00"));
    const std::int64_t invierno = fecha::ASegundos(*LeerInstante("2024-10-27T01:00:00"));
    Horario h;
    const std::int64_t desde = fecha::ASegundos(*LeerInstante("2024-01-01T00:00:00"));
    for (std::int64_t s = desde; s < desde + 366 * 86400; s += 7 * 60 + 13) {
        const std::int64_t desfase = s >= verano && s < invierno ? 7200 : 3600;
        const double local = h.ALocal(fecha::DesdeSegundos(s));
        ASSERT_EQ(fecha::ASegundos(local) - s, desfase) << TextoInstante(fecha::DesdeSegundos(s));
        ASSERT_FALSE(h.EnHueco(local)) << TextoInstante(local);
    }
    const struct {
        const char* local;
        bool hueco;
    } casos[] = {
        {"2024-03-31T01:59:59", false}, {"2024-03-31T02:00:00", true},
        {"2024-03-31T02:30:00", true},  {"2024-03-31T02:59:59", true},
        {"2024-03-31T03:00:00", false}, {"2024-10-27T02:30:00", false},
        {"2024-03-30T02:30:00", false}, {"2025-03-30T02:15:00", true},
    };
    for (const auto& c : casos) EXPECT_EQ(h.EnHueco(*LeerInstante(c.local)), c.hueco) << c.local;
}

}  // namespace
}  // namespace quelmar::llamadas
