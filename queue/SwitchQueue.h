// The switch queue: the ordered rows of windows to bring forward, shown in
// the queue list, marked Valid or Invalid against the available list, and
// kept in the setting "Queued Windows".
//
// The rows live in the list control itself: row text = the window handle as
// decimal text, sub-item 1 = title, 2 = status, 3 = time before switch.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "form/Form1Controls.h"
#include "platform/System.h"
#include "platform/Ui.h"

namespace tarnavel {

inline constexpr std::string_view kFieldSeparator = "||||||||123|||";
inline constexpr std::string_view kRowTerminator = "||||||||234|||";
inline constexpr std::string_view kQueuedWindowsKey = "Queued Windows";
inline constexpr std::string_view kValid = "Valid";
inline constexpr std::string_view kInvalid = "Invalid";
inline constexpr std::string_view kAlreadyQueued = "This window is already in the queue.";
inline constexpr std::string_view kRunsAsAdministrator =
    "This window belongs to a program running as administrator. Tarnavel can bring it forward "
    "only when it runs as administrator too.";

enum QueueColumn : int { kHandleText = 0, kTitle = 1, kStatus = 2, kTime = 3, kDisplay = 4 };

struct StoredRow {
  std::string handle;
  std::string title;
  std::string time;
  bool hasTitle = true;  // false: the piece had no field separator
  friend bool operator==(const StoredRow&, const StoredRow&) = default;
};

// The queue as one text: for each row, handle, separator, title, separator,
// time, terminator. An empty queue is the empty text.
std::string storedForm(const std::vector<StoredRow>& rows);
// The rows of a stored text, in order. Times are taken as stored; the caller
// decides which of them to keep.
std::vector<StoredRow> parseStoredForm(std::string_view text);

class SwitchQueue {
 public:
  SwitchQueue(ErrorReport& report, platform::IListView& list, Settings& settings,
              platform::ILocale& locale)
      : report_(report), list_(list), settings_(settings), locale_(locale) {}

  // The rows as they would be stored.
  std::vector<StoredRow> rows() const;
  // Writes "Queued Windows" from the rows.
  void save();
  // The queue stored as the window closes, each row's record a labelled
  // statement of the close handling (102 to 110). A failure while building
  // is reported with its own label, and the stored queue is left as it was
  // (every change has stored it already) rather than replaced by a part.
  void saveAtClose(Guard& g);

  // Rebuilds the rows from "Queued Windows" (LoadQueuedWindows).
  void load();

  // Marks every row Valid or Invalid against the available list and its
  // handles (CheckHandle). A row found Valid through its title is rebound to
  // that window.
  void checkHandle(const platform::IListView& available, const std::vector<Hwnd32>& handles);

  // Appends the window of the available list's selected row (the add of
  // "Add Selected To Queue" and of a double-click on the available list).
  // askTime is called with the new row's number before the rows are checked.
  // A window whose program runs above us (as administrator) is added all the
  // same, and a box says once that we cannot move it.
  void addSelected(const platform::IListView& available, const std::vector<Hwnd32>& handles,
                   platform::IWindowSystem& windows, platform::IDialogs& dialogs,
                   std::string_view appTitle, const std::function<void(int row)>& askTime);

  // A double-click on the queue: removes the selected row.
  void removeSelected();
  // "Delete Selected Item From Queue", with the switch timer paused.
  void deleteSelected(const Form1Controls& ui);
  // "Clear All".
  void clearAll();
  // "Clear Invalid": removes every row whose status is exactly "Invalid".
  void clearInvalid();

 private:
  // The window handle of a row, or nothing when its text is not a number.
  std::optional<Hwnd32> handleOf(int row, const NumberFormat& format) const;

  ErrorReport& report_;
  platform::IListView& list_;
  Settings& settings_;
  platform::ILocale& locale_;
};

}  // namespace tarnavel
