#include "answers.h"

namespace kvtls {

namespace {

enum SymbolKind { kNamespace = 3, kArray = 18 };

struct Loop {
    size_t open;
    size_t close;
    std::string name;
    std::vector<Loop> inner;
};

struct Section {
    size_t start;
    size_t headEnd; // the end of the «#» list that names the tracks
    size_t end;
    std::string name;
    std::vector<Loop> loops;
};

// A command's text as written: its character and its parameter tokens.
std::string commandText(const Document& doc, const std::vector<kvt::Token>& tokens, size_t i)
{
    size_t end = tokens[i].offset + tokens[i].length;
    for (size_t j = i + 1;
         j < tokens.size() && tokens[j].command == tokens[i].command && tokens[j].kind != kvt::TokenKind::Command; ++j)
        end = tokens[j].offset + tokens[j].length;
    return doc.text().substr(tokens[i].offset, end - tokens[i].offset);
}

// Tracks («#» sections; text before the first one is track 0's) with the
// loops opened in each.
std::vector<Section> sections(const Document& doc)
{
    const std::vector<kvt::Token> tokens = documentTokens(doc);
    std::vector<Section> result;
    std::vector<Loop> open;
    auto closeOpenLoops = [&](size_t at) {
        while (!open.empty()) {
            Loop l = std::move(open.back());
            open.pop_back();
            l.close = at;
            (open.empty() ? result.back().loops : open.back().inner).push_back(std::move(l));
        }
    };
    for (size_t i = 0; i < tokens.size(); ++i) {
        const kvt::Token& t = tokens[i];
        const bool isCommand = t.kind == kvt::TokenKind::Command;
        if (isCommand && t.command == '#') {
            if (!result.empty()) {
                closeOpenLoops(tokens[i - 1].offset + tokens[i - 1].length);
                result.back().end = tokens[i - 1].offset + tokens[i - 1].length;
            }
            const std::string list = commandText(doc, tokens, i);
            result.push_back({t.offset, t.offset + list.size(), t.offset + list.size(), "Track " + list, {}});
            continue;
        }
        if (t.kind == kvt::TokenKind::Comment) continue;
        if (result.empty()) result.push_back({t.offset, t.offset, t.offset, "Track #0", {}});
        result.back().end = t.offset + t.length;
        if (isCommand && t.command == '[')
            open.push_back({t.offset, t.offset + 1, "Loop " + commandText(doc, tokens, i), {}});
        if (isCommand && t.command == ']' && !open.empty()) {
            Loop l = std::move(open.back());
            open.pop_back();
            l.close = t.offset + 1;
            (open.empty() ? result.back().loops : open.back().inner).push_back(std::move(l));
        }
    }
    if (!result.empty()) closeOpenLoops(result.back().end);
    return result;
}

Json loopSymbols(const Document& doc, const std::vector<Loop>& loops)
{
    Json list = Json::array();
    for (const Loop& l : loops)
        list.push_back({{"name", l.name},
                        {"kind", kArray},
                        {"range", rangeJson(doc, l.open, l.close)},
                        {"selectionRange", rangeJson(doc, l.open, l.open + 1)},
                        {"children", loopSymbols(doc, l.inner)}});
    return list;
}

void loopFolds(const Document& doc, const std::vector<Loop>& loops, Json& out)
{
    for (const Loop& l : loops) {
        const uint32_t first = doc.positionAt(l.open).line;
        const uint32_t last = doc.positionAt(l.close).line;
        if (last > first) out.push_back({{"startLine", first}, {"endLine", last}});
        loopFolds(doc, l.inner, out);
    }
}

} // namespace

Json documentSymbols(const Document& doc)
{
    Json list = Json::array();
    for (const Section& s : sections(doc)) {
        list.push_back({{"name", s.name},
                        {"kind", kNamespace},
                        {"range", rangeJson(doc, s.start, s.end)},
                        {"selectionRange", rangeJson(doc, s.start, s.headEnd)},
                        {"children", loopSymbols(doc, s.loops)}});
    }
    return list;
}

Json foldingRanges(const Document& doc)
{
    Json list = Json::array();
    for (const Section& s : sections(doc)) {
        const uint32_t first = doc.positionAt(s.start).line;
        const uint32_t last = doc.positionAt(s.end).line;
        if (last > first) list.push_back({{"startLine", first}, {"endLine", last}, {"kind", "region"}});
        loopFolds(doc, s.loops, list);
    }
    for (const kvt::Token& t : documentTokens(doc)) {
        if (t.kind != kvt::TokenKind::HexBlock) continue;
        const uint32_t last = doc.positionAt(t.offset + t.length).line;
        if (last > t.line) list.push_back({{"startLine", t.line}, {"endLine", last}});
    }
    return list;
}

} // namespace kvtls
