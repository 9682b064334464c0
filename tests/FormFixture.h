// A Form1 on fake controls and services, with helpers the tests share.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/Form1.h"
#include "core/ErrorReport.h"
#include "tests/fakes/FakeForm.h"

namespace tarnavel::testing {

class FormTest : public ::testing::Test {
 protected:
  fake::FakeForm f;
  std::unique_ptr<Form1> form;

  // Builds the form and runs its load step.
  void load() {
    form = std::make_unique<Form1>(f.controls, f.services);
    form->Form_Load();
  }

  // Text of the error box for a failure at a line of a procedure.
  static std::string errorBox(std::string_view description, std::string_view location, int label) {
    return errorMessage(description, location, label);
  }

  // The error boxes shown, as their second lines ("in ... at line N").
  std::vector<std::string> errorLines() const {
    std::vector<std::string> lines;
    for (const auto& box : f.dialogs.boxes) {
      if (box.title != kErrorBoxTitle) continue;
      const auto start = box.text.find("\r\n") + 2;
      lines.push_back(box.text.substr(start, box.text.find('\r', start) - start));
    }
    return lines;
  }

  // A queue row as the list shows it.
  std::vector<std::string> queueRow(int row) const {
    auto cells = f.ListView2.rows.at(static_cast<std::size_t>(row - 1));
    cells.resize(4);
    return cells;
  }

  int availableRowOf(std::string_view title) const {
    for (int i = 1; i <= f.ListView1.count(); ++i) {
      if (f.ListView1.text(i) == title) return i;
    }
    return 0;
  }

  // Selects a listed window and presses "Add Selected To Queue".
  void addToQueue(std::string_view title) {
    const int row = availableRowOf(title);
    ASSERT_NE(row, 0) << "not listed: " << title;
    f.ListView1.select(row);
    form->onClick(Ctl::PushButton3);
  }

  std::string stored() const {
    const auto it = f.settings.values.find("Queued Windows");
    return it == f.settings.values.end() ? std::string("<absent>") : it->second;
  }
};

// The stored form of one row.
inline std::string storedRow(std::string_view handle, std::string_view title,
                             std::string_view time = "") {
  return std::string(handle) + "||||||||123|||" + std::string(title) + "||||||||123|||" +
         std::string(time) + "||||||||234|||";
}

}  // namespace tarnavel::testing
