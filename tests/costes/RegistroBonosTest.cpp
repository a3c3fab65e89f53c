#include <gtest/gtest.h>

#include "Entorno.h"
#include "costes/Motor.h"
#include "costes/RegistroBonos.h"
#include "runtime/OleDate.h"

namespace quelmar::costes {
namespace {

using pruebas::Carpeta;

TEST(RegistroBonos, WhatThePageSavesTheCommandLineReadsBack) {
    const Carpeta c;
    RegistroBonos r = RegistroBonos::Leer(CARPETA_DATOS "/bonos.json");
    ASSERT_EQ(r.Cuantos(), 2u);
    DatosBono nuevo;
    nuevo.tipo = 3;  // 50NOCHE
    nuevo.alta = fecha::DesdeCalendario(2000, 1, 1);
    nuevo.baja = fecha::DesdeCalendario(2000, 6, 30);
    nuevo.tiempo = "12:30:00";
    r.Anadir(nuevo);
    nuevo.tiempo = "";  // full
    r.Cambiar(0, nuevo);
    r.Quitar(1);
    r.DiaFactura(20);
    r.MesesImpares(false);
    r.Guardar(c / "bonos.json");

    const RegistroBonos leido = RegistroBonos::Leer(c / "bonos.json");
    EXPECT_EQ(leido.Json(), r.Json());
    EXPECT_EQ(leido.DiaFactura(), 20);
    EXPECT_FALSE(leido.MesesImpares());
    const auto filas = leido.Filas(cBono());
    ASSERT_EQ(filas.size(), 2u);
    EXPECT_EQ(filas[0].datos.tipo, 3);
    EXPECT_EQ(filas[0].datos.tiempo, "50:00:00");
    EXPECT_EQ(filas[1].datos.tiempo, "12:30:00");
    ASSERT_TRUE(filas[1].datos.baja);
    // The command line takes it as --bonos.
    pruebas::Escribir(c / "vacio.csv", "inicio,fin\n");
    const auto t = c.Tarificador("costear --catalogo " + c.ruta().string() + " --bonos " +
                                 (c / "bonos.json").string() + " " + (c / "vacio.csv").string());
    EXPECT_EQ(t.estado, 0) << t.errores;
}

TEST(RegistroBonos, ATimeThatIsNoDurationChangesNothing) {
    RegistroBonos r = RegistroBonos::Leer(CARPETA_DATOS "/bonos.json");
    const std::string antes = r.Json();
    DatosBono b;
    b.tiempo = "diez horas";
    EXPECT_THROW(r.Anadir(b), ErrorCostes);
    EXPECT_EQ(r.Json(), antes);
}

TEST(RegistroBonos, TimeLeftIsTheSameBonoAfterTheRunAndNoneWhenItExpired) {
    RegistroBonos r = RegistroBonos::Leer(CARPETA_DATOS "/bonos.json");
    cBono tras;
    tras.Copiar(r.Registro());
    tras.tiempo(0, "00:05:00");
    tras.Limpiar(1);  // the second gone, as an expired bono is
    const auto filas = r.Filas(tras);
    ASSERT_EQ(filas.size(), 2u);
    EXPECT_EQ(filas[0].queda, 300);
    EXPECT_FALSE(filas[1].queda);
}

}  // namespace
}  // namespace quelmar::costes
