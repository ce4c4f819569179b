// Appends and walks one million rows (two integers, two texts of about 50 characters) through the
// record set's public interface, the way a query result is loaded and read, and reports the time
// and the memory it took.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "morvanta/platform/framework/DataSet.h"

using namespace morvanta;

namespace {

// Peak resident memory of the process in bytes (VmHWM).
long long PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6) * 1024;
  return -1;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;

  TClientDataSet dataSet(nullptr);
  dataSet.FieldDefs().Add(u"ID", ftInteger);
  dataSet.FieldDefs().Add(u"CODE", ftLargeint);
  dataSet.FieldDefs().Add(u"NAME", ftString, 60);
  dataSet.FieldDefs().Add(u"NOTE", ftString, 60);
  dataSet.CreateDataSet();
  TField& id = dataSet.Fields(0);
  TField& code = dataSet.Fields(1);
  TField& name = dataSet.Fields(2);
  TField& note = dataSet.Fields(3);

  // Texts of 48 to 52 characters, varying per row.
  std::string nameText(52, 'n');
  std::string noteText(52, 'o');
  long long textBytes = 0;

  const long long peakBefore = PeakResidentBytes();
  auto start = std::chrono::steady_clock::now();
  dataSet.DisableControls();
  for (int i = 0; i < rows; ++i) {
    const std::size_t nameLength = 48 + static_cast<std::size_t>(i % 5);
    const std::size_t noteLength = 52 - static_cast<std::size_t>(i % 5);
    nameText[0] = static_cast<char>('A' + i % 26);
    noteText[0] = static_cast<char>('a' + i % 26);
    dataSet.Append();
    id.SetAsInteger(i);
    code.SetAsInteger(static_cast<std::int64_t>(i) * 7);
    name.SetAsStringBytes(std::string_view(nameText).substr(0, nameLength));
    note.SetAsStringBytes(std::string_view(noteText).substr(0, noteLength));
    dataSet.Post();
    textBytes += static_cast<long long>(nameLength + noteLength);
  }
  dataSet.EnableControls();
  const double appendSeconds = Seconds(start);
  const long long peakAfter = PeakResidentBytes();

  start = std::chrono::steady_clock::now();
  long long checksum = 0;
  int walked = 0;
  dataSet.First();
  while (!dataSet.Eof()) {
    checksum += id.AsInteger() + code.AsInteger();
    checksum += static_cast<long long>(name.AsString().size() + note.AsString().size());
    ++walked;
    dataSet.Next();
  }
  const double walkSeconds = Seconds(start);

  const double perRow = static_cast<double>(peakAfter - peakBefore) / rows;
  const double textPerRow = static_cast<double>(textBytes) / rows;
  std::printf("rows: %d (walked %d, checksum %lld)\n", rows, walked, checksum);
  std::printf("append + set fields + post: %.3f s (%.0f ns/row)\n", appendSeconds, appendSeconds * 1e9 / rows);
  std::printf("first/next reading every field: %.3f s (%.0f ns/row)\n", walkSeconds, walkSeconds * 1e9 / rows);
  std::printf("peak resident memory: %.1f MiB before, %.1f MiB after\n", peakBefore / 1048576.0, peakAfter / 1048576.0);
  std::printf("bytes per row: %.1f, of which text %.1f, beyond the text %.1f\n", perRow, textPerRow,
              perRow - textPerRow);
  return walked == rows ? 0 : 1;
}
