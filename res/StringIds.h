#pragma once
// Ids of the string table.

namespace kv::res {

inline constexpr int IDS_GAME_TITLE = 102;
inline constexpr int IDS_MENU_FOLDER = 105;
inline constexpr int IDS_CAPTION = 107;
inline constexpr int IDS_UNINSTALL_TITLE = 109;
inline constexpr int IDS_LOGIN_URL = 114;
inline constexpr int IDS_CACHE_CLEARING = 116;
inline constexpr int IDS_GAME_CODE = 117;
inline constexpr int IDS_UPDATE_TEMP_NAME = 118;
inline constexpr int IDS_PUBLISHER_FOLDER_SEP = 119;
inline constexpr int IDS_UNINSTALL_TEMP_NAME = 120;
inline constexpr int IDS_PUBLISHER_FOLDER = 124;
inline constexpr int IDS_PUBLISHER = 125;  // absent from the table: loads as ""
inline constexpr int IDS_UPDATE_BASE_URL = 191;
inline constexpr int IDS_VERSION_QUERY = 192;
inline constexpr int IDS_SETTINGS_FILE = 197;

}  // namespace kv::res
