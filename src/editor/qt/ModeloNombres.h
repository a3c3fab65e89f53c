#pragma once

#include <QAbstractListModel>
#include <QIcon>

#include "editor/Controles.h"

namespace quelmar::editor {

// The name list's entries as a Qt item model, read straight from the model's ImageCombo:
// no copy of 32766 names, no per-entry widget work. The window tells it when the entries
// changed: Reiniciar after entries were added or removed, Refrescar after texts changed.
class ModeloNombres : public QAbstractListModel {
    Q_OBJECT

  public:
    ModeloNombres(const ImageCombo& combo, QIcon imagen, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void Reiniciar();
    void Refrescar();

  private:
    const ImageCombo& m_Combo;
    QIcon m_Imagen;
};

}  // namespace quelmar::editor
