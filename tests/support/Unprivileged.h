#pragma once

#include <QString>
#include <functional>
#include <string>

// File permissions do not stop root, as whom the tests run in CI. These run a piece of a test as an ordinary
// user instead: as root, the user and group 65534 (nobody) without supplementary groups; as anyone else, the
// caller's own identity.

// Runs work in a child process as that user and returns what it returned, or a text saying how the child
// failed. The child shares nothing with the test afterwards: results come back only through the text.
std::string AsUnprivilegedUser(const std::function<std::string()>& work);

// Makes that user the owner of a file or folder (nothing to do when the caller is that user).
void GiveToUnprivilegedUser(const QString& path);
