#include "uploader/ProgramMain.h"

#include <iostream>
#include <string>

#include "platform/cmdline/CommandLine.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/Files.h"
#include "settings/SettingsRecord.h"
#include "uploader/CheckRun.h"
#include "uploader/UnattendedRun.h"

namespace {

cmdline::ProgramInfo programInfo(const char* version) {
  const std::string settings = files::ToFileSystemPath(files::ExecutableFolder() +
                                                       files::PathSeparator() + kSettingsFileName);
  return {"Quillpost", version,
          "Uploads the file named in the settings file\n  " + settings +
              "\nto the server named there (Quillprep makes the settings file). The file is\n"
              "stored under a hidden temporary name and renamed into place, so that the\n"
              "remote name never holds part of it.\n"
              "  --in-place           store straight under the remote name, as a server-side\n"
              "                       job that reacts to that exact name needs\n"
              "  --retry N            try again up to N times (0-10, default 0) after a\n"
              "                       transient failure, waiting 1 s, 2 s, 4 s ... (at most 60 s)\n"
              "  --retry-max-time S   start no new try after S seconds (default 600)\n"
              "  --log FILE           also append every message and stored line to FILE\n"
              "  --check              do everything up to the upload, print each step on\n"
              "                       standard output, and upload nothing\n"
              "  --print-certificate  print the TLS certificate of the server (ftpes://,\n"
              "                       ftps://) without trusting it or logging in\n"
              "  --print-host-key     print the SSH host keys of the server (sftp://) as\n"
              "                       lines for Quillpst.known_hosts, without logging in\n"
              "Without a display each message goes to standard error as one line, and a\n"
              "successful upload writes one line on standard output. Exit status: 0 stored,\n"
              "1 settings file missing or unusable, 2 local file missing, 3 no connection,\n"
              "4 upload failed, 5 stored after an error message, 64 bad command line.\n",
          RunOptionsUsage()};
}

}  // namespace

int QuillpostMain(int argc, char** argv, const ProgramHooks& hooks) {
  const cmdline::ProgramInfo info = programInfo(hooks.version);
  const std::string name = cmdline::InvokedName(argc > 0 ? argv[0] : nullptr, info.name);
  const ParsedArguments parsed = ParseRunArguments(cmdline::ProgramArguments(argc, argv));
  switch (parsed.action) {
    case ParsedArguments::Action::Help:
      return cmdline::PrintHelp(info, name, std::cout);
    case ParsedArguments::Action::Version:
      return cmdline::PrintVersion(info, std::cout);
    case ParsedArguments::Action::Refused:
      return cmdline::PrintRefusal(info, name, parsed.refusal, std::cerr);
    case ParsedArguments::Action::Run:
      break;
  }
  const RunOptions& options = parsed.options;
  if (options.printCertificate) {
    return PrintServerCertificate(files::ExecutableFolder(), std::cout, std::cerr, name);
  }
  if (options.printHostKey) {
    return PrintServerHostKeys(files::ExecutableFolder(), std::cout, std::cerr, name);
  }
  if (options.check) {
    RecordLog noLog({}, std::cerr);
    return RunCheck(ProgramEnvironment(options, noLog, std::cout), std::cout, hooks.internetApi);
  }
  if (hooks.runInWindow != nullptr && dialogs::HasDisplay()) {
    const int status = hooks.runInWindow(argc, argv);
    if (status >= 0) return status;
  }
  return RunUnattendedProgram(options, hooks.internetApi, hooks.timing);
}
