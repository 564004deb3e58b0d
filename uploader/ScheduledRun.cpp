#include "uploader/ScheduledRun.h"

#include <algorithm>
#include <string>
#include <thread>

#include "platform/dialogs/BoxText.h"
#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/files/Files.h"
#include "uploader/FailureKinds.h"
#include "uploader/StoredRecord.h"
#include "uploader/WindowCommands.h"

// Holds a box while the run holds them, else shows it.
class RunDialogs::Target : public dialogs::Dialogs {
 public:
  explicit Target(RunDialogs& run) : m_run(run) {}

  dialogs::BoxAnswer MessageBox(const std::u16string& text, const std::u16string& title,
                                dialogs::Buttons buttons, dialogs::Icon icon) override {
    if (!m_run.m_holding) return m_run.m_shown.MessageBox(text, title, buttons, icon);
    m_run.m_held.push_back({dialogs::LocalTimeStamp(), text, title, buttons, icon});
    return dialogs::defaultAnswer(buttons);
  }
  std::u16string InputBox(const std::u16string& prompt, const std::u16string& title,
                          const std::u16string& preset) override {
    return m_run.m_shown.InputBox(prompt, title, preset);
  }

 private:
  RunDialogs& m_run;
};

RunDialogs::RunDialogs(dialogs::Dialogs& shown, RecordLog& log, std::ostream& records,
                       bool holdable)
    : m_shown(shown),
      m_log(log),
      m_records(records),
      m_holdable(holdable),
      m_target(std::make_unique<Target>(*this)),
      m_watch(std::make_unique<ErrorBoxWatch>(*m_target)) {}

RunDialogs::~RunDialogs() = default;

void RunDialogs::beginTry(bool mayRetry) {
  m_holding = m_holdable && mayRetry;
  m_held.clear();
  m_watch = std::make_unique<ErrorBoxWatch>(*m_target);
}

void RunDialogs::endTry(bool retried) {
  m_holding = false;
  for (const HeldBox& box : m_held) {
    if (retried) {
      m_records << dialogs::BoxRecord(box.stamp, box.title, box.text) << std::endl;
    } else {
      m_shown.MessageBox(box.text, box.title, box.buttons, box.icon);
    }
  }
  m_held.clear();
}

void RunDialogs::record(const std::u16string& text) {
  const std::string line = dialogs::BoxRecord(dialogs::LocalTimeStamp(), kAppTitle, text);
  m_records << line << std::endl;
  m_log.write(line);
}

dialogs::BoxAnswer RunDialogs::MessageBox(const std::u16string& text, const std::u16string& title,
                                          dialogs::Buttons buttons, dialogs::Icon icon) {
  m_log.write(dialogs::BoxRecord(dialogs::LocalTimeStamp(), title, text));
  return m_watch->MessageBox(text, title, buttons, icon);
}

std::u16string RunDialogs::InputBox(const std::u16string& prompt, const std::u16string& title,
                                    const std::u16string& preset) {
  m_log.write(dialogs::BoxRecord(dialogs::LocalTimeStamp(), title, prompt));
  return m_watch->InputBox(prompt, title, preset);
}

StartUpEnvironment ProgramEnvironment(const RunOptions& options, RecordLog& log,
                                      std::ostream& out) {
  StartUpEnvironment environment{
      files::ExecutableFolder(), SystemLocalTime, [&log, &out](const StoredUpload& stored) {
        const std::string record = StoredRecord(stored, dialogs::LocalTimeStamp());
        out << record << std::endl;
        log.write(record);
      }};
  environment.inPlace = options.inPlace;
  return environment;
}

namespace {

using std::chrono::milliseconds;

std::u16string decimal(long long value) { return files::FromFileSystemPath(std::to_string(value)); }

// The start-up once, with the number of the last FTPFrr event it showed: what decides whether
// another try may help.
ExitStatus tryOnce(WindowControls& controls, McWinFTP& clsFtp, RunDialogs& dialogs,
                   const StartUpEnvironment& environment, int32_t* lastShown) {
  const McWinFTP::FTPFrrHandler owner = clsFtp.OnFTPFrr();
  *lastShown = 0;
  clsFtp.OnFTPFrr([&](int32_t ErrNumber, const std::u16string& ErrString) {
    *lastShown = ErrNumber;
    if (owner) owner(ErrNumber, ErrString);
  });
  const ExitStatus status = RunStartUp(controls, clsFtp, dialogs, environment);
  clsFtp.OnFTPFrr(owner);
  return status;
}

}  // namespace

ExitStatus RunScheduled(WindowControls& controls, McWinFTP& clsFtp, RunDialogs& dialogs,
                        const StartUpEnvironment& environment, const RunOptions& options,
                        const RetryTiming& timing) {
  const auto started = std::chrono::steady_clock::now();
  const auto timeUsed = [&] {
    return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - started);
  };
  const milliseconds maxTime = std::chrono::seconds(options.retryMaxSeconds);
  milliseconds wait = timing.firstWait;
  for (int tried = 0;; ++tried) {
    dialogs.beginTry(tried < options.retries && timeUsed() < maxTime);
    int32_t lastShown = 0;
    const ExitStatus status = tryOnce(controls, clsFtp, dialogs, environment, &lastShown);
    // A new try starts only within --retry-max-time, waits included.
    const bool again = tried < options.retries && IsTransientFailure(status, lastShown) &&
                       timeUsed() + wait <= maxTime;
    dialogs.endTry(again);
    if (!again) return dialogs.finalStatus(status);
    dialogs.record(u"一時的なエラーのため、" + decimal(wait.count() / 1000) + u"." +
                   decimal(wait.count() % 1000 / 100) + u" 秒後にもう一度試みます (" +
                   decimal(tried + 2) + u" 回目 / 最大 " + decimal(options.retries + 1) + u" 回)");
    clsFtp.CloseSession();
    if (timing.sleep) {
      timing.sleep(wait);
    } else {
      std::this_thread::sleep_for(wait);
    }
    wait = std::min(wait * 2, timing.longestWait);
  }
}
