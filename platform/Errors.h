// The failures that the error report names. Each carries the wording the user
// sees in the "Application Error" box; the numbers are kept for reference.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace tarnavel {

class AppError : public std::runtime_error {
 public:
  AppError(int number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}
  int number() const { return number_; }
  const std::string& description() const { return description_; }

  static AppError invalidCall() { return {5, "Invalid procedure call or argument"}; }
  static AppError overflow() { return {6, "Overflow"}; }
  static AppError outOfMemory() { return {7, "Out of memory"}; }
  static AppError subscript() { return {9, "Subscript out of range"}; }
  static AppError typeMismatch() { return {13, "Type mismatch"}; }
  static AppError indexOutOfBounds() { return {35600, "Index out of bounds"}; }
  static AppError textReadOnly() { return {383, "'Text' property is read-only"}; }
  static AppError invalidPropertyValue() { return {380, "Invalid property value"}; }
  static AppError fileNotFound() { return {53, "File not found"}; }
  // A refusal of the system, with the system's own words.
  static AppError system(std::string words) { return {-1, std::move(words)}; }

 private:
  int number_;
  std::string description_;
};

}  // namespace tarnavel
