// The default-registry text of a device image.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/registry.h"

namespace {

// One scratch store for the whole run, removed at exit.
struct ScratchStore {
  ScratchStore() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumivale-fuzz-regXXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    dir = pattern;
    registry = platform::Registry::open(dir / "registry.db");
  }
  ~ScratchStore() {
    registry.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::filesystem::path dir;
  std::unique_ptr<platform::Registry> registry;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchStore store;
  std::vector<std::string> errors;
  platform::import_reg_text(*store.registry, std::string_view(reinterpret_cast<const char*>(data), size), &errors);
  return 0;
}
