#include "programs/obsmerge-lojas/CommandLine.h"

#include <charconv>

using namespace morvanta;

namespace {

int WholeNumber(const std::string& option, const std::string& text, int least) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < least)
    throw CommandLineError(option + " precisa de um número inteiro a partir de " + std::to_string(least) + ": " + text);
  return value;
}

Shard ShardOf(const std::string& text) {
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) throw CommandLineError("--shard precisa de K/N, por exemplo 2/3: " + text);
  Shard shard{WholeNumber("--shard", text.substr(0, slash), 1), WholeNumber("--shard", text.substr(slash + 1), 1)};
  if (shard.index > shard.count) throw CommandLineError("--shard K/N precisa de K entre 1 e N: " + text);
  return shard;
}

// Takes the value of an option: after '=' or the next argument.
class Arguments {
 public:
  explicit Arguments(const std::vector<std::string>& all) : all_(all) {}
  bool More() const { return next_ < all_.size(); }
  std::string Next() { return all_[next_++]; }
  std::string ValueOf(const std::string& option, const std::optional<std::string>& inline_) {
    if (inline_) return *inline_;
    if (!More()) throw CommandLineError(option + " precisa de um valor");
    return Next();
  }

 private:
  const std::vector<std::string>& all_;
  std::size_t next_ = 0;
};

void SetSelection(RunnerOptions& options, Selection selection) {
  if (options.selection != Selection::NotDone && options.selection != selection)
    throw CommandLineError("--again e --retry-failed não podem ser usados juntos");
  options.selection = selection;
}

}  // namespace

RunnerOptions ParseCommandLine(const std::vector<std::string>& arguments) {
  RunnerOptions options;
  Arguments args(arguments);
  std::vector<std::string> positional;
  while (args.More()) {
    std::string option = args.Next();
    std::optional<std::string> value;
    if (const std::size_t equals = option.find('='); option.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = option.substr(equals + 1);
      option.resize(equals);
    }
    if (option == "--help" || option == "-h") options.help = true;
    else if (option == "--jobs") options.scheduling.jobs = WholeNumber(option, args.ValueOf(option, value), 1);
    else if (option == "--preview") options.mode = RunMode::Preview;
    else if (option == "--again") SetSelection(options, Selection::All);
    else if (option == "--retry-failed") SetSelection(options, Selection::FailedBefore);
    else if (option == "--timeout")
      options.timeout = std::chrono::seconds(WholeNumber(option, args.ValueOf(option, value), 1));
    else if (option == "--stop-on-error") options.scheduling.onError = ErrorPolicy::StopStarting;
    else if (option == "--shard") options.shard = ShardOf(args.ValueOf(option, value));
    else if (option == "--report") options.reportFolder = args.ValueOf(option, value);
    else if (option.rfind("-", 0) == 0 && option != "-") throw CommandLineError("opção desconhecida: " + option);
    else positional.push_back(option);
    if (value && (option == "--preview" || option == "--again" || option == "--retry-failed" ||
                  option == "--stop-on-error" || option == "--help"))
      throw CommandLineError(option + " não leva valor");
  }
  if (options.help) return options;
  if (options.reportFolder.empty()) throw CommandLineError("falta --report PASTA");
  if (positional.size() != 1) throw CommandLineError("é preciso exatamente uma lista de lojas (STORES.csv)");
  options.storeList = positional[0];
  return options;
}

const char* UsageText() {
  return "uso: obsmerge-lojas [--jobs N] [--preview] [--again | --retry-failed] [--timeout SEGUNDOS]\n"
         "                    [--stop-on-error] [--shard K/N] --report PASTA LOJAS.csv\n";
}
