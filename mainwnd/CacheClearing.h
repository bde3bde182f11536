#pragma once
// Emptying the embedded browser's cache: first the web engine's data except
// cookies (what the engine keeps of the pages it fetched), then whatever is
// left in its disk-cache folder, file by file. Progress and failures are
// written to the debug trace only.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kv::mainwnd {

using TraceSink = std::function<void(std::string_view line)>;

inline constexpr char kTraceFirstLookSize[] =
    "*******第一次查找缓存:缓存大小为:%d。************\r\n";
inline constexpr char kTraceFirstLookNone[] = "*******第一次查找缓存:未找到缓存。************\r\n";
inline constexpr char kTraceSecondLookSize[] =
    "*******第二次查找缓存:缓存大小为:%d。************\r\n";
inline constexpr char kTraceSecondLookNone[] = "*******第二次查找缓存:未找到缓存。************\r\n";
inline constexpr char kTraceCacheFolder[] = "临时文件夹路径为:%s\r\n";
inline constexpr char kTraceCleaning[] = "开始清理%s文件夹\r\n";
inline constexpr char kTraceDeleteFailed[] =
    "***********删除文件:%s失败，错误代码:%d******************\r\n";

// `format` with each "%s" or "%d" replaced by the next of `values`.
std::string FormatTrace(std::string_view format, std::initializer_list<std::string_view> values);

// What a disk-cache folder holds, counted through all its sub-folders:
// regular files ("entries") and their bytes, "desktop.ini" files left out as
// cleaning keeps them. Symbolic links are not followed; a missing or
// unreadable folder holds nothing.
struct CacheContents {
  std::uintmax_t entries = 0;
  std::uintmax_t bytes = 0;
};
CacheContents MeasureCache(const std::filesystem::path& folder);

// The web engine's counterpart of the URL cache. The disk cache is looked at
// twice before anything is deleted: the first look traces its size in bytes,
// the second the number of entries, each "not found" when it holds no file.
// Then `clearWebData` deletes the engine's data except cookies and returns once
// that is done; it runs whatever the looks found, since the engine also keeps
// data in memory and outside that folder. True when the disk cache held at
// least one entry.
bool ClearUrlCache(const std::filesystem::path& cacheFolder,
                   const std::function<void()>& clearWebData, const TraceSink& trace);

// Deletes one file (or symbolic link, never what it points to); 0 when it is
// gone, else the error number.
using DeleteFileFunction = std::function<int(const std::filesystem::path& file)>;
int DeleteFileFromDisk(const std::filesystem::path& file);

// Deletes everything below `folder` except files named "desktop.ini" (any
// letter case): write permission is given back to entries that lack it
// (read-only), files are deleted and traced one by one, sub-folders are
// emptied the same way and removed when that left them empty. Symbolic links
// are deleted, never followed. The folder itself stays. False when it cannot
// be listed.
bool CleanFolder(const std::string& folder, const TraceSink& trace,
                 const DeleteFileFunction& deleteFile = DeleteFileFromDisk);

}  // namespace kv::mainwnd
