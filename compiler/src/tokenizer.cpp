#include "kvt/tokens.h"

#include "lexer.h"

namespace kvt {

namespace {

bool isLineByte(uint8_t c) { return c >= 32 || c == '\t'; }
bool isNoteLetter(uint8_t c) { return c >= 'A' && c <= 'G'; }

class Splitter {
public:
    Splitter(const uint8_t* text, size_t length, std::vector<Token>& out) : p_(text), n_(length), out_(out) {}

    void run()
    {
        while (at_ < n_) {
            const uint8_t c = p_[at_];
            if (c == '\n') {
                ++at_;
                ++line_;
                lineStart_ = at_;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++at_;
            } else {
                step(c);
            }
        }
    }

private:
    const uint8_t* p_;
    size_t n_;
    std::vector<Token>& out_;
    size_t at_ = 0;
    uint32_t line_ = 0;
    size_t lineStart_ = 0;
    uint8_t owner_ = 0;
    bool lengths_ = false; // numbers here are lengths and «&» is a slur
    uint8_t group_ = 0;    // «'» or «(» while inside a chord or portamento group

    uint8_t byteAt(size_t i) const { return i < n_ ? p_[i] : 0; }

    void emit(size_t start, TokenKind kind, uint8_t command)
    {
        out_.push_back({static_cast<uint32_t>(start), static_cast<uint32_t>(at_ - start), line_,
                        static_cast<uint32_t>(start - lineStart_), kind, command});
    }
    // A token that may hold line feeds: its line and column are where it starts.
    void emitSpanning(size_t start, TokenKind kind, uint8_t command)
    {
        const uint32_t line = line_;
        const size_t lineStart = lineStart_;
        for (size_t i = start; i < at_; ++i) {
            if (p_[i] != '\n') continue;
            ++line_;
            lineStart_ = i + 1;
        }
        out_.push_back({static_cast<uint32_t>(start), static_cast<uint32_t>(at_ - start), line,
                        static_cast<uint32_t>(start - lineStart), kind, command});
    }

    void startCommand(uint8_t c, TokenKind kind)
    {
        const size_t start = at_++;
        owner_ = c;
        lengths_ = false;
        emit(start, kind, c);
    }

    void toLineEnd(TokenKind kind, uint8_t command)
    {
        const size_t start = at_;
        while (at_ < n_ && isLineByte(p_[at_])) ++at_;
        if (at_ > start) emit(start, kind, command);
    }

    void note(uint8_t letter)
    {
        const size_t start = at_++;
        while (at_ < n_ && (p_[at_] == '+' || p_[at_] == '-' || p_[at_] == '!')) ++at_;
        emit(start, TokenKind::Note, letter);
        if (group_ == 0) {
            owner_ = letter;
            lengths_ = true;
        }
    }

    // Base, dots, «**x» factors and «^» ties, as one token.
    bool length()
    {
        const size_t start = at_;
        bool itemStart = true;
        while (at_ < n_) {
            const uint8_t c = p_[at_];
            if (isDecimalDigit(c) || c == '.' || c == '*') {
                itemStart = false;
            } else if (c == '^') {
                itemStart = true;
            } else if ((c == '+' || c == '-') && itemStart && isDecimalDigit(byteAt(at_ + 1))) {
                itemStart = false;
            } else {
                break;
            }
            ++at_;
        }
        if (at_ == start) return false;
        emit(start, TokenKind::Length, owner_);
        return true;
    }

    // Decimal (with a fraction for tempo and spread reals), «&» hex and «.» binary.
    bool number()
    {
        const size_t start = at_;
        size_t i = at_;
        uint8_t prefix = 0;
        if (p_[i] == '&' || p_[i] == '.') prefix = p_[i++];
        if ((byteAt(i) == '+' || byteAt(i) == '-')) ++i;
        auto isDigit = [prefix](uint8_t c) {
            return prefix == '&' ? isHexDigit(c) : prefix == '.' ? (c == '0' || c == '1') : isDecimalDigit(c);
        };
        if (i >= n_ || !isDigit(p_[i])) return false;
        while (i < n_ && isDigit(p_[i])) ++i;
        if (prefix == 0 && byteAt(i) == '.' && isDecimalDigit(byteAt(i + 1))) {
            ++i;
            while (i < n_ && isDecimalDigit(p_[i])) ++i;
        }
        at_ = i;
        emit(start, TokenKind::Number, owner_);
        return true;
    }

    // From an opening «{» or «"» to its closing character (or the end).
    void enclosed(uint8_t close, TokenKind kind)
    {
        const size_t start = at_++;
        while (at_ < n_ && p_[at_] != close) ++at_;
        if (at_ < n_) ++at_;
        emitSpanning(start, kind, owner_ == 0 ? p_[start] : owner_);
    }

    void punctuation()
    {
        const size_t start = at_++;
        emit(start, TokenKind::Punctuation, owner_);
    }

    // «'» opens or closes a chord, «(» and «)» a portamento group; the
    // group's length follows its closing character.
    void groupBracket(uint8_t c)
    {
        const size_t start = at_++;
        const uint8_t opener = c == ')' ? '(' : c;
        if (group_ == opener) {
            group_ = 0;
            lengths_ = true;
        } else {
            group_ = opener;
            lengths_ = false;
        }
        owner_ = opener;
        emit(start, TokenKind::Command, opener);
    }

    void step(uint8_t raw)
    {
        const uint8_t c = upper(raw);
        if (lengths_ && c != '&' && c != ',' && length()) return;
        switch (c) {
        case '/':
            owner_ = c;
            lengths_ = false;
            toLineEnd(TokenKind::Comment, c);
            return;
        case ';':
            startCommand(c, TokenKind::Command);
            toLineEnd(TokenKind::Text, ';');
            return;
        case '"': enclosed('"', TokenKind::Text); return;
        case '{':
            if (owner_ != '?' && owner_ != '$') owner_ = '{';
            enclosed('}', TokenKind::HexBlock);
            return;
        case '\'': groupBracket('\''); return;
        case '(': groupBracket('('); return;
        case ')': groupBracket(')'); return;
        case 'R':
            startCommand(c, TokenKind::Rest);
            lengths_ = true;
            return;
        case 'L':
            startCommand(c, TokenKind::Command);
            lengths_ = true;
            return;
        case '&':
            if (!lengths_ && number()) return;
            punctuation();
            return;
        default: break;
        }
        if (isNoteLetter(c)) {
            note(c);
            return;
        }
        if ((isDecimalDigit(c) || c == '.' || c == '+' || c == '-') && number()) return;
        if (c == ',' || c == '+' || c == '-' || c == '!' || c == '^' || c == '*' || c == '.') {
            punctuation();
        } else if (c < ' ' || c > '~') {
            const size_t start = at_++;
            if (c >= 0xC0)
                while (at_ < n_ && (p_[at_] & 0xC0) == 0x80) ++at_;
            owner_ = 0;
            lengths_ = false;
            emit(start, TokenKind::Unknown, 0);
        } else {
            startCommand(c, TokenKind::Command);
        }
    }
};

} // namespace

void tokenize(const uint8_t* text, size_t length, std::vector<Token>& out) { Splitter(text, length, out).run(); }

} // namespace kvt
