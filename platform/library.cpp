#include "platform/library.h"

#include <string>

#include "platform/device.h"
#include "platform/phone.h"
#include "platform/shell.h"
#include "platform/unicode.h"

namespace platform {
namespace {

long phone_make_call(const MakeCallInfo* info) {
  if (!info || info->size != kMakeCallInfoSize || !info->destination || !*info->destination)
    return phone_invalid_argument;
  Device* device = Device::current();
  if (!device) return phone_failed;
  return device->shell().execute(u"call", u"tel:" + std::u16string(info->destination), u"") ? phone_ok
                                                                                              : phone_failed;
}

struct Export {
  std::string_view name;
  Procedure procedure;
};

struct BuiltIn {
  std::u16string_view file_name;
  const Export* exports;
  size_t count;
};

const Export kPhoneExports[] = {
    {"PhoneMakeCall", reinterpret_cast<Procedure>(&phone_make_call)},
};

const BuiltIn kLibraries[] = {
    {u"phone.dll", kPhoneExports, std::size(kPhoneExports)},
};

const BuiltIn* find_library(std::u16string_view name) {
  for (const BuiltIn& library : kLibraries)
    if (iequals(name, library.file_name)) return &library;
  return nullptr;
}

}  // namespace

std::unique_ptr<Library> Library::load(std::u16string_view file_name) {
  const size_t slash = file_name.find_last_of(u"\\/");
  const std::u16string_view base = slash == std::u16string_view::npos ? file_name : file_name.substr(slash + 1);
  const BuiltIn* library = find_library(base);
  if (!library) return nullptr;
  return std::unique_ptr<Library>(new Library(std::u16string(library->file_name)));
}

Procedure Library::find(std::string_view name) const {
  const BuiltIn* library = find_library(name_);
  for (size_t i = 0; library && i < library->count; ++i)
    if (library->exports[i].name == name) return library->exports[i].procedure;
  return nullptr;
}

}  // namespace platform
