#include "uploader/RunOptions.h"

#include <functional>

#include "platform/files/Files.h"

namespace {

std::string utf8(const std::u16string& text) { return files::ToFileSystemPath(text); }

// A whole decimal number from `low` to `high`, nothing else.
std::optional<int> number(const std::u16string& text, int low, int high) {
  if (text.empty() || text.size() > 6) return std::nullopt;
  int value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

struct Option {
  const char16_t* name;
  bool takesValue;
  // Applies the value; false when it is not one the option takes.
  std::function<bool(RunOptions&, const std::u16string&)> apply;
};

const std::vector<Option>& options() {
  static const std::vector<Option> table = {
      {u"--in-place", false, [](RunOptions& o, const std::u16string&) { return o.inPlace = true; }},
      {u"--check", false, [](RunOptions& o, const std::u16string&) { return o.check = true; }},
      {u"--print-certificate", false,
       [](RunOptions& o, const std::u16string&) { return o.printCertificate = true; }},
      {u"--print-host-key", false,
       [](RunOptions& o, const std::u16string&) { return o.printHostKey = true; }},
      {u"--retry", true,
       [](RunOptions& o, const std::u16string& v) {
         const auto n = number(v, 0, kMaxRetries);
         if (n) o.retries = *n;
         return n.has_value();
       }},
      {u"--retry-max-time", true,
       [](RunOptions& o, const std::u16string& v) {
         const auto n = number(v, 0, 86400);
         if (n) o.retryMaxSeconds = *n;
         return n.has_value();
       }},
      {u"--log", true,
       [](RunOptions& o, const std::u16string& v) {
         o.logFile = v;
         return !v.empty();
       }},
  };
  return table;
}

ParsedArguments refused(std::string why) {
  ParsedArguments parsed;
  parsed.action = ParsedArguments::Action::Refused;
  parsed.refusal = std::move(why);
  return parsed;
}

}  // namespace

ParsedArguments ParseRunArguments(const std::vector<std::u16string>& arguments) {
  ParsedArguments parsed;
  if (arguments.size() == 1 && (arguments[0] == u"--help" || arguments[0] == u"--version")) {
    parsed.action = arguments[0] == u"--help" ? ParsedArguments::Action::Help
                                              : ParsedArguments::Action::Version;
    return parsed;
  }
  std::vector<std::u16string> seen;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::u16string& argument = arguments[i];
    if (argument == u"--help" || argument == u"--version") {
      return refused("\"" + utf8(argument) + "\" must be given alone");
    }
    const size_t equals = argument.find(u'=');
    const std::u16string name = argument.substr(0, equals);
    const Option* option = nullptr;
    for (const Option& candidate : options()) {
      if (name == candidate.name) option = &candidate;
    }
    if (option == nullptr || (!option->takesValue && equals != std::u16string::npos)) {
      return refused("unknown argument \"" + utf8(argument) + "\"");
    }
    for (const std::u16string& earlier : seen) {
      if (earlier == name) return refused("\"" + utf8(name) + "\" given twice");
    }
    seen.push_back(name);
    std::u16string value;
    if (option->takesValue && equals != std::u16string::npos) {
      value = argument.substr(equals + 1);
    } else if (option->takesValue) {
      if (i + 1 == arguments.size()) return refused("\"" + utf8(name) + "\" needs a value");
      value = arguments[++i];
    }
    if (!option->apply(parsed.options, value)) {
      return refused("bad value \"" + utf8(value) + "\" for \"" + utf8(name) + "\"");
    }
  }
  if (int{parsed.options.check} + int{parsed.options.printCertificate} +
          int{parsed.options.printHostKey} >
      1) {
    return refused(
        "\"--check\", \"--print-certificate\" and \"--print-host-key\" exclude each other");
  }
  return parsed;
}

std::string RunOptionsUsage() {
  return "[--in-place] [--retry N] [--retry-max-time S] [--log FILE] "
         "[--check | --print-certificate | --print-host-key] | --help | --version";
}
