// The command that starts a queue row's program again when its window is
// gone: the user's own text, one per row at most, kept in a key of its own
// beside the queue ("Queued Window Commands"), so that "Queued Windows"
// keeps its stored form. An entry holds the row's handle text and title as
// well: it belongs to the row with that handle text or, when none has it
// (the handles of a restored queue are found again by title), to the first
// row with that title. An entry that matches no row is dropped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "form/Context.h"

namespace tarnavel {

inline constexpr std::string_view kQueuedCommandsKey = "Queued Window Commands";

class RowCommands {
 public:
  explicit RowCommands(Context& cx) : cx_(cx) {}

  // Reads the stored entries; they are given to rows as they are asked for.
  void load();
  // The row's command; empty for none.
  std::string commandOf(int row);
  // Sets (or, empty, clears) the row's command and stores the entries.
  void setCommand(int row, std::string_view command);
  // Some row has a command.
  bool any();

 private:
  struct Entry {
    std::string handle;
    std::string title;
    std::string command;
    friend bool operator==(const Entry&, const Entry&) = default;
  };
  // Gives the entries to the rows as they are now, one per row; true when
  // that changed them.
  bool sync();
  void store();

  Context& cx_;
  std::vector<Entry> entries_;
};

}  // namespace tarnavel
