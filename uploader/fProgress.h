// The progress window of the start-up's upload on Qt: the local file's name, a progress bar,
// bytes sent of the total, the rate, the time left and "キャンセル". It has no event loop of
// its own: the upload lets the window system run each time it reports progress.
#pragma once

#include <QWidget>

#include <memory>
#include <string>

#include "uploader/ProgressWindow.h"

class QLabel;
class QProgressBar;
class QPushButton;

class fProgress : public QWidget {
  Q_OBJECT

 public:
  // A top-level window, not shown yet.
  explicit fProgress(const std::u16string& localFile);
  void display(const ProgressView& view);
  // Whether "キャンセル" was pressed or the window closed.
  bool cancelRequested() const { return m_cancelRequested; }
  void cmdCancel_Click();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* m_lblFile;
  QProgressBar* m_prgUpload;
  QLabel* m_lblSent;
  QLabel* m_lblRate;
  QLabel* m_lblLeft;
  QPushButton* m_cmdCancel;
  bool m_cancelRequested = false;
};

// Shows an fProgress for the upload of `localFile`, closing it when the result is destroyed.
std::unique_ptr<ProgressWindow> OpenProgressWindow(const std::u16string& localFile);
