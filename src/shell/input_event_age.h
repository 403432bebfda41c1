#pragma once

#include <QtGlobal>

namespace lyricue {

// How long ago an input event happened, in ms, from its own timestamp. X11 and Wayland
// stamp events with the monotonic clock in milliseconds (cut to 32 bits); any other
// timestamp (a synthetic event, a remote display's clock) counts as no age at all.
qint64 inputEventAgeMs(quint64 timestamp);

// The same against a given monotonic time; `clockIsMonotonic` tells whether the
// platform's timestamps are that clock's.
qint64 inputEventAgeMs(quint64 timestamp, qint64 monotonicNowMs, bool clockIsMonotonic);

}  // namespace lyricue
