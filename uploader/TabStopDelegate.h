// Draws list lines whose columns are separated by TAB at the list's tab stops, as the
// platform's list box does; a plain Qt list view expands TAB at its own interval.
#pragma once

#include <QFontMetrics>
#include <QStyledItemDelegate>

#include <vector>

class TabStopDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  // The tab stops in dialog units (one unit: a quarter of the font's average character width).
  // Without stops, every TAB goes to the next multiple of eight average characters.
  void setTabStops(std::vector<int> dialogUnits) { m_stops = std::move(dialogUnits); }
  const std::vector<int>& tabStops() const { return m_stops; }

  // The average character width the platform's list box uses: the mean advance of the 52
  // Latin letters, rounded.
  static int averageCharWidth(const QFontMetrics& metrics);

  // The start of each TAB-separated segment of `text`, in pixels from the text's left edge.
  std::vector<int> segmentStarts(const QString& text, const QFontMetrics& metrics) const;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  std::vector<int> m_stops;
};
