#include <bit>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

#include "editor/Controles.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"

namespace quelmar::editor {
namespace {

using Vistos = std::vector<std::int16_t>;

TEST(ScrollBarTest, ChangeRunsOnlyWhenThePositionMovesAlsoWhenABoundPullsIt) {
    ScrollBar hs("hs");
    Vistos vistos;
    hs.Change = [&] { vistos.push_back(hs.Value()); };
    hs.Max(12);  // 0 still inside 0..12
    hs.Min(1);   // pulls 0 up to 1
    hs.Value(1);
    hs.Value(12);
    hs.Max(11);  // pulls 12 down to 11
    hs.Max(20);
    hs.Enabled(false);
    hs.Mover(5);  // the user cannot move a disabled bar
    hs.Enabled(true);
    EXPECT_EQ(vistos, (Vistos{1, 12, 11}));
    try {
        hs.Value(21);
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Numero(), 380);
    }
    EXPECT_EQ(hs.Value(), 11);
}

TEST(ScrollBarTest, ChangeRunsNestedInsideTheWriteThatCausesIt) {
    ScrollBar hs("hs");
    hs.Max(10);
    Vistos vistos;
    hs.Change = [&] {
        vistos.push_back(hs.Value());
        if (hs.Value() == 3) hs.Value(7);
        vistos.push_back(static_cast<std::int16_t>(-hs.Value()));
    };
    hs.Value(3);
    EXPECT_EQ(vistos, (Vistos{3, 7, -7, -7}));
}

TEST(TimeSpinnerTest, KeepsTheExactValueUntilTheUserEdits) {
    TimeSpinner t("semFin");
    const double conSegundos = fecha::DesdeHora(17, 59, 59) + 3e-9;
    t.Value(conSegundos);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(t.Value()), std::bit_cast<std::uint64_t>(conSegundos));
    EXPECT_EQ(t.Hora() * 100 + t.Minuto(), 1759);
    t.EditarHora(8, 5);
    EXPECT_EQ(t.Value(), fecha::DesdeHora(8, 5, 0));
    t.Value(1e300);  // no date: shown as 00:00, kept as it is
    EXPECT_EQ(t.Hora() + t.Minuto(), 0);
    EXPECT_EQ(t.Value(), 1e300);
}

TEST(ImageComboTest, EntriesCountFromOneAndPickingSetsTheTextBeforeClick) {
    ImageCombo c("txtNombre");
    for (const char* s : {"A", "B", "C"}) c.AddItem(s, 1, 1);
    std::string textoEnClick;
    c.Click = [&] { textoEnClick = c.Text() + std::to_string(c.SelectedItem()); };
    c.Elegir(3);
    EXPECT_EQ(textoEnClick, "C3");
    c.RemoveItem(2);
    EXPECT_EQ(c.SelectedItem(), 2);  // the picked entry moved up
    c.ItemText(2, "Z");
    EXPECT_EQ(c.Item(1).Text + c.Item(2).Text, "AZ");
    EXPECT_THROW(c.RemoveItem(3), RuntimeError);
    EXPECT_EQ(c.ListCount(), 2);
}

// A binding redraws what code wrote, and leaves alone what the user typed.
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
    EXPECT_EQ(c.RevisionTextos(), textos);
    c.ItemText(1, "B");
    EXPECT_GT(c.RevisionLista(), lista);
    EXPECT_GT(c.RevisionTextos(), textos);
}

}  // namespace
}  // namespace quelmar::editor
