// A command button whose caption wraps onto further lines when it is wider than the button,
// as the platform's command buttons do ("ディレクトリ作成" does not fit on one line).
#pragma once

#include <QPushButton>

class WrappingButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
