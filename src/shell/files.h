#pragma once

#include <QString>

namespace tovrik::shell {

// Shell folder numbers that the program asks for.
inline constexpr int CsidlDesktop = 0;

// The folder's path, one NUL, then blanks up to 512 characters; callers cut
// at the NUL. Empty when there is no such folder.
QString GetSpecialFolderPath(int folder);

// The user's desktop folder followed by one separator. Throws when the
// desktop folder cannot be found.
QString GetDefaultOutputFolder();

// True when the path's time stamp can be read: it names something that exists.
bool FileExists(const QString &path);

} // namespace tovrik::shell
