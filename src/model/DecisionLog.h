#pragma once

#include "model/Decision.h"
#include "model/SharedList.h"

#include <cstddef>
#include <vector>

namespace korvex {

// The log of decisions in the order they were made. A log is history: it keeps
// every decision, also one that changes an earlier mind and those whose records
// have since left the data set; nothing is ever taken out of it.
class DecisionLog {
public:
    DecisionLog() = default;
    explicit DecisionLog(std::vector<Decision> decisions) : decisions_(std::move(decisions)) {}

    // A log of `decisions`, sharing them with the list they are in.
    static DecisionLog sharing(SharedList<Decision> decisions) {
        DecisionLog log;
        log.decisions_ = std::move(decisions);
        return log;
    }

    void recordDecision(Decision decision) { decisions_.push_back(std::move(decision)); }
    // The last decision on the pair, in either orientation (the query checked
    // against the candidate or the other way round), or null. Valid until the
    // next decision is recorded.
    const Decision* latestFor(const RecordIdentity& query, const RecordIdentity& candidate) const;

    // Copies of a log share its decisions (SharedList).
    const SharedList<Decision>& all() const { return decisions_; }
    std::size_t size() const { return decisions_.size(); }
    bool empty() const { return decisions_.empty(); }

    bool operator==(const DecisionLog&) const = default;

private:
    SharedList<Decision> decisions_;
};

} // namespace korvex
