#include "vcl/Lists.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "NameValueCases.h"
#include "vcl/SysUtils.h"

namespace {

// A file in the temporary folder with the given bytes, deleted at the end of the test.
class TempFile {
public:
  explicit TempFile(const std::string& bytes) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    static int serial = 0;
    name_ = std::string(folder) + "lists_test_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++serial) + ".ini";
    const HANDLE file = CreateFileA(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << name_;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    EXPECT_EQ(written, bytes.size());
    CloseHandle(file);
  }
  ~TempFile() { DeleteFileA(name_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Name() const { return name_; }

private:
  std::string name_;
};

// The file held open by "another program" with the given access and sharing.
class OpenedElsewhere {
public:
  OpenedElsewhere(const std::string& name, DWORD access, DWORD share)
      : handle_(CreateFileA(name.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr)) {
    EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << name;
  }
  ~OpenedElsewhere() { CloseHandle(handle_); }
  OpenedElsewhere(const OpenedElsewhere&) = delete;
  OpenedElsewhere& operator=(const OpenedElsewhere&) = delete;

private:
  HANDLE handle_;
};

void ExpectIndexError(const std::function<void()>& call, int index) {
  try {
    call();
    ADD_FAILURE() << "no error for index " << index;
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(index) + ")");
    EXPECT_STREQ(e.ClassName(), "EListError");
  }
}

TEST(TList, KeepsPointersInOrder) {
  int a = 0, b = 0, c = 0;
  TList list;
  EXPECT_EQ(list.Add(&a), 0);
  EXPECT_EQ(list.Add(&c), 1);
  list.Insert(1, &b);
  list.Insert(3, nullptr);  // at the end; a null pointer is an item like any other
  list.Insert(0, &c);
  ASSERT_EQ(list.Count(), 5);
  const void* expected[] = {&c, &a, &b, &c, nullptr};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(list.Items(i), expected[i]) << i;
    EXPECT_EQ(list[i], expected[i]) << i;
  }
  EXPECT_EQ(list.IndexOf(&c), 0);
  EXPECT_EQ(list.IndexOf(nullptr), 4);

  EXPECT_EQ(list.Remove(&c), 0);  // the first occurrence only
  EXPECT_EQ(list.IndexOf(&c), 2);
  EXPECT_EQ(list.Remove(&b), 1);
  EXPECT_EQ(list.Remove(&b), -1);
  EXPECT_EQ(list.IndexOf(&b), -1);
  list.Delete(0);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0], &c);
  EXPECT_EQ(list[1], nullptr);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Remove(&a), -1);
}

TEST(TList, IndexOutOfBoundsRaisesListError) {
  int a = 0;
  TList list;
  list.Add(&a);
  list.Add(&a);
  ExpectIndexError([&] { list.Items(2); }, 2);
  ExpectIndexError([&] { list.Items(-1); }, -1);
  ExpectIndexError([&] { list.Delete(2); }, 2);
  ExpectIndexError([&] { list.Insert(3, &a); }, 3);
  ExpectIndexError([&] { list.Insert(-1, &a); }, -1);
  EXPECT_EQ(list.Count(), 2);
  TList empty;
  ExpectIndexError([&] { empty[0]; }, 0);
}

TEST(TStringList, LooksUpNamesWithTheLocaleComparison) {
  for (const NameValueCase& c : kNameValueCases) {
    SCOPED_TRACE(c.what);
    TStringList list;
    list.SetText(std::string(c.text));
    EXPECT_EQ(list.IndexOfName(c.name), c.index);
    EXPECT_EQ(list.Values(c.name), c.value);
  }
}

TEST(TStringList, CompareStringDecidesBeyondAscii) {
  // Bytes that are the same letters in Windows-1250 and Windows-1252.
  struct Case {
    const char* what;
    const char* text;
    const char* name;
    int index;
  };
  const Case cases[] = {
      {"A acute folded", "\xC1rea=1", "\xE1REA", 0},
      {"S caron folded", "x=0\r\n\x8A=1", "\x9A", 1},
      {"sharp s as ss", "stra\xDF" "e=1", "STRASSE", 0},
      {"soft hyphen ignored", "a\xAD" "b=1", "AB", 0},
      {"accent not ignored", "\xE1=1", "a", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(list.IndexOfName(c.name), c.index);
    EXPECT_EQ(list.Values(c.name), c.index < 0 ? "" : "1");
  }
}

TEST(TStringList, TextAndLines) {
  TStringList list;
  EXPECT_EQ(list.Add("a=1"), 0);
  EXPECT_EQ(list.Add(""), 1);
  EXPECT_EQ(list.Add("b"), 2);
  EXPECT_EQ(list.Text(), "a=1\r\n\r\nb\r\n");
  list.SetText("x\ny");
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Strings(0), "x");
  EXPECT_EQ(list.Strings(1), "y");
  ExpectIndexError([&] { list.Strings(2); }, 2);
  ExpectIndexError([&] { list.Strings(-1); }, -1);
  list.Clear();
  EXPECT_EQ(list.Text(), "");
}

TEST(TStringList, LoadsAFileThatOthersOnlyRead) {
  TempFile file(std::string("initfile=logo.jpg \r\ntime=3\rend\0time=4"sv));
  TStringList list;
  list.LoadFromFile(file.Name());
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Strings(2), "end");
  EXPECT_EQ(list.Values("INITFILE"), "logo.jpg ");
  EXPECT_EQ(list.Values("time"), "3");

  OpenedElsewhere reader(file.Name(), GENERIC_READ, FILE_SHARE_READ);
  TStringList again;
  again.LoadFromFile(file.Name());
  EXPECT_EQ(again.Text(), list.Text());
}

TEST(TStringList, FileThatCannotBeOpenedRaisesOpenErrorNamingIt) {
  TempFile file("time=3\r\n");
  OpenedElsewhere writer(file.Name(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  const std::string missing = file.Name() + ".missing";
  for (const std::string& name : {file.Name(), missing}) {
    SCOPED_TRACE(name);
    TStringList list;
    list.Add("kept");
    try {
      list.LoadFromFile(name);
      ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
      EXPECT_NE(e.Message().find("\"" + name + "\""), std::string::npos) << e.Message();
    }
    EXPECT_EQ(list.Text(), "kept\r\n");
  }
}

}  // namespace
