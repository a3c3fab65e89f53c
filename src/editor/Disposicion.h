#pragma once

#include <array>
#include <string_view>

namespace quelmar::editor {

// The layout of the editor window, toolkit-free, for a binding to build its widgets from.
// Positions are left, top, width and height in twips relative to the container; the
// controls on a day page are placed relative to the area of the day tabs `ssTab`.
struct Disposicion {
    static constexpr std::string_view kTitulo = "Editor de tarifas";
    static constexpr int kAncho = 4005;  // client area, twips
    static constexpr int kAlto = 3855;

    static constexpr std::array<std::string_view, 3> kPaginas = {"Semana", "Sabado", "Festivo"};
    static constexpr std::array<std::string_view, 2> kBandas = {"Normal", "Reducida"};

    enum class Clase {
        Frame,
        Label,
        TextBox,
        TimeSpinner,
        ImageCombo,
        ScrollBar,
        SSTab,
        TabStrip,
        Button
    };

    struct Elemento {
        std::string_view nombre;
        Clase clase;
        std::string_view contenedor;  // "" for the window, else a frame or "ssTab"
        int pagina;                   // page of ssTab the control lies on, -1 elsewhere
        std::string_view caption;     // fixed caption of frames, labels and buttons
        int left, top, width, height;
        int tabIndex;
        bool tabStop;  // reached with the Tab key
    };

    // In creation order, so a container comes before what it holds and the band tabs come
    // after the day tabs that they lie over.
    static constexpr std::array<Elemento, 37> kElementos = {{
        {"Frame3", Clase::Frame, "", -1, "Nombre", 105, 45, 2550, 645, 36, false},
        {"txtNombre", Clase::ImageCombo, "Frame3", -1, "", 210, 240, 2220, 330, 0, true},
        {"Frame2", Clase::Frame, "", -1, "Registro", 2760, 30, 1110, 510, 34, false},
        {"lRegistro", Clase::Label, "Frame2", -1, "", 165, 240, 795, 180, 35, false},
        {"hs", Clase::ScrollBar, "", -1, "", 2760, 555, 1110, 150, 12, true},
        {"Frame1", Clase::Frame, "", -1, "Conexion ", 90, 765, 3810, 720, 20, false},
        {"Label2", Clase::Label, "Frame1", -1, "Importe:", 255, 390, 810, 270, 21, false},
        {"conImporte", Clase::TextBox, "Frame1", -1, "", 915, 300, 615, 285, 1, true},
        {"Label3", Clase::Label, "Frame1", -1, "Tiempo:", 2160, 375, 705, 270, 22, false},
        {"conTiempo", Clase::TimeSpinner, "Frame1", -1, "", 2850, 285, 735, 285, 2, true},
        {"ssTab", Clase::SSTab, "", -1, "", 90, 1590, 2595, 2220, 23, false},
        {"Label4", Clase::Label, "ssTab", 0, "Importe:", 315, 1020, 615, 255, 24, false},
        {"Label5", Clase::Label, "ssTab", 0, "Inicio:", 315, 1425, 615, 255, 25, false},
        {"Label6", Clase::Label, "ssTab", 0, "Fin:", 315, 1890, 615, 255, 26, false},
        {"semImporte", Clase::TextBox, "ssTab", 0, "", 945, 930, 750, 285, 3, true},
        {"semInicio", Clase::TimeSpinner, "ssTab", 0, "", 945, 1350, 765, 285, 4, true},
        {"semFin", Clase::TimeSpinner, "ssTab", 0, "", 945, 1785, 780, 285, 5, true},
        {"Label10", Clase::Label, "ssTab", 1, "Importe:", 315, 1020, 615, 255, 27, false},
        {"Label9", Clase::Label, "ssTab", 1, "Inicio:", 315, 1425, 615, 255, 28, false},
        {"Label8", Clase::Label, "ssTab", 1, "Fin:", 315, 1890, 615, 255, 29, false},
        {"sabImporte", Clase::TextBox, "ssTab", 1, "", 945, 930, 750, 285, 6, true},
        {"sabInicio", Clase::TimeSpinner, "ssTab", 1, "", 945, 1350, 765, 285, 7, true},
        {"sabFin", Clase::TimeSpinner, "ssTab", 1, "", 945, 1785, 780, 285, 8, true},
        {"Label13", Clase::Label, "ssTab", 2, "Importe:", 315, 1020, 615, 255, 30, false},
        {"Label12", Clase::Label, "ssTab", 2, "Inicio:", 315, 1425, 615, 255, 31, false},
        {"Label11", Clase::Label, "ssTab", 2, "Fin:", 315, 1890, 615, 255, 32, false},
        {"fesImporte", Clase::TextBox, "ssTab", 2, "", 945, 930, 750, 285, 9, true},
        {"fesInicio", Clase::TimeSpinner, "ssTab", 2, "", 945, 1350, 765, 285, 10, true},
        {"fesFin", Clase::TimeSpinner, "ssTab", 2, "", 945, 1785, 780, 285, 11, true},
        {"TabStrip1", Clase::TabStrip, "", -1, "", 375, 2070, 1725, 345, 33, false},
        {"cmdAceptar", Clase::Button, "", -1, "&Aceptar", 2850, 1575, 1065, 255, 13, true},
        {"cmdCancelar", Clase::Button, "", -1, "&Cancelar", 2850, 1875, 1065, 255, 14, true},
        {"cmdNuevo", Clase::Button, "", -1, "&Nuevo", 2850, 2265, 1065, 255, 15, true},
        {"cmdBorrar", Clase::Button, "", -1, "&Borrar", 2850, 2565, 1065, 255, 16, true},
        {"cmdCopiar", Clase::Button, "", -1, "C&opiar", 2850, 2865, 1065, 255, 17, true},
        {"cmdRestaurar", Clase::Button, "", -1, "&Restaurar", 2865, 3255, 1065, 255, 18, true},
        {"cmdSalvar", Clase::Button, "", -1, "&Salvar", 2865, 3555, 1065, 255, 19, true},
    }};
};

}  // namespace quelmar::editor
