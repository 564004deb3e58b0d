#include "settingsmaker/Form2.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

#include "platform/dialogs/FormFont.h"
#include "settingsmaker/FormLayout.h"
#include "settingsmaker/PasswordRecovery.h"

Form2::Form2(dialogs::Dialogs& dialogs, std::u16string programFolder, QLineEdit* passwordBox)
    : QWidget(nullptr),
      m_dialogs(dialogs),
      m_programFolder(std::move(programFolder)),
      m_passwordBox(passwordBox) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromStdU16String(u"パスワード解読オプション"));
  setFont(dialogs::FormFont());
  SetClientSizeTwips(this, 4110, 1365);
  // Made in tab index order, so the focus chain follows it.
  m_Text1 = NewTextBox(this);  // the phrase shows as typed
  PlaceTwips(m_Text1, 210, 420, 3690, 330);
  m_Command1 = new QPushButton(QString::fromStdU16String(u"解読"), this);
  PlaceTwips(m_Command1, 210, 840, 3690, 435);
  m_Label1 = new QLabel(
      QString::fromStdU16String(u"解読用パスワードを入力し解読のボタンをクリック"), this);
  m_Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  PlaceTwips(m_Label1, 210, 105, 3900, 225);
  connect(m_Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
  CentreOnScreen(this);
}

void Form2::Command1_Click() {
  const RecoveryResult result =
      RecoverStoredPassword(m_Text1->text().toStdU16String(), m_dialogs, m_programFolder);
  if (result.password && m_passwordBox) {
    m_passwordBox->setText(QString::fromStdU16String(*result.password));
  }
  if (result.closeDialog) close();
}
