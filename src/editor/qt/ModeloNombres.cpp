#include "editor/qt/ModeloNombres.h"

#include "editor/qt/Borde.h"

namespace quelmar::editor {

ModeloNombres::ModeloNombres(const ImageCombo& combo, QIcon imagen, QObject* parent)
    : QAbstractListModel(parent), m_Combo(combo), m_Imagen(std::move(imagen)) {}

int ModeloNombres::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_Combo.ListCount();
}

QVariant ModeloNombres::data(const QModelIndex& index, int role) const {
    // Between a change of the entries and the next Reiniciar a view may still ask for rows
    // that are gone.
    if (!index.isValid() || index.row() >= m_Combo.ListCount()) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return borde::APantalla(m_Combo.Item(index.row() + 1).Text);
        case Qt::DecorationRole:
            return m_Imagen;
        default:
            return {};
    }
}

void ModeloNombres::Reiniciar() {
    beginResetModel();
    endResetModel();
}

void ModeloNombres::Refrescar() {
    const int n = rowCount();
    if (n > 0) emit dataChanged(index(0), index(n - 1), {Qt::DisplayRole, Qt::EditRole});
}

}  // namespace quelmar::editor
