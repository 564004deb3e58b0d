// The settings editor, the start-up window of Quillprep: six boxes for the six values of
// "Quillpst.dat" and five buttons that write, load, fill and clear them; a double-click on the
// password label opens the stored-password recovery dialog, Form2.
#pragma once

#include <QPointer>
#include <QWidget>

#include <string>

#include "platform/dialogs/Dialogs.h"

class Form2;
class QEvent;
class QLabel;
class QLineEdit;
class QPushButton;

class Form1 : public QWidget {
  Q_OBJECT

 public:
  // A top-level window, not shown, centred on the screen. Every box it asks (and every box
  // of its Form2) goes to `dialogs`, which must outlive it. The load button and Form2 read
  // the settings file from `programFolder`; the write button writes into the current working
  // directory.
  Form1(dialogs::Dialogs& dialogs, std::u16string programFolder);
  // Also deletes an open Form2, which would otherwise outlive the box it fills.
  ~Form1() override;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  // Shows the one Form2, modeless and without an owner; when it is open already, only brings
  // it to the front.
  void Label3_DblClick();

  // The recovery dialog while it is open; null otherwise.
  Form2* form2() const;

  // The controls, by their names.
  QLabel* Label1() const { return m_Label1; }
  QLabel* Label2() const { return m_Label2; }
  QLabel* Label3() const { return m_Label3; }
  QLabel* Label4() const { return m_Label4; }
  QLabel* Label5() const { return m_Label5; }
  QLabel* Label6() const { return m_Label6; }
  QLineEdit* Text1() const { return m_Text1; }
  QLineEdit* Text2() const { return m_Text2; }
  QLineEdit* Text3() const { return m_Text3; }
  QLineEdit* Text4() const { return m_Text4; }
  QLineEdit* Text5() const { return m_Text5; }
  QLineEdit* Text6() const { return m_Text6; }
  QPushButton* Command1() const { return m_Command1; }
  QPushButton* Command2() const { return m_Command2; }
  QPushButton* Command3() const { return m_Command3; }
  QPushButton* Command4() const { return m_Command4; }
  QPushButton* Command5() const { return m_Command5; }

 protected:
  // Turns a double-click on Label3 into Label3_DblClick (a label has no signal for it).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Boxes;  // the six boxes as the commands see them

  void createControls();
  void connectHandlers();

  dialogs::Dialogs& m_dialogs;
  std::u16string m_programFolder;
  QPointer<Form2> m_form2;

  QLabel* m_Label1 = nullptr;
  QLabel* m_Label2 = nullptr;
  QLabel* m_Label3 = nullptr;
  QLabel* m_Label4 = nullptr;
  QLabel* m_Label5 = nullptr;
  QLabel* m_Label6 = nullptr;
  QLineEdit* m_Text1 = nullptr;
  QLineEdit* m_Text2 = nullptr;
  QLineEdit* m_Text3 = nullptr;
  QLineEdit* m_Text4 = nullptr;
  QLineEdit* m_Text5 = nullptr;
  QLineEdit* m_Text6 = nullptr;
  QPushButton* m_Command1 = nullptr;
  QPushButton* m_Command2 = nullptr;
  QPushButton* m_Command3 = nullptr;
  QPushButton* m_Command4 = nullptr;
  QPushButton* m_Command5 = nullptr;
};
