#include "settingsmaker/Form1.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include <utility>

#include "platform/dialogs/FormFont.h"
#include "settingsmaker/EditorCommands.h"
#include "settingsmaker/Form2.h"
#include "settingsmaker/FormLayout.h"

namespace {

QString qs(const char16_t* text) { return QString::fromStdU16String(text); }

}  // namespace

// The six boxes of the form as the commands read and write them.
class Form1::Boxes : public EditorBoxes {
 public:
  explicit Boxes(Form1& form) : m_form(form) {}
  std::u16string text(Box box) const override { return edit(box)->text().toStdU16String(); }
  void setText(Box box, const std::u16string& text) override {
    edit(box)->setText(QString::fromStdU16String(text));
  }

 private:
  QLineEdit* edit(Box box) const {
    QLineEdit* const edits[] = {m_form.m_Text1, m_form.m_Text2, m_form.m_Text3,
                                m_form.m_Text4, m_form.m_Text5, m_form.m_Text6};
    return edits[static_cast<int>(box)];
  }

  Form1& m_form;
};

Form1::Form1(dialogs::Dialogs& dialogs, std::u16string programFolder)
    : QWidget(nullptr), m_dialogs(dialogs), m_programFolder(std::move(programFolder)) {
  setWindowTitle(qs(u"Quillprep(Quillpst.dat作成)"));
  setFont(dialogs::FormFont());
  SetClientSizeTwips(this, 5130, 4005);
  createControls();
  connectHandlers();
  CentreOnScreen(this);
}

Form1::~Form1() { delete m_form2.data(); }

Form2* Form1::form2() const { return m_form2.data(); }

void Form1::createControls() {
  auto label = [this](const char16_t* caption, int left, int top, int width, int height) {
    auto* control = new QLabel(qs(caption), this);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceTwips(control, left, top, width, height);
    return control;
  };
  auto box = [this](int left, int top, int width, int height) {
    QLineEdit* control = NewTextBox(this);
    PlaceTwips(control, left, top, width, height);
    return control;
  };
  auto button = [this](const char16_t* caption, int left, int top, int width, int height) {
    auto* control = new QPushButton(qs(caption), this);
    PlaceTwips(control, left, top, width, height);
    return control;
  };
  // Made in tab index order: the focus chain follows it, and so does the stacking, which
  // keeps Text5 above the wider Label5 that reaches under it.
  m_Command2 = button(u"ファイル名送信時刻化", 2625, 2730, 2430, 540);
  m_Text1 = box(1785, 105, 3165, 330);
  m_Text2 = box(1785, 525, 3165, 330);
  m_Text3 = box(1785, 945, 3165, 330);
  m_Text4 = box(1785, 1365, 3165, 330);
  m_Label1 = label(u"サーバー名", 105, 210, 1590, 330);
  m_Label2 = label(u"ユーザーＩＤ", 105, 630, 1590, 330);
  m_Label3 = label(u"パスワード", 105, 1050, 1590, 330);
  m_Label4 = label(u"初期ディレクトリ", 105, 1470, 1590, 330);
  m_Label5 = label(u"ローカルファイルパス", 105, 1890, 1800, 330);
  m_Text5 = box(1785, 1785, 3165, 330);
  m_Label6 = label(u"送信後ファイル名", 105, 2310, 1590, 330);
  m_Text6 = box(1785, 2205, 3165, 330);
  m_Command3 = button(u"記入例", 2625, 3360, 1170, 540);
  m_Command1 = button(u"Quillpst.dat 作成", 105, 2730, 2430, 540);
  m_Command4 = button(u"クリア", 3885, 3360, 1170, 540);
  m_Command5 = button(u"Quillpst.dat 読込", 105, 3360, 2430, 540);
}

void Form1::connectHandlers() {
  connect(m_Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(m_Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
  connect(m_Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
  connect(m_Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
  connect(m_Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
  m_Label3->installEventFilter(this);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_Label3 && event->type() == QEvent::MouseButtonDblClick &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    Label3_DblClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void Form1::Command1_Click() {
  Boxes boxes(*this);
  WriteFromBoxes(boxes, m_dialogs);
}

void Form1::Command2_Click() {
  Boxes boxes(*this);
  SetNowDateMode(boxes);
}

void Form1::Command3_Click() {
  Boxes boxes(*this);
  FillExampleValues(boxes);
}

void Form1::Command4_Click() {
  Boxes boxes(*this);
  ClearBoxes(boxes);
}

void Form1::Command5_Click() {
  Boxes boxes(*this);
  LoadIntoBoxes(boxes, m_dialogs, m_programFolder);
}

void Form1::Label3_DblClick() {
  if (!m_form2) m_form2 = new Form2(m_dialogs, m_programFolder, m_Text3);
  m_form2->setWindowState(m_form2->windowState() & ~Qt::WindowMinimized);
  m_form2->show();
  m_form2->raise();
  m_form2->activateWindow();
}
