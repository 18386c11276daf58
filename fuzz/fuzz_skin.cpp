// The skin file loader's checks: whatever bytes arrive, a file is either
// refused or every lookup and walk over it stays inside the buffer.
#include <cstdint>
#include <vector>

#include "skin/skin_file.h"
#include "tools/skinc.h"

namespace {

void walk(const lv::SkinFile& file, lv::NodeRecord record) {
  for (size_t t = 0; t < lv::skin_format::kAttrTypeCount; ++t) {
    const auto type = static_cast<lv::AttrType>(t);
    for (const char16_t* name : {u"type", u"id", u"src", u"", u"zzzz"}) (void)file.find_attribute(record, type, name);
  }
  for (size_t c = 0; c < record.child_count(); ++c) walk(file, record.child(c));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto file = lv::SkinFile::open(std::vector<uint8_t>(data, data + size));
  if (!file) return 0;
  for (const auto& [name, record] : file->named_nodes()) {
    (void)file->find_node(name);
    walk(*file, record);
  }
  (void)file->find_node(u"Splash");
  (void)skinc::dump_skin(*file);
  return 0;
}
