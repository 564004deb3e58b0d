// Qt widgets placed at rectangles given in twips, as the forms are laid out.
#pragma once

#include <QWidget>

#include "uploader/Twips.h"

inline void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                      TwipsToPixels(height));
}
