#include "app/dialogue.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "records/observation.h"
#include "textio/freeform_writer.h"

namespace app {

namespace {

void put_line(Console& con, std::string_view text) {
  textio::FreeLine(con.lines).text(text).finish();
}

// Reads one reply; returns false after reporting why there is none.
bool read_reply(Console& con, const textio::Item& item, const char* what) {
  con.lines.flush();  // the question must be on the screen before we wait
  textio::Outcome o = con.replies.read({&item, 1});
  if (o == textio::Outcome::whole) return true;
  if (o == textio::Outcome::end) {
    con.error(std::string("standard input ended before ") + what + " was given");
  } else if (con.replies.fault() == textio::Fault::io) {
    say::unreadable(con.replies.io_error(), con, "standard input");
  } else {
    say::bad_value(con.replies.fault(), item.kind, what, 0, con);
  }
  return false;
}

}  // namespace

int start_dialogue(RunState& st, Console& con, FileNames& names) {
  // The banner and the questions are the tool's own words, odd as "the name
  // of the datfile name" reads: scripts and users' notes wait for these exact
  // lines. Kept as they are on purpose.
  put_line(con, "vantrel version " + std::string(kVersion));
  put_line(con, "Enter the name of the datfile name, e.g. mervo90.all");
  if (!read_reply(con, textio::Item::text_field(st.root, kNameLength), "the name of the data file"))
    return kExitDialogue;
  put_line(con, "Enter the name of the number of data fields, e.g. 9");
  if (!read_reply(con, textio::Item::integer_field(st.nval), "the number of data values"))
    return kExitDialogue;

  std::string refused = derive_names(st, names);
  if (!refused.empty()) {
    con.error(refused);
    return kExitDialogue;
  }
  if (st.nval > records::kMaxValues) {
    con.error(std::to_string(st.nval) + " values per record is more than the " +
              std::to_string(records::kMaxValues) + " that a record can hold");
    return kExitDialogue;
  }
  // No values or fewer are none: the count is 0 to 12 from here on.
  st.nval = std::max(st.nval, 0);
  return kExitOk;
}

void announce(const RunState& st, Console& con) {
  textio::FreeLine(con.lines).text("Reading ").text({st.name, kNameLength}).finish();
}

}  // namespace app
