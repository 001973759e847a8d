#include "records/calendar.h"

namespace records {

bool calendar_named(std::string_view name, Calendar& cal) {
  if (name == "classic") {
    cal = Calendar::classic;
  } else if (name == "gregorian") {
    cal = Calendar::gregorian;
  } else {
    return false;
  }
  return true;
}

}  // namespace records
