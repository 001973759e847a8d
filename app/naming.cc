#include "app/naming.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace app {

namespace {

std::int32_t position_of(const char* field, char c) {
  const void* p = std::memchr(field, c, kNameLength);
  return p == nullptr ? -1 : static_cast<std::int32_t>(static_cast<const char*>(p) - field);
}

}  // namespace

std::string derive_names(RunState& st, FileNames& names) {
  const char* root = st.root;
  if (std::all_of(root, root + kNameLength, [](char c) { return c == '\0'; }))
    return "no name was given for the data file";
  // A NUL would silently cut the name the file system sees.
  if (std::memchr(root, '\0', kNameLength) != nullptr)
    return "the name of the data file holds a NUL byte";
  st.namel = position_of(root, ' ');
  st.rootl = position_of(root, '.');
  if (st.namel < 0)
    return "the name of the data file is too long: it must be shorter than 32 characters";
  if (st.namel == 0) return "the name of the data file is empty";
  // With no "." the whole typed name is the stem: mervo90 gives mervo90.jul.
  if (st.rootl < 0) st.rootl = st.namel;

  // name is the typed name and ".tmp", cut at 32 characters.
  std::memset(st.name, ' ', kNameLength);
  std::memcpy(st.name, root, static_cast<std::size_t>(st.namel));
  std::size_t suffix = std::min<std::size_t>(4, static_cast<std::size_t>(kNameLength - st.namel));
  std::memcpy(st.name + st.namel, ".tmp", suffix);

  std::string_view name(st.name, kNameLength);
  names.data = std::string(name.substr(0, name.find_last_not_of(' ') + 1));
  // The stem is cut from name, not from root; they differ only for a quoted
  // reply with a blank before its first ".".
  std::string stem(name.substr(0, static_cast<std::size_t>(st.rootl)));
  names.listing = stem + ".jul";
  names.trace = stem + ".gap";
  return {};
}

bool kept_folder(const std::string& path, std::string& folder) {
  folder.clear();
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return true;
  for (std::size_t at = 0; at <= slash;) {
    const std::size_t end = path.find('/', at);
    const std::string_view part = std::string_view(path).substr(at, end - at);
    at = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") return false;
    folder.append(part).push_back('/');
  }
  if (!folder.empty()) folder.pop_back();
  return true;
}

FileNames names_for_file(const std::string& path, const std::string& out_dir, bool keep_folders) {
  const std::size_t slash = path.rfind('/');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  std::string dir = out_dir.empty() ? path.substr(0, base) : out_dir;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  std::string kept;
  if (keep_folders && !out_dir.empty() && kept_folder(path, kept) && !kept.empty())
    dir += kept + '/';
  const std::string stem = dir + path.substr(base, path.find('.', base) - base);
  return {path, stem + ".jul", stem + ".gap"};
}

}  // namespace app
