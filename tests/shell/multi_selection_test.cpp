// Both forms of the multi-selection chooser's name list, and lists that do
// not end where they should.
#include "shell/multi_selection.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A buffer as the chooser leaves it: exactly the NULs written in the literal.
template <size_t N>
std::string List(const char (&texts)[N]) {
  return std::string(texts, N - 1);
}

TEST(MultiSelection, BothFormsGiveDirectoryAndNames) {
  struct Case {
    std::string buffer;
    const char* directory;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {List("C:\\Fotos\\IMG_1.CR2\0\0"), "C:\\Fotos", {"IMG_1.CR2"}},
      {List("C:\\Fotos\0a.nef\0b.nef\0c.nef\0\0"), "C:\\Fotos", {"a.nef", "b.nef", "c.nef"}},
      {List("C:\\\0a.arw\0b.arw\0\0"), "C:", {"a.arw", "b.arw"}},
      {List("C:\\a.arw\0\0"), "C:", {"a.arw"}},
      {List("D:\\Mit Leer\\x.crw\0"), "D:\\Mit Leer", {"x.crw"}},   // one form ends with its path
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directory);
    MultiSelection s;
    ASSERT_EQ(1, ParseMultiSelection(c.buffer.data(), c.buffer.size(), &s));
    EXPECT_EQ(c.directory, s.directory);
    EXPECT_EQ(c.names, s.names);
  }
  MultiSelection s;
  const std::string b = List("E:\\Serie\0eins.cr2\0zwei.cr2\0\0");
  ASSERT_EQ(1, ParseMultiSelection(b.data(), b.size(), &s));
  EXPECT_EQ("E:\\Serie\\zwei.cr2", ChosenPath(s, 1));
}

TEST(MultiSelection, EmptyOrUnendedListsGiveNothing) {
  const std::string cases[] = {
      List("\0\0"),
      List("C:\\Fotos\0a.nef\0b.n"),   // cut inside a name
      List("C:\\Fotos\0a.nef\0"),      // no empty text at the end
      List("C:\\Fotos"),                // not even the first text ends
      List("ohnepfad\0\0"),            // one name without a directory
  };
  for (const std::string& b : cases) {
    MultiSelection s;
    s.names = {"alt"};
    EXPECT_EQ(0, ParseMultiSelection(b.data(), b.size(), &s)) << b;
    EXPECT_TRUE(s.names.empty());
  }
}

}  // namespace
