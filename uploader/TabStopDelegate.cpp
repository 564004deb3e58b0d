#include "uploader/TabStopDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStringList>
#include <QStyle>

#include "uploader/TabStops.h"

int TabStopDelegate::averageCharWidth(const QFontMetrics& metrics) {
  return AverageCharWidth(metrics.horizontalAdvance(QString::fromUtf16(kAverageWidthLetters)));
}

std::vector<int> TabStopDelegate::segmentStarts(const QString& text,
                                                const QFontMetrics& metrics) const {
  const int average = averageCharWidth(metrics);
  std::vector<int> stops;
  for (int units : m_stops) stops.push_back(DialogUnitsToPixels(units, average));
  std::vector<int> widths;
  for (const QString& segment : text.split(QLatin1Char('\t'))) {
    widths.push_back(metrics.horizontalAdvance(segment));
  }
  return TabbedSegmentStarts(widths, stops, 8 * average);
}

void TabStopDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QString text = opt.text;
  opt.text.clear();
  QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
  // Background, selection and focus as the style draws them, then the columns.
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
  const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
  const QPalette::ColorGroup group =
      (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
  const bool selected = opt.state & QStyle::State_Selected;
  painter->save();
  painter->setFont(opt.font);
  painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
  painter->setClipRect(area);
  const QStringList segments = text.split(QLatin1Char('\t'));
  const std::vector<int> starts = segmentStarts(text, opt.fontMetrics);
  for (int i = 0; i < segments.size(); ++i) {
    const QRect cell(area.left() + starts[i], area.top(), area.width(), area.height());
    painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, segments[i]);
  }
  painter->restore();
}

QSize TabStopDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QStringList segments = opt.text.split(QLatin1Char('\t'));
  const std::vector<int> starts = segmentStarts(opt.text, opt.fontMetrics);
  const int textWidth = starts.back() + opt.fontMetrics.horizontalAdvance(segments.back());
  const int margin =
      opt.widget
          ? opt.widget->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1
          : 3;
  size.setWidth(textWidth + 2 * margin);
  return size;
}
