#pragma once
// Environment variables changed for one test and put back afterwards (POSIX only).

#include <stdlib.h>

#include <optional>
#include <string>
#include <utility>

namespace hengdian::testing {

/// Remembers a variable's value on construction and restores it, or its absence, on destruction.
class ScopedVariable {
 public:
  explicit ScopedVariable(std::string name) : name_(std::move(name)) {
    if (const char *value = getenv(name_.c_str())) saved_ = value;
  }
  ~ScopedVariable() {
    if (saved_) {
      setenv(name_.c_str(), saved_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  ScopedVariable(const ScopedVariable &) = delete;
  ScopedVariable &operator=(const ScopedVariable &) = delete;

  void set(const std::string &value) const { setenv(name_.c_str(), value.c_str(), 1); }
  void unset() const { unsetenv(name_.c_str()); }

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

}  // namespace hengdian::testing
