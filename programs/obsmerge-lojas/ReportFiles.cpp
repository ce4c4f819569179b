#include "programs/obsmerge-lojas/ReportFiles.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "programs/obsmerge-lojas/SampleJson.h"

using namespace morvanta;

namespace {

using json = nlohmann::ordered_json;

template <typename T>
json OrNull(const std::optional<T>& value) {
  return value ? json(*value) : json(nullptr);
}

json RecordJson(const StoreRecord& record) {
  json out = {{"store", ToSystem(record.store)},
              {"database", ToSystem(record.database)},
              {"user", ToSystem(record.user)},
              {"rows_before", OrNull(record.rowsBefore)},
              {"rows_after", OrNull(record.rowsAfter)},
              {"exit_code", OrNull(record.exitCode)},
              {"seconds", std::round(record.seconds * 1000) / 1000},
              {"status", StatusName(record.status)},
              {"error", ToSystem(record.error)}};
  if (record.status == StoreStatus::Preview) out["preview"] = SamplesToJson(record.preview);
  return out;
}

// A CSV field: quoted when it holds a separator, a quote or a line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",;\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

template <typename T>
std::string CsvNumber(const std::optional<T>& value) {
  return value ? std::to_string(*value) : std::string();
}

std::string ReportCsv(const std::vector<StoreRecord>& records) {
  std::ostringstream out;
  out << "store,database,user,rows_before,rows_after,exit_code,seconds,status,error\n";
  for (const StoreRecord& r : records) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", r.seconds);
    out << CsvField(ToSystem(r.store)) << ',' << CsvField(ToSystem(r.database)) << ',' << CsvField(ToSystem(r.user))
        << ',' << CsvNumber(r.rowsBefore) << ',' << CsvNumber(r.rowsAfter) << ',' << CsvNumber(r.exitCode) << ','
        << seconds << ',' << StatusName(r.status) << ',' << CsvField(ToSystem(r.error)) << '\n';
  }
  return out.str();
}

std::string PreviewCsv(const std::vector<StoreRecord>& records) {
  std::ostringstream out;
  out << "store,lja_codigo,cpe_codigo,before,after\n";
  for (const StoreRecord& r : records)
    for (const MergeSample& s : r.preview)
      out << CsvField(ToSystem(r.store)) << ',' << s.store << ',' << s.order << ',' << CsvField(ToSystem(s.before))
          << ',' << CsvField(ToSystem(s.after)) << '\n';
  return out.str();
}

void WriteWhole(const std::filesystem::path& file, const std::string& content) {
  std::filesystem::path temporary = file;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << content;
    out.flush();
    if (!out) throw std::runtime_error("não foi possível escrever " + temporary.string());
  }
  std::filesystem::rename(temporary, file);
}

template <typename T>
std::optional<T> NumberOrNone(const json& value) {
  if (value.is_null()) return std::nullopt;
  return value.get<T>();
}

StoreRecord RecordFrom(const json& in) {
  StoreRecord record;
  record.store = FromSystem(in.at("store").get<std::string>());
  record.database = FromSystem(in.at("database").get<std::string>());
  record.user = FromSystem(in.at("user").get<std::string>());
  record.rowsBefore = NumberOrNone<std::uint64_t>(in.at("rows_before"));
  record.rowsAfter = NumberOrNone<std::uint64_t>(in.at("rows_after"));
  record.exitCode = NumberOrNone<int>(in.at("exit_code"));
  record.seconds = in.at("seconds").get<double>();
  const auto status = StatusNamed(in.at("status").get<std::string>());
  if (!status) throw ReportUnreadable("situação desconhecida: " + in.at("status").get<std::string>());
  record.status = *status;
  record.error = FromSystem(in.at("error").get<std::string>());
  if (in.contains("preview")) record.preview = SamplesFromJson(in.at("preview"));
  return record;
}

}  // namespace

void WriteReport(const std::filesystem::path& folder, const std::vector<StoreRecord>& records) {
  json all = json::array();
  bool previews = false;
  for (const StoreRecord& record : records) {
    all.push_back(RecordJson(record));
    previews = previews || record.status == StoreStatus::Preview;
  }
  WriteWhole(folder / "report.json", all.dump(2) + "\n");
  WriteWhole(folder / "report.csv", ReportCsv(records));
  if (previews) WriteWhole(folder / "preview.csv", PreviewCsv(records));
}

std::vector<StoreRecord> ReadReport(const std::filesystem::path& folder) {
  const std::filesystem::path file = folder / "report.json";
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  try {
    const json all = json::parse(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    std::vector<StoreRecord> records;
    for (const json& record : all) records.push_back(RecordFrom(record));
    return records;
  } catch (const json::exception& error) {
    throw ReportUnreadable(file.string() + " não é um relatório desta ferramenta: " + error.what());
  }
}
