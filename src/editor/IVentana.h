#pragma once

#include <string>

#include "editor/Controles.h"

namespace quelmar::editor {

// What the editor's handlers ask of the window around them. The binding implements it
// with real widgets; tests replace it.
class IVentana {
  public:
    // Message-box style: critical (stop) icon and a single OK button.
    static constexpr int vbCritical = 16;
    // Answers of PreguntarConCancelar.
    static constexpr int vbCancel = 2;
    static constexpr int vbYes = 6;
    static constexpr int vbNo = 7;

    virtual ~IVentana() = default;

    // A modal message box; `texto` and `titulo` are UTF-8 (interface texts and error
    // messages, not tariff bytes). A "\r" in the text breaks the line. The answer is unused.
    virtual void MsgBox(const std::string& texto, int estilo, const std::string& titulo) = 0;
    // A modal question with the answers yes and no, "no" the default: true for yes.
    virtual bool Preguntar(const std::string& texto, const std::string& titulo) = 0;
    // A modal question with the answers yes, no and cancel ("Sí", "No", "Cancelar"), "yes"
    // the default and Escape "cancel": the answer, vbYes, vbNo or vbCancel.
    virtual int PreguntarConCancelar(const std::string& texto, const std::string& titulo) = 0;
    // Closes the window, which ends the program.
    virtual void Cerrar() = 0;
    // Gives `control` the keyboard focus.
    virtual void FocoEn(const Control& control) = 0;
};

}  // namespace quelmar::editor
