#include "uploader/fFTPTest.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

#include <iterator>

#include "platform/dialogs/FormFont.h"
#include "platform/files/Files.h"
#include "uploader/FormIcon.h"
#include "uploader/ListLinesModel.h"
#include "uploader/TabStopDelegate.h"
#include "uploader/QtTwips.h"
#include "uploader/WindowCommands.h"
#include "uploader/WrappingButton.h"

namespace {

constexpr char16_t kListFontName[] = u"ＭＳ ゴシック";

QString qs(const std::u16string& text) { return QString::fromStdU16String(text); }

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

// The window's controls as the start-up and the handlers read and write them.
class fFTPTest::Controls : public WindowControls {
 public:
  explicit Controls(fFTPTest& form) : m_form(form) {}
  std::u16string serverText() const override { return m_form.m_txtServer->text().toStdU16String(); }
  std::u16string userText() const override { return m_form.m_txtUser->text().toStdU16String(); }
  std::u16string passText() const override { return m_form.m_txtPass->text().toStdU16String(); }
  void setServerText(const std::u16string& text) override { m_form.m_txtServer->setText(qs(text)); }
  void setUserText(const std::u16string& text) override { m_form.m_txtUser->setText(qs(text)); }
  void setPassText(const std::u16string& text) override { m_form.m_txtPass->setText(qs(text)); }
  bool passiveChecked() const override {
    return m_form.m_chkPassive->checkState() != Qt::Unchecked;
  }
  void setOpenEnabled(bool enabled) override { m_form.m_cmdOpen->setEnabled(enabled); }
  void clearList() override { m_form.m_lstFilesLines->clearLines(); }
  void addListLine(const std::u16string& line) override {
    m_form.m_lstFilesLines->appendLine(line);
  }
  std::u16string selectedLine() const override {
    const QModelIndex current = m_form.m_lstFiles->currentIndex();
    if (!current.isValid() || !m_form.m_lstFiles->selectionModel()->isSelected(current)) return {};
    return m_form.m_lstFilesLines->line(current.row());
  }

 private:
  fFTPTest& m_form;
};

fFTPTest::fFTPTest(dialogs::Dialogs& dialogs, fFTPTestOptions options)
    : QWidget(nullptr),
      m_dialogs(dialogs),
      m_options(std::move(options)),
      m_controls(std::make_unique<Controls>(*this)) {
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
  PlaceTwips(m_Picture1, 0, 0, 6420, 4740);
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
  // The lines live in a compact model: a list of millions of entries stays small.
  m_lstFiles = new QListView(this);
  m_lstFilesLines = new ListLinesModel(m_lstFiles);
  m_lstFiles->setModel(m_lstFilesLines);
  m_lstFiles->setUniformItemSizes(true);
  m_lstFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
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
  PlaceTwips(m_Label1[0], 240, 285, 720, 180);
  PlaceTwips(m_txtServer, 1200, 240, 3855, 270);
  PlaceTwips(m_chkPassive, 5160, 240, 975, 270);
  PlaceTwips(m_Label1[1], 240, 645, 720, 180);
  PlaceTwips(m_txtUser, 1200, 600, 2535, 270);
  PlaceTwips(m_Label1[2], 240, 1005, 810, 180);
  PlaceTwips(m_txtPass, 1200, 960, 2535, 270);
  PlaceTwips(m_cmdOpen, 3840, 600, 1095, 615);
  PlaceTwips(m_cmdClose, 5040, 600, 1095, 615);
  PlaceTwips(m_lstFiles, 240, 1440, 5895, 2400);
  PlaceTwips(m_cmdDel, 240, 3960, 1095, 615);
  PlaceTwips(m_cmdRename, 1440, 3960, 1095, 615);
  PlaceTwips(m_cmdPut, 2640, 3960, 1095, 615);
  PlaceTwips(m_cmdGet, 3840, 3960, 1095, 615);
  PlaceTwips(m_cmdMakeDir, 5040, 3960, 1095, 615);
}

void fFTPTest::connectHandlers() {
  connect(m_cmdOpen, &QPushButton::clicked, this, &fFTPTest::cmdOpen_Click);
  connect(m_cmdClose, &QPushButton::clicked, this, &fFTPTest::cmdClose_Click);
  connect(m_cmdDel, &QPushButton::clicked, this, &fFTPTest::cmdDel_Click);
  connect(m_cmdRename, &QPushButton::clicked, this, &fFTPTest::cmdRename_Click);
  connect(m_cmdPut, &QPushButton::clicked, this, &fFTPTest::cmdPut_Click);
  connect(m_cmdGet, &QPushButton::clicked, this, &fFTPTest::cmdGet_Click);
  connect(m_cmdMakeDir, &QPushButton::clicked, this, &fFTPTest::cmdMakeDir_Click);
  connect(m_lstFiles, &QListView::doubleClicked, this, &fFTPTest::lstFiles_DblClick);
}

void fFTPTest::newSession() {
  m_clsFtp.reset();
  m_clsFtp = MakeSession(m_dialogs, m_options.internetApi);
}

WindowParts fFTPTest::parts() { return {*m_controls, m_clsFtp.get(), m_dialogs}; }

ExitStatus fFTPTest::Form_Load() {
  m_tabStops->setTabStops({100, 100, 100});
  newSession();
  const ExitStatus status =
      m_options.startUp
          ? m_options.startUp(*m_controls, *m_clsFtp)
          : RunStartUp(*m_controls, *m_clsFtp, m_dialogs,
                       {m_options.settingsFolder, m_options.clock, m_options.onStored});
  close();
  return status;
}

void fFTPTest::Form_Unload() { m_clsFtp.reset(); }

void fFTPTest::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void fFTPTest::RefreshFileList() { ::RefreshFileList(parts()); }
void fFTPTest::lstFiles_DblClick() { ::lstFiles_DblClick(parts()); }
void fFTPTest::cmdOpen_Click() { ::cmdOpen_Click(parts()); }
void fFTPTest::cmdClose_Click() { ::cmdClose_Click(parts()); }
void fFTPTest::cmdDel_Click() { ::cmdDel_Click(parts()); }
void fFTPTest::cmdGet_Click() { ::cmdGet_Click(parts()); }
void fFTPTest::cmdPut_Click() { ::cmdPut_Click(parts()); }
void fFTPTest::cmdRename_Click() { ::cmdRename_Click(parts()); }
void fFTPTest::cmdMakeDir_Click() { ::cmdMakeDir_Click(parts()); }
