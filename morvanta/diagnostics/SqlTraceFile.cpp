#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "morvanta/platform/core/DateTime.h"
#include "morvanta/components/statement/MarkerSubstitution.h"
#include "morvanta/platform/core/SqlScanner.h"
#include "morvanta/components/statement/ValueBinding.h"
#include "morvanta/diagnostics/DiagnosticMode.h"

namespace morvanta {

namespace {

AnsiString& TraceFileSlot() {
  static AnsiString fileName("/tmp/morvanta/qry.sql");
  return fileName;
}

bool IsDateParam(TFieldType type) { return type == ftDate || type == ftTime || type == ftDateTime; }

// The statement with each parameter reference replaced by its literal, in one pass over the
// original text so that a value is never rewritten by a later replacement. A name is matched
// before any name that is a prefix of it; each reference takes the next entry of its name.
AnsiString RenderStatement(const AnsiString& text, TParams& params, const AnsiString& kind) {
  std::vector<AnsiString> names;
  for (int i = 0; i < params.Count(); ++i) names.push_back(ToAnsi(params[i].Name()));
  return SubstituteMarkers<char>(text, names,
                                 {.uses = MarkerSubstitutionOptions::Uses::OneMarker,
                                  .emptyNames = MarkerSubstitutionOptions::EmptyNames::Ignored},
                                 [&](std::size_t index, AnsiString& out) {
                                   TParam& param = params[static_cast<int>(index)];
                                   out += IsDateParam(param.DataType())
                                              ? DateToSQLLiteral(kind, param.AsDateTime())
                                              : SqlStringLiteral(param.IsNull() ? AnsiString() : param.AsString());
                                 });
}

AnsiString FormatNow(nl_item format) {
  TDateTime now = Now();
  DateTimeParts p = DecodeDateTime(now);
  std::tm tm{};
  tm.tm_year = p.year - 1900;
  tm.tm_mon = p.month - 1;
  tm.tm_mday = p.day;
  tm.tm_hour = p.hour;
  tm.tm_min = p.minute;
  tm.tm_sec = p.second;
  char buffer[128] = {0};
  locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
  if (locale) {
    std::strftime(buffer, sizeof buffer, nl_langinfo_l(format, locale), &tm);
    freelocale(locale);
  } else {
    std::strftime(buffer, sizeof buffer, format == D_FMT ? "%d/%m/%Y" : "%H:%M:%S", &tm);
  }
  return FromSystem(buffer);
}

void WriteEntry(const AnsiString& fileName, const AnsiString& header, const AnsiString& statement) {
  std::filesystem::path path(ToSystem(fileName));
  bool exists = std::filesystem::exists(path);
  if (exists) TrimTextFile(fileName, kSQLTraceMaxLines);
  std::ofstream file(path, exists ? std::ios::binary | std::ios::app : std::ios::binary | std::ios::trunc);
  if (!file) return;
  const std::string crlf = "\r\n";
  file << std::string(83, '-') << crlf << ToSystem(header) << crlf << std::string(83, '-') << crlf;
  file << ToSystem(statement) << crlf;
  file << std::string(84, '-') << crlf;
}

}  // namespace

const AnsiString& SQLTraceFileName() { return TraceFileSlot(); }
void SetSQLTraceFileName(AnsiString fileName) { TraceFileSlot() = std::move(fileName); }

void WriteSQLTrace(TSQLQuery& query, const AnsiString& datasetName, const AnsiString& databaseName,
                   const AnsiString& kind, const AnsiString& formName) {
  AnsiString rendered = RenderStatement(ToAnsi(query.SQL().Text()), query.Params(), kind);
  SetLastSQLText(rendered);
  if (rendered.find("CONTROLLOG") != AnsiString::npos) return;
  try {
    std::filesystem::path path(ToSystem(SQLTraceFileName()));
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    AnsiString header = "MorvantaDataset: " + datasetName + " Base: " + databaseName + " " +
                        "Data/Hora: " + FormatNow(D_FMT) + "-" + FormatNow(T_FMT) + " Form: " + formName;
    WriteEntry(SQLTraceFileName(), header, rendered);
  } catch (...) {
    // The trace never disturbs the statement it records.
  }
}

void TrimTextFile(const AnsiString& fileName, int maxLines) {
  try {
    std::filesystem::path path(ToSystem(fileName));
    std::string content;
    {
      std::ifstream in(path, std::ios::binary);
      if (!in) return;
      content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Line starts; a carriage return, a line feed or both end a line.
    std::vector<std::pair<std::size_t, std::size_t>> lines;
    std::size_t start = 0, i = 0;
    while (i < content.size()) {
      if (content[i] == '\r' || content[i] == '\n') {
        lines.emplace_back(start, i - start);
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
        start = ++i;
      } else {
        ++i;
      }
    }
    if (start < content.size()) lines.emplace_back(start, content.size() - start);
    std::size_t first = 0;
    if (maxLines > 0 && lines.size() >= static_cast<std::size_t>(maxLines))
      first = lines.size() - static_cast<std::size_t>(maxLines) + 1;
    std::string out;
    out.reserve(content.size() + lines.size());
    for (std::size_t k = first; k < lines.size(); ++k) {
      out.append(content, lines[k].first, lines[k].second);
      out += "\r\n";
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
  } catch (...) {
    // Trimming is best effort.
  }
}

}  // namespace morvanta
