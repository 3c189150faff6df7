#include "answers.h"

#include "kvt/check.h"
#include "kvt/command_help.h"

#include <string>

namespace kvtls {

namespace {

enum Severity { kError = 1, kHint = 4 };

// The compiler's error codes that get a hint.
enum : uint32_t {
    kNotEnoughSize = 0x40001,
    kIllegalParameter = 0x40002,
    kMissingParameter = 0x40003,
    kUndefinedCommand = 0x40004,
    kMissingTrack = 0x4000D,
    kSlurCannotContinue = 0x4000E,
    kSlurImpossible = 0x4000F,
    kTooManyParameters = 0x40012,
    kChordImpossible = 0x40014,
    kLoopTooDeep = 0x40015,
    kOutOfLoop = 0x40016,
    kLoopInfinite = 0x40017,
    kLoopStillOpen = 0x40018,
};

// Room enough for the longest command (a 4095-byte text, a 255-byte
// exclusive message written out as hex).
constexpr size_t kCommandWindow = 1 << 14;

bool startsCommand(const kvt::Token& t)
{
    return t.kind == kvt::TokenKind::Command || t.kind == kvt::TokenKind::Note || t.kind == kvt::TokenKind::Rest ||
           t.kind == kvt::TokenKind::Comment || t.kind == kvt::TokenKind::Unknown;
}

// The bytes of the command that starts at `offset`: its character and its
// parameters, a chord or glide up to its closing character.
size_t commandEnd(const Document& doc, size_t offset)
{
    const size_t size = doc.text().size();
    if (offset >= size) return size;
    std::vector<kvt::Token> tokens;
    kvt::tokenize(doc.bytes() + offset, std::min(kCommandWindow, size - offset), tokens);
    if (tokens.empty() || tokens.front().offset != 0) return offset + 1;
    const kvt::Token& first = tokens.front();
    if (first.kind != kvt::TokenKind::Command && first.kind != kvt::TokenKind::Note &&
        first.kind != kvt::TokenKind::Rest)
        return offset + first.length;
    const bool group = first.kind == kvt::TokenKind::Command && (first.command == '\'' || first.command == '(');
    size_t end = first.offset + first.length;
    for (size_t i = 1; i < tokens.size(); ++i) {
        const kvt::Token& t = tokens[i];
        const bool closesGroup = group && t.kind == kvt::TokenKind::Command && t.command == first.command;
        if (group) {
            end = t.offset + t.length;
            if (closesGroup) break;
            continue;
        }
        if (startsCommand(t) || t.command != first.command) break;
        end = t.offset + t.length;
    }
    return offset + end;
}

// The «[» that the text leaves open, innermost first; npos when none.
size_t unclosedLoop(const Document& doc)
{
    std::vector<size_t> open;
    for (const kvt::Token& t : documentTokens(doc)) {
        if (t.kind != kvt::TokenKind::Command) continue;
        if (t.command == '[') open.push_back(t.offset);
        if (t.command == ']' && !open.empty()) open.pop_back();
    }
    return open.empty() ? std::string::npos : open.back();
}

// The character at `offset` between guillemets, all bytes of its UTF-8
// sequence.
std::string quoted(const std::string& text, size_t offset)
{
    size_t end = std::min(offset + 1, text.size());
    while (end < text.size() && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80) ++end;
    return "«" + text.substr(offset, end - offset) + "»";
}

// A hint in a musician's words for the mistakes people make most, placed
// at `at` (by default the failing command).
struct Hint {
    std::string text;
    size_t at = std::string::npos;
};

Hint hintFor(const Document& doc, const kvt::CheckResult& r)
{
    const uint8_t c = r.offset < doc.text().size() ? static_cast<uint8_t>(doc.text()[r.offset]) : 0;
    const kvt::CommandHelp* help = kvt::commandHelp(c);
    switch (r.code) {
    case kLoopStillOpen: {
        const size_t at = unclosedLoop(doc);
        if (at == std::string::npos) return {"A repeat is still open at the end of the track: close it with «]»."};
        return {"This repeat is never closed: put «]» where the repeated passage ends.", at};
    }
    case kOutOfLoop: return {"There is no open repeat «[» for this " + quoted(doc.text(), r.offset) + " to belong to."};
    case kLoopInfinite: return {"An endless repeat «[0» has no last pass, so «|» cannot leave it."};
    case kLoopTooDeep: return {"Repeats nest at most 16 deep."};
    case kSlurCannotContinue:
        return {"A slur «&» must lead into another note; here it runs into a rest, a repeat bracket, a chord or "
                "the end of the track."};
    case kSlurImpossible:
    case kChordImpossible: return {"Option 1 is on, so notes do not wait: slurs and chords need «`-1» first."};
    case kTooManyParameters: return {"A comma outside a command: lengths follow the note directly («c4», not «c,4»)."};
    case kMissingTrack: return {"«W» names a track that has no notes or events of its own."};
    case kNotEnoughSize: return {"The score ends in the middle of this command."};
    case kUndefinedCommand:
        if (c >= '0' && c <= '9')
            return {"A number on its own: the command before it is already complete, and a number or length "
                    "cannot be split by a space («c12», not «c1 2»)."};
        return {quoted(doc.text(), r.offset) + " is not a command."};
    case kIllegalParameter:
        if (help != nullptr) return {std::string(help->name) + ": " + help->ranges + "."};
        return {};
    case kMissingParameter:
        if (help != nullptr) return {std::string(help->name) + " needs its value: " + help->syntax};
        return {};
    default: return {};
    }
}

} // namespace

Json diagnostics(const Document& doc, uint16_t conditionMask)
{
    Json list = Json::array();
    const std::string& text = doc.text();
    const kvt::CheckResult r =
        kvt::checkText(doc.bytes(), static_cast<uint32_t>(std::min<size_t>(text.size(), UINT32_MAX)), conditionMask);
    if (r.ok) return list;
    size_t from = 0;
    size_t to = 0;
    if (r.line != 0) {
        from = r.offset;
        to = commandEnd(doc, from);
        if (from == text.size() && from > 0) --from; // the end of the text: mark its last byte
    }
    Json error = {{"range", rangeJson(doc, from, to)},
                  {"severity", kError},
                  {"source", "kvt"},
                  {"code", r.code},
                  {"message", r.message}};
    const Hint hint = hintFor(doc, r);
    if (!hint.text.empty()) {
        const size_t at = hint.at == std::string::npos ? from : hint.at;
        const Json range = hint.at == std::string::npos ? error["range"] : rangeJson(doc, at, at + 1);
        // Editors that show one message per line show the last one: the
        // compiler's own.
        list.push_back({{"range", range}, {"severity", kHint}, {"source", "kvt"}, {"message", hint.text}});
    }
    list.push_back(error);
    return list;
}

} // namespace kvtls
