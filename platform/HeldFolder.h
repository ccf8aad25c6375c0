#pragma once

#include <string>
#include <vector>

// What the folders a run holds by descriptor share: a path that leads through the descriptor, whether the name
// still leads to the folder held, and the names in it.
namespace platform
{

// A path to the folder open at fd, ending in '/', for this process and the children it starts: it leads through
// this process's descriptor, so renaming the folder or putting a link at its name cannot redirect it.
std::string HeldPath(int fd);
// 0 when children can reach the folder open at fd through HeldPath; else the system's error code (no /proc).
int HeldPathFault(int fd);
// True when what stands at name in folderFd, not followed if a link, is the file open at fd.
bool StandsAt(int folderFd, const std::string& name, int fd);
// The names in the folder open at fd, without "." and "..". False when it cannot be read.
bool FolderEntries(int fd, std::vector<std::string>& names);
// Closes fd when it is open, and marks it closed.
void CloseHeld(int& fd);

} // namespace platform
