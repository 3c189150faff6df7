#include "kvt/command_help.h"

#include "lexer.h"

#include <array>
#include <cstring>

namespace kvt {

namespace {

constexpr CommandHelp kCommands[] = {
    {"ABCDEFG", "Note", "c[+|-|!]...[length][&]",
     "pitch from the octave (O) and key signature (S); + sharpens, - flattens, ! cancels; & slurs into the next note",
     "c4 e8. g16  / a quarter C, a dotted eighth E, a sixteenth G"},
    {"R", "Rest", "r[length]", "length as for notes; no length uses the default length (L)",
     "c4 r4 c2  / a quarter beat of silence between two notes"},
    {"L", "Default length", "l length", "length expression: 4 = quarter, 8. = dotted eighth, *96 = 96 ticks",
     "l8 cdef  / four eighth notes"},
    {"O<>", "Octave", "o n | < | >", "o sets the octave (4 holds middle C); < and > step it by one",
     "o4 c > c  / middle C, then the C an octave away"},
    {"S", "Key signature", "s sign x7", "seven signs for C D E F G A B: + sharp, - flat, ! natural",
     "s!!!+!!!  / G major: every F is sharpened"},
    {"U~_", "Velocity", "u[*][!][n | ^v] | ~[n] | _[n]",
     "u: 1..127 (u* sets the release velocity); ~ and _ step up and down", "u100 c ~10 c  / loud, then louder still"},
    {"Q", "Gate", "q[*][!][n | ^v]", "q: how long notes sound, as a ratio 0..32767; q*: an offset in ticks",
     "q*-6 cdef  / detached notes, each 6 ticks short"},
    {"'", "Chord", "'notes'[length][,spread]", "up to 127 notes; the spread strums them over that length",
     "'ceg'2,8  / a C major half-note chord, strummed"},
    {"(", "Portamento", "(p1 p2 [p3])length[&]", "the pitch glides from p1 to p2 (through p3 with three)",
     "(c g)4  / a quarter note gliding from C up to G"},
    {"#", "Track selection", "#n[,n | ,n-m]...", "tracks 0..255; text after it belongs to the tracks named",
     "#1,3-5 c  / the C plays on tracks 1, 3, 4 and 5"},
    {"%", "Timebase", "%n", "ticks per whole note, 1..65535 (192 unless set)",
     "%384  / finer lengths: a quarter is 96 ticks"},
    {";", "Text", ";text to the end of the line", "at most 4095 bytes", ";Verse 2  / a text event at this point"},
    {"=", "Setting", "=n,v",
     "0..255 engine parameters; 256..267 tuning; 268 condition mask; 269 bend range; 270..276 chord shape",
     "=269,12  / slurs and glides bend over 12 semitones"},
    {"?", "Info item", "?n[\"text\" | {hex pairs}]",
     "type 0..255, at most 256 bytes; type 3 is the title, 2 the notice", "?3\"Evening Song\"  / the piece's title"},
    {"H", "Stop track", "h", "no parameters", "c4 h  / the track stops after its note"},
    {"T", "Tempo", "t bpm[,length[,bpm]] | t*n",
     "beats per minute (a real number above 0); t*n gives 1/256 ms per tick",
     "t120,1,90  / slow down from 120 to 90 over a whole note"},
    {"W", "Resume tracks", "w n[-m][,n...] | w! n...",
     "present tracks 0..255 other than this one; w! resumes all but those", "w2  / track 2 starts playing again"},
    {"[", "Loop begin", "[[n]", "n = 2..255 repeats (2 when left out); 0 repeats for ever; 16 loops deep at most",
     "[4 c8 e8 ]  / the two notes four times"},
    {"]", "Loop end", "]", "closes the innermost loop", "[3 c ]  / three Cs"},
    {"|", "Loop break", "|", "leaves the loop on its last pass; not inside an endless loop", "[3 c | d ]  / c d c d c"},
    {"\\", "Conditional line", "\\m[,n]",
     "masks 0..65535: the line counts when all bits of m and none of n are switched on",
     "\\1 t140  / the faster tempo only with switch 1"},
    {"`", "Options", "`+b | `-b ...",
     "options 1..16: 1 no waiting, 2 reversed < >, 3 registered parameters, 4 wide bends, 5 octave up, 6 programs from 0, 7 ~ _ set release",
     "`+5 c  / the C sounds an octave higher"},
    {"{", "Raw words", "{hhhh ...}", "four hex digits per word, low byte first",
     "{FEFF}  / writes the word FFFE as it stands"},
    {":", "Channel and port", ":[c][,p]", "channel 0..15, port 0..15", ":9  / drums on the tenth channel"},
    {"@", "Program", "@n", "1..128 (0..127 with option 6)", "@41  / the violin of a General MIDI set"},
    {"I", "Bank select", "i[m][,l]", "bank numbers 0..127", "i0,1 @1  / the piano of bank 0/1"},
    {"N", "Parameter number", "n[a][,b[,c[,d]]]", "each 0..127: parameter number high, low, data entry high, low",
     "n0,0,12  / with option 3: bend range 12 semitones"},
    {"P", "Pan", "p[!][n | ^v][,length[,n]]", "0..127, 64 is the middle; with a length it slides",
     "p0,1,127  / sweep left to right over a whole note"},
    {"V", "Volume", "v[!][n | ^v][,length[,n]]", "0..127; ^v changes it relatively; with a length it slides",
     "v100,2  / fade to 100 over a half note"},
    {"X", "Expression", "x[!][n | ^v][,length[,n]]", "0..127; with a length it slides", "x0,1  / fade the phrase out"},
    {"Y", "Controller", "y[cc],[!][n | ^v][,length[,n]]",
     "controller 0..127 (a note name counts as its number), value 0..127", "y64,127  / sustain pedal down"},
    {"K", "Pitch bend", "k[!][v | ^v][,length[,v]]", "-8192..8191, 0 is no bend",
     "k4096,4  / bend up over a quarter note"},
    {"Z", "Pressure", "z[pitch][!][n | ^v][,length[,n]]",
     "0..127; with a pitch the key's own pressure, else the channel's", "z80  / press the whole channel"},
    {"J", "Modulator switch", "j[t],+p | -p ...",
     "target -6..127 (controllers, -1 bend, -2 velocity ...); modulator 1..16",
     "j-1,+1  / start modulator 1 on the pitch bend"},
    {"M", "Modulator setting", "m[t],[q],v", "target -6..127, parameter 0..31, signed value",
     "m-1,0,200  / set parameter 0 of the pitch-bend modulator"},
    {"$", "Macro or exclusive message", "$n[\"text\" | ,b... | {hex pairs}] | ${hex pairs}",
     "macros 0..127 with up to 63 bytes; a raw message up to 255 bytes, ** inserts a checksum",
     "$4,1  / switch General MIDI on"},
    {"/", "Comment", "/ remark to the end of the line", "ignored by the compiler", "c d e  / a remark"},
};

constexpr NumberedName kInfoTypes[] = {
    {1, "text"},
    {2, "notice (shown as the copyright line)"},
    {3, "title"},
    {4, "instrument name"},
    {5, "lyric"},
    {6, "marker"},
    {7, "cue point"},
    {88, "time signature (4 bytes)"},
    {89, "key signature (2 bytes: sharps, minor)"},
    {190, "language of the texts"},
    {191, "character set of the texts"},
};

constexpr NumberedName kMacros[] = {
    {0, "universal non-real-time message"},
    {1, "universal real-time message"},
    {2, "maker's message with checksum"},
    {3, "maker's message"},
    {4, "General MIDI on or off"},
    {5, "sound module reset"},
    {6, "sound module mode"},
    {7, "sound module mode switch"},
    {8, "master volume"},
    {9, "master balance"},
    {10, "controller destination"},
    {11, "reverb parameter"},
    {12, "all reverb parameters"},
    {13, "chorus parameter"},
    {14, "all chorus parameters"},
    {15, "delay parameter"},
    {16, "all delay parameters"},
    {17, "equaliser settings"},
    {18, "part parameter of this channel"},
    {19, "part parameter of several channels"},
    {20, "scale tuning of this channel"},
    {21, "scale tuning of several channels"},
    {22, "part controller of this channel"},
    {23, "part controller of several channels"},
    {24, "drum setup parameter"},
    {25, "display parameter"},
    {26, "display parameter (second page)"},
    {27, "drum map of this channel"},
    {28, "effect type"},
    {29, "display text"},
    {30, "display dot pattern"},
    {31, "display page"},
    {32, "system parameter"},
    {33, "maker system parameter"},
    {34, "maker effect parameter"},
    {35, "maker effect parameter (second block)"},
    {36, "maker drum parameter"},
    {37, "maker part parameter of this channel"},
    {38, "maker part parameter of several channels"},
    {39, "maker scale tuning of this channel"},
    {40, "maker scale tuning of several channels"},
    {41, "maker part controller of this channel"},
    {42, "maker part controller of several channels"},
    {43, "maker block parameter"},
    {44, "maker display text"},
    {45, "maker display bitmap"},
};

} // namespace

std::span<const CommandHelp> allCommandHelp() { return kCommands; }

const CommandHelp* commandHelp(uint8_t c)
{
    const uint8_t u = upper(c);
    if (u == 0) return nullptr;
    for (const CommandHelp& entry : kCommands)
        if (std::strchr(entry.characters, u) != nullptr) return &entry;
    return nullptr;
}

std::span<const NumberedName> infoTypes() { return kInfoTypes; }

std::span<const NumberedName> macroNames() { return kMacros; }

} // namespace kvt
