#include "vcl/Registry.h"

#include <gtest/gtest.h>

#include "vcl/SysUtils.h"

using namespace std::string_view_literals;

namespace {

std::string TestKeyPath() {
  return "Software\\IntroLauncherTests\\Registry" + std::to_string(GetCurrentProcessId());
}

// Deletes the test key, and its parent once empty, at the start and end of a test.
class TestKeyCleanup {
public:
  explicit TestKeyCleanup(HKEY root) : root_(root) { Delete(); }
  ~TestKeyCleanup() { Delete(); }
  TestKeyCleanup(const TestKeyCleanup&) = delete;
  TestKeyCleanup& operator=(const TestKeyCleanup&) = delete;

private:
  void Delete() {
    RegDeleteTreeA(root_, TestKeyPath().c_str());
    RegDeleteKeyA(root_, "Software\\IntroLauncherTests");
  }
  HKEY root_;
};

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool HandleIsOpen(HKEY key) {
  return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(TRegistry, OpenKeyCreatesAMissingKeyOnlyWhenAsked) {
  EXPECT_EQ(TRegistry().RootKey(), HKEY_CURRENT_USER);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    SCOPED_TRACE(root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE");
    TestKeyCleanup cleanup(root);
    TRegistry registry;
    registry.SetRootKey(root);
    EXPECT_FALSE(registry.OpenKey(TestKeyPath(), false));
    EXPECT_EQ(registry.CurrentKey(), nullptr);
    EXPECT_FALSE(KeyExists(root, TestKeyPath()));

    ASSERT_TRUE(registry.OpenKey(TestKeyPath(), true));
    EXPECT_NE(registry.CurrentKey(), nullptr);
    EXPECT_TRUE(KeyExists(root, TestKeyPath()));
    // The key is opened with all access: values can be written through it.
    EXPECT_EQ(RegSetValueExA(registry.CurrentKey(), "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2),
              ERROR_SUCCESS);

    registry.CloseKey();
    EXPECT_TRUE(registry.OpenKey(TestKeyPath(), false));
    EXPECT_EQ(registry.ReadString("v"), "x");
    EXPECT_TRUE(registry.OpenKey(std::string("\\").append(TestKeyPath()), true));
    EXPECT_EQ(registry.ReadString("v"), "x");
  }
}

TEST(TRegistry, ReleasesItsKey) {
  TestKeyCleanup cleanup(HKEY_CURRENT_USER);
  HKEY first = nullptr;
  HKEY second = nullptr;
  HKEY third = nullptr;
  {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(TestKeyPath(), true));
    first = registry.CurrentKey();
    ASSERT_TRUE(registry.OpenKey(TestKeyPath(), false));  // the new key replaces the first
    second = registry.CurrentKey();
    EXPECT_NE(second, first);
    EXPECT_FALSE(HandleIsOpen(first));
    EXPECT_FALSE(registry.OpenKey(TestKeyPath() + "\\missing", false));  // a failure keeps it
    EXPECT_EQ(registry.CurrentKey(), second);
    EXPECT_TRUE(HandleIsOpen(second));
    registry.SetRootKey(HKEY_LOCAL_MACHINE);  // a new root closes the open key
    EXPECT_EQ(registry.CurrentKey(), nullptr);
    EXPECT_FALSE(HandleIsOpen(second));
    registry.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.OpenKey(TestKeyPath(), false));
    third = registry.CurrentKey();
    EXPECT_TRUE(HandleIsOpen(third));
  }
  EXPECT_FALSE(HandleIsOpen(third));
}

struct StoredValue {
  const char* name;
  DWORD type;
  std::string_view bytes;
};

class TRegistryValues : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(registry_.OpenKey(TestKeyPath(), true));
  }
  void Store(const StoredValue& value) {
    ASSERT_EQ(RegSetValueExA(registry_.CurrentKey(), value.name, 0, value.type,
                             reinterpret_cast<const BYTE*>(value.bytes.data()), static_cast<DWORD>(value.bytes.size())),
              ERROR_SUCCESS)
        << value.name;
  }

  TestKeyCleanup cleanup_{HKEY_CURRENT_USER};
  TRegistry registry_;
};

TEST_F(TRegistryValues, ReadsStringsAsStoredUpToTheirFirstNul) {
  static const std::string longText(100000, 'q');
  static const std::string longValue = longText + '\0';
  struct Case {
    StoredValue stored;
    std::string_view expected;
  };
  const Case cases[] = {
      {{"plain", REG_SZ, "C:\\Program Files\\QuickTime\\\0"sv}, "C:\\Program Files\\QuickTime\\"},
      {{"expandable", REG_EXPAND_SZ, "%SystemRoot%\\QT\0"sv}, "%SystemRoot%\\QT"},
      {{"embedded NUL", REG_SZ, "abc\0def\0"sv}, "abc"},
      {{"no terminating NUL", REG_SZ, "xyz"}, "xyz"},
      {{"empty", REG_SZ, "\0"sv}, ""},
      {{"no bytes", REG_EXPAND_SZ, ""}, ""},
      {{"long", REG_SZ, longValue}, longText},
      {{"", REG_SZ, "default\0"sv}, "default"},
  };
  for (const Case& c : cases) Store(c.stored);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored.name);
    EXPECT_TRUE(registry_.ValueExists(c.stored.name));
    EXPECT_EQ(registry_.ReadString(c.stored.name), c.expected);
  }
  EXPECT_FALSE(registry_.ValueExists("missing"));
  EXPECT_EQ(registry_.ReadString("missing"), "");
}

TEST_F(TRegistryValues, OtherTypesRaiseInvalidDataType) {
  const StoredValue values[] = {
      {"InstallDir", REG_DWORD, "\x01\0\0\0"sv},
      {"binary", REG_BINARY, "C:\\QT"},
      {"empty binary", REG_BINARY, ""},
      {"multi", REG_MULTI_SZ, "a\0b\0\0"sv},
  };
  for (const StoredValue& value : values) {
    SCOPED_TRACE(value.name);
    Store(value);
    EXPECT_TRUE(registry_.ValueExists(value.name));
    try {
      registry_.ReadString(value.name);
      ADD_FAILURE() << "no error";
    } catch (const ERegistryException& e) {
      EXPECT_EQ(e.Message(), std::string("Invalid data type for '") + value.name + "'");
      EXPECT_STREQ(e.ClassName(), "ERegistryException");
    }
  }
}

TEST(TRegistry, ReadWithoutAnOpenKeyFails) {
  TRegistry registry;
  EXPECT_FALSE(registry.ValueExists("InstallDir"));
  try {
    registry.ReadString("InstallDir");
    ADD_FAILURE() << "no error";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), "Failed to get data for 'InstallDir'");
  }
}

}  // namespace
