// Finding a queued window again after its program closed and reopened it.
//
// Each queue row has a record of the program (the full path of its
// executable) and the window class it was added or rebound with, kept in a
// key of its own beside the queue, so that "Queued Windows" keeps its stored
// form. A record entry belongs to the row with the same handle text; an
// entry that matches no row is dropped, and a row without one is recorded
// again from its window as it is now.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "form/Context.h"
#include "queue/SwitchQueue.h"
#include "queue/WindowList.h"

namespace tarnavel {

inline constexpr std::string_view kQueuedProgramsKey = "Queued Window Programs";

struct ProgramRecord {
  std::string handle;  // the row's handle text
  std::string program;
  std::string windowClass;
  friend bool operator==(const ProgramRecord&, const ProgramRecord&) = default;
};

// The record as stored: the queue's separators, one entry per row.
std::string storedRecord(const std::vector<ProgramRecord>& entries);
std::vector<ProgramRecord> parseRecord(std::string_view text);

class ReopenedWindows {
 public:
  ReopenedWindows(Context& cx, SwitchQueue& queue) : cx_(cx), queue_(queue) {}

  // Reads the stored record and brings it in line with the queue.
  void load();
  // Brings the record in line with the queue's rows, recording rows that
  // have no entry from their windows; stores it when it changed.
  void sync();

  // The row's handle names a window a person can see (visible, not kept
  // out of sight by the window manager), and one of the row's program when
  // that is known (a handle the system gave to another program's window is
  // not the row's window).
  bool present(int row);
  // Looks for the row's window among the windows open now (the available
  // list's rule): first one with exactly the row's title that is not queued
  // under its own handle and, when the row's program is known, is one of
  // its windows; then one of the same program and window class that is not
  // queued. Found, the row names it, is "Valid", and the queue and the
  // record are stored.
  bool findAgain(int row);
  // A listed window of this process (one started to bring the row's window
  // back) that is not queued becomes the row's, as one found again does.
  bool takeWindowOf(int row, std::uint32_t process);

  const std::vector<ProgramRecord>& entries() const { return entries_; }

 private:
  ProgramRecord recordOf(const std::string& handleText);
  std::optional<Hwnd32> handleOf(const std::string& text) const;
  void store();
  void bind(int row, Hwnd32 window);
  // Walks the windows into the table (their count) and collects the handles
  // the queue names.
  int listNotQueued(std::unordered_set<Hwnd32>& queued);

  Context& cx_;
  SwitchQueue& queue_;
  // One entry per queue row, in row order, once synced.
  std::vector<ProgramRecord> entries_;
  WindowTable table_;
};

}  // namespace tarnavel
