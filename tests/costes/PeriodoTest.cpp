#include <gtest/gtest.h>
#include <string>

#include "costes/Csv.h"
#include "costes/Historial.h"
#include "costes/Pedido.h"
#include "runtime/OleDate.h"

namespace quelmar::costes {
namespace {

double D(int a, int m, int d, int h = 0) {
    return fecha::DesdeCalendario(a, m, d) + h / 24.0;
}

TEST(Periodo, LastWholeMonthIsTheLastOneTheFileCoversFromItsFirstToItsLastDay) {
    struct Caso {
        double primera, ultima;
        std::optional<Intervalo> esperado;
    };
    const Caso casos[] = {
        // Ends inside January: December is whole only when the file starts by 1 December.
        {D(1999, 12, 1), D(2000, 1, 17), IntervaloDeMes(1999, 12)},
        {D(1999, 12, 27), D(2000, 1, 17), std::nullopt},
        // A call on the month's last day, at any hour, makes it whole; 2000 is a leap year.
        {D(2000, 1, 1, 10), D(2000, 2, 29, 23), IntervaloDeMes(2000, 2)},
        {D(2000, 1, 1), D(2000, 2, 28, 23), IntervaloDeMes(2000, 1)},
        {D(2000, 1, 1, 9), D(2000, 1, 31, 9), IntervaloDeMes(2000, 1)},
        // Across a year.
        {D(1999, 11, 3), D(2000, 1, 5), IntervaloDeMes(1999, 12)},
    };
    for (const Caso& c : casos) EXPECT_EQ(UltimoMesEntero(c.primera, c.ultima), c.esperado);
}

TEST(Periodo, BetweenDatesIncludesTheWholeLastDay) {
    Periodo p;
    p.clase = Periodo::Clase::Entre;
    p.desde = D(2000, 1, 10);
    p.hasta = D(2000, 1, 12);
    const auto i = Resolver(p, D(2000, 1, 1), D(2000, 3, 1));
    ASSERT_TRUE(i);
    EXPECT_FALSE(i->Contiene(D(2000, 1, 9, 23)));
    EXPECT_TRUE(i->Contiene(D(2000, 1, 10)));
    EXPECT_TRUE(i->Contiene(D(2000, 1, 12, 23)));
    EXPECT_FALSE(i->Contiene(D(2000, 1, 13)));
    p.clase = Periodo::Clase::Todo;
    EXPECT_FALSE(Resolver(p, D(2000, 1, 1), D(2000, 3, 1)));
}

TEST(Periodo, CsvKeepsTheHeaderAndTheRowsOfTheMonthInTheirOrder) {
    const std::string csv =
        "inicio,fin,tarifa\n"
        "2000-01-31T23:59:59,2000-02-01T00:05:00,A\n"
        "2000-02-10T10:00:00,2000-02-10T10:01:00,B\n"
        "2000-02-01T00:00:00,2000-02-01T00:01:00,C\n"
        "2000-03-01T00:00:00,2000-03-01T00:01:00,D\n";
    Periodo p;
    p.clase = Periodo::Clase::Mes;
    p.anio = 2000;
    p.mes = 2;
    EXPECT_EQ(RecortarCsv(csv, p),
              "inicio,fin,tarifa\n"
              "2000-02-10T10:00:00,2000-02-10T10:01:00,B\n"
              "2000-02-01T00:00:00,2000-02-01T00:01:00,C\n");
    p.clase = Periodo::Clase::Todo;
    EXPECT_EQ(RecortarCsv(csv, p), csv);
    // The default resolves on the rows: 1 January is not covered, February is.
    p.clase = Periodo::Clase::UltimoMesEntero;
    EXPECT_EQ(RecortarCsv(csv, p), RecortarCsv(csv, Periodo{Periodo::Clase::Mes, 2000, 2, {}, {}}));
}

TEST(Historial, NewestFirstEachOnceAtMostEight) {
    std::vector<std::string> l;
    for (int i = 0; i < 10; ++i) l = AnadirReciente(l, "f" + std::to_string(i));
    ASSERT_EQ(l.size(), 8u);
    EXPECT_EQ(l.front(), "f9");
    EXPECT_EQ(l.back(), "f2");
    l = AnadirReciente(l, "f5");
    EXPECT_EQ(l, (std::vector<std::string>{"f5", "f9", "f8", "f7", "f6", "f4", "f3", "f2"}));
}

}  // namespace
}  // namespace quelmar::costes
