/* The KVT compiler library: compiles one KVT source text into one ZEM
 * image file. */
#ifndef ZEMCMAIN_H
#define ZEMCMAIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ZEMC_EXPORT __attribute__((visibility("default")))

/* Interface version: bits 8-15 the format version 47, bits 0-7 the
 * revision. */
#define ZEMC_INTERFACE_VERSION 12035

/* zemc results. */
#define ZEMC_OK 0
#define ZEMC_REPORTED (-1)     /* stopped after a reported error */
#define ZEMC_CON_PROOF 0x40000 /* the output path names a reserved device */

/* Receives the one message of a failed compilation.
 * user: the user value given to zemc.
 * message: for compile errors the formatted text ("Syntax error in 3."),
 *   for file errors the error's name ("File cannot write").
 * name: for compile errors the source name given to zemc (may be null),
 *   for file errors the full path of the file concerned.
 * Both texts are valid only during the call. */
typedef void (*zemc_message_fn)(void* user, const char* message, const char* name);

/* Compiles `length` bytes of KVT text at `text` (need not end in NUL; may
 * be null when length is 0) into the image file `output_path` (relative
 * paths resolve against the current directory; an existing file is
 * replaced).
 *
 * source_name: handed back with compile messages; may be null.
 * flags: bits 0-15 are every track's initial condition mask; bits 16-31
 *   are ignored.
 * callback: called at most once, just before -1 is returned; may be null.
 *
 * Returns ZEMC_OK when the image was written; ZEMC_REPORTED after an error
 * (the callback, when given, has reported it; an output file created before
 * the error stays with what had been written); ZEMC_CON_PROOF, creating
 * nothing and calling nothing, when the path names a reserved device.
 * Errors of the utility library other than the file errors leave zemc as
 * raised error-frame codes (util::UerrRaised) to the caller's protected
 * call.  Not reentrant: one compilation at a time per process. */
ZEMC_EXPORT int32_t zemc(const uint8_t* text, uint32_t length, const char* source_name, const char* output_path,
                         uint32_t flags, zemc_message_fn callback, void* user);

/* Returns ZEMC_INTERFACE_VERSION (12035). */
ZEMC_EXPORT uint32_t dc_version(void);

#ifdef __cplusplus
}
#endif

#endif
