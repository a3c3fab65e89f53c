// Records -> readings, one table per layout: what each reader makes of a record, in the
// order a file gives them.
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "llamadas/Instantes.h"
#include "llamadas/formatos/Lector.h"
#include "runtime/OleDate.h"

namespace quelmar::llamadas {
namespace {

struct AvisosVistos : Avisos {
    std::vector<std::pair<std::string, TipoAviso>> vistos;
    void Aviso(const std::string& texto, TipoAviso tipo) override {
        vistos.emplace_back(texto, tipo);
    }
};

using Clase = Lectura::Clase;

struct Caso {
    const char* formato;
    // Records fed to one reader, the first as the file's first; the last is checked.
    std::vector<std::string> registros;
    Clase clase;
    // Mala / Aparte: a fragment of the reason; Llamada: the tariff named.
    std::string texto;
    std::int64_t segundos = -1;       // of a call
    std::string numero{}, aviso{};    // of a call; a fragment of the last warning
    std::optional<double> cobrado{};  // of a call
};

constexpr const char* kRespuesta = "1999-12-27 10:00:00";
// An Asterisk Master.csv record (cdr_csv, 18 fields) answered at kRespuesta.
std::string Ast(const std::string& disposicion, const std::string& billsec,
                const std::string& fin = "1999-12-27 10:01:30", const std::string& extra = "") {
    return "\"cta\",\"201\",\"0034911234567\",\"salida\",\"\"\"Ana\"\" <201>\",\"SIP/201-1\","
           "\"SIP/trunk-2\",\"Dial\",\"SIP/trunk/0034911234567\",\"1999-12-27 09:59:50\",\"" +
           std::string(kRespuesta) + "\",\"" + fin + "\",100," + billsec + ",\"" + disposicion +
           "\",\"DOCUMENTATION\",\"1.1\",\"\"" + extra;
}

TEST(Lectores, EachRecordBecomesACallNothingABadRecordOrOneSetApart) {
    const std::vector<Caso> casos = {
        // The plain log.
        {"llamadas", {"1999-12-27T17:58:00,1999-12-27T18:03:00"}, Clase::Llamada, "", 300},
        {"llamadas",
         {"inicio,fin,tarifa", "1999-12-27 19:50:00,1999-12-27T20:10:00,Provincial"},
         Clase::Llamada,
         "Provincial",
         1200},
        {"llamadas",
         {"1999-12-27T10:00:00;1999-12-27T10:00:59;Nacional"},
         Clase::Llamada,
         "Nacional",
         59},
        {"llamadas",
         {"1999-12-27T10:00:00,1999-12-27T10:00:10,,+34 91-123"},
         Clase::Llamada,
         "",
         10,
         "+34 91-123"},
        {"llamadas", {"inicio,fin,tarifa"}, Clase::Nada, ""},
        {"llamadas",
         {"1999-12-27T10:00:00,1999-12-27T10:00:10", "x,1999-12-27T10:00:00"},
         Clase::Mala,
         "inicio «x» ilegible"},
        {"llamadas", {"1999-02-30T10:00:00,1999-03-01T10:00:00"}, Clase::Mala, "no existe"},
        {"llamadas",
         {"1999-12-27T10:00:01,1999-12-27T10:00:00"},
         Clase::Mala,
         "es anterior al inicio"},
        {"llamadas", {"1999-12-27T10:00:00,2004-06-27T10:00:00"}, Clase::Mala, "dura más de"},
        {"llamadas",
         {"1999-12-27T10:00:00,1999-12-27T10:00:01,a,b,c"},
         Clase::Mala,
         "de 2 a 4 campos"},
        {"llamadas", {"1999-12-27T10:00:00"}, Clase::Mala, "y hay 1"},
        // A header that names columns lays them out, and the amount charged is read.
        {"llamadas",
         {"inicio,fin,cobrado,origen", "1999-12-27T10:00:00,1999-12-27T10:01:00,\"11,5\",201"},
         Clase::Llamada,
         "",
         60,
         "",
         "coma decimal se leen como con punto: «11,5» es 11.5",
         11.5},
        {"llamadas",
         {"inicio,fin,cobrado", "1999-12-27T10:00:00,1999-12-27T10:01:00,once"},
         Clase::Mala,
         "cobrado «once» no es un importe"},
        {"llamadas",
         {"inicio,fin,cobrado", "1999-12-27T10:00:00,1999-12-27T10:01:00,1,2"},
         Clase::Mala,
         "(los de la cabecera) y hay 4"},
        // Asterisk's Master.csv.
        {"asterisk", {Ast("ANSWERED", "90")}, Clase::Llamada, "", 90, "0034911234567"},
        // Within a second of billsec, answer to end is what is costed.
        {"asterisk", {Ast("ANSWERED", "91")}, Clase::Llamada, "", 90, "0034911234567"},
        {"asterisk",
         {Ast("ANSWERED", "60")},
         Clase::Llamada,
         "",
         60,
         "0034911234567",
         "de answer a end van 90 s y billsec dice 60"},
        {"asterisk", {Ast("NO ANSWER", "0")}, Clase::Aparte, "NO ANSWER"},
        {"asterisk", {Ast("ANSWERED", "0")}, Clase::Aparte, "ANSWERED con billsec 0"},
        {"asterisk", {Ast("BUSY", "0", "", ",\"x\",\"y\",\"z\",\"w\"")}, Clase::Mala, "y hay 22"},
        {"asterisk", {Ast("LOST", "5")}, Clase::Mala, "disposición «LOST» desconocida"},
        {"asterisk", {Ast("ANSWERED", "-3")}, Clase::Mala, "billsec «-3» no es un número"},
        {"asterisk", {Ast("ANSWERED", "90", "1999-12-27 25:00:00")}, Clase::Mala, "end «"},
        {"asterisk",
         {"accountcode,src,dst,dcontext,clid,channel,dstchannel,lastapp,lastdata,start,answer,"
          "end,duration,billsec,disposition,amaflags"},
         Clase::Nada,
         ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.formato) + ": " + c.registros.back());
        const FormatoRegistro* f = BuscarFormato(c.formato);
        ASSERT_NE(f, nullptr);
        const auto lector = f->crear();
        AvisosVistos avisos;
        Registro r;
        Lectura l;
        for (std::size_t i = 0; i < c.registros.size(); ++i)
            l = lector->Leer(c.registros[i], i == 0, r, avisos);
        ASSERT_EQ(l.clase, c.clase) << l.motivo;
        if (c.clase != Clase::Llamada) {
            EXPECT_NE(l.motivo.find(c.texto), std::string::npos) << l.motivo;
            continue;
        }
        EXPECT_EQ(r.tarifa, c.texto);
        EXPECT_EQ(r.llamada.segundos, c.segundos);
        EXPECT_EQ(r.llamada.numero, c.numero);
        // The instants read are the call's, to the second, whatever the layout.
        EXPECT_EQ(fecha::SegundosEntre(r.llamada.ini, r.llamada.fin), c.segundos);
        EXPECT_EQ(r.numeroElige, std::string(c.formato) == "asterisk");
        if (c.aviso.empty())
            EXPECT_TRUE(avisos.vistos.empty());
        else
            EXPECT_TRUE(!avisos.vistos.empty() &&
                        avisos.vistos.back().first.find(c.aviso) != std::string::npos);
        EXPECT_EQ(r.llamada.cobrado, c.cobrado);
        EXPECT_EQ(lector->ColumnaCobrado(), c.cobrado.has_value());
    }
}

TEST(Lectores, TheTableNamesEachLayoutOnceAndRecognisesItsFirstRecord) {
    std::vector<std::string> nombres;
    for (const FormatoRegistro& f : Formatos()) {
        nombres.emplace_back(f.nombre);
        EXPECT_FALSE(f.descripcion.empty());
        EXPECT_EQ(BuscarFormato(f.nombre), &f);
    }
    EXPECT_EQ(nombres.front(), "llamadas");
    EXPECT_EQ(BuscarFormato("Asterisk"), nullptr);
    EXPECT_TRUE(BuscarFormato("asterisk")->reconoce(Ast("ANSWERED", "90") + "\n"));
    EXPECT_FALSE(BuscarFormato("asterisk")->reconoce("1999-12-27T10:00:00,1999-12-27T10:01:00\n"));
    EXPECT_EQ(NombresDeFormatos(" o ").find("«llamadas» o «asterisk»"), 0u);
}

}  // namespace
}  // namespace quelmar::llamadas
