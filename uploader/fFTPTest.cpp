#include "uploader/fFTPTest.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <iterator>

#include "platform/dialogs/FormFont.h"
#include "platform/files/Files.h"
#include "uploader/FileListLines.h"
#include "uploader/FormIcon.h"
#include "uploader/ListLine.h"
#include "uploader/TabStopDelegate.h"
#include "uploader/Twips.h"
#include "uploader/UploadNaming.h"
#include "uploader/WrappingButton.h"

namespace {

constexpr char16_t kListFontName[] = u"ＭＳ ゴシック";

QString qs(const std::u16string& text) { return QString::fromStdU16String(text); }

// Places `widget` at a rectangle given in twips.
void placeTwips(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                      TwipsToPixels(height));
}

QFont listFont() {
  // The list's fixed-pitch Japanese font, under its own name; on Linux it resolves to IPAGothic
  // (Debian fonts-ipafont-gothic). Substitutions are process-wide, so this is idempotent.
  const QString name = qs(kListFontName);
  if (!QFont::substitutes(name).contains(QStringLiteral("IPAGothic"))) {
    QFont::insertSubstitution(name, QStringLiteral("IPAGothic"));
  }
  QFont font(name);
  font.setPointSizeF(9.75);
  font.setWeight(QFont::Normal);
  font.setStyleHint(QFont::Monospace);
  return font;
}

}  // namespace

// The window's controls as the start-up reads and writes them.
class fFTPTest::Controls : public StartUpControls {
 public:
  explicit Controls(fFTPTest& form) : m_form(form) {}
  void setServerText(const std::u16string& text) override { m_form.m_txtServer->setText(qs(text)); }
  void setUserText(const std::u16string& text) override { m_form.m_txtUser->setText(qs(text)); }
  void setPassText(const std::u16string& text) override { m_form.m_txtPass->setText(qs(text)); }
  std::u16string serverText() const override { return m_form.m_txtServer->text().toStdU16String(); }
  std::u16string userText() const override { return m_form.m_txtUser->text().toStdU16String(); }
  std::u16string passText() const override { return m_form.m_txtPass->text().toStdU16String(); }
  bool passiveChecked() const override {
    return m_form.m_chkPassive->checkState() != Qt::Unchecked;
  }
  void refreshFileList() override { m_form.RefreshFileList(); }
  void disableOpen() override { m_form.m_cmdOpen->setEnabled(false); }

 private:
  fFTPTest& m_form;
};

fFTPTest::fFTPTest(dialogs::Dialogs& dialogs, fFTPTestOptions options)
    : QWidget(nullptr), m_dialogs(dialogs), m_options(std::move(options)) {
  if (!m_options.clock) m_options.clock = SystemLocalTime;
  if (m_options.settingsFolder.empty()) m_options.settingsFolder = files::ExecutableFolder();
  setWindowTitle(QStringLiteral("Quillpost"));
  setWindowIcon(MakeFormIcon());
  setFont(dialogs::FormFont());  // the font the layout is sized for; the list has its own
  setFixedSize(TwipsToPixels(6345), TwipsToPixels(4545));
  createControls();
  connectHandlers();
  newSession();
}

fFTPTest::~fFTPTest() { Form_Unload(); }

void fFTPTest::createControls() {
  // Created in tab order, so the stacking and the focus chain follow the layout table.
  m_Picture1 = new QFrame(this);
  placeTwips(m_Picture1, 0, 0, 6420, 4740);
  m_Picture1->setAutoFillBackground(true);
  const char16_t* captions[] = {u"サーバー", u"ユーザー", u"パスワード"};
  for (int i = 0; i < 3; ++i) m_Label1[i] = new QLabel(qs(captions[i]), this);
  m_txtServer = new QLineEdit(this);
  m_chkPassive = new QCheckBox(QStringLiteral("Passive"), this);
  m_chkPassive->setChecked(true);
  m_txtUser = new QLineEdit(this);
  m_txtPass = new QLineEdit(this);  // shown unmasked
  m_cmdOpen = new WrappingButton(qs(u"接続"), this);
  m_cmdClose = new WrappingButton(qs(u"切断"), this);
  m_lstFiles = new QListWidget(this);
  m_lstFiles->setFont(listFont());
  m_lstFiles->setSelectionMode(QAbstractItemView::SingleSelection);
  m_tabStops = new TabStopDelegate(m_lstFiles);
  m_lstFiles->setItemDelegate(m_tabStops);
  m_cmdDel = new WrappingButton(qs(u"削除"), this);
  m_cmdRename = new WrappingButton(qs(u"リネーム"), this);
  m_cmdPut = new WrappingButton(qs(u"送信"), this);
  m_cmdGet = new WrappingButton(qs(u"受信"), this);
  m_cmdMakeDir = new WrappingButton(qs(u"ディレクトリ作成"), this);
  placeControls();
  QWidget* chain[] = {m_txtServer, m_chkPassive, m_txtUser,   m_txtPass, m_cmdOpen, m_cmdClose,
                      m_lstFiles,  m_cmdDel,     m_cmdRename, m_cmdPut,  m_cmdGet,  m_cmdMakeDir};
  for (size_t i = 0; i + 1 < std::size(chain); ++i) setTabOrder(chain[i], chain[i + 1]);
}

void fFTPTest::placeControls() {
  placeTwips(m_Label1[0], 240, 285, 720, 180);
  placeTwips(m_txtServer, 1200, 240, 3855, 270);
  placeTwips(m_chkPassive, 5160, 240, 975, 270);
  placeTwips(m_Label1[1], 240, 645, 720, 180);
  placeTwips(m_txtUser, 1200, 600, 2535, 270);
  placeTwips(m_Label1[2], 240, 1005, 810, 180);
  placeTwips(m_txtPass, 1200, 960, 2535, 270);
  placeTwips(m_cmdOpen, 3840, 600, 1095, 615);
  placeTwips(m_cmdClose, 5040, 600, 1095, 615);
  placeTwips(m_lstFiles, 240, 1440, 5895, 2400);
  placeTwips(m_cmdDel, 240, 3960, 1095, 615);
  placeTwips(m_cmdRename, 1440, 3960, 1095, 615);
  placeTwips(m_cmdPut, 2640, 3960, 1095, 615);
  placeTwips(m_cmdGet, 3840, 3960, 1095, 615);
  placeTwips(m_cmdMakeDir, 5040, 3960, 1095, 615);
}

void fFTPTest::connectHandlers() {
  connect(m_cmdOpen, &QPushButton::clicked, this, &fFTPTest::cmdOpen_Click);
  connect(m_cmdClose, &QPushButton::clicked, this, &fFTPTest::cmdClose_Click);
  connect(m_cmdDel, &QPushButton::clicked, this, &fFTPTest::cmdDel_Click);
  connect(m_cmdRename, &QPushButton::clicked, this, &fFTPTest::cmdRename_Click);
  connect(m_cmdPut, &QPushButton::clicked, this, &fFTPTest::cmdPut_Click);
  connect(m_cmdGet, &QPushButton::clicked, this, &fFTPTest::cmdGet_Click);
  connect(m_cmdMakeDir, &QPushButton::clicked, this, &fFTPTest::cmdMakeDir_Click);
  connect(m_lstFiles, &QListWidget::itemDoubleClicked, this, &fFTPTest::lstFiles_DblClick);
}

void fFTPTest::newSession() {
  m_clsFtp.reset();
  m_clsFtp = m_options.internetApi ? std::make_unique<McWinFTP>(*m_options.internetApi)
                                   : std::make_unique<McWinFTP>();
  m_clsFtp->OnFTPFrr([this](int32_t ErrNumber, const std::u16string& ErrString) {
    clsFtp_FTPFrr(ErrNumber, ErrString);
  });
}

ExitStatus fFTPTest::Form_Load() {
  m_tabStops->setTabStops({100, 100, 100});
  newSession();
  Controls controls(*this);
  const ExitStatus status =
      RunStartUp(controls, *m_clsFtp, m_dialogs,
                 {m_options.settingsFolder, m_options.clock, m_options.onStored});
  close();
  return status;
}

void fFTPTest::Form_Unload() { m_clsFtp.reset(); }

void fFTPTest::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void fFTPTest::clsFtp_FTPFrr(int32_t ErrNumber, const std::u16string& ErrString) {
  m_dialogs.MessageBox(FTPFrrMessage(ErrNumber, ErrString), kAppTitle, dialogs::Buttons::Ok,
                       dialogs::Icon::Critical);
}

void fFTPTest::RefreshFileList() {
  m_lstFiles->clear();
  if (!m_clsFtp) return;
  FileListLines(*m_clsFtp, [this](const std::u16string& line) { m_lstFiles->addItem(qs(line)); });
}

std::u16string fFTPTest::selectedLine() const {
  const QListWidgetItem* item = m_lstFiles->currentItem();
  if (item == nullptr || !item->isSelected()) return {};
  return item->text().toStdU16String();
}

bool fFTPTest::connected() const { return m_clsFtp && m_clsFtp->hFTP() != 0; }

void fFTPTest::lstFiles_DblClick() {
  if (!m_clsFtp) return;
  const std::u16string line = selectedLine();
  const std::u16string tag = LineTag(line);
  if (tag == kParentLine) {
    m_clsFtp->SetCurDir(u"../");
  } else if (tag == kDirectoryTag) {
    m_clsFtp->SetCurDir(LineName(line));
  } else {
    return;
  }
  RefreshFileList();
}
