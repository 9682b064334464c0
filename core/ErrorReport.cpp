#include "core/ErrorReport.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "platform/Errors.h"
#include "platform/Types.h"

namespace tarnavel {

std::string errorMessage(std::string_view description, std::string_view location, int label) {
  std::string text(description);
  text += "\r\nin ";
  text += kErrorLocationPrefix;
  text += location;
  text += " at line ";
  text += std::to_string(label);
  text += "\r\rPlease email screenshot of this message to ";
  text += kSupportAddress;
  return text;
}

std::string errorLogEntry(std::string_view description, std::string_view location, int label,
                          int number) {
  std::string entry = number > 0 ? "Error " + std::to_string(number) + ": " : "Error: ";
  return entry + errorMessage(description, location, label);
}

std::string describeFailure(std::exception_ptr failure) {
  try {
    std::rethrow_exception(std::move(failure));
  } catch (const AppError& e) {
    return e.description();
  } catch (const std::bad_alloc&) {
    return AppError::outOfMemory().description();
  } catch (const std::out_of_range&) {
    return AppError::subscript().description();
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unexpected failure";
  }
}

void ErrorReport::show(std::string_view description, std::string_view location, int label,
                       int number) {
  if (log_ != nullptr) log_->write(errorLogEntry(description, location, label, number));
  if (logOnly_) return;
  dialogs_.messageBox(errorMessage(description, location, label), kMbOk | kMbIconExclamation,
                      kErrorBoxTitle);
}

void ErrorReport::showNotices(std::string_view location, int label) {
  // Taken first: a notice raised while one is shown waits for its own turn.
  const std::vector<std::string> shown = std::exchange(notices_, {});
  for (const auto& text : shown) {
    try {
      show(text, location, label);
    } catch (...) {
      // As with a failure's box: nothing more can be done, and the
      // procedure goes on.
    }
  }
}

void Guard::fail(int label, std::exception_ptr failure) {
  // Showing the box can itself fail (out of memory); nothing more can be done
  // then, and the procedure still goes on.
  try {
    int number = 0;
    try {
      std::rethrow_exception(failure);
    } catch (const AppError& e) {
      number = e.number();
    } catch (...) {
    }
    report_.show(describeFailure(std::move(failure)), location_, label, number);
  } catch (...) {
  }
}

}  // namespace tarnavel
