#include "recorded_source.h"

#include "kvt/tokens.h"

namespace score_test {

frontend::FollowFrame RecordedSource::followFrame() const
{
    if (frames.empty()) return {};
    return frames[std::min(current, frames.size() - 1)];
}

bool RecordedSource::playFrom(const frontend::StartPoint& start)
{
    starts.push_back(start);
    return acceptStarts;
}

std::map<uint8_t, std::vector<kvt::SourceRange>> soundingCommands(const std::string& text)
{
    std::vector<kvt::Token> tokens;
    kvt::tokenize(reinterpret_cast<const uint8_t*>(text.data()), text.size(), tokens);
    std::map<uint8_t, std::vector<kvt::SourceRange>> commands;
    uint8_t track = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const kvt::Token& token = tokens[i];
        // «#n» and the first number of «#n,m-k»
        if (token.kind == kvt::TokenKind::Number && i > 0 && tokens[i - 1].kind == kvt::TokenKind::Command &&
            tokens[i - 1].command == '#')
            track = uint8_t(std::stoi(text.substr(token.offset, token.length)));
        if (token.kind != kvt::TokenKind::Note && token.kind != kvt::TokenKind::Rest) continue;
        uint32_t end = token.offset + token.length;
        for (size_t k = i + 1;
             k < tokens.size() && tokens[k].command == token.command &&
             (tokens[k].kind == kvt::TokenKind::Length || tokens[k].kind == kvt::TokenKind::Punctuation);
             ++k)
            end = tokens[k].offset + tokens[k].length;
        commands[track].push_back({token.line + 1, token.column + 1, end - token.offset});
    }
    return commands;
}

frontend::TrackPlace place(uint8_t trackNumber, kvt::SourceRange command, bool ended)
{
    frontend::TrackPlace place;
    place.trackNumber = trackNumber;
    place.command = command;
    place.ended = ended;
    return place;
}

} // namespace score_test
