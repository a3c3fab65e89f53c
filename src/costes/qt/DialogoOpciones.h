#pragma once

#include <QDialog>

#include "costes/Pedido.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSettings;

namespace quelmar::costes {

// The costing options kept between starts.
OpcionesCostes LeerOpciones(const QSettings& s);
void GuardarOpciones(QSettings& s, const OpcionesCostes& o);

// "Opciones de costeo": what `tarificador costear` takes, each with its label.
class DialogoOpciones : public QDialog {
    Q_OBJECT
  public:
    DialogoOpciones(const OpcionesCostes& o, QWidget* padre = nullptr);
    OpcionesCostes Opciones() const;

  private:
    QLineEdit* Ruta(const QString& nombre, const QString& valor, bool carpeta);

    QLineEdit *m_Catalogo, *m_Tarifa, *m_Destinos, *m_Festivos, *m_Troncales, *m_Contextos;
    QCheckBox* m_Utc;
    QComboBox* m_Formato;
    std::filesystem::path m_Bonos;
};

}  // namespace quelmar::costes
