// The tokens of a KVT text, for editors and score views: what each byte is
// (command, note, length, number, comment, text, hex block) and which
// command it belongs to.  The split never fails: bytes the compiler would
// reject still get a token, so a text can be coloured while it is typed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvt {

enum class TokenKind : uint8_t {
    Command,     // a command character («T», «[», «@» ...)
    Note,        // a pitch letter with its accidentals («c+», «e-»)
    Rest,        // «R»
    Length,      // a length expression («4», «8.», «*100», «2^4», «**1.5»)
    Number,      // a number parameter («120», «&7F», «.101», «-3»)
    Comment,     // «/» to the end of the line
    Text,        // the text of «;» or a quoted text
    HexBlock,    // a braced block of hex pairs, braces included
    Punctuation, // separators and signs («,», «&», «+», «-» ...)
    // A byte that starts no command (control bytes, bytes above «~»), with
    // the continuation bytes of the UTF-8 sequence it leads.
    Unknown,
};

struct Token {
    uint32_t offset; // first byte, from the start of the text
    uint32_t length; // in bytes; texts and hex blocks may span lines
    uint32_t line;   // of the first byte, 0-based
    uint32_t column; // of the first byte, in bytes, 0-based
    TokenKind kind;
    // The command the token belongs to, in upper case: the command's own
    // character for its parameters («T» for the «120» of «T120»), the
    // letter for notes.
    uint8_t command;
};

// Appends the tokens of `length` bytes at `text` to `out`, in text order;
// whitespace gets none.
void tokenize(const uint8_t* text, size_t length, std::vector<Token>& out);

} // namespace kvt
