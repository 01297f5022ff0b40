#pragma once
// Whether a sample group that has ended came whole. Packets carry no sequence
// number, so a packet lost in the middle of a group only shows in the count of
// sample sets. A whole group holds the record's samples; a tester with a short
// send buffer sends only the newest part of a long capture, always the same
// size, so a count that differs from the record's but comes twice running
// (before any group of the record's size) is taken as the tester's size. A
// link that never carries a group whole shows what comes after a few tries:
// a partial trace is better than none.

#include <cstddef>
#include <cstdint>

namespace wavix {

class CGroupCheck {
public:
    static constexpr int kTriesBeforeShowing = 3;

    // A new record: `expectedSets` per group, 0 when any group is whole (roll mode).
    void Reset(std::uint32_t expectedSets);
    // The sets of the group being gathered, dropped when it is asked again.
    void Add(std::size_t sets) { sets_ += sets; }
    void Drop() { sets_ = 0; }
    // At the group's last packet; starts the next group.
    bool Whole();

private:
    std::uint64_t expected_ = 0;
    std::uint64_t sets_ = 0;
    std::uint64_t testerSize_ = 0; // learned short (or long) size, 0 when none
    std::uint64_t lastBroken_ = 0;
    bool wholeSeen_ = false;
    int brokenInRow_ = 0;
};

} // namespace wavix
