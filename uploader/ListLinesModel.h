// The remote file list's lines as a Qt list model over the compact ListLines, so a list of
// millions of entries costs its text rather than a toolkit item per line.
#pragma once

#include <QAbstractListModel>

#include <string>

#include "uploader/ListLines.h"

class ListLinesModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  void clearLines();
  void appendLine(const std::u16string& line);
  std::u16string line(int row) const;  // "" outside the rows

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  ListLines m_lines;
};
