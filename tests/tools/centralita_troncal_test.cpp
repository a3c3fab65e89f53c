// One office's year of calls written in every PBX layout, each costed with its trunk (or
// context) named: exactly the calls out are charged, once each, at the amounts of the
// plain log of those calls; in UTC and across both clock changes too.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Programa.h"

namespace quelmar::pruebas {
namespace {

// Europe/Madrid in 2024: summer time from 31 March 01:00 UTC to 27 October 01:00 UTC.
constexpr std::int64_t kVerano = 1711846800, kInvierno = 1729990800;
std::int64_t Local(std::int64_t utc) {
    return utc + (utc >= kVerano && utc < kInvierno ? 7200 : 3600);
}

// "AAAA-MM-DD HH:MM:SS" of Unix seconds (days from civil, Hinnant's algorithm).
std::string Texto(std::int64_t s, char sep = ' ') {
    const std::int64_t z = s / 86400 + 719468, r = s % 86400;
    const std::int64_t era = z / 146097, doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
    char b[32];
    std::snprintf(b, sizeof b, "%04d-%02d-%02d%c%02d:%02d:%02d",
                  static_cast<int>(yoe + era * 400 + (m <= 2)), static_cast<int>(m),
                  static_cast<int>(d), sep, static_cast<int>(r / 3600),
                  static_cast<int>(r / 60 % 60), static_cast<int>(r % 60));
    return b;
}

// A record as the PBX writes it, instants in UTC seconds (respuesta < 0: not answered).
struct Reg {
    std::string src, dst, ctx, canal, canalDst, disp;
    std::int64_t inicio, respuesta, fin, billsec;
    bool soloAsterisk = false;  // a leg FreeSWITCH's a-leg file does not have
    bool soloFreeswitch = false;
};

struct Oficina {
    std::vector<Reg> regs;
    std::string plano;  // the calls out, as a plain log in local time with their tariffs
    std::size_t salientes = 0, entrantes = 0, internas = 0;
};

const char* kTrunk = "PJSIP/operador-";

Oficina Generar() {
    Oficina o;
    int canal = 0;
    auto troncal = [&] { return kTrunk + std::to_string(1000 + canal++); };
    auto ext = [&](const std::string& e) { return "SIP/" + e + "-" + std::to_string(canal++); };
    auto saliente = [&](const std::string& src, const std::string& dst, const char* tarifa,
                        std::int64_t t, std::int64_t billsec) {
        o.regs.push_back({src, dst, "default", ext(src), troncal(), "ANSWERED", t, t + 8,
                          t + 8 + billsec, billsec});
        o.plano += Texto(Local(t + 8), 'T') + "," + Texto(Local(t + 8) + billsec, 'T') + "," +
                   tarifa + "\n";
        ++o.salientes;
    };
    const std::int64_t lunes = 1704700800;  // 2024-01-08 08:00 UTC
    for (int w = 0; w < 52; ++w) {
        const std::int64_t d =
            lunes + w * 7 * 86400 - (Local(lunes + w * 7 * 86400) - (lunes + w * 7 * 86400) - 3600);
        const std::string nueve = std::to_string(600100000 + w);
        saliente(w % 2 ? "201" : "202", nueve, "Movil", d + 3600, 120 + w);
        // Incoming to the office's own number, which a prefix covers: a ring group, two legs.
        const std::string entra = troncal();
        o.regs.push_back({"612000000", "912345678", "public", entra, ext("201"), "NO ANSWER",
                          d + 7200, -1, d + 7220, 0, true});
        o.regs.push_back({"612000000", "912345678", "public", entra, ext("202"), "ANSWERED",
                          d + 7200, d + 7205, d + 7500, 295});
        ++o.entrantes;
        o.regs.push_back({"201", "202", "default", ext("201"), ext("202"), "ANSWERED", d + 10800,
                          d + 10803, d + 10900, 97});
        ++o.internas;
        const char* nada[] = {"NO ANSWER", "BUSY", "CANCEL"};
        o.regs.push_back({"203", "915550000", "default", ext("203"), troncal(), nada[w % 3],
                          d + 12000, -1, d + 12030, 0});
        if (w % 4 == 0) {  // a call out transferred from 201 to 202: one call, one charge
            const std::string t = troncal();
            const std::int64_t a = d + 25200;
            o.regs.push_back({"201", "915551212", "default", ext("201"), t, "ANSWERED", a - 10, a,
                              a + 300, 300, true});
            o.regs.push_back({"915551212", "202", "default", t, ext("202"), "ANSWERED", a + 290,
                              a + 300, a + 600, 300, true});
            o.regs.push_back({"201", "915551212", "default", ext("201"), t, "ANSWERED", a - 10, a,
                              a + 600, 600, false, true});
            o.plano += Texto(Local(a), 'T') + "," + Texto(Local(a) + 600, 'T') + ",Metropolitana\n";
            ++o.salientes;
        }
    }
    // Across both clock changes, and a night call whose UTC time is in the spring gap.
    saliente("201", "600999888", "Movil", 1711846200, 1200);   // 31 Mar 00:50 UTC
    saliente("202", "600777666", "Movil", 1729990200, 1200);   // 27 Oct 00:50 UTC
    saliente("203", "0044207946", "Europa", 1711852200, 300);  // 31 Mar 02:30 UTC
    std::stable_sort(o.regs.begin(), o.regs.end(),
                     [](const Reg& a, const Reg& b) { return a.fin < b.fin; });
    // A record read twice (the per-account file read with Master.csv): counted once.
    for (std::size_t i = 0; i < o.regs.size(); ++i)
        if (o.regs[i].dst == "600100010") {
            o.regs.insert(o.regs.begin() + static_cast<std::ptrdiff_t>(i) + 1, o.regs[i]);
            break;
        }
    // The calls out in the order they happened, as the run costs them.
    std::vector<std::string> lineas = Lineas(o.plano);
    std::sort(lineas.begin(), lineas.end());
    o.plano.clear();
    for (const std::string& l : lineas) o.plano += l + "\n";
    return o;
}

std::string Q(const std::string& s) {
    return "\"" + s + "\"";
}

// The records in one layout; instants local, or UTC.
std::string Escribir(const Oficina& o, const std::string& formato, bool utc = false) {
    auto t = [utc](std::int64_t s) { return s < 0 ? std::string() : Texto(utc ? s : Local(s)); };
    std::string r;
    if (formato == "cabecera")
        r = "calldate,clid,src,dst,dcontext,channel,dstchannel,lastapp,lastdata,duration,"
            "billsec,disposition,amaflags,accountcode,uniqueid,userfield\n";
    for (const Reg& g : o.regs) {
        if (formato == "freeswitch" ? g.soloAsterisk : g.soloFreeswitch) continue;
        const std::string clid = Q("\"\"" + g.src + "\"\" <" + g.src + ">");
        const std::string dur = std::to_string(g.fin - g.inicio), bs = std::to_string(g.billsec);
        const std::string uid = Q(std::to_string(g.inicio) + "." + g.canal);
        if (formato == "asterisk")
            r += Q("cuenta") + "," + Q(g.src) + "," + Q(g.dst) + "," + Q(g.ctx) + "," + clid + "," +
                 Q(g.canal) + "," + Q(g.canalDst) + ",\"Dial\",\"\"," + Q(t(g.inicio)) + "," +
                 Q(t(g.respuesta)) + "," + Q(t(g.fin)) + "," + dur + "," + bs + "," + Q(g.disp) +
                 ",\"DOCUMENTATION\"," + uid + ",\"\",\"\"," + uid + ",7\n";
        else if (formato == "asterisk-custom")
            r += clid + "," + Q(g.src) + "," + Q(g.dst) + "," + Q(g.ctx) + "," + Q(g.canal) + "," +
                 Q(g.canalDst) + ",\"Dial\",\"\"," + Q(t(g.inicio)) + "," + Q(t(g.respuesta)) +
                 "," + Q(t(g.fin)) + "," + Q(dur) + "," + Q(bs) + "," + Q(g.disp) +
                 ",\"DOCUMENTATION\",\"cuenta\"," + uid + ",\"\",\"7\"\n";
        else if (formato == "cabecera")
            r += t(g.inicio) + "," + clid + "," + g.src + "," + g.dst + "," + g.ctx + "," +
                 g.canal + "," + g.canalDst + ",Dial,," + dur + "," + bs + "," + g.disp +
                 ",3,cuenta," + uid + ",\n";
        else {
            const std::string causa = g.disp == "ANSWERED"    ? "NORMAL_CLEARING"
                                      : g.disp == "BUSY"      ? "USER_BUSY"
                                      : g.disp == "NO ANSWER" ? "NO_ANSWER"
                                                              : "ORIGINATOR_CANCEL";
            r += Q(g.src) + "," + Q(g.src) + "," + Q(g.dst) + "," + Q(g.ctx) + "," +
                 Q(t(g.inicio)) + "," + Q(t(g.respuesta)) + "," + Q(t(g.fin)) + "," + Q(dur) + "," +
                 Q(bs) + "," + Q(causa) + "," + uid + ",\"\",\"cuenta\",\"PCMA\",\"PCMA\"\n";
        }
    }
    return r;
}

class Troncal : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("TZ", "Europe/Madrid", 1);
        ASSERT_EQ(ImportarMuestra(dir.ruta()).estado, 0);
        EscribirTodo(dir.ruta() / "destinos.csv",
                     "prefijo,tarifa\n6,Movil\n00,Europa\n91,Metropolitana\n9,Provincial\n");
    }
    void TearDown() override { ::unsetenv("TZ"); }
    Resultado Correr(const std::string& orden, const std::string& fichero,
                     std::vector<std::string> args) {
        EscribirTodo(dir.ruta() / "f.csv", fichero);
        args.insert(args.begin(), {orden, "--catalogo", dir.ruta().string(), "--destinos",
                                   (dir.ruta() / "destinos.csv").string()});
        args.push_back((dir.ruta() / "f.csv").string());
        return Ejecutar(dir.ruta(), args);
    }
    CarpetaTemporal dir;
};

TEST_F(Troncal, EveryLayoutCostsExactlyTheCallsOutOnceEach) {
    const Oficina o = Generar();
    const Resultado plano = Correr("costear", o.plano, {});
    ASSERT_EQ(plano.estado, 0) << plano.errores;
    ASSERT_EQ(Lineas(plano.salida).size(), o.salientes + 1);
    const struct {
        const char* formato;
        std::vector<std::string> opciones;
        bool utc;
    } casos[] = {
        {"asterisk", {"--troncal", "PJSIP/operador"}, false},
        {"asterisk", {"--troncal", "PJSIP/otra", "--troncal", "PJSIP/operador", "--utc"}, true},
        {"asterisk-custom", {"--troncal", "PJSIP/operador"}, false},
        {"cabecera", {"--troncal", "PJSIP/operador"}, false},
        {"freeswitch", {"--contexto", "default"}, false},
    };
    for (const auto& c : casos) {
        const std::string f = Escribir(o, c.formato, c.utc);
        const Resultado r = Correr("costear", f, c.opciones);
        SCOPED_TRACE(std::string(c.formato) + (c.utc ? " utc" : ""));
        EXPECT_EQ(r.estado, 0) << r.errores;
        EXPECT_EQ(r.salida, plano.salida);
        EXPECT_EQ(ImporteTotal(r.errores), ImporteTotal(plano.errores));
        EXPECT_NE(r.errores.find("formato reconocido: «" + std::string(c.formato) + "»"),
                  std::string::npos)
            << r.errores;
        EXPECT_NE(r.errores.find("1 registro repetido"), std::string::npos) << r.errores;
        if (std::string(c.formato) != "freeswitch") {
            EXPECT_NE(r.errores.find("por la troncal: " + std::to_string(o.salientes) +
                                     " llamadas salientes, " + std::to_string(o.entrantes) +
                                     " entrantes (no se cuestan), " + std::to_string(o.internas) +
                                     " internas"),
                      std::string::npos)
                << r.errores;
        }
        // The same calls for comparar and informe.
        const Resultado cmp = Correr("comparar", f, c.opciones);
        EXPECT_EQ(cmp.salida, Correr("comparar", o.plano, {}).salida);
    }
    // The UTC file read as local time: the night call falls in the spring gap.
    const Resultado local =
        Correr("costear", Escribir(o, "asterisk", true), {"--troncal", "PJSIP/operador"});
    EXPECT_NE(local.errores.find("cambio de hora de primavera; si el fichero está en UTC, use "
                                 "--utc"),
              std::string::npos)
        << local.errores;
    EXPECT_NE(local.salida, plano.salida);
}

TEST_F(Troncal, OnlyIncomingAndInternalCallsChargeNothing) {
    Oficina o = Generar();
    std::erase_if(o.regs, [](const Reg& g) { return g.canalDst.starts_with(kTrunk); });
    const Resultado r = Correr("costear", Escribir(o, "asterisk"), {"--troncal", "PJSIP/operador"});
    EXPECT_EQ(r.estado, 0) << r.errores;
    EXPECT_NE(r.errores.find("tarificador: 0 llamadas, importe total 0,00"), std::string::npos)
        << r.errores;
}

TEST_F(Troncal, ExaminarNamesTheTrunkAndTheNumbersNoPrefixCovers) {
    const Oficina o = Generar();
    EscribirTodo(dir.ruta() / "Master.csv", Escribir(o, "asterisk", true));
    const Resultado r =
        Ejecutar(dir.ruta(), {"examinar", "--destinos", (dir.ruta() / "destinos.csv").string(),
                              (dir.ruta() / "Master.csv").string()});
    EXPECT_EQ(r.estado, 0) << r.errores;
    for (const char* t : {"Formato: «asterisk»", "PJSIP/operador", "SIP/201", "default",
                          "--troncal PJSIP/operador --utc", "Números que ningún prefijo", "202 "})
        EXPECT_NE(r.salida.find(t), std::string::npos) << t << "\n" << r.salida;
}

}  // namespace
}  // namespace quelmar::pruebas
