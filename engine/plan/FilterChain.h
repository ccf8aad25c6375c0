#pragma once

#include <optional>
#include <string>
#include <vector>

// One filter of a filter chain as the encoder reads its text: "[a]scale=w=640:h=-2:flags=lanczos[b]".
struct TFilterText {
    std::string Inputs; // its input labels as written, "[a]"
    std::string Name;
    std::vector<std::string> Options; // as written, quotes and escapes kept
    std::string Outputs; // its output labels as written
};

// The filters of a chain, split at the commas that neither quotes nor a backslash protect; none for a graph of
// several chains (a ';'), whose filters the chain's own order does not describe.
std::optional<std::vector<TFilterText>> SplitFilterChain(const std::string& chain);
// The chain's text again, each filter as it was written but for what was changed.
std::string JoinFilterChain(const std::vector<TFilterText>& filters);
// An option's name, "w" of "w=640"; empty for one given by its position.
std::string OptionName(const std::string& option);
// An option's value with the quotes and escapes the encoder takes off: "640" of "w='640'".
std::string OptionValue(const std::string& option);
