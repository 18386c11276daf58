#include "platform/registry.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>

#include "platform/diag.h"
#include "platform/unicode.h"

namespace platform {
namespace {

// Keys are rows with their whole lower-case path below the root, so opening a
// key is one indexed look-up and a subtree is one range of paths.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS keys(
  id INTEGER PRIMARY KEY,
  root INTEGER NOT NULL,
  parent INTEGER NOT NULL,
  lpath TEXT NOT NULL,
  name TEXT NOT NULL,
  UNIQUE(root, lpath));
CREATE INDEX IF NOT EXISTS keys_parent ON keys(parent);
CREATE TABLE IF NOT EXISTS vals(
  key INTEGER NOT NULL,
  lname TEXT NOT NULL,
  name TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key, lname)) WITHOUT ROWID;
INSERT OR IGNORE INTO keys(id, root, parent, lpath, name) VALUES
  (1, 1, 0, '', 'HKEY_CLASSES_ROOT'), (2, 2, 0, '', 'HKEY_LOCAL_MACHINE'),
  (3, 3, 0, '', 'HKEY_USERS'), (4, 4, 0, '', 'HKEY_CURRENT_USER');
)";

std::vector<std::u16string> split_key(std::u16string_view subkey) {
  std::vector<std::u16string> parts;
  size_t start = 0;
  while (start <= subkey.size()) {
    size_t end = subkey.find(u'\\', start);
    if (end == std::u16string_view::npos) end = subkey.size();
    if (end > start) parts.emplace_back(subkey.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string lower_path(const std::vector<std::u16string>& parts, size_t count) {
  std::u16string path;
  for (size_t i = 0; i < count; ++i) {
    if (i) path += u'\\';
    path += to_lower(parts[i]);
  }
  return to_utf8(path);
}

// One prepared statement, reset on scope exit.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  Statement& bind(int i, int64_t v) {
    if (stmt_) sqlite3_bind_int64(stmt_, i, v);
    return *this;
  }
  Statement& bind(int i, const std::string& text) {
    if (stmt_) sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& bind_blob(int i, const std::vector<uint8_t>& data) {
    if (stmt_)
      sqlite3_bind_blob(stmt_, i, data.empty() ? "" : static_cast<const void*>(data.data()),
                        static_cast<int>(data.size()), SQLITE_TRANSIENT);
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
  int64_t int_at(int col) const { return sqlite3_column_int64(stmt_, col); }
  std::string text_at(int col) const {
    const auto* p = sqlite3_column_text(stmt_, col);
    return p ? std::string(reinterpret_cast<const char*>(p),
                           static_cast<size_t>(sqlite3_column_bytes(stmt_, col)))
             : std::string();
  }
  std::vector<uint8_t> blob_at(int col) const {
    const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, col));
    const auto n = static_cast<size_t>(sqlite3_column_bytes(stmt_, col));
    return p ? std::vector<uint8_t>(p, p + n) : std::vector<uint8_t>();
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

bool sort_less(const std::u16string& a, const std::u16string& b) {
  return to_lower(a) < to_lower(b);
}

}  // namespace

RegValue RegValue::dword(uint32_t v) {
  return {RegType::dword,
          {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
           static_cast<uint8_t>(v >> 24)}};
}

RegValue RegValue::string(std::u16string_view text) {
  RegValue v{RegType::string, {}};
  v.data.reserve((text.size() + 1) * 2);
  for (char16_t c : text) {
    v.data.push_back(static_cast<uint8_t>(c));
    v.data.push_back(static_cast<uint8_t>(c >> 8));
  }
  v.data.push_back(0);
  v.data.push_back(0);
  return v;
}

RegValue RegValue::binary(std::vector<uint8_t> bytes) { return {RegType::binary, std::move(bytes)}; }

std::u16string RegValue::as_string() const {
  std::u16string text;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    const auto c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) break;
    text += c;
  }
  return text;
}

std::optional<uint32_t> RegValue::as_dword() const {
  if (type != RegType::dword || data.size() != 4) return std::nullopt;
  return static_cast<uint32_t>(data[0] | (data[1] << 8) | (data[2] << 16) |
                               (static_cast<uint32_t>(data[3]) << 24));
}

std::u16string_view root_name(RegRoot root) {
  switch (root) {
    case RegRoot::classes_root: return u"HKEY_CLASSES_ROOT";
    case RegRoot::local_machine: return u"HKEY_LOCAL_MACHINE";
    case RegRoot::users: return u"HKEY_USERS";
    case RegRoot::current_user: return u"HKEY_CURRENT_USER";
  }
  return u"";
}

std::unique_ptr<Registry> Registry::open(const std::filesystem::path& file) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(file.c_str(), &db,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                           nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_busy_timeout(db, 2000);
    // WAL lets readers go on while another process writes.
    rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
  }
  if (rc != SQLITE_OK) {
    diag("registry", "cannot open the store " + file.string() + ": " +
                         (db ? sqlite3_errmsg(db) : "out of memory") +
                         "; every registry operation fails until it is repaired");
    sqlite3_close(db);
    db = nullptr;
  }
  return std::unique_ptr<Registry>(new Registry(db, file));
}

Registry::Registry(sqlite3* db, std::filesystem::path file) : db_(db), file_(std::move(file)) {}

Registry::~Registry() { sqlite3_close(db_); }

void Registry::set_busy_timeout_ms(int ms) {
  if (db_) sqlite3_busy_timeout(db_, ms);
}

void Registry::fail(std::string_view what) {
  // Logged at most once a second: the program's log queries the registry on
  // every statement, and a broken store must not flood the host.
  static std::atomic<int64_t> last_ms{-1000};
  const int64_t now_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count();
  int64_t last = last_ms.load();
  if (now_ms - last < 1000 || !last_ms.compare_exchange_strong(last, now_ms)) return;
  std::string msg(what);
  if (db_) msg += std::string(": ") + sqlite3_errmsg(db_);
  diag("registry", msg);
}

bool Registry::exec(const char* sql) {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::optional<int64_t> Registry::find_key(RegRoot root, std::u16string_view subkey) {
  const auto parts = split_key(subkey);
  Statement st(db_, "SELECT id FROM keys WHERE root=?1 AND lpath=?2");
  st.bind(1, static_cast<int64_t>(root)).bind(2, lower_path(parts, parts.size()));
  const int rc = st.step();
  if (rc == SQLITE_ROW) return st.int_at(0);
  if (rc != SQLITE_DONE) fail("key look-up failed");
  return std::nullopt;
}

// Inside a write transaction: creates every missing key on the path.
std::optional<int64_t> Registry::ensure_key(RegRoot root, std::u16string_view subkey) {
  const auto parts = split_key(subkey);
  int64_t parent = static_cast<int64_t>(root);  // the root rows have ids 1-4
  for (size_t i = 1; i <= parts.size(); ++i) {
    const std::string lpath = lower_path(parts, i);
    Statement ins(db_,
                  "INSERT OR IGNORE INTO keys(root, parent, lpath, name) VALUES(?1, ?2, ?3, ?4)");
    ins.bind(1, static_cast<int64_t>(root)).bind(2, parent).bind(3, lpath).bind(4, to_utf8(parts[i - 1]));
    if (ins.step() != SQLITE_DONE) return std::nullopt;
    Statement sel(db_, "SELECT id FROM keys WHERE root=?1 AND lpath=?2");
    sel.bind(1, static_cast<int64_t>(root)).bind(2, lpath);
    if (sel.step() != SQLITE_ROW) return std::nullopt;
    parent = sel.int_at(0);
  }
  return parent;
}

bool Registry::key_exists(RegRoot root, std::u16string_view subkey) {
  if (!db_) return false;
  const std::lock_guard guard(lock_);
  return find_key(root, subkey).has_value();
}

bool Registry::create_key(RegRoot root, std::u16string_view subkey) {
  if (!db_) return fail("create_key: the store is not usable"), false;
  const std::lock_guard guard(lock_);
  if (!exec("BEGIN IMMEDIATE")) return fail("create_key: cannot start a write"), false;
  if (!ensure_key(root, subkey) || !exec("COMMIT")) {
    fail("create_key failed");
    exec("ROLLBACK");
    return false;
  }
  return true;
}

RegStatus Registry::delete_key(RegRoot root, std::u16string_view subkey) {
  if (!db_) return fail("delete_key: the store is not usable"), RegStatus::failed;
  const auto parts = split_key(subkey);
  if (parts.empty()) return RegStatus::failed;  // a root cannot be deleted
  const std::lock_guard guard(lock_);
  if (!exec("BEGIN IMMEDIATE")) return fail("delete_key: cannot start a write"), RegStatus::failed;
  const std::string lpath = lower_path(parts, parts.size());
  // Every key of the subtree: the key itself and the paths "lpath\..." which
  // sort between "lpath\" and "lpath]" (']' follows '\').
  const char* where = "root=?1 AND (lpath=?2 OR (lpath>=?2||'\\' AND lpath<?2||']'))";
  Statement count(db_, (std::string("SELECT count(*) FROM keys WHERE ") + where).c_str());
  count.bind(1, static_cast<int64_t>(root)).bind(2, lpath);
  const bool found = count.step() == SQLITE_ROW && count.int_at(0) > 0;
  Statement dv(db_, (std::string("DELETE FROM vals WHERE key IN (SELECT id FROM keys WHERE ") + where + ")").c_str());
  dv.bind(1, static_cast<int64_t>(root)).bind(2, lpath);
  Statement dk(db_, (std::string("DELETE FROM keys WHERE ") + where).c_str());
  dk.bind(1, static_cast<int64_t>(root)).bind(2, lpath);
  if (dv.step() != SQLITE_DONE || dk.step() != SQLITE_DONE || !exec("COMMIT")) {
    fail("delete_key failed");
    exec("ROLLBACK");
    return RegStatus::failed;
  }
  return found ? RegStatus::ok : RegStatus::not_found;
}

RegStatus Registry::query(RegRoot root, std::u16string_view subkey, std::u16string_view name,
                          RegValue& out) {
  if (!db_) return fail("query: the store is not usable"), RegStatus::failed;
  const auto parts = split_key(subkey);
  const std::lock_guard guard(lock_);
  Statement st(db_,
               "SELECT v.type, v.data FROM keys k JOIN vals v ON v.key=k.id "
               "WHERE k.root=?1 AND k.lpath=?2 AND v.lname=?3");
  st.bind(1, static_cast<int64_t>(root)).bind(2, lower_path(parts, parts.size())).bind(3, to_utf8(to_lower(name)));
  const int rc = st.step();
  if (rc == SQLITE_ROW) {
    out.type = static_cast<RegType>(st.int_at(0));
    out.data = st.blob_at(1);
    return RegStatus::ok;
  }
  if (rc == SQLITE_DONE) return RegStatus::not_found;
  fail("query failed");
  return RegStatus::failed;
}

bool Registry::set(RegRoot root, std::u16string_view subkey, std::u16string_view name,
                   const RegValue& value) {
  if (!db_) return fail("set: the store is not usable"), false;
  const std::lock_guard guard(lock_);
  if (!exec("BEGIN IMMEDIATE")) return fail("set: cannot start a write"), false;
  const auto key = ensure_key(root, subkey);
  bool ok = key.has_value();
  if (ok) {
    Statement st(db_,
                 "INSERT INTO vals(key, lname, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
                 "ON CONFLICT(key, lname) DO UPDATE SET name=?3, type=?4, data=?5");
    st.bind(1, *key).bind(2, to_utf8(to_lower(name))).bind(3, to_utf8(name));
    st.bind(4, static_cast<int64_t>(value.type)).bind_blob(5, value.data);
    ok = st.step() == SQLITE_DONE;
  }
  if (!ok || !exec("COMMIT")) {
    fail("set failed");
    exec("ROLLBACK");
    return false;
  }
  return true;
}

RegStatus Registry::delete_value(RegRoot root, std::u16string_view subkey, std::u16string_view name) {
  if (!db_) return fail("delete_value: the store is not usable"), RegStatus::failed;
  const std::lock_guard guard(lock_);
  const auto key = find_key(root, subkey);
  if (!key) return RegStatus::not_found;
  Statement st(db_, "DELETE FROM vals WHERE key=?1 AND lname=?2");
  st.bind(1, *key).bind(2, to_utf8(to_lower(name)));
  if (st.step() != SQLITE_DONE) return fail("delete_value failed"), RegStatus::failed;
  return sqlite3_changes(db_) > 0 ? RegStatus::ok : RegStatus::not_found;
}

std::optional<std::vector<std::u16string>> Registry::subkeys(RegRoot root, std::u16string_view subkey) {
  if (!db_) return fail("subkeys: the store is not usable"), std::nullopt;
  const std::lock_guard guard(lock_);
  const auto key = find_key(root, subkey);
  if (!key) return std::nullopt;
  Statement st(db_, "SELECT name FROM keys WHERE parent=?1");
  st.bind(1, *key);
  std::vector<std::u16string> names;
  int rc;
  while ((rc = st.step()) == SQLITE_ROW) names.push_back(from_utf8(st.text_at(0)));
  if (rc != SQLITE_DONE) return fail("subkeys failed"), std::nullopt;
  std::sort(names.begin(), names.end(), sort_less);
  return names;
}

std::optional<std::vector<RegNamedValue>> Registry::values(RegRoot root, std::u16string_view subkey) {
  if (!db_) return fail("values: the store is not usable"), std::nullopt;
  const std::lock_guard guard(lock_);
  const auto key = find_key(root, subkey);
  if (!key) return std::nullopt;
  Statement st(db_, "SELECT name, type, data FROM vals WHERE key=?1");
  st.bind(1, *key);
  std::vector<RegNamedValue> out;
  int rc;
  while ((rc = st.step()) == SQLITE_ROW)
    out.push_back({from_utf8(st.text_at(0)), {static_cast<RegType>(st.int_at(1)), st.blob_at(2)}});
  if (rc != SQLITE_DONE) return fail("values failed"), std::nullopt;
  std::sort(out.begin(), out.end(),
            [](const RegNamedValue& a, const RegNamedValue& b) { return sort_less(a.name, b.name); });
  return out;
}

}  // namespace platform
