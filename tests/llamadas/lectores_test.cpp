// Each PBX layout's reader: records in, readings out; and which layout a file's first
// bytes are.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "llamadas/Instantes.h"
#include "llamadas/formatos/Lector.h"

namespace quelmar::llamadas {
namespace {

class Callados : public Avisos {
  public:
    void Aviso(const std::string& t, TipoAviso) override { avisos.push_back(t); }
    std::vector<std::string> avisos;
};

struct Caso {
    std::string registro;
    Lectura::Clase clase;
    // A call: "inicio fin segundos numero origen cuenta"; set apart or bad: the reason
    // (its start, for a bad one).
    std::string que;
    // What the session needs of the line: "canal|canalDestino|contexto".
    std::string linea = "";
};

std::string Describir(const Registro& r) {
    const Llamada& l = r.llamada;
    return TextoInstante(l.ini) + " " + TextoInstante(l.fin) + " " + std::to_string(l.segundos) +
           " " + std::string(l.numero) + " " + std::string(l.origen) + " " + std::string(l.cuenta);
}

// Every case read in turn by one reader, as the session reads a file: the first is the
// first record.
void Leer(const char* formato, const std::vector<Caso>& casos) {
    const FormatoRegistro* f = BuscarFormato(formato);
    ASSERT_NE(f, nullptr) << formato;
    const std::unique_ptr<Lector> lector = f->crear();
    EXPECT_TRUE(lector->Centralita());
    Callados a;
    bool primera = true;
    for (const Caso& c : casos) {
        Registro r;
        const Lectura l = lector->Leer(c.registro, primera, r, a);
        primera = false;
        SCOPED_TRACE(c.registro);
        ASSERT_EQ(l.clase, c.clase) << l.motivo;
        if (l.clase == Lectura::Clase::Llamada) {
            EXPECT_EQ(Describir(r), c.que);
            EXPECT_TRUE(r.numeroElige);
        } else if (l.clase == Lectura::Clase::Mala) {
            EXPECT_TRUE(l.motivo.starts_with(c.que)) << l.motivo;
        } else {
            EXPECT_EQ(l.motivo, c.que);
        }
        if (!c.linea.empty()) {
            EXPECT_EQ(std::string(r.canal) + "|" + std::string(r.canalDestino) + "|" +
                          std::string(r.contexto),
                      c.linea);
        }
    }
}

using C = Lectura::Clase;

TEST(LectorAsterisk, SixteenToTwentyOneColumnsAnyCaseCancelUnanswered) {
    const std::string base =
        "\"acc\",\"201\",\"600123456\",\"ctx\",\"\"\"A\"\" <201>\",\"SIP/201-01\","
        "\"PJSIP/op-02\",\"Dial\",\"x\",\"2024-03-04 10:00:00\",";
    Leer("asterisk",
         {
             {"accountcode,src,dst,dcontext,clid,channel,dstchannel,lastapp,lastdata,start,"
              "answer,end,duration,billsec,disposition,amaflags",
              C::Nada, ""},
             {base + "\"2024-03-04 10:00:05\",\"2024-03-04 10:01:05\",65,60,\"ANSWERED\",3",
              C::Llamada, "2024-03-04T10:00:05 2024-03-04T10:01:05 60 600123456 201 acc",
              "SIP/201-01|PJSIP/op-02|ctx"},
             {base + "\"2024-03-04 10:00:05\",\"2024-03-04 10:01:05\",65,60,\"answered\",3,"
                     "\"u.1\",\"\",\"peer\",\"l.1\",7",
              C::Llamada, "2024-03-04T10:00:05 2024-03-04T10:01:05 60 600123456 201 acc"},
             {base + "\"\",\"2024-03-04 10:00:30\",30,0,\"CANCEL\",3,\"u.2\"", C::Aparte,
              "NO ANSWER", "SIP/201-01|PJSIP/op-02|ctx"},
             {base + "\"\",\"2024-03-04 10:00:30\",30,0,\"Busy\",3", C::Aparte, "BUSY"},
             {base + "\"2024-03-04 10:00:05\",\"2024-03-04 10:00:05\",5,0,\"ANSWERED\",3",
              C::Aparte, "ANSWERED con billsec 0"},
             {base + "\"2024-03-04 10:00:05\",\"2024-03-04 10:01:05\",65,60,\"ANSWERED\",3,a,b,"
                     "c,d,e,f",
              C::Mala, "se esperaban de 16 a 21 campos"},
             {base + "\"2024-03-04 10:00:05\",\"2024-03-04 10:01:05\",65,60,\"HUNG\",3", C::Mala,
              "disposición «HUNG» desconocida"},
         });
}

TEST(LectorAsteriskCustom, TheSampleMappingClidFirstAccountSixteenth) {
    const std::string base =
        "\"\"\"A\"\" <201>\",\"201\",\"0044207946\",\"salida\",\"SIP/201-01\",\"SIP/t-9\","
        "\"Dial\",\"x\",\"2024-03-04 10:00:00\",";
    Leer("asterisk-custom",
         {
             {base + "\"2024-03-04 10:00:05\",\"2024-03-04 10:01:05\",\"65\",\"60\","
                     "\"ANSWERED\",\"DOCUMENTATION\",\"acc\",\"u.1\",\"\",\"3\"",
              C::Llamada, "2024-03-04T10:00:05 2024-03-04T10:01:05 60 0044207946 201 acc",
              "SIP/201-01|SIP/t-9|salida"},
             {base + "\"\",\"2024-03-04 10:00:20\",\"20\",\"0\",\"NO ANSWER\","
                     "\"DOCUMENTATION\",\"acc\"",
              C::Aparte, "NO ANSWER"},
             // billsec disagrees with answer to end: billsec from answer.
             {base + "\"2024-03-04 10:00:05\",\"2024-03-04 10:11:05\",\"65\",\"60\","
                     "\"ANSWERED\",\"DOCUMENTATION\",\"acc\",\"u.1\",\"\",\"3\"",
              C::Llamada, "2024-03-04T10:00:05 2024-03-04T10:01:05 60 0044207946 201 acc"},
             // cdr_csv's order is not this one.
             {"\"acc\",\"201\",\"600\",\"c\",\"x\",\"SIP/1\",\"SIP/2\",\"Dial\",\"x\","
              "\"2024-03-04 10:00:00\",\"2024-03-04 10:00:05\",\"2024-03-04 10:01:05\",65,60,"
              "\"ANSWERED\",\"DOCUMENTATION\"",
              C::Mala, "disposición «60» desconocida"},
         });
}

TEST(LectorFreeswitch, AnsweredWithAnswerStampAndBillsecOthersByHangupCause) {
    const std::string a = "\"Ana\",\"1001\",\"600123456\",\"default\",\"2024-03-04 10:00:00\",";
    const std::string fin = ",\"u-1\",\"\",\"acc\",\"PCMA\",\"PCMA\"";
    Leer("freeswitch",
         {
             {a +
                  "\"2024-03-04 10:00:05\",\"2024-03-04 10:01:05\",\"65\",\"60\","
                  "\"NORMAL_CLEARING\"" +
                  fin,
              C::Llamada, "2024-03-04T10:00:05 2024-03-04T10:01:05 60 600123456 1001 acc",
              "||default"},
             {a + "\"\",\"2024-03-04 10:00:30\",\"30\",\"0\",\"NO_ANSWER\"" + fin, C::Aparte,
              "NO_ANSWER"},
             {a + "\"\",\"2024-03-04 10:00:30\",\"30\",\"0\",\"originator_cancel\"" + fin,
              C::Aparte, "ORIGINATOR_CANCEL"},
             {a +
                  "\"2024-03-04 10:00:05\",\"2024-03-04 10:00:05\",\"5\",\"0\","
                  "\"NORMAL_CLEARING\"" +
                  fin,
              C::Aparte, "NORMAL_CLEARING"},
             {a + "\"2024-03-04 10:00:05\"", C::Mala, "se esperaban 15 campos"},
             {a +
                  "\"2024-03-04 10:00:05\",\"2024-03-04 10:01:05\",\"65\",\"6s\","
                  "\"NORMAL_CLEARING\"" +
                  fin,
              C::Mala, "billsec «6s»"},
         });
}

TEST(LectorCabecera, ColumnsByTheirNamesAndCalldateWithDurationAndBillsec) {
    Leer("cabecera",
         {
             {"calldate;src;dst;dcontext;channel;dstchannel;duration;billsec;disposition;"
              "accountcode",
              C::Nada, ""},
             // Answered after 10 s of ringing: costed from calldate + 70 - 60.
             {"2024-03-04 10:00:00;201;600123456;ctx;SIP/201-1;SIP/t-2;70;60;ANSWERED;acc",
              C::Llamada, "2024-03-04T10:00:10 2024-03-04T10:01:10 60 600123456 201 acc",
              "SIP/201-1|SIP/t-2|ctx"},
             {"2024-03-04 10:00:00;201;600123456;ctx;SIP/201-1;SIP/t-2;20;0;NO ANSWER;acc",
              C::Aparte, "NO ANSWER"},
             {"2024-03-04 10:00:00;201;600123456;ctx;SIP/201-1;SIP/t-2;20;40;ANSWERED;acc", C::Mala,
              "duration «20»"},
             {"2024-03-04;201;600123456;ctx;SIP/201-1;SIP/t-2;70;60;ANSWERED;acc", C::Mala,
              "calldate «2024-03-04»"},
         });
    Leer("cabecera",
         {
             {"uuid,destination_number,caller_id_number,context,answer_stamp,end_stamp,billsec,"
              "hangup_cause",
              C::Nada, ""},
             {"u1,912345678,1001,public,2024-03-04 10:00:05,2024-03-04 10:01:05,60,"
              "NORMAL_CLEARING",
              C::Llamada, "2024-03-04T10:00:05 2024-03-04T10:01:05 60 912345678 1001 ", "||public"},
             {"u2,912345678,1001,public,,2024-03-04 10:01:05,0,NO_ANSWER", C::Aparte, "NO_ANSWER"},
         });
    Leer("cabecera", {{"inicio,fin,tarifa", C::Mala, "la primera línea no nombra"},
                      {"2024-03-04T10:00:00,2024-03-04T10:01:00,Movil", C::Mala, "la primera"}});
}

TEST(ReconocerFormato, FirstRecordsTellTheLayoutAPlainLogStaysPlain) {
    const struct {
        const char* principio;
        const char* formato;
    } casos[] = {
        {"2000-01-17T09:00:00,2000-01-17T09:20:00,Metropolitana\n", "llamadas"},
        {"inicio,fin,tarifa\n2000-01-17T09:00:00,2000-01-17T09:20:00\n", "llamadas"},
        {"inicio,fin,numero,cobrado\n", "llamadas"},
        {"", "llamadas"},
        {"\"\",\"201\",\"600\",\"c\",\"\",\"SIP/201\",\"SIP/t\",\"Dial\",\"\","
         "\"2024-03-04 10:00:00\",\"2024-03-04 10:00:05\",\"2024-03-04 10:01:05\",65,60,"
         "\"ANSWERED\",\"DOCUMENTATION\",\"u\",\"\",\"\",\"l\",3\n",
         "asterisk"},
        {"\xEF\xBB\xBF\r\n\"c\",\"201\",\"600\",\"d\",\"SIP/201\",\"SIP/t\",\"Dial\",\"\","
         "\"2024-03-04 10:00:00\",\"\",\"2024-03-04 10:01:05\",\"65\",\"0\",\"BUSY\","
         "\"DOCUMENTATION\",\"acc\",\"u\",\"\",\"3\"\r\n",
         "asterisk-custom"},
        {"\"A\",\"1001\",\"600\",\"default\",\"2024-03-04 10:00:00\",\"\","
         "\"2024-03-04 10:00:09\",\"9\",\"0\",\"NO_ANSWER\",\"u\",\"\",\"\",\"PCMA\",\"PCMA\"\n",
         "freeswitch"},
        {"calldate,clid,src,dst,dcontext,channel,dstchannel,duration,billsec,disposition\n",
         "cabecera"},
        {"CALLDATE\tSRC\tDST\tDURATION\tBILLSEC\n", "cabecera"},
        {"accountcode,src,dst,dcontext,clid,channel,dstchannel,lastapp,lastdata,start,answer,"
         "end,duration,billsec,disposition,amaflags\n",
         "cabecera"},
    };
    for (const auto& c : casos)
        EXPECT_EQ(ReconocerFormato(c.principio).nombre, c.formato) << c.principio;
}

}  // namespace
}  // namespace quelmar::llamadas
