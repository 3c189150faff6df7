/* audsink: the stream output library.  It plays PCM through the platform
 * audio module: one-shot sounds decoded whole into a static buffer, and
 * streams decoded piecewise into a four-segment ring by a thread of their
 * own.  Files are decoded only by decoder plug-ins (qzdecoder.h) loaded by
 * name for one operation or for the life of one open stream.
 *
 * Word size: the utility table and the operation table are arrays of
 * pointer-sized slots in their designed order; a table length in bytes is
 * slots * sizeof(void*).
 *
 * Threads: every operation may be called from any thread.  Lock order for
 * callers that take the device lock themselves (slots 18 to 20): never call
 * another operation while holding it.
 */
#ifndef AUDSINK_H
#define AUDSINK_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Interface version: bits 8-15 format 47, bits 0-7 revision. */
#define DS8_INTERFACE_VERSION 0x2F03u

/* Decoders are accepted when dw_version has a zero top byte and a low
 * 24-bit value of at most this bound. */
#define DS8_DECODER_MAX_VERSION 0x2F03u

#define DS8_UTILITY_SLOTS 9
#define DS8_OPERATION_SLOTS 66

/* Result codes (the audio device's codes, as signed 32-bit values). */
#define DS8_OK 0
#define DS8_ERR_INVALID_CALL ((int32_t)0x88780032u) /* device closed, no buffer */
#define DS8_ERR_INVALID_ARG ((int32_t)0x80070057u)  /* missing sound or instance */

/* Play flags (slots 6, 26). */
#define DS8_PLAY_LOOP 1u

/* Status bits (slots 12, 32); DS8_STATUS_FAILED alone when the device is
 * closed, the sound has no buffer or the status cannot be read. */
#define DS8_STATUS_PLAYING 1u
#define DS8_STATUS_LOOPING 2u
#define DS8_STATUS_TERMINATED 4u
#define DS8_STATUS_LOST 8u
#define DS8_STATUS_FAILED 16u

/* Index ranges of the level, pan, pitch and position setters. */
#define DS8_LEVEL_MAX 16384    /* 0 = -100 dB, 16384 = full level */
#define DS8_PAN_MAX 16384      /* -16384 full left .. 16384 full right */
#define DS8_PITCH_MIN (-32768) /* 3072 steps per octave, 0 = base rate */
#define DS8_PITCH_MAX 32767
#define DS8_POSITION_MAX 16384 /* fraction of the sound's length */

/* Codes of the stream position, end and loop setters (slots 53 to 60);
 * any other value is the decoder's own result. */
#define DS8_POS_OK 0
#define DS8_POS_NO_STREAM 2
#define DS8_POS_UNSUPPORTED 3

/* Device name of slot 22 that opens the offline device: nothing plays
 * until its owner renders.  Slot 15 then hands out a
 * platform::OfflineAudioDevice whose render() mixes the next frames and
 * carries out, at their exact frames, the ticks of every stream that fall
 * inside them; the streams' own threads stay idle meanwhile. */
#define DS8_OFFLINE_DEVICE "(offline)"

/* Size of the decoder format record handed out by slots 63 and 64. */
#define DS8_FORMAT_RECORD_SIZE 20

/* Open-mode bits of the utility open (entry 2). */
#define DS8_OPEN_READ 1u /* bits 0-1: 1 read, 2 write, 3 both; 0 refused */
#define DS8_OPEN_WRITE 2u
#define DS8_OPEN_CREATE 4u    /* create, truncating unless DS8_OPEN_EXCLUSIVE */
#define DS8_OPEN_EXCLUSIVE 8u /* with DS8_OPEN_CREATE: the file must not exist */
#define DS8_OPEN_APPEND 16u   /* only without DS8_OPEN_CREATE */

/* ---- Utility table -----------------------------------------------------
 * Nine pointer-sized slots; each function receives the creator's user value
 * first.  A null allocate or free makes both take the runtime heap; a null
 * entry among open..write makes all seven take the runtime's file calls.
 */
typedef struct ds8_utility {
    void* (*allocate)(void* user, size_t size);                    /* 0: block or null */
    void (*free)(void* user, void* block);                         /* 1 */
    intptr_t (*open)(void* user, const char* name, uint32_t mode); /* 2: DS8_OPEN_* */
    intptr_t (*invalid_handle)(void* user);                        /* 3: default -1 */
    int (*is_invalid)(void* user, intptr_t handle);                /* 4: default handle < 0 */
    void (*close)(void* user, intptr_t handle);                    /* 5 */
    /* 6: origin 0 start, 1 current, 2 end; returns the new position.  A high
     * part of 0, or of -1 with the low part's sign bit set, is a 32-bit
     * offset; any other high part saturates. */
    int64_t (*seek)(void* user, intptr_t handle, uint32_t offset_low, uint32_t offset_high, uint32_t origin);
    /* 7, 8: flag must be 0 and length non-negative, else 0 is returned. */
    int64_t (*read)(void* user, intptr_t handle, void* buffer, intptr_t length, uint32_t flag);
    int64_t (*write)(void* user, intptr_t handle, const void* buffer, intptr_t length, uint32_t flag);
} ds8_utility;

/* A one-shot sound (kind 0) and a stream instance (kind 1). */
typedef struct ds8_sound ds8_sound;
typedef struct ds8_stream ds8_stream;

/* Slot 52's callbacks.  Length: the length in milliseconds of a file whose
 * decoder cannot tell its length.  Progress: bytes written so far and the
 * planned data size; non-zero aborts the render with failure. */
typedef uint32_t (*ds8_length_fn)(void* user);
typedef int (*ds8_progress_fn)(void* user, uint32_t written, uint32_t total);

/* Slot 65's callback: one text with its language and character set names
 * (null when unknown).  Non-zero goes on, zero stops the enumeration. */
typedef int (*ds8_text_fn)(void* user, const char* text, const char* language, const char* charset);

/* The instance: its first 66 slots are the operation table.  Slots 3 to 12
 * take the instance first and the sound second; slots 24 to 32 take the
 * sound first; stream slots take the stream first except slot 35. */
typedef struct ds8 ds8;
struct ds8 {
    /* 0 */ void (*destroy)(ds8* self);
    /* 1: as slot 22; window and cooperative level are ignored. */
    int32_t (*open_device_plain)(ds8* self, const char* device, int channels, int bits, int rate, void* window,
                                 int cooperative_level);
    /* 2 */ void (*close_device)(ds8* self);
    /* 3 to 12: slots 23 to 32 (the load with both decoder values 0). */
    ds8_sound* (*load)(ds8* self, const char* file, const char* decoder);
    ds8_sound* (*duplicate)(ds8* self, ds8_sound* sound);
    void (*free_sound)(ds8* self, ds8_sound* sound);
    int32_t (*play)(ds8* self, ds8_sound* sound, uint32_t flags);
    void (*stop)(ds8* self, ds8_sound* sound);
    int32_t (*set_level)(ds8* self, ds8_sound* sound, int32_t level);
    int32_t (*set_pan)(ds8* self, ds8_sound* sound, int32_t pan);
    int32_t (*set_pitch)(ds8* self, ds8_sound* sound, int32_t pitch);
    int32_t (*set_position)(ds8* self, ds8_sound* sound, int32_t fraction);
    uint32_t (*status)(ds8* self, ds8_sound* sound);
    /* 13: always DS8_ERR_INVALID_CALL. */
    int32_t (*unsupported)(ds8* self, uintptr_t a, uintptr_t b);
    /* 14 */ void (*nothing)(ds8* self);
    /* 15 to 17: the audio device (platform::AudioDevice), the object that
     * holds the primary format (the device itself) and a sound's buffer
     * (platform::AudioBuffer); null while the device is closed. */
    void* (*device_object)(ds8* self);
    void* (*primary_buffer)(ds8* self);
    void* (*sound_buffer)(ds8* self, ds8_sound* sound);
    /* 18 to 20: the lock held around every call into the audio objects. */
    void (*lock_device)(ds8* self);
    int (*try_lock_device)(ds8* self); /* 1 when busy, else 0 (now locked) */
    void (*unlock_device)(ds8* self);
    /* 21: 1 pauses every playing sound and stream, 0 resumes them. */
    void (*pause_all)(ds8* self, int pause);
    /* 22: device "" or the default device's name = default device; an unknown
     * name gives DS8_ERR_INVALID_ARG.  channels 1..2, bits 8 or 16, rate in
     * Hz; window and cooperative level are accepted and have no effect. */
    int32_t (*open_device)(ds8* self, const char* device, int channels, int bits, int rate, void* window,
                           int cooperative_level);
    /* 23: decodes the whole file into a static buffer; needs an open device.
     * pcm and extra pass to the decoder's open. */
    ds8_sound* (*sound_load)(ds8* self, const char* file, const char* decoder, intptr_t pcm, intptr_t extra);
    /* 24: a new sound sharing the sample data. */
    ds8_sound* (*sound_duplicate)(ds8_sound* sound);
    /* 25 */ void (*sound_free)(ds8_sound* sound);
    /* 26: flags DS8_PLAY_LOOP; starts at the current position. */
    int32_t (*sound_play)(ds8_sound* sound, uint32_t flags);
    /* 27 */ void (*sound_stop)(ds8_sound* sound);
    /* 28: level 0..DS8_LEVEL_MAX. */
    int32_t (*sound_level)(ds8_sound* sound, int32_t level);
    /* 29: pan -DS8_PAN_MAX..DS8_PAN_MAX. */
    int32_t (*sound_pan)(ds8_sound* sound, int32_t pan);
    /* 30: pitch DS8_PITCH_MIN..DS8_PITCH_MAX; the rate is kept in 100..100000 Hz. */
    int32_t (*sound_pitch)(ds8_sound* sound, int32_t pitch);
    /* 31: position as a fraction of the length, 0..DS8_POSITION_MAX. */
    int32_t (*sound_position)(ds8_sound* sound, int32_t fraction);
    /* 32: DS8_STATUS_* bits. */
    uint32_t (*sound_status)(ds8_sound* sound);

    /* 33: opens now (the caller waits); buffer_ms is the segment length. */
    int32_t (*stream_open)(ds8_stream* stream, const char* file, const char* decoder, uint32_t buffer_ms, intptr_t pcm,
                           intptr_t extra);
    /* 34 */ void (*stream_close)(ds8_stream* stream);
    /* 35: a stream whose thread wakes every tick_ms milliseconds. */
    ds8_stream* (*stream_create)(ds8* self, uint32_t tick_ms);
    /* 36: closes the stream and joins its thread. */
    void (*stream_destroy)(ds8_stream* stream);
    /* 37, 38: requests carried out on the stream's next tick. */
    void (*stream_play)(ds8_stream* stream);
    void (*stream_stop)(ds8_stream* stream);
    /* 39 to 41: as slots 28 to 30; remembered and applied at every open. */
    int32_t (*stream_level)(ds8_stream* stream, int32_t level);
    int32_t (*stream_pan)(ds8_stream* stream, int32_t pan);
    int32_t (*stream_pitch)(ds8_stream* stream, int32_t pitch);
    /* 42: passed to the decoder's dw_switch. */
    void (*stream_switch)(ds8_stream* stream, intptr_t value);
    /* 43, 44: requests carried out on the next tick; an open request with
     * buffer_ms 0 is ignored. */
    void (*stream_request_open)(ds8_stream* stream, const char* file, const char* decoder, uint32_t buffer_ms,
                                intptr_t pcm, intptr_t extra);
    void (*stream_request_close)(ds8_stream* stream);
    /* 45: 1 when open and no open request is pending. */
    int (*stream_is_open)(ds8_stream* stream);
    /* 46: 1 for no stream; 0 while an open or play request is pending;
     * else 1 when not open or stopped after playing. */
    int (*stream_is_stopped)(ds8_stream* stream);

    /* 47 to 51: decoder queries; each loads and unloads the decoder. */
    intptr_t (*pcm_count)(ds8* self, const char* file, const char* decoder);
    intptr_t (*text_count)(ds8* self, const char* file, const char* decoder, intptr_t pcm);
    /* 49, 50, 61, 62: which is a text index (>= 0) or a selector (< 0).
     * The buffer is always terminated; returns the text's length + 1, or 0.
     * A null buffer or size 0 only asks for the length. */
    size_t (*text)(ds8* self, const char* file, const char* decoder, intptr_t pcm, intptr_t which, char* buffer,
                   size_t size);
    size_t (*text_charset)(ds8* self, const char* file, const char* decoder, intptr_t pcm, intptr_t which, char* buffer,
                           size_t size);
    /* 51: copies at most size - 1 characters; returns the credit's length. */
    size_t (*credit)(ds8* self, const char* decoder, char* buffer, size_t size);
    /* 52: writes a PCM RIFF WAVE file (44-byte header); 0 success, 1 failure.
     * mode passes to the decoder's open; length asks for the length in ms
     * of a file whose decoder cannot tell it. */
    int (*render_wave)(ds8* self, const char* file, const char* decoder, intptr_t pcm, intptr_t extra, intptr_t mode,
                       const char* output, ds8_length_fn length, ds8_progress_fn progress);

    /* 53 to 60: DS8_POS_* or the decoder's code.  Before the stream is open
     * (or while a close is pending) the request is kept and applied at the
     * next open in the order loop, end, position.  64-bit frame counts
     * travel as (low, high) halves. */
    int32_t (*stream_set_position)(ds8_stream* stream, uint32_t frame_low, uint32_t frame_high);
    uint64_t (*stream_get_position)(ds8_stream* stream); /* 0 when unsupported */
    int32_t (*stream_set_position_seconds)(ds8_stream* stream, float seconds);
    double (*stream_get_position_seconds)(ds8_stream* stream); /* 0 without a format */
    int32_t (*stream_set_end)(ds8_stream* stream, uint32_t frame_low, uint32_t frame_high);
    int32_t (*stream_set_end_seconds)(ds8_stream* stream, float seconds);
    /* start >= end switches looping off. */
    int32_t (*stream_set_loop)(ds8_stream* stream, uint32_t start_low, uint32_t start_high, uint32_t end_low,
                               uint32_t end_high);
    int32_t (*stream_set_loop_seconds)(ds8_stream* stream, float start, float end);

    /* 61 text language, 62 text character set (as slot 50). */
    size_t (*text_language)(ds8* self, const char* file, const char* decoder, intptr_t pcm, intptr_t which,
                            char* buffer, size_t size);
    size_t (*text_charset_alias)(ds8* self, const char* file, const char* decoder, intptr_t pcm, intptr_t which,
                                 char* buffer, size_t size);
    /* 63: copies the open stream's format record (20 bytes, or 12 and zeros
     * for a record whose version is not 1) into size >= 20 bytes; 0, or 1. */
    int (*stream_format)(ds8_stream* stream, uint8_t* buffer, size_t size);
    /* 64: opens as slot 33, copies the 20-byte format record, closes again. */
    int32_t (*stream_probe)(ds8_stream* stream, const char* file, const char* decoder, uint32_t buffer_ms, intptr_t pcm,
                            intptr_t extra, uint8_t* buffer, size_t size);
    /* 65: calls back once per text of a PCM (which >= 0: every text; < 0:
     * that selector only) with the creator's user value. */
    void (*enum_texts)(ds8* self, const char* file, const char* decoder, intptr_t pcm, intptr_t which,
                       ds8_text_fn callback);
};

/* Interface version, DS8_INTERFACE_VERSION. */
__attribute__((visibility("default"))) uint32_t ds8_version(void);

/* table_length in bytes (slots * sizeof(void*), at most 9 slots are read);
 * whole slots are taken, the rest count as missing.  Returns the instance
 * or null. */
__attribute__((visibility("default"))) ds8* ds8_const_utl(void* user, const ds8_utility* table, size_t table_length);

/* ds8_const_utl with a table holding only allocate and free. */
__attribute__((visibility("default"))) ds8* ds8_const(void* user, void* (*allocate)(void* user, size_t size),
                                                      void (*free)(void* user, void* block));

#ifdef __cplusplus
}
#endif

#endif
