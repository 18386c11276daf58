// The device's built-in libraries. A program loads one by its file name and
// looks its functions up by name, as it would load a library of the phone;
// only what the device offers exists. Today that is "phone.dll" with
// "PhoneMakeCall" (see phone.h).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Every function of a library is looked up as this type and cast back to
// its own type by the caller, who knows the function's signature.
using Procedure = void (*)();

class Library {
 public:
  // Null when the device has no library of that name (compared without
  // regard to case, with or without a folder).
  static std::unique_ptr<Library> load(std::u16string_view file_name);
  ~Library() = default;
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Null for a function the library does not have.
  Procedure find(std::string_view name) const;
  const std::u16string& name() const { return name_; }

 private:
  explicit Library(std::u16string name) : name_(std::move(name)) {}
  std::u16string name_;
};

}  // namespace platform
