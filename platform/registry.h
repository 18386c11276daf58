// The device registry: one persistent store per device, shared by all of its
// processes. Keys and value names compare without regard to case; each
// operation is a transaction of its own, so concurrent writers in several
// processes lose nothing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace platform {

enum class RegRoot : int { classes_root = 1, local_machine = 2, users = 3, current_user = 4 };

// The phone's value type codes.
enum class RegType : uint32_t {
  none = 0,
  string = 1,
  expand_string = 2,
  binary = 3,
  dword = 4,
  multi_string = 7,
};

struct RegValue {
  RegType type = RegType::none;
  std::vector<uint8_t> data;

  static RegValue dword(uint32_t v);
  // Stored as UTF-16LE with its terminator, as the phone stores strings.
  static RegValue string(std::u16string_view text);
  static RegValue binary(std::vector<uint8_t> bytes);
  // The text of a string value up to its terminator.
  std::u16string as_string() const;
  std::optional<uint32_t> as_dword() const;
};

struct RegNamedValue {
  std::u16string name;
  RegValue value;
};

enum class RegStatus { ok, not_found, failed };

class Registry {
 public:
  // Opens (and creates when missing) the store at `file`. A store that cannot
  // be opened still yields an object whose every operation fails and logs.
  static std::unique_ptr<Registry> open(const std::filesystem::path& file);
  ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  bool usable() const { return db_ != nullptr; }
  // How long an operation waits for another process's write to finish.
  void set_busy_timeout_ms(int ms);

  // `subkey` is a path below the root with "\" between names; empty = the root.
  bool key_exists(RegRoot root, std::u16string_view subkey);
  bool create_key(RegRoot root, std::u16string_view subkey);
  // Removes the key with all its subkeys and values.
  RegStatus delete_key(RegRoot root, std::u16string_view subkey);
  RegStatus query(RegRoot root, std::u16string_view subkey, std::u16string_view name,
                  RegValue& out);
  // Creates the key when needed.
  bool set(RegRoot root, std::u16string_view subkey, std::u16string_view name,
           const RegValue& value);
  RegStatus delete_value(RegRoot root, std::u16string_view subkey, std::u16string_view name);
  // Names as stored, sorted without regard to case; nullopt when the key is missing.
  std::optional<std::vector<std::u16string>> subkeys(RegRoot root, std::u16string_view subkey);
  std::optional<std::vector<RegNamedValue>> values(RegRoot root, std::u16string_view subkey);

 private:
  explicit Registry(sqlite3* db, std::filesystem::path file);
  std::optional<int64_t> find_key(RegRoot root, std::u16string_view subkey);
  std::optional<int64_t> ensure_key(RegRoot root, std::u16string_view subkey);
  bool exec(const char* sql);
  void fail(std::string_view what);

  sqlite3* db_;
  std::filesystem::path file_;
  std::recursive_mutex lock_;  // the log may query from any thread
};

// Root names in their textual form: "HKEY_LOCAL_MACHINE" and so on.
std::u16string_view root_name(RegRoot root);

// Applies a REGEDIT4-style text (UTF-8, with or without a byte order mark):
//   [HKEY_CURRENT_USER\Software\NELM]    a key;  [-KEY] removes it
//   "Log"=dword:00000001                 "Name"="text"   @="default value"
//   "Data"=hex:01,02,ff   hex(7):...     "Gone"=-        ; a comment
// A line it cannot read is reported in `errors` ("line N: ...") and skipped.
// Returns the number of values and keys applied.
int import_reg_text(Registry& registry, std::string_view text, std::vector<std::string>* errors);

}  // namespace platform
