// A form text converted at build time by add_form_resource is linked into this program.
#include "vcl/FormStream.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(FormResource, ConvertedFormIsFoundAndDecodes) {
  const HRSRC info = FindResourceA(nullptr, "TESTFORM", RT_RCDATA);
  ASSERT_NE(info, nullptr);
  const HGLOBAL data = LoadResource(nullptr, info);
  ASSERT_NE(data, nullptr);
  const std::string_view bytes(static_cast<const char*>(LockResource(data)), SizeofResource(nullptr, info));

  const TFormObject expected{"TTestForm",
                             "TestForm",
                             {{"Left", TFormValue::Integer(152)},
                              {"Caption", TFormValue::String("Test\rform")},
                              {"Font.Style", TFormValue::Set({"fsBold"})},
                              {"OnClick", TFormValue::Ident("FormClick")}},
                             {{"TImage", "Child", {{"Visible", TFormValue::Boolean(false)}}, {}}}};
  EXPECT_EQ(ReadFormBinary(bytes), expected);
}
