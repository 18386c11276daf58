#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "platform/unicode.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace platform;
using testing_support::make_temp_dir;

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = make_temp_dir("lumivale-reg-");
    reg_ = Registry::open(dir_ / "registry.db");
    ASSERT_TRUE(reg_->usable());
  }
  void TearDown() override {
    reg_.reset();
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_;
  std::unique_ptr<Registry> reg_;
};

TEST_F(RegistryTest, KeysAndValueNamesIgnoreCase) {
  ASSERT_TRUE(reg_->set(RegRoot::current_user, u"Software\\NELM", u"Log", RegValue::dword(1)));
  RegValue v;
  ASSERT_EQ(reg_->query(RegRoot::current_user, u"software\\nelm", u"LOG", v), RegStatus::ok);
  EXPECT_EQ(v.as_dword(), 1u);
  // Rewriting through another case keeps one value, with the latest name.
  ASSERT_TRUE(reg_->set(RegRoot::current_user, u"SOFTWARE\\NELM", u"log", RegValue::dword(0)));
  const auto values = reg_->values(RegRoot::current_user, u"Software\\NELM");
  ASSERT_TRUE(values);
  ASSERT_EQ(values->size(), 1u);
  EXPECT_EQ(values->front().value.as_dword(), 0u);
  // The key keeps the case it was created with.
  EXPECT_EQ(reg_->subkeys(RegRoot::current_user, u"")->front(), u"Software");
  // Roots are separate.
  EXPECT_EQ(reg_->query(RegRoot::local_machine, u"Software\\NELM", u"Log", v), RegStatus::not_found);
}

TEST_F(RegistryTest, ValueTypesRoundTrip) {
  ASSERT_TRUE(reg_->set(RegRoot::local_machine, u"K", u"s", RegValue::string(u"\u0416 text")));
  ASSERT_TRUE(reg_->set(RegRoot::local_machine, u"K", u"b", RegValue::binary({0, 1, 255})));
  ASSERT_TRUE(reg_->set(RegRoot::local_machine, u"K", u"", RegValue::string(u"default")));
  RegValue v;
  ASSERT_EQ(reg_->query(RegRoot::local_machine, u"K", u"s", v), RegStatus::ok);
  EXPECT_EQ(v.type, RegType::string);
  EXPECT_EQ(v.as_string(), u"\u0416 text");
  EXPECT_EQ(v.data.size(), (6u + 1u) * 2u);  // terminator included
  ASSERT_EQ(reg_->query(RegRoot::local_machine, u"K", u"b", v), RegStatus::ok);
  EXPECT_EQ(v.data, (std::vector<uint8_t>{0, 1, 255}));
  EXPECT_FALSE(v.as_dword());
  ASSERT_EQ(reg_->query(RegRoot::local_machine, u"K", u"", v), RegStatus::ok);
  EXPECT_EQ(v.as_string(), u"default");
}

TEST_F(RegistryTest, DeleteKeyRemovesItsSubtreeOnly) {
  for (const char16_t* key : {u"A", u"A\\B", u"A\\B\\C", u"AB", u"A]"})
    ASSERT_TRUE(reg_->set(RegRoot::current_user, key, u"v", RegValue::dword(1)));
  EXPECT_EQ(reg_->delete_key(RegRoot::current_user, u"a"), RegStatus::ok);
  EXPECT_FALSE(reg_->key_exists(RegRoot::current_user, u"A\\B\\C"));
  EXPECT_FALSE(reg_->key_exists(RegRoot::current_user, u"A"));
  EXPECT_TRUE(reg_->key_exists(RegRoot::current_user, u"AB"));
  EXPECT_TRUE(reg_->key_exists(RegRoot::current_user, u"A]"));
  EXPECT_EQ(reg_->delete_key(RegRoot::current_user, u"A"), RegStatus::not_found);
  EXPECT_EQ(reg_->delete_key(RegRoot::current_user, u""), RegStatus::failed);  // roots stay
  EXPECT_EQ(reg_->delete_value(RegRoot::current_user, u"AB", u"V"), RegStatus::ok);
  EXPECT_EQ(reg_->delete_value(RegRoot::current_user, u"AB", u"v"), RegStatus::not_found);
}

TEST_F(RegistryTest, EnumerationIsSortedAndMissingKeysSaySo) {
  for (const char16_t* key : {u"P\\beta", u"P\\Alpha", u"P\\gamma\\deep"}) ASSERT_TRUE(reg_->create_key(RegRoot::users, key));
  const auto subkeys = reg_->subkeys(RegRoot::users, u"P");
  ASSERT_TRUE(subkeys);
  EXPECT_EQ(*subkeys, (std::vector<std::u16string>{u"Alpha", u"beta", u"gamma"}));
  EXPECT_FALSE(reg_->subkeys(RegRoot::users, u"Nope"));
  EXPECT_FALSE(reg_->values(RegRoot::users, u"Nope"));
}

TEST(RegistryStore, DamagedStoreFailsEveryOperationWithoutCrashing) {
  const auto dir = make_temp_dir("lumivale-badreg-");
  {
    std::ofstream bad(dir / "registry.db", std::ios::binary);
    bad << std::string(4096, '\x5A');
  }
  auto reg = Registry::open(dir / "registry.db");
  EXPECT_FALSE(reg->usable());
  RegValue v;
  EXPECT_EQ(reg->query(RegRoot::current_user, u"Software", u"x", v), RegStatus::failed);
  EXPECT_FALSE(reg->set(RegRoot::current_user, u"Software", u"x", RegValue::dword(1)));
  EXPECT_FALSE(reg->subkeys(RegRoot::current_user, u""));
  // The damaged file is left as it was, for repair.
  EXPECT_EQ(std::filesystem::file_size(dir / "registry.db"), 4096u);
  std::filesystem::remove_all(dir);
}

TEST(RegistryStore, ALockedStoreFailsWritesButKeepsReading) {
  const auto dir = make_temp_dir("lumivale-lockreg-");
  auto reg = Registry::open(dir / "registry.db");
  ASSERT_TRUE(reg->set(RegRoot::current_user, u"K", u"x", RegValue::dword(7)));
  reg->set_busy_timeout_ms(50);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open((dir / "registry.db").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_FALSE(reg->set(RegRoot::current_user, u"K", u"x", RegValue::dword(8)));
  RegValue v;
  ASSERT_EQ(reg->query(RegRoot::current_user, u"K", u"x", v), RegStatus::ok);
  EXPECT_EQ(v.as_dword(), 7u);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_TRUE(reg->set(RegRoot::current_user, u"K", u"x", RegValue::dword(8)));
  std::filesystem::remove_all(dir);
}

TEST(RegistryStore, ConcurrentWritersInTwoProcessesLoseNothing) {
  const auto dir = make_temp_dir("lumivale-conreg-");
  Registry::open(dir / "registry.db");  // created before the writers start
  constexpr int kWrites = 150;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      auto reg = Registry::open(dir / "registry.db");
      reg->set_busy_timeout_ms(10000);
      int failures = 0;
      for (int i = 0; i < kWrites; ++i) {
        const std::u16string name = from_utf8("p" + std::to_string(c) + "_" + std::to_string(i));
        if (!reg->set(RegRoot::current_user, u"Shared\\Key", name, RegValue::dword(static_cast<uint32_t>(i)))) ++failures;
      }
      _exit(failures == 0 ? 0 : 1);
    }
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  auto reg = Registry::open(dir / "registry.db");
  const auto values = reg->values(RegRoot::current_user, u"Shared\\Key");
  ASSERT_TRUE(values);
  EXPECT_EQ(values->size(), 2u * kWrites);
  std::filesystem::remove_all(dir);
}

class RegText : public RegistryTest {};

TEST_F(RegText, ImportsEveryValueForm) {
  const char* text =
      "\xEF\xBB\xBFREGEDIT4\n"
      "; comment\n"
      "[HKEY_CURRENT_USER\\Software\\NELM]\r\n"
      "\"Log\"=dword:0000000a\n"
      "\"Name\"=\"say \\\"hi\\\" C:\\\\x\"\n"
      "@=\"default\"\n"
      "\"Bytes\"=hex:01,02,\\\n"
      "  ff\n"
      "\"Multi\"=hex(7):61,00,00,00\n"
      "[HKEY_LOCAL_MACHINE\\Gone]\n"
      "\"x\"=dword:1\n"
      "[-HKEY_LOCAL_MACHINE\\Gone]\n";
  std::vector<std::string> errors;
  import_reg_text(*reg_, text, &errors);
  EXPECT_TRUE(errors.empty()) << errors.front();
  RegValue v;
  ASSERT_EQ(reg_->query(RegRoot::current_user, u"Software\\NELM", u"Log", v), RegStatus::ok);
  EXPECT_EQ(v.as_dword(), 10u);
  ASSERT_EQ(reg_->query(RegRoot::current_user, u"Software\\NELM", u"Name", v), RegStatus::ok);
  EXPECT_EQ(v.as_string(), u"say \"hi\" C:\\x");
  ASSERT_EQ(reg_->query(RegRoot::current_user, u"Software\\NELM", u"", v), RegStatus::ok);
  EXPECT_EQ(v.as_string(), u"default");
  ASSERT_EQ(reg_->query(RegRoot::current_user, u"Software\\NELM", u"Bytes", v), RegStatus::ok);
  EXPECT_EQ(v.data, (std::vector<uint8_t>{1, 2, 255}));
  ASSERT_EQ(reg_->query(RegRoot::current_user, u"Software\\NELM", u"Multi", v), RegStatus::ok);
  EXPECT_EQ(v.type, RegType::multi_string);
  EXPECT_FALSE(reg_->key_exists(RegRoot::local_machine, u"Gone"));
}

TEST_F(RegText, ReportsBadLinesWithTheirNumbersAndGoesOn) {
  const char* text =
      "REGEDIT4\n"
      "\"orphan\"=dword:1\n"           // 2: no key yet
      "[HKEY_CURRENT_CONFIG\\X]\n"     // 3: not a root of the phone
      "[HKEY_CURRENT_USER\\K]\n"
      "\"a\"=dword:123456789\n"        // 5: too many digits
      "\"b\"=hex:1,zz\n"               // 6
      "\"c\"=\"unterminated\n"         // 7
      "\"d\"=dword:2\n";
  std::vector<std::string> errors;
  import_reg_text(*reg_, text, &errors);
  ASSERT_EQ(errors.size(), 5u);
  EXPECT_EQ(errors[0].rfind("line 2:", 0), 0u);
  EXPECT_EQ(errors[1].rfind("line 3:", 0), 0u);
  EXPECT_EQ(errors[4].rfind("line 7:", 0), 0u);
  RegValue v;
  EXPECT_EQ(reg_->query(RegRoot::current_user, u"K", u"d", v), RegStatus::ok);
}

}  // namespace
