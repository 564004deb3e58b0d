#include "uploader/ListLinesModel.h"

#include <QString>

#include <limits>

void ListLinesModel::clearLines() {
  beginResetModel();
  m_lines.clear();
  endResetModel();
}

void ListLinesModel::appendLine(const std::u16string& line) {
  // A view counts rows in int; lines past that could never be shown or chosen.
  if (m_lines.size() >= static_cast<size_t>(std::numeric_limits<int>::max())) return;
  const int row = static_cast<int>(m_lines.size());
  beginInsertRows(QModelIndex(), row, row);
  m_lines.append(line);
  endInsertRows();
}

std::u16string ListLinesModel::line(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= m_lines.size()) return {};
  return m_lines.line(static_cast<size_t>(row));
}

int ListLinesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

QVariant ListLinesModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || index.parent().isValid() || index.row() < 0 ||
      index.row() >= rowCount()) {
    return {};
  }
  return QString::fromStdU16String(m_lines.line(static_cast<size_t>(index.row())));
}
