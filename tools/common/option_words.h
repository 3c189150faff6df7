// Options that stand as words of their own on a command line ("--list",
// "-p PORT", "--loudness=-16"), read through one table per program: adding
// an option is adding a row.  The switch words that chain letters
// ("-L3-D500") are read by switch_words.h.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tools {

// How a row's option takes its value.
enum class OptionValue {
    None,        // --list
    NextWord,    // -o NAME
    Attached,    // -p PORT or -pPORT
    AfterEquals, // --loudness -16 or --loudness=-16
};

struct OptionRow {
    std::string name; // the whole word: "-p", "--list"
    OptionValue value;
    // Takes the value (empty for OptionValue::None); returns the message for
    // a bad one, else an empty text.
    std::function<std::string(const std::string& value)> take;
    // The message when the value is missing; empty: "<name> needs a value".
    std::string missing = {};
    // The line ends here: the words after it are not read (--help).
    bool endsLine = false;
};

struct OptionTable {
    std::vector<OptionRow> rows;
    // Every word no row names, in order; returns the message for a word the
    // program refuses, else an empty text.
    std::function<std::string(const std::string& word)> other;
};

// What a line asks besides the program's work: --help or --version, the
// first of them to stand as a word of its own.
enum class InfoRequest { None, Help, Version };

// The rows of --help and --version, which end the line and set request.
std::vector<OptionRow> infoRows(InfoRequest& request);

// Reads words in order through the table.  Returns the message of the first
// bad word, else an empty text.
std::string readOptionWords(const std::vector<std::string>& words, const OptionTable& table);

} // namespace tools
