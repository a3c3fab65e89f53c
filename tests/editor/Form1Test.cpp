#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "EditorPrueba.h"
#include "editor/Form1.h"
#include "runtime/Locale.h"
#include "runtime/RuntimeError.h"

namespace quelmar::editor {
namespace {

using namespace prueba;

const std::string kNoBorrar = "Esta tarifa forma parte del programa.\rNo se puede borrar";
const std::string kNoRenombrar =
    "Esta tarifa forma parte del programa.\rNo se puede cambiar de nombre.";

class Form1Test : public ::testing::Test {
  protected:
    // Starts the window on a catalogue of `n` tariffs; n < 0 leaves the folder empty.
    void Abrir(int n) {
        if (n >= 0) EscribirCatalogo(carpeta.ruta(), n);
        form = std::make_unique<Form1>(ventana, carpeta.ruta(), escritura);
        ASSERT_TRUE(form->Abrir());
    }
    std::vector<std::string> Lista() const {
        std::vector<std::string> v;
        for (std::int32_t p = 1; p <= form->txtNombre.ListCount(); ++p)
            v.push_back(form->txtNombre.Item(p).Text);
        return v;
    }
    std::vector<std::string> Nombres(std::vector<int> indices) const {
        std::vector<std::string> v;
        for (int i : indices) v.push_back(NombreDe(i));
        return v;
    }
    const cLlamada& cat() const { return form->Catalogo(); }

    CarpetaTemporal carpeta;
    VentanaFalsa ventana;
    std::shared_ptr<EscrituraFallida> escritura = std::make_shared<EscrituraFallida>();
    std::unique_ptr<Form1> form;
};

// ---- startup and display ----

TEST_F(Form1Test, StartWithoutFileShowsTheEmptyState) {
    Abrir(-1);
    EXPECT_EQ(form->txtNombre.ListCount(), 0);
    EXPECT_EQ(form->txtNombre.Text(), "");
    EXPECT_EQ(form->conImporte.Text(), "0");
    EXPECT_EQ(form->semImporte.Text(), "0");
    for (const TimeSpinner* t : {&form->conTiempo, &form->semInicio, &form->semFin})
        EXPECT_EQ(t->Value(), 0.0);
    EXPECT_EQ(form->lRegistro.Caption(), "Vacio");
    EXPECT_FALSE(form->hs.Enabled());
    for (const char* c : {"txtNombre", "conImporte", "conTiempo", "semImporte", "semInicio",
                          "semFin", "sabImporte", "sabInicio", "sabFin", "fesImporte", "fesInicio",
                          "fesFin", "cmdCopiar", "cmdSalvar", "cmdBorrar"})
        EXPECT_FALSE(form->Buscar(c)->Enabled()) << c;
    for (const char* c :
         {"cmdAceptar", "cmdCancelar", "cmdNuevo", "cmdRestaurar", "ssTab", "TabStrip1"})
        EXPECT_TRUE(form->Buscar(c)->Enabled()) << c;
    EXPECT_FALSE(std::filesystem::exists(carpeta.fichero()));
}

TEST_F(Form1Test, StartShowsTheFirstTariffAndPickingAnEntryShowsItsOwn) {
    Abrir(12);
    EXPECT_EQ(form->Indice(), 0);
    EXPECT_EQ(form->txtNombre.Text(), "Tarifa 0");
    EXPECT_EQ(form->conImporte.Text(), "10");
    EXPECT_EQ(form->conTiempo.Value(), HoraDe(0, 0));
    EXPECT_EQ(form->semImporte.Text(), "0,1");
    EXPECT_EQ(form->semInicio.Value(), HoraDe(0, 1));
    EXPECT_EQ(form->semFin.Value(), HoraDe(0, 2));
    EXPECT_EQ(form->ssTab.Tab(), 0);
    EXPECT_EQ(form->TabStrip1.SelectedItem(), 1);
    EXPECT_EQ(form->lRegistro.Caption(), "1/12");
    EXPECT_EQ(form->hs.Min(), 1);
    EXPECT_EQ(form->hs.Max(), 12);
    EXPECT_EQ(form->hs.Value(), 1);
    EXPECT_EQ(Lista(), Nombres({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_TRUE(ventana.mensajes.empty());

    form->txtNombre.Elegir(12);
    EXPECT_EQ(form->lRegistro.Caption(), "12/12");
    form->txtNombre.Elegir(5);
    EXPECT_EQ(form->Indice(), 4);
    EXPECT_EQ(form->txtNombre.Text(), "Tarifa 4");
    EXPECT_EQ(form->lRegistro.Caption(), "5/12");
    EXPECT_EQ(form->hs.Value(), 5);
}

TEST_F(Form1Test, PagesAndBandsShowTheirOwnKeysAndOnlyRedraw) {
    Abrir(12);
    form->hs.Mover(4);
    form->TabStrip1.Seleccionar(2);
    EXPECT_EQ(form->semImporte.Text(), "3,3");
    form->ssTab.Seleccionar(2);
    EXPECT_EQ(form->fesImporte.Text(), "3,11");
    EXPECT_EQ(form->fesInicio.Value(), HoraDe(3, 11));
    EXPECT_EQ(form->fesFin.Value(), HoraDe(3, 12));
    form->TabStrip1.Seleccionar(1);
    EXPECT_EQ(form->fesImporte.Text(), "3,9");
    form->ssTab.Seleccionar(1);
    EXPECT_EQ(form->sabFin.Value(), HoraDe(3, 6));
    // Selecting the page already shown redraws nothing.
    form->sabImporte.Teclear("typed");
    form->ssTab.Seleccionar(1);
    EXPECT_EQ(form->sabImporte.Text(), "typed");
    form->ssTab.Seleccionar(0);
    form->ssTab.Seleccionar(1);
    EXPECT_EQ(form->sabImporte.Text(), "3,5");
}

// Opening, browsing every tariff, page and band both ways, and saving must give back the
// very bytes read: seconds and fractions of times, NULs inside texts.
TEST_F(Form1Test, LookingAndSavingWritesEveryValueBackUnchanged) {
    EscribirCatalogo(carpeta.ruta(), 12);
    {
        cLlamada c(carpeta.ruta());
        c.Load();
        c.Valor(7, "Sabado.Reducida.Importe",
                Variant(std::string("7\0"
                                    "ab\0",
                                    5)));
        c.Valor(8, "Nombre", Variant(std::string("Hueco\0\0x", 8)));
        c.Save();
    }
    const std::vector<char> antes = Bytes(carpeta.fichero());
    Abrir(-1);
    for (std::int16_t pos = 1; pos <= 12; pos = static_cast<std::int16_t>(pos + 1)) {
        form->hs.Mover(pos);
        for (int dia : {1, 2, 0}) {
            form->ssTab.Seleccionar(static_cast<std::int16_t>(dia));
            form->TabStrip1.Seleccionar(2);
            form->TabStrip1.Seleccionar(1);
        }
    }
    for (std::int32_t e = 12; e >= 1; --e) form->txtNombre.Elegir(e);
    form->cmdSalvar.Pulsar();
    EXPECT_TRUE(ventana.mensajes.empty());
    EXPECT_EQ(Bytes(carpeta.fichero()), antes);
}

TEST_F(Form1Test, RestaurarRefillsTheListAndShowsTheSavedValues) {
    Abrir(12);
    form->hs.Mover(3);
    form->conImporte.Teclear("9,99");
    form->conImporte.SalirFoco();
    ASSERT_EQ(TextoDe(cat(), 2, "Conexion.Importe"), "9.99");
    form->cmdRestaurar.Pulsar();
    EXPECT_EQ(TextoDe(cat(), 2, "Conexion.Importe"), "12");
    EXPECT_EQ(form->Indice(), 0);
    EXPECT_EQ(form->lRegistro.Caption(), "1/12");
    EXPECT_EQ(Lista(), Nombres({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));

    // Restoring a file with fewer tariffs than the position shown still shows the first.
    form->hs.Mover(10);
    EscribirCatalogo(carpeta.ruta(), 6);
    form->cmdRestaurar.Pulsar();
    EXPECT_EQ(form->txtNombre.ListCount(), 6);
    EXPECT_EQ(form->Indice(), 0);
    EXPECT_EQ(form->lRegistro.Caption(), "1/6");
    EXPECT_EQ(form->txtNombre.Text(), "Tarifa 0");
}

// ---- field entry ----

TEST_F(Form1Test, ChargesAreStoredUnderTheShownBandCutButShownAsTyped) {
    Abrir(12);
    form->TabStrip1.Seleccionar(2);
    form->semImporte.Teclear("0,15");
    form->semImporte.SalirFoco();
    EXPECT_EQ(TextoDe(cat(), 0, "Semana.Reducida.Importe"), "0.15");
    EXPECT_EQ(TextoDe(cat(), 0, "Semana.Normal.Importe"), "0,1");
    form->TabStrip1.Seleccionar(1);
    EXPECT_EQ(form->semImporte.Text(), "0,1");
    form->TabStrip1.Seleccionar(2);
    EXPECT_EQ(form->semImporte.Text(), "0,15");

    // Stored cut to 7 characters, shown as typed until drawn again.
    form->conImporte.Teclear("123456789");
    form->conImporte.SalirFoco();
    EXPECT_EQ(TextoDe(cat(), 0, "Conexion.Importe"), "1234567");
    EXPECT_EQ(form->conImporte.Text(), "123456789");
    form->hs.Mover(2);
    form->hs.Mover(1);
    EXPECT_EQ(form->conImporte.Text(), "1234567");
}

TEST_F(Form1Test, EndTimesGetTheLastSecondOfTheirMinuteOtherTimesGoInAsHeld) {
    Abrir(12);
    struct Caso {
        int h, m;
        double guardado;
    };
    for (const Caso& c :
         {Caso{23, 59, fecha::DesdeHora(23, 59, 59)}, Caso{0, 0, 0.0},
          Caso{0, 1, fecha::DesdeHora(0, 1, 59)}, Caso{22, 30, fecha::DesdeHora(22, 30, 59)}}) {
        form->semFin.EditarHora(c.h, c.m);
        form->semFin.SalirFoco();
        EXPECT_EQ(FechaDe(cat(), 0, "Semana.Normal.Fin"), c.guardado) << c.h << ":" << c.m;
    }
    // Seconds the spinner holds from the file are replaced, not kept.
    form->TabStrip1.Seleccionar(2);
    form->ssTab.Seleccionar(2);
    ASSERT_EQ(form->fesFin.Value(), HoraDe(0, 12));
    form->fesFin.SalirFoco();
    EXPECT_EQ(FechaDe(cat(), 0, "Festivo.Reducida.Fin"), fecha::DesdeHora(0, 12 * 7 % 60, 59));
    EXPECT_EQ(form->fesFin.Value(), HoraDe(0, 12));  // not redrawn
    form->ssTab.Seleccionar(1);
    form->sabFin.EditarHora(7, 0);
    form->sabFin.SalirFoco();
    EXPECT_EQ(FechaDe(cat(), 0, "Sabado.Reducida.Fin"), fecha::DesdeHora(7, 0, 59));

    // Start and connection times go in as the spinner holds them.
    form->ssTab.Seleccionar(0);
    form->TabStrip1.Seleccionar(1);
    form->semInicio.EditarHora(8, 30);
    form->semInicio.SalirFoco();
    EXPECT_EQ(FechaDe(cat(), 0, "Semana.Normal.Inicio"), fecha::DesdeHora(8, 30, 0));
    form->conTiempo.SalirFoco();  // left unedited: the exact value read
    EXPECT_EQ(FechaDe(cat(), 0, "Conexion.Tiempo"), HoraDe(0, 0));
}

TEST_F(Form1Test, ScrollBarStoresTheShownFieldsIntoTheTariffLeft) {
    Abrir(12);
    form->hs.Mover(7);
    form->ssTab.Seleccionar(1);
    form->TabStrip1.Seleccionar(2);
    form->sabImporte.Teclear("x");
    form->sabInicio.EditarHora(8, 0);
    form->sabFin.EditarHora(9, 30);
    form->txtNombre.Teclear("Nueva");
    form->hs.Mover(8);
    EXPECT_EQ(TextoDe(cat(), 6, "Sabado.Reducida.Importe"), "x");
    EXPECT_EQ(FechaDe(cat(), 6, "Sabado.Reducida.Inicio"), fecha::DesdeHora(8, 0, 0));
    // An end the user set gets its last second however the field was left.
    EXPECT_EQ(FechaDe(cat(), 6, "Sabado.Reducida.Fin"), fecha::DesdeHora(9, 30, 59));
    EXPECT_EQ(TextoDe(cat(), 6, "Nombre"), "Nueva");
    EXPECT_EQ(form->txtNombre.Item(7).Text, "Nueva");
    EXPECT_EQ(form->Indice(), 7);
    EXPECT_EQ(form->lRegistro.Caption(), "8/12");
    EXPECT_EQ(form->sabImporte.Text(), "7,7");
    EXPECT_EQ(TextoDe(cat(), 7, "Sabado.Reducida.Importe"), "7,7");
}

// ---- commands ----

TEST_F(Form1Test, BorrarRefusesBuiltInTariffsAndChangesNothing) {
    Abrir(12);
    form->hs.Mover(3);
    form->cmdBorrar.Pulsar();
    ASSERT_EQ(ventana.mensajes.size(), 1u);
    EXPECT_EQ(ventana.mensajes[0].texto, kNoBorrar);
    EXPECT_EQ(ventana.mensajes[0].estilo, 16);
    EXPECT_EQ(ventana.mensajes[0].titulo, "Atencion");
    EXPECT_EQ(cat().Count(), 12);
    EXPECT_EQ(form->txtNombre.ListCount(), 12);
    EXPECT_EQ(form->Indice(), 2);
    EXPECT_EQ(form->lRegistro.Caption(), "3/12");
}

TEST_F(Form1Test, BorrarShowsTheSecondTariffOrTheNewLast) {
    struct Caso {
        int total, borrada, mostrada;
        std::string indicador;
    };
    for (const Caso& c :
         {Caso{12, 7, 1, "2/11"}, Caso{12, 11, 10, "11/11"}, Caso{6, 5, 4, "5/5"}}) {
        SCOPED_TRACE(c.indicador);
        Abrir(c.total);
        form->hs.Mover(static_cast<std::int16_t>(c.borrada + 1));
        form->cmdBorrar.Pulsar();
        EXPECT_EQ(cat().Count(), c.total - 1);
        EXPECT_EQ(form->Indice(), c.mostrada);
        EXPECT_EQ(form->lRegistro.Caption(), c.indicador);
        EXPECT_EQ(form->txtNombre.Text(), NombreDe(c.mostrada));
        std::vector<std::string> quedan;
        for (int i = 0; i < c.total; ++i)
            if (i != c.borrada) quedan.push_back(NombreDe(i));
        EXPECT_EQ(Lista(), quedan);
        EXPECT_TRUE(ventana.mensajes.empty());
    }
    // Five left, all built in: from now on Borrar refuses.
    form->cmdBorrar.Pulsar();
    EXPECT_EQ(cat().Count(), 5);
    EXPECT_EQ(ventana.mensajes.size(), 1u);
}

TEST_F(Form1Test, NuevoAppendsShowsAndFocusesTheNameWhichLeavingStores) {
    Abrir(12);
    form->cmdNuevo.Pulsar();
    EXPECT_EQ(cat().Count(), 13);
    EXPECT_EQ(form->Indice(), 12);
    EXPECT_EQ(form->lRegistro.Caption(), "13/13");
    EXPECT_EQ(form->txtNombre.ListCount(), 13);
    EXPECT_EQ(ventana.focos, std::vector<std::string>{"txtNombre"});
    EXPECT_EQ(form->conImporte.Text(), std::string(7, '\0'));
    // The typed name is stored cut to 15 characters and trimmed; leaving again adds no entry.
    form->txtNombre.Teclear("Abcdefghijklmn opqrs");
    form->txtNombre.SalirFoco();
    EXPECT_EQ(form->txtNombre.Item(13).Text, "Abcdefghijklmn");
    EXPECT_EQ(form->txtNombre.Text(), "Abcdefghijklmn");
    EXPECT_EQ(TextoDe(cat(), 12, "Nombre"), "Abcdefghijklmn");
    form->txtNombre.SalirFoco();
    EXPECT_EQ(form->txtNombre.ListCount(), 13);
}

TEST_F(Form1Test, CopiarAppendsAnEqualTariffWhoseNameCanChange) {
    Abrir(12);
    form->hs.Mover(4);
    form->cmdCopiar.Pulsar();
    EXPECT_EQ(cat().Count(), 13);
    EXPECT_EQ(form->Indice(), 12);
    EXPECT_TRUE(cat().Registro(12) == cat().Registro(3));
    EXPECT_EQ(form->txtNombre.Item(13).Text, "Tarifa 3");
    std::int16_t tecla = 'a';
    form->txtNombre.TeclearCaracter(tecla);
    EXPECT_EQ(tecla, 'a');
    EXPECT_TRUE(ventana.mensajes.empty());
}

TEST_F(Form1Test, FirstFiveNewTariffsOfAnEmptyCatalogueAreBuiltIn) {
    Abrir(-1);
    form->cmdNuevo.Pulsar();
    EXPECT_EQ(cat().Count(), 1);
    EXPECT_EQ(form->Indice(), 0);
    EXPECT_EQ(form->lRegistro.Caption(), "1/1");
    EXPECT_TRUE(form->hs.Enabled());
    EXPECT_EQ(form->txtNombre.ListCount(), 1);
    std::int16_t tecla = 'N';
    form->txtNombre.TeclearCaracter(tecla);
    EXPECT_EQ(tecla, 0);
    EXPECT_FALSE(form->txtNombre.PedirCambio());
    EXPECT_EQ(ventana.mensajes.size(), 2u);
}

TEST_F(Form1Test, NamesOfBuiltInTariffsRefuseEveryChange) {
    Abrir(12);
    form->txtNombre.Elegir(5);  // index 4
    for (int c : {int{'x'}, int{' '}, int{'7'}, 8, 22}) {
        std::int16_t tecla = static_cast<std::int16_t>(c);
        form->txtNombre.TeclearCaracter(tecla);
        EXPECT_EQ(tecla, 0) << c;
    }
    EXPECT_FALSE(form->txtNombre.PedirCambio());  // paste, drop, input method
    ASSERT_EQ(ventana.mensajes.size(), 6u);
    for (const Mensaje& m : ventana.mensajes) {
        EXPECT_EQ(m.texto, kNoRenombrar);
        EXPECT_EQ(m.titulo, "Atencion");
    }
    ventana.mensajes.clear();

    form->txtNombre.Elegir(1);  // index 0
    std::int16_t supr = Form1::vbKeyDelete;
    form->txtNombre.PulsarTecla(supr, 0);
    EXPECT_EQ(supr, 0);
    for (std::int16_t flecha : {std::int16_t{37}, std::int16_t{38}, std::int16_t{39},
                                std::int16_t{40}, std::int16_t{33}, std::int16_t{112}}) {
        std::int16_t tecla = flecha;
        form->txtNombre.PulsarTecla(tecla, 0);
        EXPECT_EQ(tecla, flecha);
    }
    EXPECT_EQ(ventana.mensajes.size(), 1u);
    EXPECT_EQ(TextoDe(cat(), 0, "Nombre"), "Tarifa 0");

    ventana.mensajes.clear();
    form->txtNombre.Elegir(6);  // index 5: everything passes
    std::int16_t tecla = 'x';
    form->txtNombre.TeclearCaracter(tecla);
    supr = Form1::vbKeyDelete;
    form->txtNombre.PulsarTecla(supr, 0);
    EXPECT_EQ(tecla, 'x');
    EXPECT_EQ(supr, Form1::vbKeyDelete);
    EXPECT_TRUE(form->txtNombre.PedirCambio());
    EXPECT_TRUE(ventana.mensajes.empty());
}

TEST_F(Form1Test, SalvarThenCancelarKeepsTheSavedState) {
    Abrir(12);
    form->conImporte.Teclear("1,11");
    form->conImporte.SalirFoco();
    form->cmdSalvar.Pulsar();
    form->conImporte.Teclear("2,22");
    form->conImporte.SalirFoco();
    form->cmdCancelar.Pulsar();
    EXPECT_EQ(ventana.cierres, 1);
    cLlamada leido(carpeta.ruta());
    leido.Load();
    EXPECT_EQ(TextoDe(leido, 0, "Conexion.Importe"), "1.11");
}

TEST_F(Form1Test, AceptarSavesAndClosesAnEmptyCatalogueRemovesTheFile) {
    { std::ofstream vacio(carpeta.fichero()); }
    Abrir(-1);
    ASSERT_EQ(form->lRegistro.Caption(), "Vacio");
    form->cmdAceptar.Pulsar();
    EXPECT_FALSE(std::filesystem::exists(carpeta.fichero()));
    EXPECT_EQ(ventana.cierres, 1);
}

// ---- failures that must not lose or overwrite data ----

TEST_F(Form1Test, FailedSaveKeepsTheWindowTheWorkAndTheOldFile) {
    Abrir(12);
    const std::vector<char> antes = Bytes(carpeta.fichero());
    form->conImporte.Teclear("5,55");
    form->conImporte.SalirFoco();
    escritura->fallar = true;
    form->cmdSalvar.Pulsar();
    form->cmdAceptar.Pulsar();
    ASSERT_EQ(ventana.mensajes.size(), 2u);
    for (const Mensaje& m : ventana.mensajes) {
        EXPECT_NE(m.texto.find("Tarifas.Dat"), std::string::npos) << m.texto;
        EXPECT_EQ(m.estilo, 16);
        EXPECT_EQ(m.titulo, "Atencion");
    }
    EXPECT_EQ(ventana.cierres, 0);
    EXPECT_EQ(TextoDe(cat(), 0, "Conexion.Importe"), "5.55");
    EXPECT_EQ(Bytes(carpeta.fichero()), antes);

    escritura->fallar = false;
    form->cmdAceptar.Pulsar();
    EXPECT_EQ(ventana.cierres, 1);
    cLlamada leido(carpeta.ruta());
    leido.Load();
    EXPECT_EQ(TextoDe(leido, 0, "Conexion.Importe"), "5.55");
}

TEST_F(Form1Test, FailedReadingAtStartShowsTheErrorAndCloses) {
    // A folder in the file's place cannot be read, whoever runs the test.
    std::filesystem::create_directory(carpeta.fichero());
    Form1 f(ventana, carpeta.ruta(), escritura);
    EXPECT_FALSE(f.Abrir());
    ASSERT_EQ(ventana.mensajes.size(), 1u);
    EXPECT_NE(ventana.mensajes[0].texto.find("Tarifas.Dat"), std::string::npos);
    EXPECT_EQ(ventana.mensajes[0].titulo, "Atencion");
    EXPECT_EQ(ventana.cierres, 1);
    EXPECT_TRUE(std::filesystem::is_directory(carpeta.fichero()));
}

TEST_F(Form1Test, ACutCatalogueIsToldShownWholeAndLeftUntilSalvar) {
    EscribirCatalogo(carpeta.ruta(), 6);
    const std::string cortado = carpeta.Leer().substr(0, 5 * 168 + 100);
    carpeta.Escribir(cortado);
    Abrir(-1);
    ASSERT_EQ(ventana.mensajes.size(), 1u);
    EXPECT_EQ(ventana.mensajes[0].titulo, "Atencion");
    EXPECT_NE(ventana.mensajes[0].texto.find("mide 940 bytes"), std::string::npos);
    EXPECT_NE(ventana.mensajes[0].texto.find("Se muestran las 5 tarifas"), std::string::npos);
    EXPECT_EQ(form->txtNombre.ListCount(), 5);
    EXPECT_EQ(carpeta.Leer(), cortado);
    form->cmdSalvar.Pulsar();
    EXPECT_EQ(carpeta.Leer(), cortado.substr(0, 5 * 168));
}

TEST_F(Form1Test, FailedRestaurarKeepsTheTariffsInMemory) {
    Abrir(12);
    form->hs.Mover(6);
    form->conImporte.Teclear("7,77");
    form->conImporte.SalirFoco();
    std::filesystem::remove(carpeta.fichero());
    std::filesystem::create_directory(carpeta.fichero());
    form->cmdRestaurar.Pulsar();
    ASSERT_EQ(ventana.mensajes.size(), 1u);
    EXPECT_EQ(ventana.mensajes[0].titulo, "Atencion");
    EXPECT_EQ(cat().Count(), 12);
    EXPECT_EQ(TextoDe(cat(), 5, "Conexion.Importe"), "7.77");
    EXPECT_EQ(form->Indice(), 5);
    EXPECT_EQ(form->txtNombre.ListCount(), 12);
    EXPECT_EQ(ventana.cierres, 0);
}

// With Tarifas.Dat gone there is nothing to read: the window says so and keeps its tariffs,
// which Salvar can still write.
TEST_F(Form1Test, RestaurarWithoutTheFileSaysSoAndKeepsTheTariffs) {
    Abrir(12);
    form->hs.Mover(6);
    form->conImporte.Teclear("7,77");
    form->conImporte.SalirFoco();
    std::filesystem::remove(carpeta.fichero());
    form->cmdRestaurar.Pulsar();
    ASSERT_EQ(ventana.mensajes.size(), 1u);
    EXPECT_NE(ventana.mensajes[0].texto.find("no existe"), std::string::npos);
    EXPECT_EQ(cat().Count(), 12);
    EXPECT_EQ(TextoDe(cat(), 5, "Conexion.Importe"), "7.77");
    EXPECT_EQ(form->Indice(), 5);
    ventana.respuesta = true;  // to the question about the file that changed
    form->cmdSalvar.Pulsar();
    cLlamada leido(carpeta.ruta());
    leido.Load();
    EXPECT_EQ(TextoDe(leido, 5, "Conexion.Importe"), "7.77");
}

// ---- what the user reads is what is stored and charged ----

TEST_F(Form1Test, TypedChargesAreStoredInTheEnginesFormAndWarnWhenNotWhatTheyShow) {
    struct Caso {
        char decimal;
        const char* tecleado;
        const char* guardado;
        const char* aviso;
    };
    const Caso casos[] = {
        {',', "5,5", "5.5", ""},
        {',', "5.5", "5.5", ""},
        {'.', "5.5", "5.5", ""},
        {',', " -12 ", "-12", ""},
        {',', "", "", ""},
        {'.', "5,5", "5,5", "Se cobra como 5"},
        {',', "1.234,5", "1.234,5", "Se cobra como 1,234"},
        {',', "abc", "abc", "Se cobra como 0"},
        {',', "11,5€", "11,5€", "Se cobra como 11"},
        {',', "123456789", "1234567", "Se cobra como 1234567"},
        {',', "0,123456", "0.12345", "Se cobra como 0,12345"},
    };
    Abrir(12);
    for (const Caso& c : casos) {
        Locale l;
        l.separadorDecimal = c.decimal;
        const LocaleScope scope(l);
        form->conImporte.Teclear(c.tecleado);
        form->conImporte.SalirFoco();
        EXPECT_EQ(TextoDe(cat(), 0, "Conexion.Importe"), c.guardado) << c.tecleado;
        EXPECT_EQ(form->conImporte.Text(), c.tecleado);
        EXPECT_EQ(form->conImporte.Aviso(), c.aviso) << c.tecleado;
    }
}

TEST_F(Form1Test, StoredChargesAreShownTheUsersWayAndFlaggedWhenChargedOtherwise) {
    EscribirCatalogo(carpeta.ruta(), 6);
    {
        cLlamada c(carpeta.ruta());
        c.Load();
        c.Valor(0, "Conexion.Importe", Variant("3.25"));
        c.Valor(1, "Conexion.Importe", Variant("0,15"));
        c.Valor(2, "Conexion.Importe", Variant("11.5\x80"));
        c.Valor(3, "Conexion.Importe", Variant("abc"));
        c.Save();
    }
    const std::vector<char> antes = Bytes(carpeta.fichero());
    Abrir(-1);
    struct Caso {
        const char* mostrado;
        const char* aviso;
    };
    const Caso casos[] = {{"3,25", ""},
                          {"0,15", "Se cobra como 0"},
                          {"11.5\x80", "Se cobra como 11,5"},
                          {"abc", "Se cobra como 0"}};
    for (std::int16_t i = 0; i < 4; ++i) {
        form->hs.Mover(static_cast<std::int16_t>(i + 1));
        EXPECT_EQ(form->conImporte.Text(), casos[i].mostrado);
        EXPECT_EQ(form->conImporte.Aviso(), casos[i].aviso) << casos[i].mostrado;
    }
    // Walking through them stores each back as it was: an old "0,15" keeps costing 0.
    form->hs.Mover(6);
    form->hs.Mover(1);
    EXPECT_EQ(TextoDe(cat(), 1, "Conexion.Importe"), "0,15");
    EXPECT_EQ(TextoDe(cat(), 0, "Conexion.Importe"), "3.25");
    form->cmdSalvar.Pulsar();  // refused for "abc"
    EXPECT_EQ(Bytes(carpeta.fichero()), antes);
}

TEST_F(Form1Test, SalvarRefusesWhatWouldNotReadBackShowsTheTariffAndWritesNothing) {
    struct Caso {
        const char* nombre;
        const char* importe;
        std::vector<std::string> palabras;
        std::int16_t pagina, banda;
    };
    const std::vector<Caso> casos = {
        {"\xC1vila", "1", {"la tarifa 8 («Ávila»)", "empieza por «Á»", "sin tilde"}, 0, 1},
        {"\xBFQu\xE9?", "1", {"la tarifa 8 («¿Qué?»)", "empieza por «¿»"}, 0, 1},
        {nullptr, "1", {"la tarifa 13 no se leería", "No tiene nombre", "«Nombre»"}, 0, 1},
        {"Bien", "abc", {"«Sabado, Reducida, Importe» («abc») no es un número", "0,15"}, 1, 2},
        {"   ",
         "1",
         {"la tarifa 8 tiene el nombre en blanco", "Escriba su nombre en «Nombre»"},
         0,
         1},
    };
    for (const Caso& c : casos) {
        EscribirCatalogo(carpeta.ruta(), 12);
        const std::vector<char> antes = Bytes(carpeta.fichero());
        ventana.mensajes.clear();
        Abrir(-1);
        if (c.nombre) {
            form->hs.Mover(8);
            form->txtNombre.Teclear(c.nombre);
            form->txtNombre.SalirFoco();
        } else {
            form->cmdNuevo.Pulsar();  // its name is never written
        }
        form->ssTab.Seleccionar(1);
        form->TabStrip1.Seleccionar(2);
        form->sabImporte.Teclear(c.importe);
        form->sabImporte.SalirFoco();
        form->ssTab.Seleccionar(0);
        form->TabStrip1.Seleccionar(1);
        form->hs.Mover(2);
        ventana.mensajes.clear();
        form->cmdAceptar.Pulsar();
        EXPECT_EQ(ventana.cierres, 0);
        EXPECT_EQ(Bytes(carpeta.fichero()), antes);
        ASSERT_EQ(ventana.mensajes.size(), 1u) << c.palabras[0];
        const Mensaje& m = ventana.mensajes[0];
        EXPECT_EQ(m.titulo, "Atencion");
        EXPECT_EQ(m.texto.rfind("No se ha salvado nada: ", 0), 0u) << m.texto;
        for (const std::string& p : c.palabras)
            EXPECT_NE(m.texto.find(p), std::string::npos) << m.texto;
        EXPECT_EQ(form->Indice(), c.nombre ? 7 : 12);
        EXPECT_EQ(form->ssTab.Tab(), c.pagina);
        EXPECT_EQ(form->TabStrip1.SelectedItem(), c.banda);
    }
}

// An old file's time that is no time of day: every call under the tariff would fail.
TEST_F(Form1Test, SalvarRefusesATimeThatIsNoTimeOfDayAndShowsWhere) {
    struct Caso {
        const char* clave;
        double valor;
        std::int16_t indice, pagina, banda;
        std::string palabras;
    };
    const Caso casos[] = {
        {"Conexion.Tiempo", std::nan(""), 6, 0, 2,
         "en la tarifa 7 («Tarifa 6»), «Conexion, Tiempo»: nan no es una hora del día"},
        {"Semana.Reducida.Fin", 1e308, 5, 0, 2, "«Semana, Reducida, Fin»: 1e+308 no es una hora"},
        {"Sabado.Normal.Inicio", -0.25, 9, 1, 1, "«Sabado, Normal, Inicio»: -0.25 no es una hora"},
        {"Festivo.Normal.Fin", 1.0, 11, 2, 1, "«Festivo, Normal, Fin»: 1 no es una hora del día"},
    };
    for (const Caso& c : casos) {
        EscribirCatalogo(carpeta.ruta(), 12);
        {
            cLlamada cat(carpeta.ruta());
            cat.Load();
            cat.Valor(c.indice, c.clave, Variant::DeFecha(c.valor));
            cat.Save();
        }
        const std::vector<char> antes = Bytes(carpeta.fichero());
        Abrir(-1);
        form->ssTab.Seleccionar(2);
        form->TabStrip1.Seleccionar(2);
        ventana.mensajes.clear();
        form->cmdAceptar.Pulsar();
        EXPECT_EQ(ventana.cierres, 0);
        EXPECT_EQ(Bytes(carpeta.fichero()), antes);
        ASSERT_EQ(ventana.mensajes.size(), 1u) << c.clave;
        EXPECT_EQ(ventana.mensajes[0].texto.rfind("No se ha salvado nada: ", 0), 0u);
        EXPECT_NE(ventana.mensajes[0].texto.find(c.palabras), std::string::npos)
            << ventana.mensajes[0].texto;
        EXPECT_NE(ventana.mensajes[0].texto.find("\rEscriba una hora entre 00:00:00 y 23:59:59."),
                  std::string::npos);
        EXPECT_EQ(form->Indice(), c.indice) << c.clave;
        EXPECT_EQ(form->ssTab.Tab(), c.pagina) << c.clave;
        EXPECT_EQ(form->TabStrip1.SelectedItem(), c.banda) << c.clave;
    }
}

// Copiar then Salvar: two tariffs of one name, of which the costing finds only the first.
TEST_F(Form1Test, SalvarAsksAboutANameUsedTwiceNamingBothTariffs) {
    Abrir(12);
    form->hs.Mover(4);
    form->cmdCopiar.Pulsar();
    form->hs.Mover(1);
    const std::vector<char> antes = Bytes(carpeta.fichero());
    ventana.respuesta = false;
    form->cmdAceptar.Pulsar();
    ASSERT_EQ(ventana.preguntas.size(), 1u);
    EXPECT_EQ(ventana.preguntas[0].texto,
              "la tarifa 13 («Tarifa 3») se llama como la tarifa 4 («Tarifa 3»): al elegir una "
              "tarifa por su nombre solo se encontraría la 4.\r¿Salvar de todos modos?");
    EXPECT_EQ(ventana.preguntas[0].titulo, "Atencion");
    EXPECT_TRUE(ventana.mensajes.empty());
    EXPECT_EQ(ventana.cierres, 0);
    EXPECT_EQ(Bytes(carpeta.fichero()), antes);
    EXPECT_EQ(form->Indice(), 12);

    ventana.respuesta = true;
    form->cmdAceptar.Pulsar();
    EXPECT_EQ(ventana.preguntas.size(), 2u);
    EXPECT_EQ(ventana.cierres, 1);
    cLlamada leido(carpeta.ruta());
    leido.Load();
    EXPECT_EQ(leido.Count(), 13);
    EXPECT_EQ(TextoDe(leido, 12, "Nombre"), "Tarifa 3");
}

TEST_F(Form1Test, LeavingANameThatEndsTheListWarnsAtOnce) {
    Abrir(12);
    form->hs.Mover(9);
    form->txtNombre.Teclear("\xD1u");
    form->txtNombre.SalirFoco();
    ASSERT_EQ(ventana.mensajes.size(), 1u);
    EXPECT_NE(ventana.mensajes[0].texto.find("empieza por «Ñ»"), std::string::npos);
    form->txtNombre.Teclear("Nu");
    form->txtNombre.SalirFoco();
    form->cmdNuevo.Pulsar();  // the new tariff's empty name warns only once left by the user
    EXPECT_EQ(ventana.mensajes.size(), 1u);
}

TEST_F(Form1Test, SalvarRefusesMoreTariffsThanTheFileTakes) {
    Abrir(12);
    while (cat().Count() < cLlamada::kMaxTarifasFichero + 1) form->cmdCopiar.Pulsar();
    ASSERT_EQ(form->txtNombre.ListCount(), cat().Count());
    const std::vector<char> antes = Bytes(carpeta.fichero());
    form->cmdSalvar.Pulsar();
    ASSERT_EQ(ventana.mensajes.size(), 1u);
    EXPECT_NE(ventana.mensajes[0].texto.find("más de 32766 tarifas"), std::string::npos);
    EXPECT_EQ(Bytes(carpeta.fichero()), antes);
}

TEST_F(Form1Test, AnEndLeftForTheScrollBarKeepsItsLastSecond) {
    Abrir(12);
    form->semFin.EditarHora(17, 30);
    form->semFin.SalirFoco();  // the binding reports the leaving before the bar's Change
    form->hs.Mover(2);
    EXPECT_EQ(FechaDe(cat(), 0, "Semana.Normal.Fin"), fecha::DesdeHora(17, 30, 59));
}

TEST_F(Form1Test, ANameTypedAndAbandonedForAnotherEntryIsStored) {
    Abrir(12);
    form->txtNombre.Elegir(8);
    form->txtNombre.Teclear("Renombrada");
    form->txtNombre.Elegir(3);
    EXPECT_EQ(TextoDe(cat(), 7, "Nombre"), "Renombrada");
    EXPECT_EQ(form->txtNombre.Item(8).Text, "Renombrada");
    EXPECT_EQ(form->Indice(), 2);
    EXPECT_EQ(form->txtNombre.Text(), "Tarifa 2");
}

TEST_F(Form1Test, SalvarAsksBeforeOverwritingAFileAnotherProgramSaved) {
    Abrir(12);
    form->conImporte.Teclear("1");
    form->conImporte.SalirFoco();
    EscribirCatalogo(carpeta.ruta(), 7);  // another window, or tarificador importar
    const std::vector<char> suyo = Bytes(carpeta.fichero());
    ventana.respuesta = false;
    form->cmdAceptar.Pulsar();
    ASSERT_EQ(ventana.preguntas.size(), 1u);
    EXPECT_NE(ventana.preguntas[0].texto.find("ha cambiado"), std::string::npos);
    EXPECT_EQ(ventana.cierres, 0);
    EXPECT_EQ(Bytes(carpeta.fichero()), suyo);

    ventana.respuesta = true;
    form->cmdSalvar.Pulsar();
    EXPECT_EQ(ventana.preguntas.size(), 2u);
    cLlamada leido(carpeta.ruta());
    leido.Load();
    EXPECT_EQ(leido.Count(), 12);
    form->cmdSalvar.Pulsar();  // its own save is no change
    EXPECT_EQ(ventana.preguntas.size(), 2u);
}

// Any sequence of commands keeps the name list in step with the catalogue, and what Salvar
// wrote reads back as the window showed it.
TEST_F(Form1Test, AnySequenceOfCommandsKeepsTheListInStepAndSavesWhatItShows) {
    for (unsigned semilla = 1; semilla <= 40; ++semilla) {
        // No file, a file that reads as no tariffs, or a catalogue.
        std::filesystem::remove(carpeta.fichero());
        if (semilla % 3 == 1) std::ofstream(carpeta.fichero()).put('\0');
        if (semilla % 3 == 2) EscribirCatalogo(carpeta.ruta(), 6 + static_cast<int>(semilla % 5));
        Abrir(-1);
        std::mt19937 azar(semilla);
        const auto tirar = [&azar](int n) {
            return static_cast<int>(azar() % static_cast<unsigned>(n));
        };
        for (int paso = 0; paso < 60; ++paso) {
            const std::int16_t n = cat().Count();
            switch (tirar(10)) {
                case 0:
                    form->cmdNuevo.Pulsar();
                    break;
                case 1:
                    form->cmdCopiar.Pulsar();
                    break;
                case 2:
                    form->cmdBorrar.Pulsar();
                    break;
                case 3:
                    form->cmdRestaurar.Pulsar();
                    break;
                case 4:
                    form->cmdSalvar.Pulsar();
                    break;
                case 5:
                    if (n) form->hs.Mover(static_cast<std::int16_t>(1 + tirar(n)));
                    break;
                case 6:
                    if (n) form->txtNombre.Elegir(1 + tirar(n));
                    break;
                case 7:
                    form->ssTab.Seleccionar(static_cast<std::int16_t>(tirar(3)));
                    form->TabStrip1.Seleccionar(static_cast<std::int16_t>(1 + tirar(2)));
                    break;
                case 8:
                    if (n && form->Indice() >= Form1::kIncorporadas) {
                        form->txtNombre.Teclear("T" + std::to_string(tirar(1000)));
                        form->txtNombre.SalirFoco();
                    }
                    break;
                default:
                    form->semImporte.Teclear(std::to_string(tirar(100)) + ",5");
                    form->semImporte.SalirFoco();
                    break;
            }
            const std::int16_t c = cat().Count();
            ASSERT_EQ(form->txtNombre.ListCount(), c) << "semilla " << semilla << " paso " << paso;
            if (c == 0) continue;
            ASSERT_GE(form->Indice(), 0);
            ASSERT_LT(form->Indice(), c);
            for (std::int16_t i = 0; i < c; ++i)
                ASSERT_EQ(form->txtNombre.Item(i + 1).Text, TextoDe(cat(), i, "Nombre"));
        }
        ventana.mensajes.clear();
        ventana.respuesta = true;  // a name used twice is saved when the user says so
        form->cmdSalvar.Pulsar();
        ventana.respuesta = false;
        if (!ventana.mensajes.empty()) continue;  // refused: nothing to read back
        cLlamada leido(carpeta.ruta());
        leido.Load();
        ASSERT_EQ(leido.Count(), cat().Count()) << "semilla " << semilla;
        for (std::int16_t i = 0; i < cat().Count(); ++i)
            for (const char* k :
                 {"Nombre", "Conexion.Importe", "Semana.Normal.Importe", "Semana.Reducida.Importe"})
                ASSERT_EQ(TextoDe(leido, i, k), TextoDe(cat(), i, k));
    }
}

// ---- closing by the window manager ----

// Only changes not saved are asked about; the answer decides the save and the closing.
TEST_F(Form1Test, ClosingWithChangesNotSavedAsksWhetherToSaveThem) {
    struct Caso {
        const char* importe;  // typed and left; nullptr: only looked at the other pages
        const char* boton;    // pressed before closing, or nullptr
        int respuesta;
        bool falla, pregunta, cierra, salvado;
    };
    using V = IVentana;
    for (const Caso& c : {Caso{nullptr, nullptr, V::vbCancel, false, false, true, false},
                          Caso{"9,99", "cmdSalvar", V::vbCancel, false, false, true, true},
                          Caso{"9,99", "cmdRestaurar", V::vbCancel, false, false, true, false},
                          Caso{"9,99", nullptr, V::vbYes, false, true, true, true},
                          Caso{"9,99", nullptr, V::vbNo, false, true, true, false},
                          Caso{"9,99", nullptr, V::vbCancel, false, true, false, false},
                          Caso{"9,99", nullptr, V::vbYes, true, true, false, false},
                          Caso{nullptr, "cmdNuevo", V::vbNo, false, true, true, false}}) {
        Abrir(12);
        const std::string que = std::string(c.importe ? c.importe : "-") + (c.boton ? c.boton : "");
        if (c.importe) form->conImporte.Teclear(c.importe);
        form->conImporte.SalirFoco();
        for (int d : {2, 1, 0}) form->ssTab.Seleccionar(static_cast<std::int16_t>(d));
        form->hs.Mover(7);
        form->hs.Mover(1);
        if (c.boton) static_cast<Button*>(form->Buscar(c.boton))->Pulsar();
        ventana.preguntas.clear();
        ventana.respuestaSalvar = c.respuesta;
        escritura->fallar = c.falla;
        EXPECT_EQ(form->Form_QueryUnload(), c.cierra) << que;
        escritura->fallar = false;
        ASSERT_EQ(ventana.preguntas.size(), c.pregunta ? 1u : 0u) << que;
        if (c.pregunta) {
            EXPECT_EQ(ventana.preguntas[0].texto, "¿Salvar los cambios?");
        }
        cLlamada leido(carpeta.ruta());
        leido.Load();
        EXPECT_EQ(TextoDe(leido, 0, "Conexion.Importe"), c.salvado ? "9.99" : "10") << que;
    }
}

}  // namespace
}  // namespace quelmar::editor
