#include "model/DecisionLog.h"

#include <algorithm>
#include <array>

namespace korvex {

const Decision* DecisionLog::latestFor(const RecordIdentity& query,
                                       const RecordIdentity& candidate) const {
    const auto last = std::find_if(decisions_.rbegin(), decisions_.rend(),
                                   [&](const Decision& d) { return d.isOn(query, candidate); });
    return last == decisions_.rend() ? nullptr : &*last;
}

} // namespace korvex
