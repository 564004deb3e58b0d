// The five commands of the settings editor form over its six boxes, without a window: write the
// settings file after checks and confirmation, load it back with the password masked, and fill
// or clear the boxes.
#pragma once

#include <string>

#include "platform/dialogs/Dialogs.h"

// The form's text boxes, in the settings file's order.
enum class Box { Text1, Text2, Text3, Text4, Text5, Text6 };

// The boxes as the commands read and write them; the form implements it over its controls.
class EditorBoxes {
 public:
  virtual ~EditorBoxes() = default;
  virtual std::u16string text(Box box) const = 0;
  virtual void setText(Box box, const std::u16string& text) = 0;
};

inline constexpr char16_t kNowDateMode[] = u"NowDateMode";
// The server name that the example values use.
inline constexpr char16_t kExampleServer[] = u"ftp.example.jp";

// Command1. Asks for every required box (all but Text4), stops at a masked password (first
// character "*": "use the stored password?", and on No asks for it again and empties Text3),
// confirms, refuses a password that cannot be stored and recovered exactly, then scrambles
// Text3 in place and writes "Quillpst.dat" into the current working directory. Text3 then gets
// the typed password back, so that writing again stores the same password instead of
// scrambling the scrambled text a second time; when the write fails or the writer refuses a
// value, the reason is shown.
void WriteFromBoxes(EditorBoxes& boxes, dialogs::Dialogs& dialogs);

// Command5. Loads "Quillpst.dat" from `programFolder` into the boxes, Text3 as one "*" per
// stored character. A missing or unusable file is reported and leaves every box as it was.
void LoadIntoBoxes(EditorBoxes& boxes, dialogs::Dialogs& dialogs,
                   const std::u16string& programFolder);

// Command2: "NowDateMode" into Text6.
void SetNowDateMode(EditorBoxes& boxes);
// Command3: the example values into all six boxes, Text1 to Text6.
void FillExampleValues(EditorBoxes& boxes);
// Command4: all six boxes emptied.
void ClearBoxes(EditorBoxes& boxes);
