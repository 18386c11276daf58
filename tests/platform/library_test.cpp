#include "platform/library.h"

#include <gtest/gtest.h>

#include "platform/device.h"
#include "platform/phone.h"
#include "platform/shell.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace platform;
using testing_support::DeviceTest;

TEST(Library, OnlyTheDevicesLibrariesAndFunctionsExist) {
  for (const char16_t* name : {u"phone.dll", u"PHONE.DLL", u"\\Windows\\phone.dll"}) {
    const auto library = Library::load(name);
    ASSERT_NE(library, nullptr);
    EXPECT_NE(library->find("PhoneMakeCall"), nullptr);
    EXPECT_EQ(library->find("phonemakecall"), nullptr) << "function names are exact";
  }
  EXPECT_EQ(Library::load(u"phone"), nullptr);
  EXPECT_EQ(Library::load(u"nothing.dll"), nullptr);
}

TEST_F(DeviceTest, PhoneMakeCallDialsAWellFormedRecordOnly) {
  const auto phone = Library::load(u"phone.dll");
  ASSERT_NE(phone, nullptr);
  const auto make_call = reinterpret_cast<PhoneMakeCallFunction>(phone->find("PhoneMakeCall"));
  MakeCallInfo info;
  info.size = kMakeCallInfoSize;
  info.flags = make_call_default;
  info.destination = u"112";
  EXPECT_EQ(make_call(&info), phone_ok);

  MakeCallInfo wrong_size = info;
  wrong_size.size = 12;
  MakeCallInfo no_number = info;
  no_number.destination = u"";
  for (const MakeCallInfo* bad : {static_cast<MakeCallInfo*>(nullptr), &wrong_size, &no_number})
    EXPECT_EQ(make_call(bad), phone_invalid_argument);

  const auto starts = Device::current()->shell().starts();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].verb, u"call");
  EXPECT_EQ(starts[0].file, u"tel:112");
}

}  // namespace
