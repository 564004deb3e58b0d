// The stored-password recovery dialog: after the access phrase is typed, puts the password
// stored in the program folder's "Quillpst.dat" into the editor's password box, in clear.
#pragma once

#include <QPointer>
#include <QWidget>

#include <string>

#include "platform/dialogs/Dialogs.h"

class QLabel;
class QLineEdit;
class QPushButton;

class Form2 : public QWidget {
  Q_OBJECT

 public:
  // A top-level window without an owner, not shown, centred on the screen; make it with new:
  // it deletes itself when it closes (closing discards the typed phrase). Boxes go to
  // `dialogs`, which must outlive it; the settings file is read from `programFolder`; a
  // recovered password goes into `passwordBox` (and nowhere when that is gone).
  Form2(dialogs::Dialogs& dialogs, std::u16string programFolder, QLineEdit* passwordBox);
  Form2(const Form2&) = delete;
  Form2& operator=(const Form2&) = delete;

  // Checks the phrase in Text1 and recovers the password; closes the dialog after a wrong
  // phrase and after a recovery, stays open after a file problem.
  void Command1_Click();

  QLabel* Label1() const { return m_Label1; }
  QLineEdit* Text1() const { return m_Text1; }
  QPushButton* Command1() const { return m_Command1; }

 private:
  dialogs::Dialogs& m_dialogs;
  std::u16string m_programFolder;
  QPointer<QLineEdit> m_passwordBox;

  QLabel* m_Label1 = nullptr;
  QLineEdit* m_Text1 = nullptr;
  QPushButton* m_Command1 = nullptr;
};
