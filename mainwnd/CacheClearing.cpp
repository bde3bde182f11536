#include "mainwnd/CacheClearing.h"

#include <system_error>
#include <vector>

namespace kv::mainwnd {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kDesktopIni = "desktop.ini";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) {
      return false;
    }
  }
  return true;
}

// The names in `folder`, read completely before anything is deleted from it.
bool ListFolder(const fs::path& folder, std::vector<std::string>& names) {
  std::error_code error;
  fs::directory_iterator it(folder, error);
  if (error) {
    return false;
  }
  const fs::directory_iterator end;
  while (it != end) {
    names.push_back(it->path().filename().string());
    if (it.increment(error); error) {
      break;  // what was listed so far is still cleaned
    }
  }
  return true;
}

}  // namespace

std::string FormatTrace(std::string_view format, std::initializer_list<std::string_view> values) {
  std::string text;
  auto value = values.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() &&
        (format[i + 1] == 's' || format[i + 1] == 'd') && value != values.end()) {
      text += *value++;
      ++i;
    } else {
      text += format[i];
    }
  }
  return text;
}

CacheContents MeasureCache(const fs::path& folder) {
  CacheContents contents;
  std::error_code error;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
  if (error) {
    return contents;
  }
  const fs::recursive_directory_iterator end;
  while (it != end) {
    std::error_code statusError;
    if (!it->is_symlink(statusError) && it->is_regular_file(statusError) &&
        !EqualsIgnoringCase(it->path().filename().string(), kDesktopIni)) {
      const std::uintmax_t size = it->file_size(statusError);
      ++contents.entries;
      contents.bytes += statusError ? 0 : size;
    }
    if (it.increment(error); error) {
      break;
    }
  }
  return contents;
}

bool ClearUrlCache(const fs::path& cacheFolder, const std::function<void()>& clearWebData,
                   const TraceSink& trace) {
  const CacheContents contents = MeasureCache(cacheFolder);
  const bool found = contents.entries > 0;
  if (found) {
    trace(FormatTrace(kTraceFirstLookSize, {std::to_string(contents.bytes)}));
    trace(FormatTrace(kTraceSecondLookSize, {std::to_string(contents.entries)}));
  } else {
    trace(kTraceFirstLookNone);
    trace(kTraceSecondLookNone);
  }
  clearWebData();
  return found;
}

int DeleteFileFromDisk(const fs::path& file) {
  std::error_code error;
  fs::remove(file, error);
  return error.value();
}

bool CleanFolder(const std::string& folder, const TraceSink& trace,
                 const DeleteFileFunction& deleteFile) {
  trace(FormatTrace(kTraceCleaning, {folder}));
  std::vector<std::string> names;
  if (!ListFolder(folder, names)) {
    return false;
  }
  for (const std::string& name : names) {
    if (name == "." || name == ".." || EqualsIgnoringCase(name, kDesktopIni)) {
      continue;
    }
    const fs::path full = fs::path(folder) / name;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(full, error);
    const bool isLink = fs::is_symlink(status);
    if (!error && !isLink && (status.permissions() & fs::perms::owner_write) == fs::perms::none) {
      // Read-only: without the write bit a folder's files cannot be deleted.
      fs::permissions(full, fs::perms::owner_write, fs::perm_options::add, error);
    }
    if (!isLink && fs::is_directory(status)) {
      CleanFolder(full.string(), trace, deleteFile);
      fs::remove(full, error);  // fails while something is left in it
      continue;
    }
    const int code = deleteFile(full);
    if (code == 0) {
      trace(FormatTrace(kTraceCleaning, {name}));
    } else {
      trace(FormatTrace(kTraceDeleteFailed, {name, std::to_string(code)}));
    }
  }
  return true;
}

}  // namespace kv::mainwnd
