#include "programs/obsmerge-lojas/ReadingHelper.h"

#include <cstdio>

#include "morvanta/platform/core/Exceptions.h"
#include "programs/obsmerge-lojas/SampleJson.h"

using namespace morvanta;

namespace {

using json = nlohmann::ordered_json;

std::string ResultJson(const MergePreview& preview) {
  json samples = json::array();
  for (const MergeSample& s : preview.samples)
    samples.push_back({{"lja_codigo", s.store},
                       {"cpe_codigo", s.order},
                       {"before", ToSystem(s.before)},
                       {"after", ToSystem(s.after)}});
  return json{{"rows", preview.rows}, {"samples", samples}}.dump() + "\n";
}

void ReportError(const char* className, const AnsiString& message) {
  std::fputs((std::string("Exception ") + className + ": " + ToSystem(message) + "\n").c_str(), stderr);
}

}  // namespace

bool IsReadingHelperCall(const std::vector<std::string>& arguments) {
  return !arguments.empty() && (arguments[0] == kCountRowsOption || arguments[0] == kPreviewRowsOption);
}

int RunReadingHelper(const std::vector<std::string>& arguments) {
  const bool preview = arguments[0] == kPreviewRowsOption;
  if (arguments.size() != (preview ? 4u : 3u)) {
    std::fputs("uso interno: --count-rows BANCO USUARIO | --preview-rows BANCO USUARIO N\n", stderr);
    return 2;
  }
  const AnsiString database = FromSystem(arguments[1]), user = FromSystem(arguments[2]);
  try {
    MergePreview result;
    if (preview) result = PreviewMerge(database, user, std::stoi(arguments[3]));
    else result.rows = CountRowsToMerge(database, user);
    std::fputs(ResultJson(result).c_str(), stdout);
    return 0;
  } catch (const Exception& error) {
    ReportError(error.ClassName(), error.Message());
  } catch (const std::exception& error) {
    ReportError("std::exception", FromSystem(error.what()));
  }
  return 1;
}

std::optional<MergePreview> ParseReadingOutput(const std::string& output) {
  try {
    const json in = json::parse(output);
    MergePreview preview;
    preview.rows = in.at("rows").get<std::uint64_t>();
    preview.samples = SamplesFromJson(in.at("samples"));
    return preview;
  } catch (const json::exception&) {
    return std::nullopt;
  }
}
