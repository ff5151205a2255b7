// The two kinds of failure the tool reports, by exit status.
#pragma once

#include <stdexcept>

namespace huesieve::cli {

// A mistake in the arguments; the tool exits with status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Every failure other than a usage mistake; the tool exits with status 1.
class ToolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace huesieve::cli
