#pragma once

#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <string_view>

namespace korvex {

// Which animal an identification code stands for. By default the code with
// its surrounding blanks removed, A-Z folded to a-z as the ranked list folds
// them. With a pattern (ECMAScript regular expression) the first match in that
// trimmed code, or its first capture group when the pattern has one, folded
// the same way: `^[A-Za-z]+[0-9]+` makes T001, T001r2 and t001 one animal. A
// code the pattern does not match, or matches only with an empty text, stands
// for itself.
class Individuals {
public:
    // The default reading: the code itself.
    Individuals() = default;

    // A reading by `pattern`; an empty pattern is the default reading. A
    // pattern that is no valid regular expression gives nothing, with the
    // reason in `error`.
    static std::optional<Individuals> withPattern(std::string_view pattern, std::string& error);

    std::string individualOf(std::string_view code) const;

private:
    std::shared_ptr<const std::regex> pattern_;
};

} // namespace korvex
