#pragma once

#include <pulse/pulseaudio.h>

namespace lyricue {

// The libpulse functions the engine uses, looked up when first asked for, as SDL2's
// are: the program is not linked to libpulse, so that a start pays nothing for it.
#define LYRICUE_PULSE_FUNCTIONS(X)                                                                                     \
    X(pa_threaded_mainloop_new)                                                                                        \
    X(pa_threaded_mainloop_free)                                                                                       \
    X(pa_threaded_mainloop_start)                                                                                      \
    X(pa_threaded_mainloop_stop)                                                                                       \
    X(pa_threaded_mainloop_lock)                                                                                       \
    X(pa_threaded_mainloop_unlock)                                                                                     \
    X(pa_threaded_mainloop_get_api)                                                                                    \
    X(pa_context_new)                                                                                                  \
    X(pa_context_unref)                                                                                                \
    X(pa_context_connect)                                                                                              \
    X(pa_context_disconnect)                                                                                           \
    X(pa_context_get_state)                                                                                            \
    X(pa_context_set_state_callback)                                                                                   \
    X(pa_context_get_server_info)                                                                                      \
    X(pa_context_errno)                                                                                                \
    X(pa_context_rttime_new)                                                                                           \
    X(pa_context_rttime_restart)                                                                                       \
    X(pa_strerror)                                                                                                     \
    X(pa_rtclock_now)                                                                                                  \
    X(pa_operation_unref)                                                                                              \
    X(pa_operation_get_state)                                                                                          \
    X(pa_stream_new)                                                                                                   \
    X(pa_stream_unref)                                                                                                 \
    X(pa_stream_connect_playback)                                                                                      \
    X(pa_stream_disconnect)                                                                                            \
    X(pa_stream_get_state)                                                                                             \
    X(pa_stream_set_state_callback)                                                                                    \
    X(pa_stream_set_write_callback)                                                                                    \
    X(pa_stream_set_underflow_callback)                                                                                \
    X(pa_stream_get_buffer_attr)                                                                                       \
    X(pa_stream_begin_write)                                                                                           \
    X(pa_stream_write)                                                                                                 \
    X(pa_stream_cork)                                                                                                  \
    X(pa_stream_flush)                                                                                                 \
    X(pa_stream_update_timing_info)                                                                                    \
    X(pa_stream_get_timing_info)

struct PulseApi {
#define LYRICUE_PULSE_MEMBER(name) decltype(&::name) name;
    LYRICUE_PULSE_FUNCTIONS(LYRICUE_PULSE_MEMBER)
#undef LYRICUE_PULSE_MEMBER
};

// The functions, or nullptr (noted once in the log) when libpulse cannot be loaded or
// lacks one of them: no sound server then, the engine plays through SDL. Safe to call
// from any thread.
const PulseApi* pulseApi();

}  // namespace lyricue
