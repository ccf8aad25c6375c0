#pragma once

// Whether the window cuts a long file into pieces for the encoders no waiting row takes: off until the user
// turns it on, kept across starts in the user's settings.
namespace SplitLongFiles
{

bool Stored();
void Store(bool value);

} // namespace SplitLongFiles
