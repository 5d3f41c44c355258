// errors.h: the three unexpected failures. Each ends the running event handler
// and is shown once, in the error box at the message loop or the entry point.
#pragma once

#include <stdexcept>
#include <string>

namespace qlm {

// Base of the program's errors; what() is the text to show, in the system
// code page.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A settings file that the platform refused to write.
class ProfileWriteError : public Error {
 public:
  using Error::Error;
};

// A stored value that cannot be read as what it stands for.
class DamagedValueError : public Error {
 public:
  using Error::Error;
};

// A text that had to be an integer and is not.
class ConversionError : public DamagedValueError {
 public:
  using DamagedValueError::DamagedValueError;
};

// A font record with fewer fields than needed.
class ListIndexError : public DamagedValueError {
 public:
  using DamagedValueError::DamagedValueError;
};

}  // namespace qlm
