// The rights a folder level made by the installer outside Program Files is given.
#pragma once

#include <string>

// SYSTEM and Administrators full control, Users read and execute, inherited by everything below,
// nothing inherited from above: what Program Files itself grants. A folder such as
// "D:\OrvoNubelo\" would otherwise inherit the drive root's rights, under which every signed-in
// user may change the files that machine-wide COM classes, the URL protocol and the uninstall
// entry run with administrator rights.
extern const wchar_t kInstallFolderRights[];

// True when a folder newly created at `path` needs kInstallFolderRights: it lies neither under a
// Program Files folder (whose rights it inherits) nor under the current user's profile (which
// the user owns anyway, so protecting one level there would protect nothing).
bool needsOwnRights(const std::wstring& path);

// Creates the folder `path` (one level), with kInstallFolderRights when needsOwnRights says so.
// False when it was not created (it exists already, keeping its rights, or cannot be made).
bool createFolderLevel(const std::wstring& path);
