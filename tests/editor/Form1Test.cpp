#include "editor/Form1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditorPrueba.h"
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

}  // namespace
}  // namespace quelmar::editor
