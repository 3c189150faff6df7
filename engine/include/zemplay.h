/* zemplay: the playback engine.  It interprets a compiled ZEM image in
 * musical time and hands every event to callbacks of the host that drives
 * it.  It has no thread, timer, device or file of its own.
 *
 * Word size: the options block and the operation table are arrays of
 * pointer-sized slots in their designed order; a table length in bytes is
 * slots * sizeof(void*).
 */
#ifndef ZEMPLAY_H
#define ZEMPLAY_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Interface version: bits 8-15 image format 47, bits 0-7 engine revision. */
#define DP_INTERFACE_VERSION 0x2F03u

#define DP_MAX_PORTS 16
#define DP_OPTION_SLOTS 57
#define DP_OPERATION_SLOTS 32
#define DP_BAR_COUNTER_SIZE 20

/* advance_units/advance_ticks `increment` that plays at the song's own speed. */
#define DP_NORMAL_SPEED 0x10000u
/* Port and channel masks that take every port, every channel. */
#define DP_ALL_PORTS 0xFFFFu
#define DP_ALL_CHANNELS 0xFFFFu

/* Result and error codes: the instance's result code, the dp_const error
 * output and the code passed to the error callback. */
enum dp_result {
    DP_OK = 0,
    DP_DUMMY_FUNCTION = 1,
    DP_FORMAT_ERROR = 2,
    DP_OUT_OF_MEMORY = 5,
    DP_FIELD_OVERFLOW = 6,
    DP_OUT_OF_TRACK_DATA = 7,
    DP_ILLEGAL_PARAMETER = 8,
    DP_TEMPO_ZERO = 9,
    DP_ARGS_TOO_SHORT = 10,
    DP_UNDEFINED_COMMAND = 11,
    DP_LOOPSTACK_OVERFLOW = 12,
    DP_LOOPSTACK_UNDERFLOW = 13,
    DP_REENTERED = 14,
    DP_VERSION_TOO_OLD = 15
};

/* Host callbacks.  Every callback gets the dp_const user value first; a null
 * slot drops its event.  Unless noted, the int result is a status: 0 goes on,
 * any other value becomes the instance's result code and stops playback until
 * the next reset.  port 0..15, track = index in the image's track table,
 * channel 0..15, key/value/velocity/controller/program 0..127. */
typedef struct dp_options {
    /* offset = byte offset of the failing command in the image; the answer
     * becomes the result code (0 ignores the error).  Null: the code itself. */
    int (*error)(void* user, uint32_t offset, int code);
    /* Both null or either null: the engine's own zeroing heap pair. */
    void* (*allocate)(void* user, size_t bytes);
    void (*free)(void* user, void* block);
    int (*unit_passed)(void* user, uint32_t unit_counter); /* 1 unit = 1 ms */
    int (*tick_passed)(void* user, uint32_t tick_counter);
    int (*note_off)(void* user, int port, int track, int channel, int key, int velocity);
    int (*note_on)(void* user, int port, int track, int channel, int key, int velocity);
    int (*key_pressure)(void* user, int port, int track, int channel, int key, int value);
    int (*control_change)(void* user, int port, int track, int channel, int controller, int value);
    int (*program_change)(void* user, int port, int track, int channel, int program);
    int (*channel_pressure)(void* user, int port, int track, int channel, int value);
    int (*pitch_bend)(void* user, int port, int track, int channel, int value /* -8192..8191 */);
    /* A host buffer of at least `count` bytes, or null to drop the message. */
    uint8_t* (*exclusive_buffer)(void* user, int port, int track, int count);
    int (*exclusive_send)(void* user, int port, int track, int count);
    /* The bytes are valid only during the call; text[count] is a NUL. */
    int (*text)(void* user, int track, const char* text, int count);
    int (*tempo_changed)(void* user, int zero, uint32_t period /* 1/256 ms per tick */);
    int (*meta_event)(void* user, int track, int type, const uint8_t* payload, int count);
    /* Not a status: nonzero leaves the endless loop, 0 (or null) jumps back. */
    int (*endless_loop_pass)(void* user, int track, uint32_t pass_count);
    void* reserved[15];
    /* Voice layer and stream slots. */
    uintptr_t (*load_sample)(void* user, int instrument, const char* name, uint32_t param1, uint32_t param2);
    void (*free_sample)(void* user, uintptr_t handle);
    void (*start_voice)(void* user, uintptr_t handle, int loop);
    void (*stop_voice)(void* user, uintptr_t handle);
    int (*voice_volume)(void* user, uintptr_t handle, int volume /* 0..0x4000 */);
    int (*voice_pan)(void* user, uintptr_t handle, int pan /* -0x4000..0x4000 */);
    int (*voice_pitch)(void* user, uintptr_t handle, int pitch /* -0x8000..0x7FFF */);
    uintptr_t (*duplicate_sample)(void* user, uintptr_t handle);
    void (*voice_start_position)(void* user, uintptr_t handle, int fraction /* 0..0x4000 */);
    int (*voice_playing)(void* user, uintptr_t handle);
    void (*stream_open)(void* user, int slot, const char* name, uint32_t param1, uint32_t param2);
    void (*stream_close)(void* user, int slot);
    int (*stream_play)(void* user, int slot);
    void (*stream_stop)(void* user, int slot);
    int (*stream_volume)(void* user, int slot, int volume);
    int (*stream_pan)(void* user, int slot, int pan);
    int (*stream_pitch)(void* user, int slot, int pitch);
    /* 0 (or null) = the wanted condition is reached. */
    int (*stream_sync)(void* user, int slot, int wanted);
    void (*stream_position)(void* user, int slot, uint32_t low, uint32_t high);
    void (*stream_position_seconds)(void* user, int slot, float seconds);
    void (*stream_loop_end)(void* user, int slot, uint32_t low, uint32_t high);
    void (*stream_loop_end_seconds)(void* user, int slot, float seconds);
    void (*stream_loop)(void* user, int slot, uint32_t start_low, uint32_t start_high, uint32_t end_low,
                        uint32_t end_high);
    void (*stream_loop_seconds)(void* user, int slot, float start, float end);
} dp_options;

/* The instance: its first 32 slots are the operation table.  Every
 * operation takes the instance first.  Masks have bit i for port or
 * channel i.  Text operations copy min(length, size - 1) bytes and a NUL
 * into a non-null buffer of nonzero size and return the full length. */
typedef struct dp_player dp_player;
struct dp_player {
    int (*close)(dp_player* self); /* 0, or 14 when busy */
    int (*reset)(dp_player* self); /* 0, or 14 when busy */
    /* Runs unit steps until `units` units are counted (1 unit = 1 ms of song
     * time; `increment` DP_NORMAL_SPEED = normal speed).  Returns 0, the first nonzero
     * status of the start-up deliveries, or 14. */
    int (*advance_units)(dp_player* self, uint32_t units, uint32_t increment);
    int (*advance_ticks)(dp_player* self, uint32_t ticks, uint32_t increment);
    int (*notice_text)(dp_player* self, char* buffer, size_t size);
    int (*title_text)(dp_player* self, char* buffer, size_t size);
    int (*empty_text)(dp_player* self, char* buffer, size_t size);
    int (*dummy)(dp_player* self, uintptr_t a, uintptr_t b, uintptr_t c); /* 1 */
    uint32_t (*last_error_offset)(dp_player* self);
    int (*track_count)(dp_player* self);
    int (*timebase)(dp_player* self); /* ticks per whole note */
    /* Smallest endless-loop pass count over the tracks that have neither
     * ended nor stopped (a stopped track counts again once resumed). */
    uint32_t (*min_loop_count)(dp_player* self);
    int (*finished)(dp_player* self); /* 1 when every track ended or stopped (no resume pending) */
    int (*release_notes)(dp_player* self, unsigned port_mask, unsigned channel_mask);
    int (*resend_key_pressure)(dp_player* self, int track, unsigned port_mask, unsigned channel_mask, int key);
    int (*resend_controller)(dp_player* self, int track, unsigned port_mask, unsigned channel_mask, int controller);
    int (*resend_program)(dp_player* self, int track, unsigned port_mask, unsigned channel_mask);
    int (*resend_channel_pressure)(dp_player* self, int track, unsigned port_mask, unsigned channel_mask);
    int (*resend_pitch_bend)(dp_player* self, int track, unsigned port_mask, unsigned channel_mask);
    /* Copies the 20-byte bar counter record (little-endian): byte 0 mode
     * (0 wrapping, 1 stopped, 2 no wrap), 1 zero, 2 beats per bar, 3 beat,
     * u32@4 bar length in ticks, u32@8 tick in bar, u16@12 bar number,
     * u16@14 timebase, u32@16 tick in beat.  8 when buffer is null or < 20. */
    int (*bar_counter)(dp_player* self, uint8_t* buffer, size_t size);
    int (*reserved[10])(dp_player* self, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
    int (*meta190_text)(dp_player* self, char* buffer, size_t size);
    int (*meta191_text)(dp_player* self, char* buffer, size_t size);
};

/* ports 0 means 1, above 16 gives null without touching *error.
 * options_length in bytes (slots * sizeof(void*)); whole slots are taken, the
 * rest reads as null.  The image must stay alive and unchanged until close.
 * *error (when not null) receives 0, 2 (invalid image) or 5 (no memory). */
__attribute__((visibility("default"))) dp_player* dp_const(int ports, const void* image, size_t image_size,
                                                           const dp_options* options, size_t options_length, void* user,
                                                           int* error);
__attribute__((visibility("default"))) uint32_t dp_version(void);

/* Where every track is, cheap enough to ask on every video frame (a copy
 * per track, no callback).  words[i] receives track i's place: bits 0-29 the
 * index of the command word the track ran last, counted in 16-bit words from
 * the first word of its command stream (while a track waits, the note or
 * rest that made it wait; 0 before it ran any); DP_TRACK_STOPPED while the
 * track is stopped, DP_TRACK_ENDED once it has ended.  Fills min(count, track
 * count) entries and returns the track count; -1 when player is null, or
 * words is null with count > 0.  The host serialises it with the instance's
 * other calls, as every operation; it may be called from the instance's own
 * callbacks. */
#define DP_TRACK_WORD_MASK 0x3FFFFFFFu
#define DP_TRACK_STOPPED 0x40000000u
#define DP_TRACK_ENDED 0x80000000u
__attribute__((visibility("default"))) int dp_track_positions(dp_player* player, uint32_t* words, int count);

#ifdef __cplusplus
}
#endif

#endif
