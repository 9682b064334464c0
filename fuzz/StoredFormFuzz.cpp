// The stored form of the queue: any text in "Queued Windows" reads without a
// fault; and rows whose fields hold no run of five vertical bars are stored
// and read back as they were, whether they were read from such a text or made
// up. The form has no escaping: five bars at a field's start, after the three
// that end the separator before it, or eight at its end, before the digits
// and bars of the separator after it, can make a separator that was not
// written ("x||||||||123", "|||||234|||").
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "queue/SwitchQueue.h"

namespace {

using tarnavel::StoredRow;

std::string describe(const std::vector<StoredRow>& rows) {
  std::string out;
  for (const auto& r : rows)
    out += "[" + r.handle + "|" + r.title + "|" + r.time + (r.hasTitle ? "" : " no title") + "]";
  return out;
}

bool withoutBarRuns(const std::vector<StoredRow>& rows) {
  for (const auto& r : rows) {
    for (const auto* field : {&r.handle, &r.title, &r.time})
      if (field->find("|||||") != std::string::npos) return false;
  }
  return true;
}

bool sameFields(const std::vector<StoredRow>& a, const std::vector<StoredRow>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].handle != b[i].handle || a[i].title != b[i].title || a[i].time != b[i].time)
      return false;
  }
  return true;
}

// Rows from the input: fields split at NUL, three to a row.
std::vector<StoredRow> rowsOf(std::string_view text) {
  std::vector<std::string> fields;
  for (;;) {
    const auto at = text.find('\0');
    fields.emplace_back(text.substr(0, at));
    if (at == std::string_view::npos) break;
    text.remove_prefix(at + 1);
  }
  std::vector<StoredRow> rows;
  for (std::size_t i = 0; i + 2 < fields.size(); i += 3)
    rows.push_back({fields[i], fields[i + 1], fields[i + 2]});
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tarnavel::fuzz::Input in(data, size);
  if (in.pick % 2 == 0) {
    const auto rows = tarnavel::parseStoredForm(in.text);
    if (!withoutBarRuns(rows)) return 0;
    const auto stored = tarnavel::storedForm(rows);
    const auto again = tarnavel::parseStoredForm(stored);
    if (!sameFields(rows, again))
      tarnavel::fuzz::fail("stored again, the rows differ", describe(rows), describe(again));
  } else {
    const auto rows = rowsOf(in.text);
    if (!withoutBarRuns(rows)) return 0;
    const auto again = tarnavel::parseStoredForm(tarnavel::storedForm(rows));
    if (again != rows)
      tarnavel::fuzz::fail("the stored rows read back differ", describe(rows), describe(again));
  }
  return 0;
}
