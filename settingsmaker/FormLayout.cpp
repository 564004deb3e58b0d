#include "settingsmaker/FormLayout.h"

#include <QFont>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <limits>

#include "platform/dialogs/FormFont.h"

void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                      TwipsToPixels(height));
}

void SetClientSizeTwips(QWidget* window, int width, int height) {
  window->setFixedSize(TwipsToPixels(width), TwipsToPixels(height));
}

void CentreOnScreen(QWidget* window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect placed(QPoint(0, 0), window->size());
  placed.moveCenter(screen->availableGeometry().center());
  window->move(placed.topLeft());
}

QLineEdit* NewTextBox(QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setMaxLength(std::numeric_limits<int>::max());
  QFont font = dialogs::FormFont();
  font.setFamilies({QStringLiteral("DejaVu Sans"), font.family()});
  box->setFont(font);
  return box;
}
