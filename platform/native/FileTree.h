// Folder helpers shared by the system functions and the host's pre-install cleanup.
#pragma once

#include <string>
#include <vector>

// The full paths of the files (not folders) in `folder` matching `pattern`, in the order the file
// system returns them; not recursive. "/" in the folder becomes "\". An empty folder lists nothing
// rather than the root of the current drive.
std::vector<std::wstring> listFiles(const std::wstring& folder, const std::wstring& pattern);

// Deletes `folder` with everything below it; what cannot be deleted stays, silently. With
// `clearReadOnly`, read-only files and folders lose that attribute first (and "/" becomes "\").
// An empty folder (or one made only of separators) does nothing: it would name the drive root.
void deleteTree(const std::wstring& folder, bool clearReadOnly);

// Creates every missing folder on the way to `folder`, ignoring every error. A level created
// outside Program Files and the user's profile gets the rights of FolderRights.h; existing levels
// keep theirs. `made`, when given, receives each level this call created, outermost first, each
// ending with "\".
void createDirectoryChain(const std::wstring& folder, std::vector<std::wstring>* made = nullptr);

// Turns every "/" into "\".
std::wstring toBackslashes(std::wstring path);
