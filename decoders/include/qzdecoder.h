/*
 * Decoder plug-in contract.
 *
 * A decoder plug-in is a module loaded at run time (dlopen) that turns one
 * kind of audio file into interleaved PCM.  It does no file access and no
 * memory management of its own: everything goes through the host table that
 * the host passes as the first argument of every entry except dw_version and
 * dw_credit.  Entries are looked up by the names below (DW_ENTRY_*).
 *
 * Calling order for one decoding: dw_version (at load), dw_open, any number
 * of dw_decode and positioning calls, dw_isend, and finally dw_close.  The
 * host serialises calls into one handle; different handles may be used from
 * different threads, so a decoder keeps all its state in the handle.
 */
#ifndef QZDECODER_H
#define QZDECODER_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Host table --------------------------------------------------------
 * Nine pointer-sized slots in this order.  Each function receives the table
 * itself first, so a host can place its own context around the table.
 * A host passing a shorter table leaves the missing slots null.
 */
typedef struct dw_host dw_host;

/* dw_host.open mode bits. */
#define DW_OPEN_READ 1u /* bits 0-1: 1 read, 2 write, 3 both */
#define DW_OPEN_WRITE 2u
#define DW_OPEN_CREATE 4u    /* create the file (truncating it) */
#define DW_OPEN_EXCLUSIVE 8u /* with DW_OPEN_CREATE: the file must not exist */
#define DW_OPEN_APPEND 16u

/* dw_host.seek origins. */
#define DW_SEEK_START 0u
#define DW_SEEK_CURRENT 1u
#define DW_SEEK_END 2u

struct dw_host {
    /* 0: a block of size bytes, or null. */
    void* (*alloc)(const dw_host* host, size_t size);
    /* 1: releases a block from alloc; null is ignored. */
    void (*free)(const dw_host* host, void* block);
    /* 2: opens a file (mode: DW_OPEN_* bits); returns a handle. */
    intptr_t (*open)(const dw_host* host, const char* name, uint32_t mode);
    /* 3: the handle value that open returns on failure. */
    intptr_t (*invalid_handle)(const dw_host* host);
    /* 4: non-zero when handle is invalid. */
    int (*is_invalid)(const dw_host* host, intptr_t handle);
    /* 5: closes a handle from open. */
    void (*close)(const dw_host* host, intptr_t handle);
    /* 6: moves the file position to the signed 64-bit offset
     *    (offset_high << 32 | offset_low) from origin (DW_SEEK_*);
     *    returns the new position from the start, or -1. */
    int64_t (*seek)(const dw_host* host, intptr_t handle, uint32_t offset_low, uint32_t offset_high, uint32_t origin);
    /* 7: reads up to length bytes (flag 0); returns the count, 0 at the end. */
    int64_t (*read)(const dw_host* host, intptr_t handle, void* buffer, intptr_t length, uint32_t flag);
    /* 8: writes length bytes (flag 0); returns the count written. */
    int64_t (*write)(const dw_host* host, intptr_t handle, const void* buffer, intptr_t length, uint32_t flag);
};

/* ---- Format record -----------------------------------------------------
 * dw_open returns the address of a 20-byte little-endian format record that
 * begins the decoder's state; it is the decoder handle of every later call.
 *
 *   offset 0  u8   channels of the decoded PCM: 1 or 2
 *   offset 1  u8   bytes per sample: 1 (unsigned 8-bit) or 2 (signed 16-bit)
 *   offset 2  u8   capability flags (DW_CAN_*)
 *   offset 3  u8   record version: 1 = all 20 bytes valid, else only 12
 *   offset 4  u32  sampling rate in Hz (the host accepts 100 to 100000)
 *   offset 8  u32  length in sample frames, 0 when unknown
 *   offset 12 8    reserved, zero
 *
 * Decoded PCM is interleaved, left channel first, in whole frames.
 */
#define DW_RECORD_SIZE 20
#define DW_RECORD_CHANNELS 0
#define DW_RECORD_SAMPLE_BYTES 1
#define DW_RECORD_FLAGS 2
#define DW_RECORD_VERSION 3
#define DW_RECORD_RATE 4
#define DW_RECORD_FRAMES 8
#define DW_RECORD_RESERVED 12
#define DW_RECORD_CURRENT_VERSION 1

#define DW_CAN_GETPOS 2u
#define DW_CAN_SETPOS 4u
#define DW_CAN_SETEND 8u
#define DW_CAN_SETLOOP 16u

typedef struct dw_format {
    uint8_t channels;
    uint8_t sample_bytes;
    uint8_t flags;
    uint8_t version;
    uint32_t rate;   /* Hz */
    uint32_t frames; /* sample frames, 0 = unknown */
} dw_format;

static inline uint16_t dw_get_le16(const uint8_t* p) { return (uint16_t)(p[0] | (p[1] << 8)); }

static inline uint32_t dw_get_le32(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

static inline void dw_put_le16(uint8_t* p, uint16_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

static inline void dw_put_le32(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

/* Reads a record; when its version is not 1 only the first 12 bytes count. */
static inline dw_format dw_format_read(const uint8_t* record)
{
    dw_format f;
    f.channels = record[DW_RECORD_CHANNELS];
    f.sample_bytes = record[DW_RECORD_SAMPLE_BYTES];
    f.flags = record[DW_RECORD_FLAGS];
    f.version = record[DW_RECORD_VERSION];
    f.rate = dw_get_le32(record + DW_RECORD_RATE);
    f.frames = dw_get_le32(record + DW_RECORD_FRAMES);
    return f;
}

/* Writes all 20 bytes, the reserved ones as zero. */
static inline void dw_format_write(uint8_t* record, const dw_format* f)
{
    int i;
    record[DW_RECORD_CHANNELS] = f->channels;
    record[DW_RECORD_SAMPLE_BYTES] = f->sample_bytes;
    record[DW_RECORD_FLAGS] = f->flags;
    record[DW_RECORD_VERSION] = f->version;
    dw_put_le32(record + DW_RECORD_RATE, f->rate);
    dw_put_le32(record + DW_RECORD_FRAMES, f->frames);
    for (i = DW_RECORD_RESERVED; i < DW_RECORD_SIZE; ++i) record[i] = 0;
}

/* ---- Entries -----------------------------------------------------------
 * Signatures of the entries a plug-in may export, by name.  A host accepts a
 * plug-in whose dw_version has a zero top byte and a low 24-bit value of at
 * most DW_HOST_MAX_VERSION; dw_version is required.
 */
#define DW_HOST_MAX_VERSION 12035u

/* Relay of dw_enumpcmtext: return 0 to stop, 1 to go on. */
typedef int (*dw_relay)(void* context, const char* text, const char* language, const char* charset);

/* Interface version (0x00RRVVVV style: top byte 0). */
typedef uint32_t (*dw_version_fn)(void);
#define DW_ENTRY_VERSION "dw_version"

/* A constant text naming the decoder. */
typedef const char* (*dw_credit_fn)(void);
#define DW_ENTRY_CREDIT "dw_credit"

/* Number of PCMs in a file (a host assumes 1 without this entry). */
typedef intptr_t (*dw_pcmcount_fn)(const dw_host* host, const char* file);
#define DW_ENTRY_PCMCOUNT "dw_pcmcount"

/* Number of texts of PCM pcm (0 without this entry). */
typedef intptr_t (*dw_pcmtextcount_fn)(const dw_host* host, const char* file, intptr_t pcm);
#define DW_ENTRY_PCMTEXTCOUNT "dw_pcmtextcount"

/* Text, its language name or its character set name of PCM pcm.  which is a
 * running index (0 and up) or a selector (DW_TEXT_*).  With no buffer or
 * capacity 0 only the length is returned; otherwise at most capacity bytes
 * are written, without a terminator.  Returns the full length. */
typedef size_t (*dw_pcmtext_fn)(const dw_host* host, const char* file, intptr_t pcm, intptr_t which, char* buffer,
                                size_t capacity);
#define DW_ENTRY_PCMTEXT "dw_pcmtext"
#define DW_ENTRY_PCMTEXTLANG "dw_pcmtextlang"
#define DW_ENTRY_PCMTEXTCSET "dw_pcmtextcset"
#define DW_ENTRY_PCMTEXTCS "dw_pcmtextcs" /* older name of dw_pcmtextcset */

/* Calls relay for each text of PCM pcm (all of them for which >= 0, or the
 * one named by a negative selector) until relay returns 0. */
typedef void (*dw_enumpcmtext_fn)(const dw_host* host, const char* file, intptr_t pcm, intptr_t which, dw_relay relay,
                                  void* context);
#define DW_ENTRY_ENUMPCMTEXT "dw_enumpcmtext"

/* Selectors of well-known texts. */
#define DW_TEXT_TITLE (-1)
#define DW_TEXT_RIGHTS (-2)
#define DW_TEXT_PRODUCT (-3)
#define DW_TEXT_ARTIST (-4)
#define DW_TEXT_DATE (-5)
#define DW_TEXT_GENRE (-7)
#define DW_TEXT_SUBJECT (-8)

/* Opens PCM pcm of a file.  mode: 0 decode whole into memory, 1 stream,
 * others as the host's caller says; extra passes through from the caller.
 * Returns the format record (the handle) or null. */
typedef uint8_t* (*dw_open_fn)(const dw_host* host, intptr_t mode, const char* file, intptr_t pcm, intptr_t extra);
#define DW_ENTRY_OPEN "dw_open"

/* Writes up to length bytes of PCM (whole frames) and returns how many.
 * No buffer or length 0 delivers nothing and returns 0. */
typedef size_t (*dw_decode_fn)(const dw_host* host, uint8_t* handle, void* buffer, size_t length);
#define DW_ENTRY_DECODE "dw_decode"

/* Non-zero when no more data will come; asked after a dw_decode gave 0. */
typedef int (*dw_isend_fn)(const dw_host* host, uint8_t* handle);
#define DW_ENTRY_ISEND "dw_isend"

/* Releases everything dw_open made, the handle included. */
typedef void (*dw_close_fn)(const dw_host* host, uint8_t* handle);
#define DW_ENTRY_CLOSE "dw_close"

/* Stream switch request; value passes through from the host's caller. */
typedef void (*dw_switch_fn)(const dw_host* host, uint8_t* handle, intptr_t value);
#define DW_ENTRY_SWITCH "dw_switch"

/* Positioning, in sample frames of the decoded PCM, 64-bit values as
 * (low, high) halves.  Results: 0 success, non-zero a code the host passes
 * on.  An end of 0 means the whole length; a loop of (0, 0) switches
 * looping off. */
typedef int (*dw_setpos_fn)(const dw_host* host, uint8_t* handle, uint32_t frame_low, uint32_t frame_high);
#define DW_ENTRY_SETPOS "dw_setpos"
typedef uint64_t (*dw_getpos_fn)(const dw_host* host, uint8_t* handle);
#define DW_ENTRY_GETPOS "dw_getpos"
typedef int (*dw_setend_fn)(const dw_host* host, uint8_t* handle, uint32_t frame_low, uint32_t frame_high);
#define DW_ENTRY_SETEND "dw_setend"
typedef int (*dw_setloop_fn)(const dw_host* host, uint8_t* handle, uint32_t start_low, uint32_t start_high,
                             uint32_t end_low, uint32_t end_high);
#define DW_ENTRY_SETLOOP "dw_setloop"

#ifdef __cplusplus
}
#endif

#endif
