// zem2wav's banner, usage and the texts of its codes.
#pragma once

#include "util/uerr.h"

#include <cstdint>
#include <string>

namespace zem2wav {

inline constexpr const char* kBanner = "ZEM2WAV ver 0.47";

// The synthesizer could not be started (its SoundFont did not load).
inline constexpr util::ErrCode kErrSynthesizer = 0x40020;
// The render is refused before anything is written; the job words why.
inline constexpr util::ErrCode kErrRenderRefused = 0x40021;

inline constexpr const char* kUsage = "\n"
                                      "usage\n"
                                      "> zem2wav [sw] FILE [sw] [FILE [sw] [...]]\n"
                                      "\n"
                                      "Renders each ZEM image, or KVT source (.kvt) compiled on the fly, to\n"
                                      "FILE.WAV beside it (44100 Hz 16-bit stereo) through the built-in\n"
                                      "synthesizer, and prints its loudness (EBU R128) and true peak.\n"
                                      "ZEM_SOUNDFONT names another SoundFont than\n"
                                      "/usr/share/sounds/sf2/TimGM6mb.sf2.\n"
                                      "\n"
                                      "* sw: optional switches\n"
                                      " -L[num]  looping times(default=2)\n"
                                      " -D[num]  delay after loop(in msec) (default=1000)\n"
                                      " -F[num]  fading time(in msec) (default=9000)\n"
                                      " -M[hex]  device enable flags (default=0001)\n"
                                      " -Z       ignore infinite loop\n"
                                      " -T[num]  longest render(in minutes) (default=240)\n"
                                      " -J[num]  rendering threads (default=0, all cores; the samples\n"
                                      "          are the same whatever the number)\n"
                                      " -o NAME  output file of the one FILE; its ending chooses the format:\n"
                                      "          .flac, .ogg (Vorbis), .opus, .mp3, else WAVE\n"
                                      " --loudness LUFS  scale the render to this integrated loudness\n"
                                      "          (-70 to 0), its true peak kept at or below -1 dBTP\n";

// The per-file text of a code ("%08x" filled with the image offset of the
// last engine error); empty when the code is not about one file.
std::string renderErrorText(util::ErrCode code, uint32_t errorOffset, const std::string& synthError);

} // namespace zem2wav
