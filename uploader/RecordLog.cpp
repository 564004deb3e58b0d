#include "uploader/RecordLog.h"

#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/files/FileIo.h"
#include "platform/files/Files.h"

RecordLog::RecordLog(std::u16string path, std::ostream& err)
    : m_path(path.empty() ? std::string() : files::ToFileSystemPath(path)), m_err(err) {}

void RecordLog::write(const std::string& record) {
  if (m_path.empty() || m_failed) return;
  int fd = -1;
  files::IoStatus status = files::OpenForAppending(m_path, files::FileAccess::OwnerOnly, &fd);
  // Opened for each record: the file may be moved away (by logrotate, say) between them.
  if (status.ok() && files::FileSizeOf(fd) >= static_cast<int64_t>(kMaxLogBytes)) {
    files::CloseFile(fd);
    fd = -1;
    status = files::RenameReplacing(m_path, m_path + ".1");
    if (status.ok()) {
      status = files::OpenForAppending(m_path, files::FileAccess::OwnerOnly, &fd);
    }
  }
  if (status.ok()) status = files::WriteAll(fd, record + "\n");
  files::CloseFile(fd);
  if (!status.ok()) complain(status.error);
}

void RecordLog::complain(int error) {
  m_failed = true;
  m_err << "Quillpost: the log " << m_path
        << " cannot be written: " << files::ToFileSystemPath(files::FileErrorText(error))
        << "; the run goes on without it" << std::endl;
}

dialogs::BoxAnswer LoggedDialogs::MessageBox(const std::u16string& text,
                                             const std::u16string& title, dialogs::Buttons buttons,
                                             dialogs::Icon icon) {
  m_log.write(dialogs::BoxRecord(dialogs::LocalTimeStamp(), title, text));
  return m_inner.MessageBox(text, title, buttons, icon);
}

std::u16string LoggedDialogs::InputBox(const std::u16string& prompt, const std::u16string& title,
                                       const std::u16string& preset) {
  m_log.write(dialogs::BoxRecord(dialogs::LocalTimeStamp(), title, prompt));
  return m_inner.InputBox(prompt, title, preset);
}
