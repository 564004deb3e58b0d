// The remote name of the one-shot upload, and the messages around it.
#pragma once

#include <cstdint>
#include <string>

#include "uploader/Clock.h"

inline constexpr char16_t kNowDateMode[] = u"NowDateMode";

// Twelve digits yymmddhhnnss of `when`: the last two digits of the four-digit year, then month,
// day, hour (0..23), minute and second, two digits each (050109080503 for 2005-01-09 08:05:03).
std::u16string NowDateModeName(const DateTime& when);

struct RemoteNameChoice {
  std::u16string name;
  bool showCompletion = false;  // the completion message follows a successful upload
};

// "NowDateMode" exactly (case-sensitive) gives the date-and-time name of `now()` and no message;
// anything else, also another mix of case or the empty text, is the name itself, with message.
RemoteNameChoice ChooseRemoteName(const std::u16string& RemoteFileName, const Clock& now);

// The name the start-up stores the file under before it renames it to `remoteName`: in the
// same remote folder, hidden (it begins with "."), with none of the target's extensions (a web
// server that runs "index.php" runs "index.php.part" too: it reads every dot-separated part of a
// name), and the same for the same target, so that a run cut off leaves at most one behind and
// the next run replaces it. "index.php" gives ".index_php.quillpost-upload"; "sub/a.b" gives
// "sub/.a_b.quillpost-upload". Empty for a remote name without a file name (empty, or ending in
// "/"): such a name is stored as it is and fails as it would.
std::u16string TemporaryRemoteName(const std::u16string& remoteName);

// The completion message: "Quillpost ver1.0", CR LF, CR LF, the local path, " は", CR LF, the
// general date and time of `when`, CR LF, "ftp://" + server, CR LF, "に送信されました".
std::u16string CompletionMessage(const std::u16string& LocalFilePath, const DateTime& when,
                                 const std::u16string& ServerName);

// The text of the error box for one FTPFrr event: the number in decimal (with "-" when
// negative), CR LF, the text.
std::u16string FTPFrrMessage(int32_t ErrNumber, const std::u16string& ErrString);
