// One shown form of a kind for the whole test program: created and shown on first use,
// freed after the last test.
#pragma once

#include <gtest/gtest.h>

#include "vcl/Classes.h"

template <class Form>
Form& SharedForm() {
  static Form* form = nullptr;
  if (!form) {
    form = new Form(nullptr);
    form->Show();
    class Release : public ::testing::Environment {
      void TearDown() override { FreeAndNil(form); }
    };
    ::testing::AddGlobalTestEnvironment(new Release);
  }
  return *form;
}
