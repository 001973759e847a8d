#include "app/naming.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(Naming, NamesFromTheFirstReply) {
  struct Case {
    std::string reply;  // the first 32 characters go into root, blank-padded
    int rootl, namel;
    const char* data;
    const char* listing;
  };
  const Case cases[] = {
      {"mervo90.all", 7, 11, "mervo90.all.tmp", "mervo90.jul"},
      {"a.b.c", 1, 5, "a.b.c.tmp", "a.jul"},
      {"ab cd.e", 5, 2, "ab.tmp", "ab.tm.jul"},
      {"mervo90", 7, 7, "mervo90.tmp", "mervo90.jul"},
      {".all", 0, 4, ".all.tmp", ".jul"},
      {"data/st90.all", 9, 13, "data/st90.all.tmp", "data/st90.jul"},
      {"abcdefghijklmnopqrstuvw.yz123", 23, 29, "abcdefghijklmnopqrstuvw.yz123.tm",
       "abcdefghijklmnopqrstuvw.jul"},
      {"abcdefghijklmnopqrstuvw.yz12345", 23, 31, "abcdefghijklmnopqrstuvw.yz12345.",
       "abcdefghijklmnopqrstuvw.jul"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    app::RunState st;
    std::memset(st.root, ' ', app::kNameLength);
    std::memcpy(st.root, c.reply.data(), std::min<std::size_t>(c.reply.size(), app::kNameLength));
    app::FileNames names;
    ASSERT_EQ(app::derive_names(st, names), "");
    EXPECT_EQ(st.rootl, c.rootl);
    EXPECT_EQ(st.namel, c.namel);
    EXPECT_EQ(names.data, c.data);
    EXPECT_EQ(std::string(st.name, app::kNameLength).substr(names.data.size()),
              std::string(app::kNameLength - names.data.size(), ' '));
    EXPECT_EQ(names.listing, c.listing);
    EXPECT_EQ(names.trace.substr(0, names.trace.size() - 4) + ".jul", c.listing);
    EXPECT_EQ(names.trace.substr(names.trace.size() - 4), ".gap");
  }
}

}  // namespace
