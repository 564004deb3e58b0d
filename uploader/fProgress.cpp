#include "uploader/fProgress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "platform/dialogs/FormFont.h"
#include "platform/files/Files.h"
#include "uploader/QtTwips.h"

namespace {

QString qs(const std::u16string& text) { return QString::fromStdU16String(text); }

class QtProgressWindow final : public ProgressWindow {
 public:
  explicit QtProgressWindow(const std::u16string& localFile) : m_form(localFile) {
    m_form.show();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  void display(const ProgressView& view) override { m_form.display(view); }
  bool cancelRequested() override {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return m_form.cancelRequested();
  }

 private:
  fProgress m_form;
};

}  // namespace

fProgress::fProgress(const std::u16string& localFile)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_lblFile(new QLabel(this)),
      m_prgUpload(new QProgressBar(this)),
      m_lblSent(new QLabel(this)),
      m_lblRate(new QLabel(this)),
      m_lblLeft(new QLabel(this)),
      m_cmdCancel(new QPushButton(QStringLiteral("キャンセル"), this)) {
  setObjectName(QStringLiteral("fProgress"));
  setWindowTitle(QStringLiteral("Quillpost"));
  setFont(dialogs::FormFont());
  setFixedSize(TwipsToPixels(4800), TwipsToPixels(2100));
  m_lblFile->setObjectName(QStringLiteral("lblFile"));
  m_prgUpload->setObjectName(QStringLiteral("prgUpload"));
  m_lblSent->setObjectName(QStringLiteral("lblSent"));
  m_lblRate->setObjectName(QStringLiteral("lblRate"));
  m_lblLeft->setObjectName(QStringLiteral("lblLeft"));
  m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
  PlaceTwips(m_lblFile, 120, 120, 4560, 255);
  PlaceTwips(m_prgUpload, 120, 450, 4560, 300);
  PlaceTwips(m_lblSent, 120, 870, 4560, 255);
  PlaceTwips(m_lblRate, 120, 1170, 2220, 255);
  PlaceTwips(m_lblLeft, 2460, 1170, 2220, 255);
  PlaceTwips(m_cmdCancel, 3480, 1560, 1200, 375);
  m_lblFile->setText(qs(files::FileNamePart(localFile)));
  m_lblFile->setToolTip(qs(localFile));
  m_prgUpload->setRange(0, 1000);
  m_prgUpload->setTextVisible(false);
  m_lblLeft->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  connect(m_cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void fProgress::display(const ProgressView& view) {
  // Without a total the bar only says that something moves.
  if (view.totalKnown) {
    m_prgUpload->setRange(0, 1000);
    m_prgUpload->setValue(view.permille);
  } else {
    m_prgUpload->setRange(0, 0);
  }
  m_lblSent->setText(qs(view.sent));
  m_lblRate->setText(qs(view.rate));
  m_lblLeft->setText(qs(view.timeLeft));
}

void fProgress::cmdCancel_Click() {
  m_cancelRequested = true;
  m_cmdCancel->setEnabled(false);
}

void fProgress::closeEvent(QCloseEvent* event) {
  // Closing the window while the upload runs is asking to stop it; the start-up closes it.
  cmdCancel_Click();
  event->ignore();
}

std::unique_ptr<ProgressWindow> OpenProgressWindow(const std::u16string& localFile) {
  return std::make_unique<QtProgressWindow>(localFile);
}
