// Waits measured in whole seconds truncate both time stamps to unsigned whole seconds and
// compare their difference, so "more than 5 whole seconds" ends between 5 and 6 s after the
// start.
#pragma once

namespace boardlink {

inline unsigned whole_seconds(double t) {
    return static_cast<unsigned>(t);
}

inline unsigned elapsed_whole_seconds(unsigned start, double now) {
    return whole_seconds(now) - start;
}

}  // namespace boardlink
