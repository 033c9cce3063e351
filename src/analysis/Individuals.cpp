#include "analysis/Individuals.h"

#include "model/Characters.h"

namespace korvex {

namespace {

std::string_view trimmed(std::string_view code) {
    const std::size_t first = code.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return code.substr(first, code.find_last_not_of(' ') - first + 1);
}

std::string folded(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = Characters::foldCase(c);
    return out;
}

} // namespace

std::optional<Individuals> Individuals::withPattern(std::string_view pattern, std::string& error) {
    Individuals individuals;
    if (pattern.empty())
        return individuals;
    try {
        individuals.pattern_ = std::make_shared<const std::regex>(pattern.begin(), pattern.end(),
                                                                  std::regex::ECMAScript);
    } catch (const std::regex_error& e) {
        error = e.what();
        return std::nullopt;
    }
    return individuals;
}

std::string Individuals::individualOf(std::string_view code) const {
    const std::string_view own = trimmed(code);
    if (!pattern_)
        return folded(own);
    std::match_results<std::string_view::const_iterator> match;
    bool found = false;
    try {
        found = std::regex_search(own.begin(), own.end(), match, *pattern_);
    } catch (const std::regex_error&) {
        // A pattern too complex for a long code: that code stands for itself.
        found = false;
    }
    if (!found)
        return folded(own);
    const auto& part = pattern_->mark_count() >= 1 ? match[1] : match[0];
    if (!part.matched || part.length() == 0)
        return folded(own);
    return folded(std::string_view(&*part.first, static_cast<std::size_t>(part.length())));
}

} // namespace korvex
