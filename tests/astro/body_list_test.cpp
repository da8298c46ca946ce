#include "astro/body_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kComboId = 1207;

// A parent window with one drop-down list, standing in for a dialog.
class BodyCombo : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreateWindowExA(0, "STATIC", "Koerper", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, parent_);
    combo_ = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10, 10, 150, 200, parent_,
                             reinterpret_cast<HMENU>(INT_PTR(kComboId)), GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, combo_);
  }
  void TearDown() override { DestroyWindow(parent_); }
  std::string SelectedText() const {
    const LRESULT i = SendMessageA(combo_, CB_GETCURSEL, 0, 0);
    if (i == CB_ERR) return "";
    char text[64] = "";
    SendMessageA(combo_, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
    return text;
  }
  HWND parent_ = nullptr, combo_ = nullptr;
};

TEST_F(BodyCombo, FillsEightBodiesAndReadsTheChoiceBack) {
  struct Body {
    BodyCode code;
    const char* text;
  };
  const Body bodies[] = {{11, "Sonne"},  {16, "Mond"},    {30, "Merkur"}, {31, "Venus"},
                         {33, "Mars"},   {34, "Jupiter"}, {35, "Saturn"}, {36, "Uranus"}};
  for (int k = 0; k < 8; ++k) {
    SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
    FillBodyCombo(parent_, kComboId, bodies[k].code);
    ASSERT_EQ(8, SendMessageA(combo_, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < 8; ++i) {
      char text[64] = "";
      SendMessageA(combo_, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
      EXPECT_STREQ(bodies[i].text, text);
    }
    EXPECT_EQ(k, SendMessageA(combo_, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(bodies[k].code, ReadBodyCombo(parent_, kComboId));
  }
}

TEST_F(BodyCombo, UnknownCodesSelectNothing) {
  for (BodyCode code : {0, 32, 37, 38, -1}) {
    SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
    FillBodyCombo(parent_, kComboId, code);
    EXPECT_EQ(CB_ERR, SendMessageA(combo_, CB_GETCURSEL, 0, 0)) << code;
    EXPECT_EQ(0, ReadBodyCombo(parent_, kComboId)) << code;
  }
  // A selection stays as it was.
  SendMessageA(combo_, CB_SETCURSEL, 3, 0);
  FillBodyCombo(parent_, kComboId, 37);
  EXPECT_EQ("Venus", SelectedText());
}

TEST_F(BodyCombo, OtherEntriesReadAsZero) {
  EXPECT_EQ(0, ReadBodyCombo(parent_, kComboId));   // empty list
  SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Neptun"));
  SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Ein sehr langer Name eines Kometen"));
  SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("mond"));
  for (int i = 0; i < 3; ++i) {
    SendMessageA(combo_, CB_SETCURSEL, WPARAM(i), 0);
    EXPECT_EQ(0, ReadBodyCombo(parent_, kComboId)) << i;
  }
  EXPECT_EQ(0, ReadBodyCombo(parent_, kComboId + 1));   // no such control
}

}  // namespace
