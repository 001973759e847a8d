#include "app/naming.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

app::RunState with_root(const std::string& reply) {
  app::RunState st;
  std::memset(st.root, ' ', app::kNameLength);
  std::memcpy(st.root, reply.data(), std::min<std::size_t>(reply.size(), app::kNameLength));
  return st;
}

TEST(Naming, NamesFromTheFirstReply) {
  struct Case {
    std::string reply;
    int rootl, namel;
    const char* data;
    const char* listing;
    const char* trace;
  };
  const Case cases[] = {
      {"mervo90.all", 7, 11, "mervo90.all.tmp", "mervo90.jul", "mervo90.gap"},
      {"a.b.c", 1, 5, "a.b.c.tmp", "a.jul", "a.gap"},
      {"ab cd.e", 5, 2, "ab.tmp", "ab.tm.jul", "ab.tm.gap"},
      {"mervo90", 7, 7, "mervo90.tmp", "mervo90.jul", "mervo90.gap"},
      {".all", 0, 4, ".all.tmp", ".jul", ".gap"},
      {"data/st90.all", 9, 13, "data/st90.all.tmp", "data/st90.jul", "data/st90.gap"},
      {"abcdefghijklmnopqrstuvw.yz123", 23, 29, "abcdefghijklmnopqrstuvw.yz123.tm",
       "abcdefghijklmnopqrstuvw.jul", "abcdefghijklmnopqrstuvw.gap"},
      {"abcdefghijklmnopqrstuvw.yz12345", 23, 31, "abcdefghijklmnopqrstuvw.yz12345.",
       "abcdefghijklmnopqrstuvw.jul", "abcdefghijklmnopqrstuvw.gap"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    app::RunState st = with_root(c.reply);
    app::FileNames names;
    ASSERT_EQ(app::derive_names(st, names), "");
    EXPECT_EQ(st.rootl, c.rootl);
    EXPECT_EQ(st.namel, c.namel);
    EXPECT_EQ(names.data, c.data);
    EXPECT_EQ(names.listing, c.listing);
    EXPECT_EQ(names.trace, c.trace);
  }
}

TEST(Naming, NameFieldIsPaddedToItsWidth) {
  app::RunState st = with_root("mervo90.all");
  app::FileNames names;
  ASSERT_EQ(app::derive_names(st, names), "");
  EXPECT_EQ(std::string(st.name, 32), "mervo90.all.tmp                 ");
}

TEST(Naming, RepliesThatNameNoFileAreRefused) {
  app::RunState nothing;  // a reply that gave no value leaves the field all NUL
  app::FileNames names;
  EXPECT_NE(app::derive_names(nothing, names), "");
  app::RunState full = with_root(std::string(40, 'a'));
  EXPECT_NE(app::derive_names(full, names), "");
  app::RunState empty = with_root("");
  EXPECT_NE(app::derive_names(empty, names), "");
  app::RunState nul = with_root(std::string("ab\0c.all", 8));
  EXPECT_NE(app::derive_names(nul, names), "");
}

}  // namespace
