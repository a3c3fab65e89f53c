#include "editor/Controles.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"

namespace quelmar::editor {
namespace {

// Positions seen by Change at each run, to check when and with what it runs.
struct Registro {
    explicit Registro(ScrollBar& b) {
        b.Change = [this, &b] { vistos.push_back(b.Value()); };
    }
    std::vector<std::int16_t> vistos;
};

TEST(ScrollBarTest, NewMinimumPullsThePositionAndRunsChangeOnce) {
    ScrollBar hs("hs");
    Registro r(hs);
    hs.Max(12);  // 0 still inside 0..12
    EXPECT_TRUE(r.vistos.empty());
    hs.Min(1);
    EXPECT_EQ(r.vistos, (std::vector<std::int16_t>{1}));
    hs.Value(1);  // the position it already has
    EXPECT_EQ(r.vistos.size(), 1u);
}

TEST(ScrollBarTest, NewMaximumBelowThePositionPullsItDown) {
    ScrollBar hs("hs");
    hs.Max(12);
    hs.Min(1);
    hs.Value(12);
    Registro r(hs);
    hs.Max(11);
    EXPECT_EQ(r.vistos, (std::vector<std::int16_t>{11}));
    hs.Max(20);  // a wider range leaves the position alone
    EXPECT_EQ(r.vistos.size(), 1u);
}

TEST(ScrollBarTest, ChangeRunsNestedAndSeesWritesMadeInsideIt) {
    ScrollBar hs("hs");
    hs.Max(10);
    std::vector<std::int16_t> vistos;
    hs.Change = [&] {
        vistos.push_back(hs.Value());
        if (hs.Value() == 3) hs.Value(7);  // runs Change again before returning
        vistos.push_back(-hs.Value());
    };
    hs.Value(3);
    EXPECT_EQ(vistos, (std::vector<std::int16_t>{3, 7, -7, -7}));
    EXPECT_EQ(hs.Value(), 7);
}

TEST(ScrollBarTest, PositionOutsideTheRangeIsRefused) {
    ScrollBar hs("hs");
    hs.Max(5);
    hs.Min(1);
    try {
        hs.Value(6);
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Numero(), 380);
    }
    EXPECT_EQ(hs.Value(), 1);
}

TEST(ScrollBarTest, UserMovesOnlyAnEnabledBar) {
    ScrollBar hs("hs");
    Registro r(hs);
    hs.Enabled(false);
    hs.Mover(4);
    EXPECT_EQ(hs.Value(), 0);
    hs.Enabled(true);
    hs.Mover(4);
    EXPECT_EQ(r.vistos, (std::vector<std::int16_t>{4}));
}

TEST(TimeSpinnerTest, KeepsTheExactValueUntilTheUserEdits) {
    TimeSpinner t("semFin");
    const double conSegundos = fecha::DesdeHora(17, 59, 59) + 3e-9;
    t.Value(conSegundos);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(t.Value()), std::bit_cast<std::uint64_t>(conSegundos));
    EXPECT_EQ(t.Hora(), 17);
    EXPECT_EQ(t.Minuto(), 59);

    t.EditarHora(8, 5);
    EXPECT_EQ(t.Value(), fecha::DesdeHora(8, 5, 0));
}

TEST(TimeSpinnerTest, ShowsMidnightForAValueThatIsNoDate) {
    TimeSpinner t("conTiempo");
    t.Value(1e300);
    EXPECT_EQ(t.Hora(), 0);
    EXPECT_EQ(t.Minuto(), 0);
    EXPECT_EQ(t.Value(), 1e300);
}

TEST(ImageComboTest, EntriesCountFromOne) {
    ImageCombo c("txtNombre");
    c.AddItem("A", 1, 1);
    c.AddItem("B", 1, 1);
    c.AddItem("C", 1, 1);
    c.RemoveItem(2);
    ASSERT_EQ(c.ListCount(), 2);
    EXPECT_EQ(c.Item(1).Text, "A");
    EXPECT_EQ(c.Item(2).Text, "C");
    c.ItemText(2, "Z");
    EXPECT_EQ(c.Item(2).Text, "Z");
    EXPECT_THROW(c.RemoveItem(3), RuntimeError);
    EXPECT_THROW(c.ItemText(0, "x"), RuntimeError);
    EXPECT_EQ(c.ListCount(), 2);
}

TEST(ImageComboTest, PickingSetsTextAndEntryBeforeClick) {
    ImageCombo c("txtNombre");
    c.AddItem("Uno", 1, 1);
    c.AddItem("Dos", 1, 1);
    std::string textoEnClick;
    std::int32_t entradaEnClick = 0;
    c.Click = [&] {
        textoEnClick = c.Text();
        entradaEnClick = c.SelectedItem();
    };
    c.Elegir(2);
    EXPECT_EQ(textoEnClick, "Dos");
    EXPECT_EQ(entradaEnClick, 2);
    c.RemoveItem(1);  // the picked entry moves up with the list
    EXPECT_EQ(c.SelectedItem(), 1);
    c.ClearItems();
    EXPECT_EQ(c.SelectedItem(), 0);
}

TEST(ControlTest, CodeWritesRaiseTheRevisionUserEditsDoNot) {
    TextBox t("conImporte");
    const auto r0 = t.Revision();
    t.Teclear("typed");
    EXPECT_EQ(t.Revision(), r0);
    t.Text("drawn");
    EXPECT_GT(t.Revision(), r0);

    ImageCombo c("txtNombre");
    const auto lista = c.RevisionLista();
    const auto textos = c.RevisionTextos();
    c.AddItem("A", 1, 1);
    EXPECT_GT(c.RevisionLista(), lista);
    EXPECT_EQ(c.RevisionTextos(), textos);
    c.ItemText(1, "B");
    EXPECT_GT(c.RevisionTextos(), textos);
}

TEST(ControlTest, DisabledControlsIgnoreTheUser) {
    int clicks = 0;
    Button b("cmdSalvar", "&Salvar");
    b.Click = [&] { ++clicks; };
    TextBox t("conImporte");
    t.LostFocus = [&] { ++clicks; };
    b.Enabled(false);
    t.Enabled(false);
    b.Pulsar();
    t.SalirFoco();
    EXPECT_EQ(clicks, 0);
    b.Enabled(true);
    b.Pulsar();
    EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace quelmar::editor
